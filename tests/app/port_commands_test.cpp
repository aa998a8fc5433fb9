// The port list's own commands, run through the menu items as the operator picks them.
#include "test_support/window_fixture.h"

#include "app/port_commands.h"
#include "runtime/codepage.h"
#include "runtime/controls.h"
#include "runtime/state.h"

#include <QAbstractItemView>
#include <QAction>
#include <QClipboard>
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QTimer>

#include <mutex>
#include <vector>

namespace app::testing {
namespace {

using runtime::gbk;
constexpr auto kPorts = controls::kPortList;

void fillPorts(runtime::Window& window, int rows) {
    for (int row = 0; row < rows; ++row) {
        const int index = window.appendRow(kPorts, "port" + std::to_string(row));
        window.setCellText(kPorts, index, 1, gbk("有号码"));
    }
}

void pick(MainWindow& mainWindow, const char* caption) {
    QAction* item = mainWindow.menuItem(controls::kPortMenu, caption);
    ASSERT_NE(item, nullptr) << caption;
    item->trigger();
    // Menu commands run once the menu has closed.
    QCoreApplication::processEvents();
}

using PortCommandsTest = WindowTest;

TEST_F(PortCommandsTest, CheckAllAndUncheckAllCoverEveryRow) {
    fillPorts(window(), 5);
    window().setCheckState(kPorts, 2, 1);
    pick(mainWindow(), "全选");
    for (int row = 0; row < 5; ++row) {
        EXPECT_EQ(window().checkState(kPorts, row), 1) << row;
    }
    pick(mainWindow(), "取消全选");
    for (int row = 0; row < 5; ++row) {
        EXPECT_EQ(window().checkState(kPorts, row), 0) << row;
    }
    // The view shows it too.
    mainWindow().syncViews();
    auto* view = qobject_cast<QAbstractItemView*>(mainWindow().control(kPorts));
    EXPECT_EQ(view->model()->data(view->model()->index(4, 0), Qt::CheckStateRole).toInt(),
              Qt::Unchecked);
}

TEST_F(PortCommandsTest, CopyAllPutsPortAndStatusLinesOnTheClipboard) {
    const int first = window().appendRow(kPorts, gbk("端口A"));
    window().setCellText(kPorts, first, 1, gbk("有号码"));
    window().setCellText(kPorts, first, 2, "12:00");
    window().appendRow(kPorts, "B-02"); // empty status column
    pick(mainWindow(), "全部复制");
    EXPECT_EQ(QGuiApplication::clipboard()->text(),
              QString::fromUtf8("端口A----有号码\r\nB-02----\r\n"));
    EXPECT_EQ(portListText(window()), gbk("端口A----有号码\r\nB-02----\r\n"));
}

TEST_F(PortCommandsTest, CopyAllOfAnEmptyListEmptiesTheClipboard) {
    QGuiApplication::clipboard()->setText(QStringLiteral("left over"));
    pick(mainWindow(), "全部复制");
    EXPECT_TRUE(QGuiApplication::clipboard()->text().isEmpty());
}

struct RecordedStart {
    int row;
    qint64 atMs;
};

class LightPortsTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(m_folder.isValid());
        m_clock.start();
        m_window = openWindow(m_folder.filePath(QStringLiteral("pz.ini")).toStdString(),
                              [this](runtime::Window& window, int row) {
                                  std::lock_guard lock(m_mutex);
                                  m_starts.push_back({row, m_clock.elapsed()});
                                  m_windows.push_back(&window);
                              });
    }
    std::vector<RecordedStart> starts() {
        std::lock_guard lock(m_mutex);
        return m_starts;
    }

    QTemporaryDir m_folder;
    QElapsedTimer m_clock;
    std::mutex m_mutex;
    std::vector<RecordedStart> m_starts;
    std::vector<runtime::Window*> m_windows;
    std::unique_ptr<MainWindow> m_window;
};

TEST_F(LightPortsTest, NoCheckedRowStartsNoWorkerAndReturnsAtOnce) {
    runtime::Window& window = m_window->window();
    fillPorts(window, 4);
    QElapsedTimer took;
    took.start();
    EXPECT_EQ(lightCheckedPorts(window, runtime::LedDuration::TenMinutes,
                                [](runtime::Window&, int) { FAIL(); }),
              0);
    EXPECT_LT(took.elapsed(), 100);
    EXPECT_EQ(runtime::ledMode.load(), 2);
}

TEST_F(LightPortsTest, ThreeCheckedRowsGetOneWorkerEachAbout100MsApart) {
    runtime::Window& window = m_window->window();
    fillPorts(window, 6);
    for (int row : {1, 2, 5}) {
        window.setCheckState(kPorts, row, 1);
    }
    pick(*m_window, "点亮勾选端口10分钟");
    ASSERT_TRUE(pumpUntil([this] { return starts().size() == 3; }));
    EXPECT_EQ(runtime::ledMode.load(), 2);
    const std::vector<RecordedStart> recorded = starts();
    EXPECT_EQ(recorded[0].row, 1);
    EXPECT_EQ(recorded[1].row, 2);
    EXPECT_EQ(recorded[2].row, 5);
    for (std::size_t i = 1; i < recorded.size(); ++i) {
        const qint64 gap = recorded[i].atMs - recorded[i - 1].atMs;
        EXPECT_GE(gap, 90) << i;
        EXPECT_LT(gap, 1000) << i;
    }
    for (runtime::Window* given : m_windows) {
        EXPECT_EQ(given, &window);
    }
    // The 20-minute item sets mode 1 and lights the same rows again.
    pick(*m_window, "点亮勾选端口20分钟");
    ASSERT_TRUE(pumpUntil([this] { return starts().size() == 6; }));
    EXPECT_EQ(runtime::ledMode.load(), 1);
}

TEST_F(LightPortsTest, WindowStaysResponsiveWhileLighting) {
    runtime::Window& window = m_window->window();
    fillPorts(window, 3);
    setAllPortsChecked(window, 1);
    bool ranDuring = false;
    QTimer::singleShot(50, m_window.get(), [&] { ranDuring = starts().size() < 3; });
    lightCheckedPorts(window, runtime::LedDuration::TwentyMinutes,
                      [this](runtime::Window&, int row) {
                          std::lock_guard lock(m_mutex);
                          m_starts.push_back({row, m_clock.elapsed()});
                      });
    EXPECT_TRUE(ranDuring);
    // The last worker may still be recording when the call returns.
    ASSERT_TRUE(pumpUntil([this] { return starts().size() == 3; }));
}

} // namespace
} // namespace app::testing
