#include "history/history_writer.h"

namespace history {

HistoryWriter::HistoryWriter(Options options)
    : m_options(std::move(options)), m_thread([this](std::stop_token stop) { run(stop); }) {}

HistoryWriter::~HistoryWriter() {
    m_thread.request_stop();
    m_thread.join();
}

void HistoryWriter::passRead(std::vector<service::PoolStatistics> records) {
    {
        const std::lock_guard lock(m_mutex);
        m_queue.push_back(std::move(records));
    }
    m_changed.notify_all();
}

void HistoryWriter::waitIdle() {
    std::unique_lock lock(m_mutex);
    m_changed.wait(lock, [this] { return m_queue.empty() && !m_busy; });
}

void HistoryWriter::run(std::stop_token stop) {
    std::unique_lock lock(m_mutex);
    for (;;) {
        // Woken by a pass, by the end, or by the hour to prune.
        m_changed.wait_for(lock, stop, kPruneEvery, [this] { return !m_queue.empty(); });
        if (m_queue.empty() && stop.stop_requested()) {
            return;
        }
        std::vector<service::PoolStatistics> pass;
        if (!m_queue.empty()) {
            pass = std::move(m_queue.front());
            m_queue.pop_front();
        }
        m_busy = true;
        lock.unlock();
        if (!pass.empty()) {
            write(pass);
        }
        pruneIfDue();
        lock.lock();
        m_busy = false;
        m_changed.notify_all();
    }
}

void HistoryWriter::write(std::vector<service::PoolStatistics>& pass) {
    if (!m_store) {
        auto opened = HistoryStore::open(m_options.store);
        if (!opened) {
            fault("cannot open " + m_options.store.path + ": " + opened.error());
            return;
        }
        m_store = std::move(*opened);
        m_lastPrune = {};
    }
    if (const auto stored = m_store->storePass(pass); !stored) {
        fault("cannot write to " + m_options.store.path + ": " + stored.error());
        return;
    }
    if (m_inOutage) {
        m_inOutage = false;
        if (m_options.store.log) {
            m_options.store.log("history: writing again to " + m_options.store.path);
        }
    }
}

void HistoryWriter::pruneIfDue() {
    const auto now = std::chrono::steady_clock::now();
    if (!m_store || (m_lastPrune != decltype(m_lastPrune){} && now - m_lastPrune < kPruneEvery)) {
        return;
    }
    m_lastPrune = now;
    const auto cutoff = Clock::now() - std::chrono::days(m_options.keepDays);
    if (const auto pruned = m_store->prune(cutoff); !pruned) {
        fault("cannot prune " + m_options.store.path + ": " + pruned.error());
    }
}

void HistoryWriter::fault(const std::string& what) {
    // One line per outage: the watch goes on, and every pass until the store works again is lost.
    if (!m_inOutage && m_options.store.log) {
        m_options.store.log("history: " + what + "; passes are not kept until it works again");
    }
    m_inOutage = true;
}

} // namespace history
