#include "history/history_reader.h"
#include "history/history_store.h"
#include "history/history_writer.h"
#include "runtime/codepage.h"

#include <gmock/gmock.h>

#ifndef _WIN32
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

#include <filesystem>
#include <fstream>
#include <mutex>
#include <regex>
#include <thread>

namespace {

using history::Clock;
using history::HistoryStore;
using history::HistoryWriter;
using history::StoredPoint;
using testing::ElementsAre;
using testing::HasSubstr;
using testing::SizeIs;
using namespace std::chrono_literals;

const Clock::time_point kStart = Clock::time_point(std::chrono::seconds(1'800'000'000));

// A record whose counters are all `value`, read at kStart + after.
service::PoolStatistics record(std::string_view pool, int value, Clock::duration after) {
    service::PoolStatistics statistics{.pool = std::string(pool), .cells = {}, .readAt = {}};
    statistics.cells.fill(std::to_string(value) + "  50\xA3\xA5");
    statistics.readAt = kStart + after;
    return statistics;
}

StoredPoint point(int value, Clock::duration readAt, Clock::duration seenUntil) {
    StoredPoint stored{.readAt = kStart + readAt, .seenUntil = kStart + seenUntil, .counters = {}};
    stored.counters.fill(value);
    return stored;
}

class HistoryStoreTest : public testing::Test {
protected:
    void SetUp() override {
        const auto* test = testing::UnitTest::GetInstance()->current_test_info();
        m_folder = std::filesystem::temp_directory_path() /
                   (std::string("pooldesk-history-") + test->name());
        std::filesystem::remove_all(m_folder);
        std::filesystem::create_directories(m_folder);
        m_path = (m_folder / "pooldesk-history.sqlite").string();
    }
    void TearDown() override { std::filesystem::remove_all(m_folder); }

    HistoryStore::Options options() {
        return {.path = m_path, .log = [this](const std::string& line) {
                    const std::lock_guard lock(m_logMutex);
                    m_log.push_back(line);
                }};
    }
    std::unique_ptr<HistoryStore> open() {
        auto store = HistoryStore::open(options());
        EXPECT_TRUE(store.has_value()) << (store ? "" : store.error());
        return store ? std::move(*store) : nullptr;
    }
    std::vector<StoredPoint> all(HistoryStore& store, std::string_view pool) {
        return store.points(pool, Clock::time_point{}, kStart + 1000h);
    }
    std::vector<std::string> log() {
        const std::lock_guard lock(m_logMutex);
        return m_log;
    }

    std::filesystem::path m_folder;
    std::string m_path;
    std::mutex m_logMutex;
    std::vector<std::string> m_log;
};

TEST_F(HistoryStoreTest, OneRowPerChangeSeenUntilForQuietPassesAGapAfterAnOutageAndUtf8Names) {
    const std::string chinese = runtime::gbk("卡池一");
    {
        auto store = open();
        ASSERT_TRUE(store);
        const std::vector<std::vector<service::PoolStatistics>> passes = {
            {record("A", 1, 0s), record(chinese, 5, 0s)},
            {record("A", 1, 10s), record(chinese, 6, 10s)},
            {record("A", 1, 20s), record(chinese, 6, 20s)},
            // A not read for longer than a gap: unchanged, yet a row of its own.
            {record("A", 1, 20s + history::kGapAfter + 1s)},
        };
        for (const auto& pass : passes) {
            ASSERT_TRUE(store->storePass(pass).has_value());
        }
        EXPECT_THAT(all(*store, "A"), ElementsAre(point(1, 0s, 20s), point(1, 81s, 81s)));
        EXPECT_THAT(all(*store, chinese), ElementsAre(point(5, 0s, 0s), point(6, 10s, 20s)));
        // Only rows overlapping the span asked for.
        EXPECT_THAT(store->points("A", kStart + 30s, kStart + 90s), SizeIs(1));
    }
    // Reopened: WAL mode, the name as UTF-8 text, and the quiet pool's row goes on.
    history::Database raw(m_path);
    history::Statement mode(raw, "PRAGMA journal_mode");
    ASSERT_TRUE(mode.step());
    EXPECT_EQ(mode.text(0), "wal");
    history::Statement names(raw, "SELECT name FROM pools ORDER BY id");
    ASSERT_TRUE(names.step() && names.step());
    EXPECT_EQ(names.text(0), "卡池一");
    auto store = open();
    ASSERT_TRUE(store->storePass(std::vector{record(chinese, 6, 30s)}).has_value());
    EXPECT_THAT(all(*store, chinese), ElementsAre(point(5, 0s, 0s), point(6, 10s, 30s)));
}

TEST_F(HistoryStoreTest, AReaderBesideTheWriterSeesEachCommittedPassAndNothingBeforeTheFile) {
    history::HistoryReader reader(m_path);
    const auto everything = [&] { return reader.points("A", Clock::time_point{}, kStart + 1h); };
    EXPECT_FALSE(reader.changed());
    ASSERT_TRUE(everything().has_value());
    EXPECT_THAT(*everything(), SizeIs(0));
    EXPECT_FALSE(std::filesystem::exists(m_path)) << "a reader creates no file";

    auto store = open();
    ASSERT_TRUE(store->storePass(std::vector{record("A", 1, 0s)}).has_value());
    EXPECT_TRUE(reader.changed());
    EXPECT_FALSE(reader.changed());
    ASSERT_TRUE(store->storePass(std::vector{record("A", 2, 10s)}).has_value());
    EXPECT_TRUE(reader.changed());
    EXPECT_THAT(*everything(), ElementsAre(point(1, 0s, 0s), point(2, 10s, 10s)));
    // A quiet pass only moves "seen until": still a change to show.
    ASSERT_TRUE(store->storePass(std::vector{record("A", 2, 20s)}).has_value());
    EXPECT_TRUE(reader.changed());
    EXPECT_THAT(*everything(), ElementsAre(point(1, 0s, 0s), point(2, 10s, 20s)));
}

TEST_F(HistoryStoreTest, PruningDropsRowsLastSeenBeforeTheCutoffOnly) {
    auto store = open();
    ASSERT_TRUE(store->storePass(std::vector{record("old", 1, 0s), record("quiet", 1, 0s)}));
    ASSERT_TRUE(store->storePass(std::vector{record("quiet", 1, 50s)}));
    ASSERT_TRUE(store->storePass(std::vector{record("quiet", 1, 100s), record("new", 2, 100s)}));
    ASSERT_TRUE(store->prune(kStart + 90s).has_value());
    EXPECT_THAT(all(*store, "old"), SizeIs(0));
    EXPECT_THAT(all(*store, "quiet"), ElementsAre(point(1, 0s, 100s)));
    EXPECT_THAT(all(*store, "new"), ElementsAre(point(2, 100s, 100s)));
    // The quiet pool's last row, pruned or not, goes on being found.
    ASSERT_TRUE(store->storePass(std::vector{record("quiet", 1, 110s)}));
    EXPECT_THAT(all(*store, "quiet"), ElementsAre(point(1, 0s, 110s)));
}

TEST_F(HistoryStoreTest, AFileThatIsNotADatabaseIsMovedAsideWithOneLogLine) {
    std::ofstream(m_path, std::ios::binary) << "not a database, just text written there";
    auto store = open();
    ASSERT_TRUE(store);
    ASSERT_TRUE(store->storePass(std::vector{record("A", 1, 0s)}).has_value());
    EXPECT_THAT(all(*store, "A"), SizeIs(1));
    ASSERT_THAT(log(), SizeIs(1));
    EXPECT_THAT(log()[0], HasSubstr("moved aside as " + m_path + ".bad-"));
    std::vector<std::string> aside;
    for (const auto& entry : std::filesystem::directory_iterator(m_folder)) {
        if (entry.path().filename().string().find(".bad-") != std::string::npos) {
            aside.push_back(entry.path().filename().string());
        }
    }
    ASSERT_THAT(aside, SizeIs(1));
    // std::regex: GoogleTest's own on Windows knows no repetition counts.
    EXPECT_TRUE(std::regex_match(aside[0],
                                 std::regex(R"(pooldesk-history\.sqlite\.bad-[0-9]{8}-[0-9]{6})")))
        << aside[0];
    EXPECT_EQ(std::filesystem::file_size(m_folder / aside[0]), 39u) << "kept as it was";
}

// A failing store (a full disk; a folder that is not there) costs one log line per outage,
// keeps what was committed before it, and the one handing passes over never waits.
TEST_F(HistoryStoreTest, AFailingWriteIsLoggedOncePerOutageAndKeepsEveryCommittedPass) {
    struct Case {
        const char* what;
        std::string path;
        std::int64_t maxPages;
    };
    for (const Case& fault : {Case{"full disk", m_path, 6},
                              Case{"no folder", (m_folder / "gone" / "h.sqlite").string(), 0}}) {
        SCOPED_TRACE(fault.what);
        m_log.clear();
        {
            HistoryStore::Options storeOptions = options();
            storeOptions.path = fault.path;
            storeOptions.maxPages = fault.maxPages;
            HistoryWriter writer({.store = storeOptions, .keepDays = 30});
            writer.passRead({record("A", 1, 0s)});
            std::vector<service::PoolStatistics> big;
            for (int i = 0; i < 300; ++i) {
                big.push_back(record("pool-" + std::to_string(i), i, 10s));
            }
            for (int pass = 0; pass < 3; ++pass) {
                writer.passRead(big);
            }
            writer.waitIdle();
        }
        ASSERT_THAT(log(), SizeIs(1));
        EXPECT_THAT(log()[0], HasSubstr("passes are not kept until it works again"));
    }
    // The full disk kept the pass before it.
    auto store = open();
    EXPECT_THAT(all(*store, "A"), ElementsAre(point(1, 0s, 0s)));
    EXPECT_THAT(all(*store, "pool-1"), SizeIs(0));
}

TEST_F(HistoryStoreTest, AProcessKilledMidPassLosesAtMostThatPass) {
#ifdef _WIN32
    GTEST_SKIP() << "the writing child is made with fork(), POSIX only";
#else
    constexpr int kPools = 400;
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        auto store = HistoryStore::open({.path = m_path});
        for (int pass = 0; store; ++pass) {
            std::vector<service::PoolStatistics> records;
            for (int i = 0; i < kPools; ++i) {
                records.push_back(record("pool-" + std::to_string(i), pass, pass * 10s));
            }
            (void)(*store)->storePass(records);
        }
        _exit(1);
    }
    // Killed after at least a few passes went in, most likely in the middle of one.
    const auto passesStored = [this] {
        try {
            history::Database db(m_path);
            history::Statement count(db, "SELECT count(DISTINCT read_at) FROM records");
            return count.step() ? count.integer(0) : 0;
        } catch (const history::SqliteError&) {
            return std::int64_t{0}; // not made yet, or busy
        }
    };
    const auto deadline = std::chrono::steady_clock::now() + 30s;
    while (passesStored() < 5 && std::chrono::steady_clock::now() < deadline) {
        std::this_thread::sleep_for(5ms);
    }
    kill(child, SIGKILL);
    int status = 0;
    waitpid(child, &status, 0);
    ASSERT_TRUE(WIFSIGNALED(status));

    auto store = open();
    ASSERT_TRUE(store);
    history::Database db(m_path);
    history::Statement perPass(db, "SELECT read_at, count(*) FROM records GROUP BY read_at");
    int passes = 0;
    while (perPass.step()) {
        EXPECT_EQ(perPass.integer(1), kPools) << "pass at " << perPass.integer(0);
        ++passes;
    }
    EXPECT_GE(passes, 5);
    EXPECT_THAT(log(), SizeIs(0)) << "the file is whole, nothing moved aside";
#endif
}

} // namespace
