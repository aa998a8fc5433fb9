// The Window facade over the real widgets, from the GUI thread and from workers.
#include "test_support/window_fixture.h"

#include "app/log_canvas.h"
#include "app/tab_control.h"
#include "runtime/codepage.h"
#include "runtime/controls.h"
#include "runtime/live_wait.h"
#include "test_support/find_row_checks.h"

#include <QClipboard>
#include <QGroupBox>
#include <QGuiApplication>
#include <QLabel>
#include <QRegularExpression>
#include <QTreeView>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdlib>
#include <set>
#include <string>
#include <thread>
#include <utility>
#include <vector>

namespace app::testing {
namespace {

using namespace controls;
using runtime::gbk;

// Runs body on a worker thread while the GUI thread keeps processing events.
template <typename Body> void onWorker(Body body) {
    std::atomic<bool> done{false};
    std::thread worker([&] {
        body();
        done = true;
    });
    const bool finished = pumpUntil([&] { return done.load(); }, 20000);
    worker.join();
    ASSERT_TRUE(finished);
}

using QtWindowTest = WindowTest;

// The busy animation shows while anyone holds it: a pool refresh (through the facade, from its
// worker) and a wait for the service started on the GUI thread, ending in either order.
TEST_F(QtWindowTest, BusyAnimationShowsWhileTheRefreshOrAWaitHoldsIt) {
    runtime::Window& window = m_window->window();
    QWidget* busy = m_window->control(kBusyPicture);
    for (const bool refreshEndsDuringTheWait : {true, false}) {
        if (refreshEndsDuringTheWait) {
            window.setVisible(kBusyPicture, true);
        }
        // The refresh ends (or begins) while the wait is already showing the animation.
        std::thread refresh([&] {
            std::this_thread::sleep_for(std::chrono::milliseconds(250));
            window.setVisible(kBusyPicture, !refreshEndsDuringTheWait);
        });
        ASSERT_TRUE(runtime::runWhileLive(
            [] { std::this_thread::sleep_for(std::chrono::milliseconds(450)); }));
        refresh.join();
        EXPECT_EQ(busy->isVisible(), !refreshEndsDuringTheWait);
        window.setVisible(kBusyPicture, false);
        EXPECT_FALSE(busy->isVisible());
    }
}

TEST_F(QtWindowTest, ControlsReadAndWriteFromAWorker) {
    onWorker([&] {
        window().setText(kSignInMessage, gbk("登录成功"));
        window().setText(kKeyBox, "abc");
        EXPECT_EQ(window().text(kSignInMessage), gbk("登录成功"));
        EXPECT_EQ(window().text(kKeyBox), "abc");
        EXPECT_TRUE(window().isChecked(kRouteMalaysia));
        EXPECT_FALSE(window().isChecked(kRouteHongKong));
        window().setLeft(kSignInPanel, 1999);
        window().setVisible(kBusyPicture, true);
        window().setDisabled(kPortList, true);
    });
    EXPECT_EQ(qobject_cast<QLabel*>(mainWindow().control(kSignInMessage))->text(),
              QString::fromUtf8("登录成功"));
    EXPECT_EQ(mainWindow().control(kSignInPanel)->x(), 1999);
    EXPECT_EQ(mainWindow().control(kSignInPanel)->y(), 0);
    EXPECT_TRUE(mainWindow().control(kBusyPicture)->isVisible());
    EXPECT_FALSE(mainWindow().control(kPortList)->isEnabled());
    window().setDisabled(kPortList, false);
    EXPECT_TRUE(mainWindow().control(kPortList)->isEnabled());
}

TEST_F(QtWindowTest, MissingControlsRowsAndColumnsReadEmptyAndWriteNothing) {
    onWorker([&] {
        EXPECT_EQ(window().text("没有这个"), "");
        window().setText("没有这个", "x");
        EXPECT_FALSE(window().isChecked("没有这个"));
        window().setLeft("没有这个", 5);
        window().setVisible("没有这个", false);
        window().writeLine("没有这个", "x");
        EXPECT_EQ(window().rowCount("没有这个"), 0);
        EXPECT_EQ(window().appendRow("没有这个", "x"), -1);
        EXPECT_EQ(window().selectedRow("没有这个"), -1);
        window().popUpMenu("c9");
    });
    window().appendRow(kPortList, "p0");
    for (int row : {-1, 1, 1000}) {
        EXPECT_EQ(window().cellText(kPortList, row, 0), "");
        window().setCellText(kPortList, row, 0, "x");
        window().setCheckState(kPortList, row, 1);
        EXPECT_EQ(window().checkState(kPortList, row), 0);
        window().setRowGreyed(kPortList, row, true);
        window().deleteRow(kPortList, row);
    }
    for (int column : {-1, 3, 99}) {
        EXPECT_EQ(window().cellText(kPortList, 0, column), "");
        window().setCellText(kPortList, 0, column, "x");
    }
    EXPECT_EQ(window().rowCount(kPortList), 1);
    EXPECT_EQ(window().cellText(kPortList, 0, 0), "p0");
    EXPECT_EQ(window().findRow(kDeviceList, "p0"), -1); // an empty list
}

TEST_F(QtWindowTest, RowTextsReadsTheStoreFromAWorker) {
    for (const char* caption : {"p0", "p1", "p2"}) {
        const int row = window().appendRow(kPortList, caption);
        window().setCellText(kPortList, row, 1, gbk("未做TG"));
        window().setCellText(kPortList, row, 2, caption);
    }
    runtime::RowTexts tail;
    runtime::RowTexts names;
    onWorker([&] {
        tail = window().rowTexts(kPortList, 1, 10, 4); // the list has 3 columns
        names = window().rowTexts(kPortList, 0, 2, 1);
    });
    ASSERT_EQ(tail.rows(), 2u);
    for (std::size_t row = 0; row < 2; ++row) {
        const std::string port = "p" + std::to_string(row + 1);
        EXPECT_EQ(tail.cell(row, 0), port);
        EXPECT_EQ(tail.cell(row, 1), gbk("未做TG"));
        EXPECT_EQ(tail.cell(row, 2), port);
        EXPECT_EQ(tail.cell(row, 3), "");
    }
    ASSERT_EQ(names.rows(), 2u);
    EXPECT_EQ(names.cell(0, 0), "p0");
    EXPECT_EQ(names.cell(1, 0), "p1");
    EXPECT_EQ(names.cell(1, 1), "");
    for (const auto& [first, count] : {std::pair{-1, 2}, {3, 1}, {1000, 1}, {0, 0}}) {
        EXPECT_TRUE(window().rowTexts(kPortList, first, count, 3).empty()) << first;
    }
    EXPECT_TRUE(window().rowTexts("没有这个", 0, 5, 3).empty());
    EXPECT_TRUE(window().rowTexts(kDeviceList, 0, 5, 3).empty());
}

TEST_F(QtWindowTest, ListOperationsActAtOnceAndTheViewFollows) {
    auto* view = qobject_cast<QTreeView*>(mainWindow().control(kDeviceList));
    onWorker([&] {
        EXPECT_EQ(window().appendRow(kDeviceList, gbk("卡池A")), 0);
        EXPECT_EQ(window().appendRow(kDeviceList, "Pool-b"), 1);
        EXPECT_EQ(window().appendRow(kDeviceList, "pool-c"), 2);
        window().setCellText(kDeviceList, 1, 1, gbk("有新任务，请处理"));
        EXPECT_EQ(window().cellText(kDeviceList, 1, 1), gbk("有新任务，请处理"));
        EXPECT_EQ(window().findRow(kDeviceList, "POOL-B"), 1);
        EXPECT_EQ(window().findRow(kDeviceList, gbk("卡池A")), 0);
        EXPECT_EQ(window().findRow(kDeviceList, "pool"), -1); // whole text only
        window().deleteRow(kDeviceList, 0);
        EXPECT_EQ(window().rowCount(kDeviceList), 2);
        EXPECT_EQ(window().cellText(kDeviceList, 0, 0), "Pool-b");
    });
    ASSERT_TRUE(pumpUntil([&] { return view->model()->rowCount() == 2; }));
    EXPECT_EQ(view->model()->data(view->model()->index(0, 1)).toString(),
              QString::fromUtf8("有新任务，请处理"));
    view->selectionModel()->select(view->model()->index(1, 0),
                                   QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    onWorker([&] { EXPECT_EQ(window().selectedRow(kDeviceList), 1); });
    window().deleteAllRows(kDeviceList);
    EXPECT_EQ(window().rowCount(kDeviceList), 0);
    EXPECT_EQ(window().selectedRow(kDeviceList), -1);
    EXPECT_EQ(view->model()->rowCount(), 0);
}

TEST_F(QtWindowTest, ViewEndsUpShowingExactlyTheRowsAfterMixedChanges) {
    auto* view = qobject_cast<QTreeView*>(mainWindow().control(kPortList));
    QAbstractItemModel* model = view->model();
    for (int round = 0; round < 3; ++round) {
        onWorker([&] {
            for (int i = 0; i < 400; ++i) {
                window().appendRow(kPortList,
                                   "r" + std::to_string(round) + "-" + std::to_string(i));
                if (i % 3 == 0) {
                    window().deleteRow(kPortList, window().rowCount(kPortList) / 2);
                }
                if (round == 1 && i == 200) {
                    window().deleteAllRows(kPortList);
                }
            }
        });
        // Short journals are replayed row by row; long ones reset the view. Either way the
        // view ends up with the store's rows, in order.
        ASSERT_TRUE(pumpUntil([&] { return model->rowCount() == window().rowCount(kPortList); }));
        mainWindow().syncViews();
        for (int row = 0; row < model->rowCount(); ++row) {
            ASSERT_EQ(model->data(model->index(row, 0)).toString().toStdString(),
                      window().cellText(kPortList, row, 0))
                << row;
        }
    }
}

TEST_F(QtWindowTest, FindRowFollowsEveryChangeOfTheCaptions) {
    testsupport::expectFindRowFollowsRowChanges(window(), kDeviceList);
}

TEST_F(QtWindowTest, UserTickedCheckBoxIsSeenByTheFacade) {
    window().appendRow(kPortList, "p0");
    mainWindow().syncViews();
    auto* view = qobject_cast<QTreeView*>(mainWindow().control(kPortList));
    ASSERT_TRUE(
        view->model()->setData(view->model()->index(0, 0), Qt::Checked, Qt::CheckStateRole));
    EXPECT_EQ(window().checkState(kPortList, 0), 1);
}

TEST_F(QtWindowTest, HammeredFromSeveralWorkersWhileTheGuiRunsLosesNoWrite) {
    constexpr int kWorkers = 4;
    constexpr int kRowsEach = 500;
    std::atomic<int> finished{0};
    std::vector<std::thread> workers;
    for (int w = 0; w < kWorkers; ++w) {
        workers.emplace_back([&, w] {
            for (int i = 0; i < kRowsEach; ++i) {
                const std::string caption = "w" + std::to_string(w) + "-" + std::to_string(i);
                const int row = window().appendRow(kPortList, caption);
                window().setCellText(kPortList, row, 1, caption);
                window().setCheckState(kPortList, row, 1);
                if (i % 50 == 0) {
                    window().setText(kPortCountLabel, caption);
                    window().writeLine(kLogPanel, caption);
                    window().text(kPortCountLabel);
                    window().selectedRow(kPortList);
                }
            }
            ++finished;
        });
    }
    const bool done = pumpUntil([&] { return finished.load() == kWorkers; }, 60000);
    for (std::thread& worker : workers) {
        worker.join();
    }
    ASSERT_TRUE(done);
    ASSERT_EQ(window().rowCount(kPortList), kWorkers * kRowsEach);
    std::set<std::string> seen;
    for (int row = 0; row < kWorkers * kRowsEach; ++row) {
        const runtime::Text caption = window().cellText(kPortList, row, 0);
        EXPECT_EQ(window().cellText(kPortList, row, 1), caption);
        EXPECT_EQ(window().checkState(kPortList, row), 1);
        seen.insert(caption);
    }
    EXPECT_EQ(seen.size(), static_cast<std::size_t>(kWorkers * kRowsEach));
    auto* view = qobject_cast<QTreeView*>(mainWindow().control(kPortList));
    EXPECT_TRUE(pumpUntil([&] { return view->model()->rowCount() == kWorkers * kRowsEach; }));
    EXPECT_EQ(mainWindow().qtWindow().canvasLines(kLogPanel).size(), kWorkers * 10);
}

TEST_F(QtWindowTest, AGreyedRowIsDrawnInTheDisabledTextColour) {
    dynamic_cast<TabControl*>(mainWindow().control(kTabs))->setCurrentIndex(1);
    auto* view = qobject_cast<QTreeView*>(mainWindow().control(kPoolSummaryList));
    for (const char* pool : {"A1", "B2"}) {
        const int row = window().appendRow(kPoolSummaryList, pool);
        window().setCellText(kPoolSummaryList, row, 1, "8888");
    }
    const int normal = qGray(view->palette().color(QPalette::Active, QPalette::Text).rgb());
    const int grey = qGray(view->palette().color(QPalette::Disabled, QPalette::Text).rgb());
    ASSERT_GT(std::abs(normal - grey), 100);
    // The darkest grey level drawn in each row's count cell, once the view has caught up: the
    // text's colour where a glyph covers a whole pixel, give or take its smoothing.
    const auto darkest = [&] {
        EXPECT_TRUE(pumpUntil([&] { return view->model()->rowCount() == 2; }));
        mainWindow().syncViews();
        const QImage image = view->viewport()->grab().toImage();
        std::vector<int> levels;
        for (int row = 0; row < 2; ++row) {
            const QRect cell = view->visualRect(view->model()->index(row, 1));
            int level = 255;
            for (int y = cell.top(); y <= cell.bottom(); ++y) {
                for (int x = cell.left(); x <= cell.right(); ++x) {
                    level = std::min(level, qGray(image.pixel(x, y)));
                }
            }
            levels.push_back(level);
        }
        return levels;
    };
    constexpr int kSmoothing = 24;

    onWorker([&] { window().setRowGreyed(kPoolSummaryList, 1, true); });
    std::vector<int> levels = darkest();
    EXPECT_NEAR(levels[0], normal, kSmoothing);
    EXPECT_NEAR(levels[1], grey, kSmoothing);
    onWorker([&] { window().setRowGreyed(kPoolSummaryList, 1, false); });
    levels = darkest();
    EXPECT_NEAR(levels[1], normal, kSmoothing);
}

TEST_F(QtWindowTest, CanvasWritesLinesDownwardsAndScrollsWhenFull) {
    auto* canvas = dynamic_cast<LogCanvas*>(mainWindow().control(kLogPanel));
    ASSERT_NE(canvas, nullptr);
    const int fits = canvas->visibleLineCount();
    ASSERT_GT(fits, 3);
    // Each shown line starts with the local time it was written at.
    const auto withoutTime = [](const QStringList& shown) {
        QStringList texts;
        for (const QString& line : shown) {
            EXPECT_TRUE(
                QRegularExpression(QStringLiteral("^\\d\\d:\\d\\d:\\d\\d ")).match(line).hasMatch())
                << line.toStdString();
            texts.append(line.mid(9));
        }
        return texts;
    };
    window().writeLine(kLogPanel, gbk("第一行"));
    window().writeLine(kLogPanel, "second");
    EXPECT_EQ(withoutTime(canvas->visibleLines()),
              QStringList({QString::fromUtf8("第一行"), QStringLiteral("second")}));
    for (int i = 0; i < fits; ++i) {
        window().writeLine(kLogPanel, "line " + std::to_string(i));
    }
    const QStringList shown = withoutTime(canvas->visibleLines());
    ASSERT_EQ(shown.size(), fits);
    EXPECT_EQ(shown.front(), QStringLiteral("line 0")); // two lines scrolled off the top
    EXPECT_EQ(shown.back(), QStringLiteral("line %1").arg(fits - 1));
}

TEST_F(QtWindowTest, ClipboardIsEmptiedThenGivenTheText) {
    onWorker([&] { EXPECT_TRUE(window().putOnClipboard(gbk("端口----状态\r\n"))); });
    EXPECT_EQ(QGuiApplication::clipboard()->text(), QString::fromUtf8("端口----状态\r\n"));
    EXPECT_TRUE(window().putOnClipboard(""));
    EXPECT_EQ(QGuiApplication::clipboard()->text(), QString());
}

TEST_F(QtWindowTest, InputBoxAnswersAndCancels) {
    mainWindow().qtWindow().answerNextInputBox(QString::fromUtf8("有号码"));
    mainWindow().qtWindow().answerNextInputBox(std::nullopt);
    onWorker([&] { EXPECT_EQ(window().inputBox(gbk("请输入关键词")), gbk("有号码")); });
    EXPECT_EQ(mainWindow().qtWindow().lastInputPrompt(), QString::fromUtf8("请输入关键词"));
    EXPECT_EQ(window().inputBox("again"), "");
}

} // namespace
} // namespace app::testing
