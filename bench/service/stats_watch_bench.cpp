// One statistics pass over 500 pools against the simulator's file server, the same 500 GETs by
// a bare loop over the platform's HTTP library (libcurl; WinHTTP on Windows), the peak memory of
// a pass whose files are 50 MB each, the pass with the history store on and off, and (on Linux)
// the CPU time the watch spends waiting between passes.
//
//   pooldesk_bench_service_stats_watch [--pools 500] [--rounds 7] [--huge-pools 500]
//
// The 50 MB pass runs over the first --huge-pools pools only, so a pass over many pools stays
// quick to measure.

#include "bench_args.h"
#include "loopback_bench.h"

#include "history/history_writer.h"
#include "runtime/controls.h"
#include "service/operations.h"
#include "service/requests.h"
#include "service/stats_watch.h"

#ifndef _WIN32
#include <pthread.h>
#include <sys/resource.h>
#include <time.h>
#endif

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <string>
#include <thread>

namespace {

int g_pools = 500;
int g_rounds = 7;
int g_hugePools = 500;
constexpr auto kIdleSample = std::chrono::seconds(8);

double peakResidentMegabytes() {
#ifdef _WIN32
    PROCESS_MEMORY_COUNTERS counters{};
    counters.cb = sizeof counters;
    K32GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof counters);
    return static_cast<double>(counters.PeakWorkingSetSize) / (1024.0 * 1024.0);
#else
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return static_cast<double>(usage.ru_maxrss) / 1024.0; // kilobytes on Linux
#endif
}

#ifndef _WIN32
double threadCpuSeconds(std::thread& thread) {
    clockid_t clock;
    timespec now{};
    pthread_getcpuclockid(thread.native_handle(), &clock);
    clock_gettime(clock, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) / 1e9;
}

double processCpuSeconds() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    const auto seconds = [](const timeval& t) {
        return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_usec) / 1e6;
    };
    return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

std::size_t statsRequests(bench::Bench& bench) {
    std::size_t count = 0;
    for (const auto& request : bench.sim().requestLog()) {
        count += request.endpoint == sim::Endpoint::StatsFile ? 1 : 0;
    }
    return count;
}

#endif

} // namespace

