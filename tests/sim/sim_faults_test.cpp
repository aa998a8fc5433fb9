// Faults on demand, set in process and through the control endpoint.
#include "runtime/codepage.h"
#include "sim/simulator.h"
#include "test_support/raw_http.h"

#include <gtest/gtest.h>

#include <chrono>

namespace {

using runtime::gbk;
using simtest::get;

class SimFaults : public testing::Test {
protected:
    void SetUp() override {
        sim.addUser("k1");
        sim.addPool("k1", gbk("深圳"), 2);
        sim.addPendingPort("k1", "A1.01", gbk("未做TG"), "12:00");
        ASSERT_TRUE(sim.start()) << sim.error();
        port = sim.servicePorts().at(0);
    }

    std::string poolList() { return "/sinterface/getDev?uKey=k1"; }

    sim::Simulator sim{sim::Options{.servicePorts = {0}}};
    int port = 0;
};

TEST_F(SimFaults, RefusedConnectionsGetNoAnswerAndOtherEndpointsStayWell) {
    sim.setFault(sim::Endpoint::PoolList, sim::Fault{.refuseShare = 1.0});
    const auto refused = get(port, poolList());
    EXPECT_TRUE(refused.connected);
    EXPECT_TRUE(refused.bytes.empty());
    EXPECT_EQ(get(port, "/sinterface/port/get?ukey=k1").status, 200);
    const auto log = sim.requestLog();
    ASSERT_EQ(log.size(), 2u);
    EXPECT_EQ(log[0].status, 0);
    EXPECT_EQ(log[0].query, "uKey=k1");
    EXPECT_EQ(log[0].localPort, port);

    sim.clearFaults();
    EXPECT_EQ(get(port, poolList()).status, 200);

    // Spared requests are answered as usual; the fault applies from the next one on.
    sim.setFault(sim::Endpoint::PoolList, sim::Fault{.refuseShare = 1.0, .afterRequests = 2});
    EXPECT_EQ(get(port, poolList()).status, 200);
    EXPECT_EQ(get(port, poolList()).status, 200);
    EXPECT_TRUE(get(port, poolList()).bytes.empty());
}

TEST_F(SimFaults, Error500ShareFailsRoughlyThatShareOfRequests) {
    sim.setFault(sim::Endpoint::SignIn, sim::Fault{.error500Share = 0.5});
    int failures = 0;
    for (int i = 0; i < 200; ++i) {
        const auto reply = get(port, "/sinterface/getUserInfo?ukey=k1");
        failures += reply.status == 500 ? 1 : 0;
    }
    EXPECT_GT(failures, 60);
    EXPECT_LT(failures, 140);
}

TEST_F(SimFaults, CutReplyAnnouncesTheFullLengthAndBreaksOff) {
    sim.setFault(sim::Endpoint::Ports, sim::Fault{.cutAfterHeaders = true});
    const auto reply = get(port, "/sinterface/port/get?ukey=k1");
    EXPECT_EQ(reply.status, 200);
    ASSERT_TRUE(reply.contentLength.has_value());
    EXPECT_EQ(*reply.contentLength,
              std::string("A1.01|%CE%B4%D7%F6%54%47%2D%31%32%3A%30%30\r\n").size());
    EXPECT_LT(reply.body.size(), *reply.contentLength);
}

TEST_F(SimFaults, ShapedBodies) {
    sim.setFault(sim::Endpoint::PoolList, sim::Fault{.malformedJson = true});
    const auto malformed = get(port, poolList()).body;
    EXPECT_TRUE(malformed.starts_with("{\"ret\":0"));
    EXPECT_FALSE(malformed.ends_with("}"));

    sim.setFault(sim::Endpoint::PoolList, sim::Fault{.hugeReplyMegabytes = 3});
    const auto huge = get(port, poolList());
    EXPECT_EQ(huge.body.size(), 3u * 1024 * 1024);
    EXPECT_EQ(*huge.contentLength, huge.body.size());
    EXPECT_TRUE(huge.body.starts_with("{\"ret\":0"));

    sim.setFault(sim::Endpoint::PoolList, sim::Fault{.htmlCharset = "utf-8"});
    const auto html = get(port, poolList()).body;
    EXPECT_NE(html.find("<meta http-equiv=\"Content-Type\" content=\"text/html; charset=utf-8\">"),
              std::string::npos);
    EXPECT_NE(html.find("深圳"), std::string::npos); // UTF-8 bytes of the source
    EXPECT_EQ(html.find(gbk("深圳")), std::string::npos);

    sim.setFault(sim::Endpoint::PoolList, sim::Fault{.rawBody = std::string("x\0y\r\n", 5)});
    EXPECT_EQ(get(port, poolList()).body, std::string("x\0y\r\n", 5));
}

TEST_F(SimFaults, NotFoundPageAndTrickle) {
    sim.setFault(sim::Endpoint::PoolList, sim::Fault{.error404Share = 1.0});
    const auto notFound = get(port, poolList());
    EXPECT_EQ(notFound.status, 404);
    EXPECT_NE(notFound.body.find("404 Not Found"), std::string::npos);

    sim.clearFaults();
    const auto whole = get(port, poolList()).body;
    sim.setFault(sim::Endpoint::PoolList, sim::Fault{.trickleMs = 10});
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(get(port, poolList()).body, whole);
    EXPECT_GE(std::chrono::steady_clock::now() - start,
              std::chrono::milliseconds(10) * static_cast<int>(whole.size()));
}

TEST_F(SimFaults, LatencyDelaysTheReply) {
    sim.setFault(sim::Endpoint::StatsFile, sim::Fault{.latencyMs = 300});
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(get(sim.statsPort(), "/file/none.txt").status, 404);
    EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(300));
}

TEST_F(SimFaults, ControlEndpointSetsAndClearsFaultsAndShowsTheLog) {
    auto set = simtest::post(port, "/__sim/fault?endpoint=slots&rawbody=1&error500=0", "RAW");
    EXPECT_EQ(set.status, 200) << set.body;
    EXPECT_EQ(get(port, "/sinterface/getSlotInfo?uKey=k1&slot=x").body, "RAW");
    EXPECT_EQ(simtest::post(port, "/__sim/fault?endpoint=nowhere", "").status, 400);
    EXPECT_EQ(simtest::post(port, "/__sim/fault?endpoint=ports&latency=soon", "").status, 400);
    EXPECT_EQ(simtest::post(port, "/__sim/fault?endpoint=ports&refuse=2", "").status, 400);

    EXPECT_EQ(simtest::post(port, "/__sim/faults/clear", "").status, 200);
    EXPECT_NE(get(port, "/sinterface/getSlotInfo?uKey=k1&slot=x").body, "RAW");

    const auto log = get(sim.statsPort(), "/__sim/log").body;
    EXPECT_NE(
        log.find("GET " + std::to_string(port) + " 200 /sinterface/getSlotInfo?uKey=k1&slot=x 0"),
        std::string::npos)
        << log;
    EXPECT_EQ(log.find("__sim"), std::string::npos);
    simtest::post(port, "/__sim/log/clear", "");
    EXPECT_TRUE(sim.requestLog().empty());

    EXPECT_EQ(get(port, "/__sim/pending?key=k1").body,
              "A1.01|%CE%B4%D7%F6%54%47%2D%31%32%3A%30%30\r\n");
}

} // namespace
