#include "service/stats_watch.h"

#include "runtime/controls.h"
#include "runtime/delay.h"
#include "runtime/state.h"
#include "service/codec.h"
#include "service/operations.h"
#include "service/requests.h"
#include "service/stats_record.h"

#include <atomic>
#include <cstdint>

namespace service {

using runtime::Text;

namespace {

constexpr int kPassIntervalMs = 10000;
// The wait between passes is taken in steps this long, so that an ended watch stops soon.
constexpr int kWaitStepMs = 100;
constexpr std::string_view kStopPoolName = "xxx";

// Counts the sign-ins again: a watch runs while the count is what it was when it started.
std::atomic<std::uint64_t> watchGeneration{0};

} // namespace

std::optional<Text> readPoolStatisticsOnce(runtime::Window& window) {
    std::optional<Text> lastName;
    const int count = window.rowCount(controls::kPoolSummaryList);
    for (int row = 0; row < count; ++row) {
        lastName = window.cellText(controls::kPoolSummaryList, row, 0);
        const Text file =
            statsFileName(runtime::concat({runtime::userKey(), "-", *lastName}), kStatsFileKey);
        const Reply reply =
            getText(statsUrl(runtime::concat({"/file/", file, ".txt"})), ReplySize::StatsRecord);
        // A failed read (the "404 Not" page included) leaves the row as it is.
        const auto cells = reply.succeeded ? statsCells(reply.body) : std::nullopt;
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
    const std::uint64_t generation = watchGeneration.load();
    const auto ended = [generation] { return watchGeneration.load() != generation; };
    Text lastName;
    while (!ended()) {
        if (auto passName = readPoolStatisticsOnce(window)) {
            lastName = std::move(*passName);
        }
        for (int waited = 0; waited < kPassIntervalMs && !ended(); waited += kWaitStepMs) {
            runtime::responsiveDelay(kWaitStepMs);
        }
        if (lastName == kStopPoolName) {
            return;
        }
    }
}

void endStatisticsWatches() {
    ++watchGeneration;
}

} // namespace service
