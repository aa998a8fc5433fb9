#include "service/stats_watch.h"

#include "runtime/controls.h"
#include "runtime/delay.h"
#include "runtime/state.h"
#include "service/codec.h"
#include "service/operations.h"
#include "service/requests.h"
#include "service/stats_record.h"

namespace service {

using runtime::Text;

namespace {

constexpr int kPassIntervalMs = 10000;
constexpr std::string_view kStopPoolName = "xxx";

} // namespace

std::optional<Text> readPoolStatisticsOnce(runtime::Window& window) {
    std::optional<Text> lastName;
    const int count = window.rowCount(controls::kPoolSummaryList);
    for (int row = 0; row < count; ++row) {
        lastName = window.cellText(controls::kPoolSummaryList, row, 0);
        const Text file =
            statsFileName(runtime::concat({runtime::userKey(), "-", *lastName}), kStatsFileKey);
        const Reply reply = getText(statsUrl(runtime::concat({"/file/", file, ".txt"})));
        const auto cells = statsCells(reply.body);
        if (!cells) {
            continue;
        }
        for (int column = 1; column <= kStatsCellCount; ++column) {
            window.setCellText(controls::kPoolSummaryList, row, column, (*cells)[column - 1]);
        }
    }
    return lastName;
}

void watchPoolStatistics(runtime::Window& window) {
    Text lastName;
    for (;;) {
        if (auto passName = readPoolStatisticsOnce(window)) {
            lastName = std::move(*passName);
        }
        runtime::responsiveDelay(kPassIntervalMs);
        if (lastName == kStopPoolName) {
            return;
        }
    }
}

} // namespace service
