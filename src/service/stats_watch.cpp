#include "service/stats_watch.h"

#include "runtime/codepage.h"
#include "runtime/controls.h"
#include "runtime/delay.h"
#include "runtime/worker_owner.h"
#include "service/operations.h"
#include "service/reading.h"

#include <utility>

namespace service {

using runtime::Text;

namespace {

constexpr std::chrono::milliseconds kPassInterval{10000};
// The wait between passes is taken in steps this long, so that an ended watch stops soon.
constexpr std::chrono::milliseconds kWaitStep{100};
constexpr std::string_view kStopPoolName = "xxx";

// Why a pool's record could not be read this pass, for the log panel (GBK).
Text unreadableReason(const Reply& reply) {
    if (!reply.succeeded()) {
        return failureText(reply);
    }
    return runtime::gbk(isStatsNotFoundPage(reply.body) ? "统计文件不存在" : "记录不是 12 个字段");
}

// The row that shows pool now: the one it was read from while it still does, otherwise the
// first with its name (-1 when it left the list).
int rowShowing(runtime::Window& window, std::string_view list, int readFrom, const Text& pool) {
    return window.cellText(list, readFrom, 0) == pool ? readFrom : window.findRow(list, pool);
}

} // namespace

std::optional<Text> readPoolStatisticsOnce(Session& session, StatsFreshness& freshness) {
    constexpr std::string_view list = controls::kPoolSummaryList;
    runtime::Window& window = session.window();
    std::optional<Text> lastName;
    std::vector<PoolStatistics> passRecords;
    // The pools of this pass, as listed when it starts: a refresh may rebuild the list meanwhile.
    const runtime::RowTexts pools = window.rowTexts(list, 0, window.rowCount(list), 1);
    for (int row = 0; std::cmp_less(row, pools.rows()) && !runtime::stopRequested(); ++row) {
        lastName = Text(pools.cell(static_cast<std::size_t>(row), 0));
        const Text& pool = *lastName;
        const Read<PoolStatistics> record = readPoolStatistics(session, pool);
        if (runtime::stopRequested()) {
            break; // the window is going: its request was cut short, not failed
        }
        // The record goes to its pool's row, wherever that is by now; a failed read leaves
        // the counts as they are.
        const int at = rowShowing(window, list, row, pool);
        std::optional<Text> line;
        if (record) {
            line = freshness.recordRead(pool);
            for (int column = 1; column <= kStatsCellCount; ++column) {
                window.setCellText(list, at, column, record->cells[column - 1]);
            }
            window.setCellText(list, at, kStatsTimeColumn, freshness.shownTime(pool));
            session.snapshot().setStatistics(*record);
            passRecords.push_back(*record);
        } else {
            line = freshness.readFailed(pool, unreadableReason(record.error()));
            if (freshness.isStale(pool)) {
                // Restated every pass: a refresh may have listed the row anew, time cell empty.
                window.setCellText(list, at, kStatsTimeColumn, freshness.shownTime(pool));
            }
        }
        window.setRowGreyed(list, at, freshness.isStale(pool));
        if (line) {
            window.writeLine(controls::kLogPanel, *line);
        }
    }
    freshness.endPass();
    if (const auto sink = session.statisticsSink(); sink && !passRecords.empty()) {
        sink->passRead(std::move(passRecords));
    }
    return lastName;
}

std::optional<Text> readPoolStatisticsOnce(Session& session) {
    StatsFreshness freshness;
    return readPoolStatisticsOnce(session, freshness);
}

void watchPoolStatistics(Session& session) {
    // Ended with its session (重新登录), or by the window that owns the watch going away.
    const auto ended = [] { return runtime::stopRequested(); };
    // Each watch starts without history: a sign-in again ends the old watch and its memory.
    StatsFreshness freshness;
    Text lastName;
    while (!ended()) {
        if (auto passName = readPoolStatisticsOnce(session, freshness)) {
            lastName = std::move(*passName);
        }
        for (auto waited = kWaitStep.zero(); waited < kPassInterval && !ended();
             waited += kWaitStep) {
            runtime::responsiveDelay(kWaitStep);
        }
        if (lastName == kStopPoolName) {
            return;
        }
    }
}

} // namespace service
