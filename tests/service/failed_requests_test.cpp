// One rule for every operation: a request succeeded when a complete answer with a 2xx status
// arrived; then its body is read as it is, an empty one included. Otherwise the operation
// changes nothing it would have taken from the reply and says what happened in one line.
#include "http/messages.h"
#include "service/operations.h"

#include <gmock/gmock.h>

#include "test_support/service_sim_fixture.h"

namespace servicetest {
namespace {

using testing::ElementsAre;
using testing::IsEmpty;

struct FaultCase {
    const char* name;
    sim::Fault fault;
    // What the failure line says after "：", or nullopt when the request succeeds.
    std::optional<Text> happened;
};

class FailedRequestTest : public ServiceSimTest, public testing::WithParamInterface<FaultCase> {
protected:
    void SetUp() override {
        ServiceSimTest::SetUp();
        m_sim->addPool(Text(kKey), "A1", 3);
        m_sim->addPendingPort(Text(kKey), "A1.01", gbk("未做TG"), "12:00");
        m_sim->setSlots(Text(kKey), "A1", {{"A1.02", ""}});
    }

    // Runs the operation with the fault on its endpoint and returns the failure lines it wrote.
    template <typename Operation>
    std::vector<Text> failureLinesOf(sim::Endpoint endpoint, Operation operation) {
        const std::size_t before = m_window.lines(controls::kLogPanel).size();
        m_sim->setFault(endpoint, GetParam().fault);
        operation();
        m_sim->clearFaults();
        return logLinesStartingWith({gbk("请求失败")}, before);
    }

    testing::Matcher<std::vector<Text>> saysFailureOf(const char* what) const {
        if (!GetParam().happened) {
            return IsEmpty();
        }
        return ElementsAre(gbk("请求失败（") + gbk(what) + gbk("）：") + *GetParam().happened);
    }

    bool fails() const { return GetParam().happened.has_value(); }
};

TEST_P(FailedRequestTest, EveryOperationFollowsTheRule) {
    // Sign-in: an error page is no verdict on the key.
    m_window.setText(controls::kKeyBox, kKey);
    const auto signInLines =
        failureLinesOf(sim::Endpoint::SignIn, [this] { service::signIn(m_window); });
    EXPECT_EQ(m_window.text(controls::kSignInMessage), gbk("网络有问题，请检查网络环境！"));
    EXPECT_THAT(signInLines,
                ElementsAre(gbk("请求失败（登录验证）：") +
                            GetParam().happened.value_or(gbk("服务器没有返回内容 (HTTP 200 OK)"))));

    // An empty pool list is no pool list.
    const auto poolLines =
        failureLinesOf(sim::Endpoint::PoolList, [this] { service::refreshPools(*m_session); });
    EXPECT_THAT(poolLines,
                ElementsAre(gbk("请求失败（刷新卡池列表）：") +
                            GetParam().happened.value_or(gbk("服务器没有返回内容 (HTTP 200 OK)"))));
    EXPECT_THAT(column(controls::kDeviceList, 0), IsEmpty());

    m_window.setSelectedRow(controls::kDeviceList, m_window.appendRow(controls::kDeviceList, "A1"));
    m_window.setCellText(controls::kDeviceList, 0, 1, "before");
    EXPECT_THAT(failureLinesOf(sim::Endpoint::Ports,
                               [this] { service::markPoolsWithNewTasks(*m_session); }),
                saysFailureOf("标记新任务"));
    EXPECT_THAT(column(controls::kDeviceList, 1), ElementsAre("before"));

    EXPECT_THAT(failureLinesOf(sim::Endpoint::Ports, [this] { service::listPorts(*m_session); }),
                saysFailureOf("查看最新任务"));
    EXPECT_THAT(column(controls::kPortList, 0), IsEmpty());

    EXPECT_THAT(
        failureLinesOf(sim::Endpoint::SlotInfo, [this] { service::listUnseatedSlots(*m_session); }),
        saysFailureOf("查看没插好端口"));
    EXPECT_THAT(column(controls::kPortList, 0), IsEmpty());

    // The deletion: only a request that succeeded confirms rows, whatever its body.
    for (const char* port : {"A1.01", "A1.02"}) {
        m_window.appendRow(controls::kPortList, port);
    }
    EXPECT_THAT(failureLinesOf(sim::Endpoint::DeleteBatch,
                               [this] { service::deletePortsInBatches(*m_session); }),
                saysFailureOf("已拔出清除"));
    if (fails()) {
        EXPECT_THAT(column(controls::kPortList, 0), ElementsAre("A1.01", "A1.02"));
        EXPECT_THAT(column(controls::kDeviceList, 1), ElementsAre("before"));
    } else {
        EXPECT_THAT(column(controls::kPortList, 0), IsEmpty());
        EXPECT_THAT(column(controls::kDeviceList, 1), ElementsAre(""));
    }
    // Whatever the service still holds is still listed.
    for (const auto& pending : m_sim->pendingPorts(Text(kKey))) {
        EXPECT_THAT(column(controls::kPortList, 0), testing::Contains(pending.port));
    }
}

INSTANTIATE_TEST_SUITE_P(
    Faults, FailedRequestTest,
    testing::Values(FaultCase{"BodyCutOff",
                              {.cutAfterHeaders = true},
                              http::failureMessage(http::Failure::Read) + " (HTTP 200 OK)"},
                    FaultCase{"ServerError",
                              {.error500Share = 1.0},
                              gbk("服务回复了错误状态 (HTTP 500 Internal Server Error)")},
                    FaultCase{"NotFoundPage",
                              {.error404Share = 1.0},
                              gbk("服务回复了错误状态 (HTTP 404 Not Found)")},
                    FaultCase{"EmptyOk", {.rawBody = ""}, std::nullopt}),
    [](const testing::TestParamInfo<FaultCase>& info) { return std::string(info.param.name); });

} // namespace
} // namespace servicetest

namespace servicetest {
namespace {

class OversizedReplyTest : public ServiceSimTest {};

// Each operation reads what its reply can reasonably hold and no more.
TEST_F(OversizedReplyTest, IsRefusedWithALineAndChangesNothing) {
    m_sim->addPendingPort(Text(kKey), "A1.01", gbk("未做TG"), "12:00");
    m_window.setText(controls::kKeyBox, kKey);
    m_sim->setFault(sim::Endpoint::SignIn, {.hugeReplyMegabytes = 2});
    service::signIn(m_window);
    m_sim->setFault(sim::Endpoint::Ports, {.hugeReplyMegabytes = 65});
    service::listPorts(*m_session);

    EXPECT_EQ(m_window.text(controls::kSignInMessage), gbk("网络有问题，请检查网络环境！"));
    EXPECT_THAT(column(controls::kPortList, 0), IsEmpty());
    EXPECT_THAT(
        m_window.lines(controls::kLogPanel),
        ElementsAre(gbk("请求失败（登录验证）：回复超过 1 MiB，已停止接收 (HTTP 200 OK)"),
                    gbk("请求失败（查看最新任务）：回复超过 64 MiB，已停止接收 (HTTP 200 OK)")));
}

} // namespace
} // namespace servicetest
