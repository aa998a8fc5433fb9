#include "service/operations.h"
#include "test_support/service_sim_fixture.h"

namespace servicetest {
namespace {

using testing::ElementsAre;

class PoolRefreshTest : public ServiceSimTest {
protected:
    void SetUp() override {
        ServiceSimTest::SetUp();
        m_window.setText(controls::kKeyBox, kKey);
        m_window.setVisible(controls::kBusyPicture, false);
    }
};

TEST_F(PoolRefreshTest, AddsTheServicePoolsToBothLists) {
    m_sim->addPool(Text(kKey), "A1");
    m_sim->addPool(Text(kKey), gbk("卡池乚二")); // "乚" ends in the byte "]"

    service::refreshPools(*m_session);

    EXPECT_THAT(column(controls::kDeviceList, 0), ElementsAre("A1", gbk("卡池乚二")));
    EXPECT_THAT(column(controls::kPoolSummaryList, 0), ElementsAre("A1", gbk("卡池乚二")));
    EXPECT_THAT(m_session->snapshot().pools(), ElementsAre("A1", gbk("卡池乚二")));
    EXPECT_THAT(m_window.lines(controls::kLogPanel),
                ElementsAre(gbk("刷新中....."), gbk("刷新完成")));
    EXPECT_EQ(requests(sim::Endpoint::PoolList).at(0).query, "uKey=key-7");
}

struct ReplyCase {
    const char* name;
    const char* reply;
    const char* filter;
    std::vector<std::string> existing; // rows already in both lists
    std::vector<std::string> expected;
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

    service::refreshPools(*m_session);

    EXPECT_EQ(column(controls::kDeviceList, 0), param.expected);
    EXPECT_EQ(column(controls::kPoolSummaryList, 0), param.expected);
    EXPECT_EQ(m_window.lines(controls::kLogPanel).back(), gbk("刷新完成"));
}

INSTANTIATE_TEST_SUITE_P(
    Replies, PoolReplyTest,
    testing::Values(
        ReplyCase{"ArrayNameNotRead", R"({"list":["A","B"],"ret":0})", "", {}, {"A", "B"}},
        ReplyCase{"Filter", R"({"ret":0,"data":["A","B","xBx"]})", "B", {}, {"B", "xBx"}},
        ReplyCase{"FilterIsCaseSensitive", R"({"ret":0,"data":["A","B"]})", "b", {}, {}},
        ReplyCase{"ExistingRowAnyCase", R"({"ret":0,"data":["A","B","B"]})", "", {"a"}, {"a", "B"}},
        ReplyCase{"RetAsString", R"({"ret":"0","data":["A"]})", "", {}, {}},
        ReplyCase{"NotJson", R"(ret:0 ["A"])", "", {}, {}},
        ReplyCase{"NoBrackets", R"({"ret":0})", "", {}, {}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(PoolRefreshTest, EmptyArrayStillStartsTheStatisticsWatch) {
    answerRaw(sim::Endpoint::PoolList, R"({"ret":0,"data":[]})");
    m_window.appendRow(controls::kPoolSummaryList, "P");

    service::refreshPools(*m_session);

    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (requests(sim::Endpoint::StatsFile).empty() &&
           std::chrono::steady_clock::now() < deadline) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    EXPECT_FALSE(requests(sim::Endpoint::StatsFile).empty());
    EXPECT_EQ(m_window.rowCount(controls::kDeviceList), 0);
}

TEST_F(PoolRefreshTest, FailedRequestIsLoggedAndTheRefreshStillFinishes) {
    refuse(sim::Endpoint::PoolList);

    service::refreshPools(*m_session);

    EXPECT_EQ(m_window.rowCount(controls::kDeviceList), 0);
    EXPECT_THAT(m_window.lines(controls::kLogPanel),
                ElementsAre(gbk("刷新中....."), FailureLineFor("刷新卡池列表"), gbk("刷新完成")));
    EXPECT_FALSE(m_window.isVisible(controls::kBusyPicture));
}

} // namespace
} // namespace servicetest
