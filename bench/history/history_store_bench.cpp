// The statistics history's writer: the time one pass of --pools records takes to store (every
// pool's counters changed, and a tenth of them), the time the watch spends handing a pass over,
// and the file's size after --days simulated days of --size-pools pools read every 10 s, each
// pool's counters changing in one pass out of --change-every.
//
//   pooldesk_bench_history_history_store [--pools 2000] [--passes 20] [--days 1]
//                                         [--size-pools 500] [--change-every 10]

#include "../service/bench_args.h"

#include "history/history_store.h"
#include "history/history_writer.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

namespace {

using history::Clock;
using Steady = std::chrono::steady_clock;

double millisecondsOf(Steady::time_point start) {
    return std::chrono::duration<double, std::milli>(Steady::now() - start).count();
}

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values.empty() ? 0.0 : values[values.size() / 2];
}

std::vector<service::PoolStatistics> passOf(int pools) {
    std::vector<service::PoolStatistics> pass(static_cast<std::size_t>(pools));
    for (int i = 0; i < pools; ++i) {
        pass[static_cast<std::size_t>(i)].pool = "P" + std::to_string(i);
        pass[static_cast<std::size_t>(i)].cells.fill("0");
    }
    return pass;
}

// Counters of pools [0, pools * share) move on by one; every record is read at `at`.
void advance(std::vector<service::PoolStatistics>& pass, double share, Clock::time_point at) {
    const auto changed = static_cast<std::size_t>(static_cast<double>(pass.size()) * share);
    for (std::size_t i = 0; i < pass.size(); ++i) {
        if (i < changed) {
            for (auto& cell : pass[i].cells) {
                cell = std::to_string(std::stoll(cell) + 1) + "  50\xA3\xA5";
            }
        }
        pass[i].readAt = at;
    }
}

std::string freshFile(const char* name) {
    const auto path = std::filesystem::temp_directory_path() / name;
    for (const char* suffix : {"", "-wal", "-shm"}) {
        std::filesystem::remove(path.string() + suffix);
    }
    return path.string();
}

double megabytesOf(const std::string& path) {
    std::error_code ignored;
    const auto size = std::filesystem::file_size(path, ignored);
    return ignored ? 0.0 : static_cast<double>(size) / (1024.0 * 1024.0);
}

} // namespace

int main(int argc, char** argv) {
    const int pools = benchargs::sizeOption(argc, argv, "pools", 2000);
    const int passes = benchargs::sizeOption(argc, argv, "passes", 20);
    const int days = benchargs::sizeOption(argc, argv, "days", 1);
    const int sizePools = benchargs::sizeOption(argc, argv, "size-pools", 500);
    const int changeEvery = benchargs::sizeOption(argc, argv, "change-every", 10);
    const Clock::time_point start = Clock::now();

    // The writer's time per pass, straight on the store it owns.
    {
        const std::string path = freshFile("pooldesk-bench-history.sqlite");
        auto store = std::move(*history::HistoryStore::open({.path = path}));
        auto pass = passOf(pools);
        advance(pass, 1.0, start);
        auto first = Steady::now();
        (void)store->storePass(pass);
        const double firstMs = millisecondsOf(first);
        std::printf("history store, a pass of %d pools (WAL, synchronous=NORMAL)\n", pools);
        std::printf("  first pass (every pool new): %.1f ms\n", firstMs);
        int tick = 0;
        for (const double share : {1.0, 0.1, 0.0}) {
            std::vector<double> times;
            for (int i = 0; i < passes; ++i) {
                advance(pass, share, start + std::chrono::seconds(10 * ++tick));
                const auto began = Steady::now();
                if (!store->storePass(pass)) {
                    std::fprintf(stderr, "store failed\n");
                    return 1;
                }
                times.push_back(millisecondsOf(began));
            }
            std::printf("  %3.0f%% of the pools changed: median %.1f ms, worst %.1f ms of %d "
                        "passes (target <= 20 ms)\n",
                        share * 100, median(times), *std::max_element(times.begin(), times.end()),
                        passes);
        }
    }

    // The watch's side: handing a pass over to the writer thread.
    {
        const std::string path = freshFile("pooldesk-bench-handover.sqlite");
        history::HistoryWriter writer({.store = {.path = path}, .keepDays = 30});
        auto pass = passOf(pools);
        std::vector<double> times;
        for (int i = 0; i < passes; ++i) {
            advance(pass, 1.0, start + std::chrono::seconds(10 * i));
            auto copy = pass; // the watch builds its pass's vector anyway
            const auto began = Steady::now();
            writer.passRead(std::move(copy));
            times.push_back(millisecondsOf(began));
            writer.waitIdle();
        }
        std::printf("handing a pass of %d pools to the writer (the watch's share): median %.3f "
                    "ms\n",
                    pools, median(times));
    }

    // The file's size over simulated days.
    {
        const std::string path = freshFile("pooldesk-bench-size.sqlite");
        auto store = std::move(*history::HistoryStore::open({.path = path}));
        auto pass = passOf(sizePools);
        const int passesPerDay = 24 * 360;
        std::mt19937 random(7);
        std::uniform_int_distribution<int> draw(0, changeEvery - 1);
        const auto began = Steady::now();
        for (int p = 0; p < passesPerDay * days; ++p) {
            const Clock::time_point at = start + std::chrono::seconds(10 * p);
            for (auto& record : pass) {
                if (draw(random) == 0) {
                    for (auto& cell : record.cells) {
                        cell = std::to_string(std::stoll(cell) + 1);
                    }
                }
                record.readAt = at;
            }
            (void)store->storePass(pass);
        }
        const double mb = megabytesOf(path);
        std::printf("database of %d pools over %d simulated day(s) of passes every 10 s, counters "
                    "changing in 1 pass of %d: %.1f MB (%.1f MB a day; 30 days at that rate %.0f "
                    "MB) and its WAL %.1f MB, written in %.1f s\n",
                    sizePools, days, changeEvery, mb, mb / days, mb / days * 30,
                    megabytesOf(path + "-wal"), millisecondsOf(began) / 1000);
    }
    return 0;
}
