#include "service/operations.h"
#include "service/session.h"
#include "service/stats_watch.h"

#include <gmock/gmock.h>

#include "test_support/service_sim_fixture.h"
#include "test_support/wine.h"

#include <atomic>
#include <memory>
#include <thread>

namespace servicetest {
namespace {

using testing::AllOf;
using testing::Each;
using testing::ElementsAre;
using testing::EndsWith;
using testing::IsEmpty;
using testing::SizeIs;
using testing::StartsWith;

// The part of every file name that depends on the fixed key text alone.
constexpr std::string_view kKeyDigestPart = "40043BD40";

// Keeps what the watch hands over, pass by pass.
struct RecordingSink final : service::StatisticsSink {
    void passRead(std::vector<service::PoolStatistics> records) override {
        passes.push_back(std::move(records));
    }
    std::vector<std::vector<service::PoolStatistics>> passes;
};

class StatsWatchTest : public ServiceSimTest {
protected:
    int addPoolRow(std::string_view pool, std::optional<Text> record) {
        if (record) {
            m_sim->addPool(Text(kKey), Text(pool));
            m_sim->setStatsRecord(Text(kKey), Text(pool), record);
        }
        const int row = m_window.appendRow(controls::kPoolSummaryList, pool);
        for (int column = 1; column <= 11; ++column) {
            m_window.setCellText(controls::kPoolSummaryList, row, column, "old");
        }
        return row;
    }