int main(int argc, char** argv) {
    g_pools = benchargs::sizeOption(argc, argv, "pools", g_pools);
    g_rounds = benchargs::sizeOption(argc, argv, "rounds", g_rounds);
    g_hugePools = benchargs::sizeOption(argc, argv, "huge-pools", g_hugePools);
    bench::Bench bench(argc, argv);
    auto& window = bench.window();
    // One scenario text: the simulator takes it in one exchange, also in another process.
    std::string scenario;
    for (int i = 0; i < g_pools; ++i) {
        char pool[16];
        std::snprintf(pool, sizeof pool, "P%03d", i);
        scenario += "pool " + bench::kKey + " " + pool + " 40\n";
    }
    std::string scenarioError;
    if (!bench.sim().loadScenarioText(scenario, &scenarioError)) {
        std::fprintf(stderr, "simulator: %s\n", scenarioError.c_str());
        return 1;
    }
    const auto listPools = [&window](int from, int to) {
        for (int i = from; i < to; ++i) {
            char pool[16];
            std::snprintf(pool, sizeof pool, "P%03d", i);
            window.appendRow(controls::kPoolSummaryList, pool);
        }
    };
    const int hugePools = std::min(g_hugePools, g_pools);
    listPools(0, hugePools);

    // First, while the process is still small: every file answers 50 MB (harsher than one such
    // file); each record is read no further than its size allows.
    const double peakBefore = peakResidentMegabytes();
    bench.sim().setFault(sim::Endpoint::StatsFile, sim::Fault{.hugeReplyMegabytes = 50});
    const double hugeSeconds =
        bench::secondsOf([&] { service::readPoolStatisticsOnce(bench.session()); });
    bench.sim().clearFaults();
    listPools(hugePools, g_pools);
    std::printf("statistics pass over %d pools, every file 50 MB\n", hugePools);
    std::printf("  pass: %.1f ms; peak resident memory %.1f MB before, %.1f MB after (target < "
                "100 MB)\n",
                hugeSeconds * 1000, peakBefore, peakResidentMegabytes());

    std::vector<double> client;
    std::vector<double> bare;
    std::vector<double> engine;
    std::vector<double> bareAsync;
    std::vector<std::string> urls;
    const std::string server = service::endpoints().statsServer;
    for (int round = 0; round < g_rounds; ++round) {
        bench.sim().clearRequestLog();
        client.push_back(
            bench::secondsOf([&] { service::readPoolStatisticsOnce(bench.session()); }));
        urls.clear();
        for (const auto& request : bench.sim().requestLog()) {
            urls.push_back("http://" + server + request.path);
        }
        bare.push_back(bench::secondsOf([&] {
            for (const auto& url : urls) {
                bench.bare().request(url, nullptr);
            }
        }));
        engine.push_back(bench::secondsOf([&] {
            for (const auto& url : urls) {
                service::getText(url, service::ReplySize::StatsRecord);
            }
        }));
#ifdef _WIN32
        bareAsync.push_back(bench::secondsOf([&] {
            for (const auto& url : urls) {
                bench.bareAsync().request(url, nullptr);
            }
        }));
#endif
    }
    const double clientSeconds = bench::median(client);
    const double bareSeconds = bench::median(bare);
    std::printf("statistics pass over %d pools through the %s\n", g_pools, bench.windowName());
    std::printf("  requests per pass %zu, median of %d rounds\n", urls.size(), g_rounds);
    std::printf("  client pass: %.1f ms\n", clientSeconds * 1000);
    std::printf("  %s, same GETs: %.1f ms\n", bench::kFloorName, bareSeconds * 1000);
    std::printf("  request engine alone, same GETs: %.1f ms\n", bench::median(engine) * 1000);
    std::printf("  ratio client / bare: %.2f (target <= 1.3)\n", clientSeconds / bareSeconds);
#ifdef _WIN32
    const double asyncSeconds = bench::median(bareAsync);
    std::printf("  %s, same GETs: %.1f ms; ratio client / this floor: %.2f\n",
                bench::kAsyncFloorName, asyncSeconds * 1000, clientSeconds / asyncSeconds);
#endif

    // The same pass handing its records to the history writer, alternating with passes without.
    {
        const auto file = std::filesystem::temp_directory_path() / "pooldesk-bench-watch.sqlite";
        for (const char* suffix : {"", "-wal", "-shm"}) {
            std::filesystem::remove(file.string() + suffix);
        }
        const auto writer = std::make_shared<history::HistoryWriter>(
            history::HistoryWriter::Options{.store = {.path = file.string()}, .keepDays = 30});
        std::vector<double> off;
        std::vector<double> on;
        const auto pass = [&](bool store) {
            bench.session().setStatisticsSink(store ? writer : nullptr);
            (store ? on : off).push_back(bench::secondsOf([&] {
                service::readPoolStatisticsOnce(bench.session());
            }));
        };
        // Which goes first alternates, so neither gains from the order.
        for (int round = 0; round < g_rounds; ++round) {
            pass(round % 2 == 0);
            pass(round % 2 != 0);
        }
        writer->waitIdle();
        bench.session().setStatisticsSink(nullptr);
        std::printf("statistics pass with the history store on and off, median of %d rounds\n",
                    g_rounds);
        std::printf("  off: %.1f ms, on: %.1f ms, ratio %.3f (target <= 1.05)\n",
                    bench::median(off) * 1000, bench::median(on) * 1000,
                    bench::median(on) / bench::median(off));
    }

#ifdef _WIN32
    std::printf("watch between passes: its CPU time is measured on Linux\n");
#else
    // The watch itself: one pass, then its wait; a last pool "xxx" ends it after that wait.
    window.appendRow(controls::kPoolSummaryList, "xxx");
    bench.sim().clearRequestLog();
    std::thread watch([&bench] { service::watchPoolStatistics(bench.session()); });
    while (statsRequests(bench) < static_cast<std::size_t>(g_pools + 1)) {
        bench.processEvents();
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(200)); // the last reply is written
    const double threadBefore = threadCpuSeconds(watch);
    const double processBefore = processCpuSeconds();
    const auto wallBefore = bench::Clock::now();
    const auto until = wallBefore + kIdleSample;
    while (bench::Clock::now() < until) {
        bench.processEvents();
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    const double wall = std::chrono::duration<double>(bench::Clock::now() - wallBefore).count();
    const double threadCpu = threadCpuSeconds(watch) - threadBefore;
    const double processCpu = processCpuSeconds() - processBefore;
    watch.join();
    std::printf("watch between passes, sampled over %.1f s of its 10 s wait\n", wall);
    std::printf("  watch thread CPU: %.3f ms = %.4f%% of one core (target < 1%%)\n",
                threadCpu * 1000, threadCpu / wall * 100);
    std::printf("  whole process (window, simulator idle) CPU: %.1f ms = %.3f%% of one core\n",
                processCpu * 1000, processCpu / wall * 100);
#endif
    return 0;
}
