#include "service/operations.h"
#include "service_sim_fixture.h"

#include <gmock/gmock.h>

namespace servicetest {
namespace {

using testing::ElementsAre;
using testing::IsEmpty;

class PoolRefreshTest : public ServiceSimTest {
protected:
    void SetUp() override {
        ServiceSimTest::SetUp();
        m_window.setText(controls::kKeyBox, kKey);
        m_window.setVisible(controls::kBusyPicture, false);
    }
};

TEST_F(PoolRefreshTest, AddsTheServicePoolsToBothListsAndLogsProgress) {
    m_sim->addPool(Text(kKey), "A1");
    m_sim->addPool(Text(kKey), gbk("卡池乚二")); // a GBK character whose second byte is "]"

    service::refreshPools(m_window);

    EXPECT_THAT(column(controls::kDeviceList, 0), ElementsAre("A1", gbk("卡池乚二")));
    EXPECT_THAT(column(controls::kPoolSummaryList, 0), ElementsAre("A1", gbk("卡池乚二")));
    EXPECT_THAT(m_window.lines(controls::kLogPanel),
                ElementsAre(gbk("刷新中....."), gbk("刷新完成")));
    EXPECT_FALSE(m_window.isVisible(controls::kBusyPicture));
    const auto poolLists = requests(sim::Endpoint::PoolList);
    ASSERT_EQ(poolLists.size(), 1u);
    EXPECT_EQ(poolLists[0].query, "uKey=key-7");
}

struct ReplyCase {
    const char* name;
    const char* reply;
    const char* filter;
    std::vector<std::string> existing; // rows already in 超级列表框1 and 超级列表框5
    std::vector<std::string> expected; // rows afterwards
};

class PoolReplyTest : public PoolRefreshTest, public testing::WithParamInterface<ReplyCase> {};

TEST_P(PoolReplyTest, AddsOnlyNewAcceptedPools) {
    const auto& param = GetParam();
    answerRaw(sim::Endpoint::PoolList, param.reply);
    m_window.setText(controls::kFilterBox, param.filter);
    for (const auto& row : param.existing) {
        m_window.appendRow(controls::kDeviceList, row);
        m_window.appendRow(controls::kPoolSummaryList, row);
    }

    service::refreshPools(m_window);

    EXPECT_EQ(column(controls::kDeviceList, 0), param.expected);
    EXPECT_EQ(column(controls::kPoolSummaryList, 0), param.expected);
    EXPECT_EQ(m_window.lines(controls::kLogPanel).back(), gbk("刷新完成"));
}

INSTANTIATE_TEST_SUITE_P(
    Replies, PoolReplyTest,
    testing::Values(
        ReplyCase{"TwoPools", R"({"ret":0,"data":["A","B"]})", "", {}, {"A", "B"}},
        ReplyCase{"ArrayNameNotRead", R"({"list":["A"],"ret":0})", "", {}, {"A"}},
        ReplyCase{
            "FilterKeepsMatches", R"({"ret":0,"data":["A","B","xBx"]})", "B", {}, {"B", "xBx"}},
        ReplyCase{"FilterIsCaseSensitive", R"({"ret":0,"data":["A","B"]})", "b", {}, {}},
        ReplyCase{"ExistingRowAnyCase", R"({"ret":0,"data":["A","B"]})", "", {"a"}, {"a", "B"}},
        ReplyCase{"DuplicateInReply", R"({"ret":0,"data":["A","A"]})", "", {}, {"A"}},
        ReplyCase{"RetAsString", R"({"ret":"0","data":["A"]})", "", {}, {}},
        ReplyCase{"RetOne", R"({"ret":1,"data":["A"]})", "", {}, {}},
        ReplyCase{"RetMissing", R"({"data":["A"]})", "", {}, {}},
        ReplyCase{"NotJson", R"(ret:0 ["A"])", "", {}, {}},
        ReplyCase{"EmptyArray", R"({"ret":0,"data":[]})", "", {}, {}},
        ReplyCase{"NoBrackets", R"({"ret":0})", "", {}, {}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(PoolRefreshTest, StartsTheStatisticsWatchEvenWithoutNewPools) {
    answerRaw(sim::Endpoint::PoolList, R"({"ret":0,"data":[]})");
    m_window.appendRow(controls::kPoolSummaryList, "P");

    service::refreshPools(m_window);

    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (requests(sim::Endpoint::StatsFile).empty() &&
           std::chrono::steady_clock::now() < deadline) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    EXPECT_THAT(requests(sim::Endpoint::StatsFile), testing::Not(IsEmpty()));
}

TEST_F(PoolRefreshTest, FilterChangedAfterTheRefreshLeavesTheLists) {
    answerRaw(sim::Endpoint::PoolList, R"({"ret":0,"data":["A","B"]})");
    service::refreshPools(m_window);
    m_window.setText(controls::kFilterBox, "B");
    EXPECT_THAT(column(controls::kDeviceList, 0), ElementsAre("A", "B"));
}

TEST_F(PoolRefreshTest, FailedRequestIsLoggedAndTheRefreshStillFinishes) {
    refuse(sim::Endpoint::PoolList);

    service::refreshPools(m_window);

    EXPECT_THAT(column(controls::kDeviceList, 0), IsEmpty());
    const auto lines = m_window.lines(controls::kLogPanel);
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[0], gbk("刷新中....."));
    EXPECT_THAT(lines[1], FailureLineFor("刷新卡池列表"));
    EXPECT_EQ(lines[2], gbk("刷新完成"));
    EXPECT_FALSE(m_window.isVisible(controls::kBusyPicture));
}

} // namespace
} // namespace servicetest