    std::vector<Text> cells(int row) {
        std::vector<Text> texts;
        for (int column = 1; column <= 11; ++column) {
            texts.push_back(m_window.cellText(controls::kPoolSummaryList, row, column));
        }
        return texts;
    }
};

TEST_F(StatsWatchTest, OnePassFillsValidRecordsThenEndsAfterItsWaitOnXxx) {
    const Text percent = "\xA3\xA5";
    const int filled = addPoolRow("A1", "100-0-5-80-15-60-3-8-40-20-10-5");
    const int elevenFields = addPoolRow("B2", "1-2-3-4-5-6-7-8-9-10-11");
    const int thirteenFields = addPoolRow("C3", "1-2-3-4-5-6-7-8-9-10-11-12-13");
    const int unknown = addPoolRow("Z9", std::nullopt);
    const int chinese = addPoolRow(gbk("卡池"), "1-2-3-4-5-6-7-8-9-10-11-12");
    addPoolRow("xxx", std::nullopt);
    const auto sink = std::make_shared<RecordingSink>();
    m_session->setStatisticsSink(sink);

    const auto start = std::chrono::steady_clock::now();
    std::thread watch([this] { service::watchPoolStatistics(*m_session); });
    watch.join();
    const auto elapsed = std::chrono::steady_clock::now() - start;

    EXPECT_GE(elapsed, std::chrono::milliseconds(9900)) << "the pass is followed by its wait";
    EXPECT_THAT(cells(filled),
                ElementsAre("100", "80", "15", "5", "40  50" + percent, "10  12" + percent,
                            "20  25" + percent, "5  6" + percent, "3", "60", "8  10" + percent));
    for (const int row : {elevenFields, thirteenFields, unknown}) {
        EXPECT_THAT(cells(row), Each("old")) << "row " << row;
    }
    EXPECT_THAT(cells(chinese), ElementsAre("1", "4", "5", "3", "9  225" + percent,
                                            "11  275" + percent, "10  250" + percent,
                                            "12  300" + percent, "7", "6", "8  200" + percent));

    const auto sent = requests(sim::Endpoint::StatsFile);
    ASSERT_THAT(sent, SizeIs(6)) << "one pass, then the watch ends";
    EXPECT_EQ(sent[0].method, "GET");
    EXPECT_EQ(sent[0].path, runtime::concat({"/file/7B75693D273D5121", kKeyDigestPart, ".txt"}));
    // key-7-卡池: every GBK byte XOR 0x10 as two hex digits.
    EXPECT_EQ(sent[4].path,
              runtime::concat({"/file/7B75693D273DAFB8A3C8", kKeyDigestPart, ".txt"}));

    // The pass's good records, handed over once at its end as their rows show them.
    ASSERT_THAT(sink->passes, SizeIs(1));
    ASSERT_THAT(sink->passes[0], SizeIs(2));
    EXPECT_EQ(sink->passes[0][0].pool, "A1");
    EXPECT_EQ(std::vector<Text>(sink->passes[0][0].cells.begin(), sink->passes[0][0].cells.end()),
              cells(filled));
    EXPECT_EQ(sink->passes[0][1].pool, gbk("卡池"));
}

TEST_F(StatsWatchTest, APoolUnreadableTwoPassesRunningIsGreyedAndReportedOncePerOutage) {
    constexpr std::string_view list = controls::kPoolSummaryList;
    int stamps = 0;
    service::StatsFreshness freshness([&stamps] { return "12:00:0" + std::to_string(++stamps); });
    const int a1 = addPoolRow("A1", "100-0-5-80-15-60-3-8-40-20-10-5");
    const int c3 = addPoolRow("C3", std::nullopt); // the server never has its file
    const auto pass = [&] {
        const std::size_t before = m_window.lines(controls::kLogPanel).size();
        service::readPoolStatisticsOnce(*m_session, freshness);
        auto lines = m_window.lines(controls::kLogPanel);
        lines.erase(lines.begin(), lines.begin() + static_cast<std::ptrdiff_t>(before));
        return lines;
    };
    const auto time = [&](int row) {
        return m_window.cellText(list, row, service::kStatsTimeColumn);
    };
    const auto greyed = [&](int row) { return m_window.isRowGreyed(list, row); };

    EXPECT_THAT(pass(), IsEmpty());
    EXPECT_EQ(cells(a1)[0], "100");
    EXPECT_EQ(time(a1), "12:00:01");
    EXPECT_EQ(time(c3), "");
    EXPECT_FALSE(greyed(a1));
    EXPECT_FALSE(greyed(c3));

    // One failed pass is not an outage yet (A1); a second one in a row is (C3).
    refuse(sim::Endpoint::StatsFile);
    EXPECT_THAT(pass(), ElementsAre(AllOf(StartsWith(gbk("卡池 C3 的统计已连续 2 次读取失败（")),
                                          EndsWith(gbk("），还从未读到过数据")))));
    EXPECT_FALSE(greyed(a1));
    EXPECT_TRUE(greyed(c3));
    EXPECT_EQ(time(c3), gbk("从未读到"));

    m_sim->clearFaults();
    m_sim->setStatsRecord(Text(kKey), "A1", "1-2-3");
    EXPECT_THAT(pass(), ElementsAre(gbk("卡池 A1 的统计已连续 2 次读取失败（记录不是 12 个字段），"
                                        "显示的仍是 12:00:01 的数据")));
    EXPECT_TRUE(greyed(a1));
    EXPECT_EQ(cells(a1)[0], "100");
    EXPECT_EQ(time(a1), "12:00:01");

    EXPECT_THAT(pass(), IsEmpty()) << "one line per outage, not per pass";
    EXPECT_TRUE(greyed(a1));

    m_sim->setStatsRecord(Text(kKey), "A1", "200-0-5-80-15-60-3-8-40-20-10-5");
    EXPECT_THAT(pass(), ElementsAre(gbk("卡池 A1 的统计已恢复，显示的是 12:00:02 的数据")));
    EXPECT_FALSE(greyed(a1));
    EXPECT_EQ(cells(a1)[0], "200");
    EXPECT_EQ(time(a1), "12:00:02");
    EXPECT_TRUE(greyed(c3));

    // The list built anew in another order: what the watch knows follows the pool, not the row.
    m_window.deleteAllRows(list);
    const int c3Again = m_window.appendRow(list, "C3");
    const int a1Again = m_window.appendRow(list, "A1");
    EXPECT_THAT(pass(), IsEmpty());
    EXPECT_TRUE(greyed(c3Again));
    EXPECT_EQ(time(c3Again), gbk("从未读到"));
    EXPECT_FALSE(greyed(a1Again));
}

// A record read while the list was built anew goes to its pool's row, not to the row it was
// read from; ending the session (重新登录) ends the watch during its wait, and it writes nothing
// more.
TEST_F(StatsWatchTest, RecordsFollowTheirPoolAndAnEndedSessionEndsTheWatch) {
    constexpr std::string_view list = controls::kPoolSummaryList;
    addPoolRow("A1", "100-0-5-80-15-60-3-8-40-20-10-5");
    addPoolRow("B2", "200-0-5-80-15-60-3-8-40-20-10-5");
    m_sim->setFault(sim::Endpoint::StatsFile, sim::Fault{.latencyMs = 400});
    const auto session = sessionOn(m_window);
    std::atomic<bool> watchEnded{false};
    ASSERT_TRUE(session->startWorker([&watchEnded](service::Session& s) {
        service::watchPoolStatistics(s);
        watchEnded = true;
    }));
    // While A1's record is on its way, the list is built anew with B2 above it.
    std::this_thread::sleep_for(std::chrono::milliseconds(150));
    m_window.deleteAllRows(list);
    m_window.appendRow(list, "B2");
    m_window.appendRow(list, "A1");
    ASSERT_TRUE(eventually([&] { return m_window.cellText(list, 1, 1) == "100"; }));
    EXPECT_EQ(m_window.cellText(list, 0, 1), "");

    const auto start = std::chrono::steady_clock::now();
    session->end();
    m_window.deleteAllRows(list);
    m_window.appendRow(list, "A1");
    ASSERT_TRUE(eventually([&] { return watchEnded.load(); }));
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(2));
    std::this_thread::sleep_for(std::chrono::milliseconds(500)); // A1's answer would be in
    EXPECT_EQ(m_window.cellText(list, 0, 1), "");
}

// The window owns its watch: when it goes, the watch stops at once, even in the middle of a
// request the statistics server holds for a minute.
TEST_F(StatsWatchTest, AWindowThatGoesStopsItsWatchMidRequest) {
    if (pooldesk::testing::underWine()) {
        GTEST_SKIP()
            << "the Windows suite shares one simulator: the reply it holds back for 60 s "
               "would tie up its thread and reach a later test's request log; a stopped "
               "WinHTTP request is shown under Wine by RequestStopTest (this one, run alone, ended "
               "in 343 ms)";
    }
    m_sim->setFault(sim::Endpoint::StatsFile, sim::Fault{.latencyMs = 60'000});
    auto window = std::make_unique<runtime::MemoryWindow>();
    runtime::MemoryWindow& watched = *window;
    watched.appendRow(controls::kPoolSummaryList, "A1");
    std::atomic<bool> watchEnded{false};
    const auto session = sessionOn(watched);
    ASSERT_TRUE(session->startWorker([&watchEnded](service::Session& watching) {
        service::watchPoolStatistics(watching);
        watchEnded = true;
    }));
    std::this_thread::sleep_for(std::chrono::milliseconds(300)); // the request is under way

    const auto start = std::chrono::steady_clock::now();
    window.reset();
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5))
        << "not the request's 30 s time-out";
    EXPECT_TRUE(watchEnded);
}

} // namespace
} // namespace servicetest
