#pragma once
// The history's one writer: the statistics watch hands it each pass (StatisticsSink) and goes
// on at once; its own thread opens the store on the first pass, writes each pass in one
// transaction and prunes what is older than the days kept, once an hour. A failing write is
// logged once per outage (the pass is lost, the watch goes on); a store that cannot be opened
// is tried again with the next pass.

#include "history/history_store.h"
#include "service/statistics_sink.h"

#include <condition_variable>
#include <deque>
#include <mutex>
#include <thread>

namespace history {

inline constexpr int kDefaultKeepDays = 30;
inline constexpr std::chrono::hours kPruneEvery{1};

class HistoryWriter final : public service::StatisticsSink {
public:
    struct Options {
        HistoryStore::Options store;
        int keepDays = kDefaultKeepDays;
    };
    explicit HistoryWriter(Options options);
    // Writes what was handed over before, then stops its thread.
    ~HistoryWriter() override;
    HistoryWriter(const HistoryWriter&) = delete;
    HistoryWriter& operator=(const HistoryWriter&) = delete;

    void passRead(std::vector<service::PoolStatistics> records) override;
    // Returns once every pass handed over so far has been dealt with (tests, benchmarks).
    void waitIdle();

private:
    void run(std::stop_token stop);
    void write(std::vector<service::PoolStatistics>& pass);
    void pruneIfDue();
    void fault(const std::string& what);

    const Options m_options;
    std::mutex m_mutex;
    std::condition_variable_any m_changed;
    std::deque<std::vector<service::PoolStatistics>> m_queue;
    bool m_busy = false;
    // The writer thread's own.
    std::unique_ptr<HistoryStore> m_store;
    bool m_inOutage = false;
    std::chrono::steady_clock::time_point m_lastPrune{};
    std::jthread m_thread; // last: started once the rest is there
};

} // namespace history
