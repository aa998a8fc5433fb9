// The window-creation handler and closing against a real pz.ini in a temporary folder.
#include "test_support/window_fixture.h"

#include "app/creation_handler.h"
#include "app/settings.h"
#include "runtime/codepage.h"
#include "runtime/controls.h"
#include "runtime/profile.h"
#include "runtime/state.h"
#include "service/endpoints.h"

#include <QFile>
#include <QLineEdit>
#include <QTest>

#include <filesystem>
#include <fstream>

namespace app::testing {
namespace {

using runtime::gbk;

class StartupTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(m_folder.isValid()); }
    std::string settingsFile() const {
        return m_folder.filePath(QStringLiteral("pz.ini")).toStdString();
    }
    void writeFile(const std::string& bytes) {
        std::ofstream(settingsFile(), std::ios::binary) << bytes;
    }
    QTemporaryDir m_folder;
};

TEST_F(StartupTest, FirstStartWithoutPzIni) {
    runtime::ledMode = 0;
    const auto window = openWindow(settingsFile());
    EXPECT_EQ(window->window().text(controls::kFilterBox), "");
    EXPECT_EQ(window->window().text(controls::kKeyBox), "");
    EXPECT_EQ(runtime::ledMode.load(), 1);
    EXPECT_NE(runtime::ledLock.load(), 0u);
    // Opening the window writes nothing.
    EXPECT_FALSE(std::filesystem::exists(settingsFile()));
}

TEST_F(StartupTest, ChosenRouteIsCheckedAgainAtTheNextStart) {
    writeFile("[1]\r\nn=A\r\n");
    {
        // A file from before routes were remembered starts on the first route.
        const auto window = openWindow(settingsFile());
        EXPECT_TRUE(window->window().isChecked(controls::kRouteMalaysia));
        EXPECT_EQ(readRoute(settingsFile()), "");
        QTest::mouseClick(window->control(controls::kRouteHongKong), Qt::LeftButton);
        EXPECT_EQ(readRoute(settingsFile()), "hongkong");
    }
    const auto window = openWindow(settingsFile());
    EXPECT_TRUE(window->window().isChecked(controls::kRouteHongKong));
    EXPECT_FALSE(window->window().isChecked(controls::kRouteMalaysia));
    EXPECT_EQ(readFilter(settingsFile()), "A");
}

TEST_F(StartupTest, FilterAndKeySurviveARestart) {
    // A key of thousands of characters and GBK text both come back intact.
    const runtime::Text filter = gbk("卡池-") + std::string(3000, 'f') + gbk("尾");
    const runtime::Text key = std::string(4000, 'k') + gbk("密钥");
    {
        const auto window = openWindow(settingsFile());
        auto* box = qobject_cast<QLineEdit*>(window->control(controls::kFilterBox));
        // Typed, one keystroke at a time: the text reaches the file once typing pauses.
        QTest::keyClicks(box, QStringLiteral("abc"));
        EXPECT_TRUE(pumpUntil([&] { return readFilter(settingsFile()) == "abc"; }));
        window->window().setText(controls::kFilterBox, filter);
        EXPECT_TRUE(pumpUntil([&] { return readFilter(settingsFile()) == filter; }));
        window->window().setText(controls::kKeyBox, key);
        window->close();
    }
    EXPECT_EQ(readKey(settingsFile()), key);
    const auto reopened = openWindow(settingsFile());
    EXPECT_EQ(reopened->window().text(controls::kFilterBox), filter);
    EXPECT_EQ(reopened->window().text(controls::kKeyBox), key);
}

TEST_F(StartupTest, ClosingWithAnEmptyKeyStoresAnEmptyItem) {
    writeFile("[key]\r\nkey=old\r\n");
    {
        const auto window = openWindow(settingsFile());
        window->window().setText(controls::kKeyBox, "");
        window->close();
    }
    EXPECT_EQ(readKey(settingsFile()), "");
    EXPECT_EQ(runtime::readSetting(settingsFile(), "key", "key", "missing"), "");
}

TEST_F(StartupTest, GarbagePzIniStartsWithEmptyBoxes) {
    writeFile(std::string("\xff\xfe\x00garbage\n[[[\n=\n\x81", 18) + std::string(20000, '\x01'));
    const auto window = openWindow(settingsFile());
    EXPECT_EQ(window->window().text(controls::kFilterBox), "");
    EXPECT_EQ(window->window().text(controls::kKeyBox), "");
}

TEST_F(StartupTest, UnreadablePzIniStartsWithEmptyBoxes) {
    std::filesystem::create_directory(settingsFile()); // a folder where the file should be
    const auto window = openWindow(settingsFile());
    EXPECT_EQ(window->window().text(controls::kFilterBox), "");
    EXPECT_EQ(window->window().text(controls::kKeyBox), "");
}

TEST_F(StartupTest, UnwritablePzIniDoesNotKeepTheWindowOpen) {
    const std::string unwritable = settingsFile() + "/no/such/folder/pz.ini";
    const auto window = openWindow(unwritable);
    window->window().setText(controls::kKeyBox, "key");
    window->window().setText(controls::kFilterBox, "filter"); // ignored failure
    EXPECT_TRUE(window->close());
    EXPECT_FALSE(window->isVisible());
}

} // namespace
} // namespace app::testing
