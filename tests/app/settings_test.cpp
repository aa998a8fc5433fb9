// Where pz.ini lives, and what the window writes to it and when, against real files.
#include "test_support/window_fixture.h"

#include "app/auto_check.h"
#include "app/settings.h"
#include "runtime/controls.h"
#include "runtime/profile.h"
#include "runtime/profile_file.h"

#include <QLineEdit>
#include <QTest>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>

namespace app::testing {
namespace {

namespace fs = std::filesystem;

class SettingsTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(m_folder.isValid()); }
    fs::path folder() const { return settingsFilePath(m_folder.path().toStdString()); }
    std::string settingsFile() const { return settingsFileText(folder() / "pz.ini"); }
    QStringList logLines(MainWindow& window) const {
        return window.qtWindow().canvasLines(controls::kLogPanel);
    }

    QTemporaryDir m_folder;
};

// Names as the platform gives them: ö, a Korean syllable and a character outside the Basic
// Multilingual Plane survive the option text that carries the settings file.
TEST_F(SettingsTest, SettingsFileTextKeepsEveryName) {
    const fs::path named = folder() / fs::path(u8"Bj\u00f6rn-\ud55c-\U0001F600") / "pz.ini";
    EXPECT_EQ(settingsFilePath(settingsFileText(named)), named);
    // The form Qt hands out is the same text.
    EXPECT_EQ(settingsFileText(named), QString::fromStdU16String(named.u16string()).toStdString());
#ifdef _WIN32
    const fs::path loneSurrogate = folder() / std::wstring{L'a', wchar_t(0xD800), L'b'};
    EXPECT_EQ(settingsFilePath(settingsFileText(loneSurrogate)), loneSurrogate);
#endif
}

TEST_F(SettingsTest, UserSettingsFolderFollowsTheEnvironment) {
#ifdef _WIN32
    const char* variable = "APPDATA";
    const fs::path expected = folder() / "PoolDesk";
    const std::string value = folder().string();
#else
    const char* variable = "XDG_CONFIG_HOME";
    const fs::path expected = folder() / "PoolDesk";
    const std::string value = folder().native();
#endif
    const char* old = std::getenv(variable);
    const std::optional<std::string> saved = old ? std::optional<std::string>(old) : std::nullopt;
    ASSERT_TRUE(qputenv(variable, QByteArray::fromStdString(value)));
    EXPECT_EQ(runtime::userSettingsFolder(), expected);
#ifndef _WIN32
    qunsetenv(variable);
    const std::string home = std::getenv("HOME") ? std::getenv("HOME") : "";
    if (!home.empty()) {
        EXPECT_EQ(runtime::userSettingsFolder(), fs::path(home) / ".config" / "PoolDesk");
    }
#endif
    if (saved) {
        qputenv(variable, QByteArray::fromStdString(*saved));
    } else {
        qunsetenv(variable);
    }
}

// The executable's "folder" here is a file: nothing can be created in it, on any platform.
TEST_F(SettingsTest, UnwritableProgramFolderMovesTheSettingsAndSaysWhereInTheLog) {
    const fs::path programFile = folder() / "program";
    std::ofstream(programFile) << "not a folder";
    const std::string file = chooseSettingsFile(programFile, folder() / "user" / "PoolDesk");
    EXPECT_EQ(settingsFilePath(file), folder() / "user" / "PoolDesk" / "pz.ini");
    const std::string besideFile = chooseSettingsFile(folder(), folder() / "unused");
    EXPECT_EQ(settingsLocationLine(besideFile), "");

    {
        const auto window = openWindow(file);
        const QStringList lines = logLines(*window);
        ASSERT_EQ(lines.size(), 1) << lines.join(QLatin1Char('|')).toStdString();
        EXPECT_TRUE(lines[0].contains(QString::fromUtf8("设置保存在")));
        EXPECT_TRUE(lines[0].endsWith(QStringLiteral("pz.ini")));
        window->window().setText(controls::kKeyBox, "k");
        window->close();
    }
    EXPECT_EQ(readKey(file), "k");
    EXPECT_FALSE(fs::exists(folder() / "unused"));
}

