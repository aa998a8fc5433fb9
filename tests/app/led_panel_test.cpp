// The page "点灯": rows of the lightings this client started, counting down on an injected clock
// and leaving when their time is over.

#include "app/led_panel.h"
#include "app/main_window.h"
#include "app/operator_aids.h"
#include "runtime/codepage.h"
#include "test_support/window_fixture.h"

#include <QPushButton>
#include <QTreeWidget>

#include <gtest/gtest.h>

namespace {

using namespace std::chrono_literals;
using runtime::gbk;
using runtime::LedDuration;
using Cells = std::vector<std::string>;

class LedPanelTest : public app::testing::WindowTest {
protected:
    void SetUp() override {
        WindowTest::SetUp();
        m_panel = app::ledPanelOf(mainWindow());
        ASSERT_NE(m_panel, nullptr);
        m_panel->setClock([this] { return m_now; });
    }

    app::LedLighting lighting(const char* port, LedDuration duration, bool lit = true) {
        return {.port = port,
                .pool = "A1",
                .duration = duration,
                .startedAt = m_now,
                .lit = lit,
                .result = lit ? gbk("点亮成功") : gbk("服务未确认 (HTTP 200)，回复：busy")};
    }

    // UTF-8.
    std::vector<std::string> column(int column) const {
        std::vector<std::string> cells;
        for (int row = 0; row < m_panel->list()->topLevelItemCount(); ++row) {
            cells.push_back(m_panel->list()->topLevelItem(row)->text(column).toStdString());
        }
        return cells;
    }

    std::chrono::system_clock::time_point m_now =
        std::chrono::system_clock::time_point(std::chrono::hours(500000));
    app::LedPanel* m_panel = nullptr;
};

TEST_F(LedPanelTest, CountsDownEachSecondAndDropsRowsWhoseTimeIsOver) {
    m_panel->record(lighting("A1.01", LedDuration::TenMinutes));
    m_panel->record(lighting("A1.02", LedDuration::TwentyMinutes));
    m_panel->record(lighting("A1.03", LedDuration::TenMinutes, false));
    EXPECT_EQ(column(0), (Cells{"A1.01", "A1.02", "A1.03"}));
    EXPECT_EQ(column(2), (Cells{"10分钟", "20分钟", "10分钟"}));
    EXPECT_EQ(column(4), (Cells{"10:00", "20:00", "-"}));
    EXPECT_EQ(column(5), (Cells{"点亮成功", "点亮成功", "服务未确认 (HTTP 200)，回复：busy"}));

    m_now += 1s;
    m_panel->tick();
    EXPECT_EQ(column(4), (Cells{"09:59", "19:59", "-"}));
    m_now += 500ms; // part of a second left counts as a whole one
    m_panel->tick();
    EXPECT_EQ(column(4), (Cells{"09:59", "19:59", "-"}));

    // Ten minutes after their start the 10-minute rows go, the failed one too.
    m_now += 10min - 1500ms;
    m_panel->tick();
    EXPECT_EQ(column(0), (Cells{"A1.02"}));
    EXPECT_EQ(column(4), (Cells{"10:00"}));

    // Lighting a port again takes its row and starts its count afresh.
    m_panel->record(lighting("A1.02", LedDuration::TenMinutes));
    EXPECT_EQ(column(0), (Cells{"A1.02"}));
    EXPECT_EQ(column(4), (Cells{"10:00"}));
    m_now += 10min;
    m_panel->tick();
    EXPECT_EQ(m_panel->list()->topLevelItemCount(), 0);
}

TEST_F(LedPanelTest, RemovingOrClearingForgetsRowsWithoutASession) {
    for (const char* port : {"A1.01", "A1.02", "A1.03"}) {
        m_panel->record(lighting(port, LedDuration::TenMinutes));
    }
    m_panel->remove(1);
    EXPECT_EQ(column(0), (Cells{"A1.01", "A1.03"}));
    // Nobody is signed in: there is no one to relight for.
    EXPECT_FALSE(m_panel->relight(0));
    auto* clearAll = mainWindow().findChild<QPushButton*>(QStringLiteral("全部熄灭提醒"));
    ASSERT_NE(clearAll, nullptr);
    EXPECT_FALSE(clearAll->toolTip().isEmpty());
    clearAll->click();
    EXPECT_EQ(m_panel->list()->topLevelItemCount(), 0);
    EXPECT_TRUE(m_panel->lightings().empty());
}

} // namespace