// pz.ini could not be read at start (here: a folder stood in its place; on Windows also a
// program holding it without read sharing): the empty key box is not the stored key.
TEST_F(SettingsTest, KeyThatCouldNotBeReadIsNeverWrittenBack) {
    const fs::path path = settingsFilePath(settingsFile());
    fs::create_directory(path);
    {
        const auto window = openWindow(settingsFile());
        EXPECT_EQ(window->window().text(controls::kKeyBox), "");
        EXPECT_TRUE(logLines(*window).join(QLatin1Char('|')).contains(QString::fromUtf8("密钥")));
        fs::remove(path);
        std::ofstream(path, std::ios::binary) << "[key]\r\nkey=stored\r\n";
        EXPECT_TRUE(window->close());
    }
    EXPECT_EQ(readKey(settingsFile()), "stored");
    {
        // Once read, an emptied box is what the operator wants stored.
        const auto window = openWindow(settingsFile());
        EXPECT_EQ(window->window().text(controls::kKeyBox), "stored");
        window->window().setText(controls::kKeyBox, "");
        window->close();
    }
    EXPECT_EQ(runtime::readSetting(path, "key", "key", "missing"), "");
}

TEST_F(SettingsTest, FilterIsWrittenWhenTypingPausesAndAtClose) {
    const auto window = openWindow(settingsFile());
    auto* box = qobject_cast<QLineEdit*>(window->control(controls::kFilterBox));
    QTest::keyClicks(box, QStringLiteral("abc"));
    QTest::qWait(kFilterWritePauseMs / 5); // typing has barely paused
    EXPECT_FALSE(fs::exists(settingsFilePath(settingsFile())));
    ASSERT_TRUE(pumpUntil([&] { return readFilter(settingsFile()) == "abc"; }, 3000));

    QTest::keyClicks(box, QStringLiteral("d"));
    window->close(); // before the pause ends: closing writes it
    EXPECT_EQ(readFilter(settingsFile()), "abcd");
}

TEST_F(SettingsTest, FilterThatCannotBeWrittenSaysSoOnce) {
    const fs::path path = settingsFilePath(settingsFile());
    std::ofstream(path, std::ios::binary) << "[1]\r\nn=old\r\n";
    fs::permissions(path, fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                    fs::perm_options::remove);
    const auto window = openWindow(settingsFile());
    window->window().setText(controls::kFilterBox, "new");
    ASSERT_TRUE(pumpUntil([&] { return !logLines(*window).isEmpty(); }, 3000));
    const QStringList lines = logLines(*window);
    ASSERT_EQ(lines.size(), 1);
    EXPECT_TRUE(lines[0].contains(QString::fromUtf8("只读")));
    EXPECT_EQ(readFilter(settingsFile()), "old");
    fs::permissions(path, fs::perms::owner_write, fs::perm_options::add);
}

// The automatic task check's interval: what the menu item accepts, and what a stored item means
// at start (an older file without it, or a value written by hand, leaves the check off).
TEST_F(SettingsTest, CheckIntervalIsAWholeNumberOfMinutesUpTo120) {
    const std::pair<std::string_view, std::optional<int>> answers[] = {{"0", 0},
                                                                       {"1", 1},
                                                                       {" 5 ", 5},
                                                                       {"120", 120},
                                                                       {"121", std::nullopt},
                                                                       {"-1", std::nullopt},
                                                                       {"5m", std::nullopt},
                                                                       {"", std::nullopt},
                                                                       {"\xA3\xB5", std::nullopt}};
    for (const auto& [answer, minutes] : answers) {
        EXPECT_EQ(parseCheckMinutes(answer), minutes) << answer;
    }
    EXPECT_EQ(readCheckMinutes(settingsFile()), 0);
    for (const auto& [stored, minutes] : {std::pair{"7", 7}, {"abc", 0}, {"500", 0}}) {
        std::ofstream(settingsFilePath(settingsFile()), std::ios::binary)
            << "[alerts]\r\nminutes=" << stored << "\r\n";
        EXPECT_EQ(readCheckMinutes(settingsFile()), minutes) << stored;
    }
    EXPECT_EQ(writeCheckMinutes(settingsFile(), 30), runtime::ProfileWrite::Written);
    EXPECT_EQ(readCheckMinutes(settingsFile()), 30);
}

} // namespace
} // namespace app::testing
