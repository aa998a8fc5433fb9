// The control channel: what a Windows test does to the build machine's simulator through
// support::remoteSimulator lands as the same call in process would, and reads back the same.
#include "runtime/codepage.h"
#include "sim/faults.h"
#include "sim/simulator.h"
#include "sim/wire.h"
#include "test_support/raw_http.h"
#include "test_support/test_simulator.h"

#include <gtest/gtest.h>

#include <chrono>
#include <tuple>

namespace {

using namespace std::string_literals;
using runtime::gbk;

// Bytes a careless encoding loses: GBK characters ending in "|" and "]", the record and query
// separators, an escape that must stay as sent, "+", a space and a line break.
const std::string kAwkward = gbk("亅乚") + "a&b=c%41+d e\r\nz";
// Bodies travel raw, zero bytes included.
const std::string kBody = kAwkward + "\0tail"s;

auto fields(const sim::LoggedRequest& r) {
    return std::tie(r.method, r.path, r.query, r.bodySize, r.body, r.localPort, r.endpoint,
                    r.status);
}

auto fields(const sim::LedLighting& l) {
    return std::tie(l.key, l.port, l.onDuration, l.offDuration, l.totalDuration, l.time, l.expiry,
                    l.accepted);
}

class SimControl : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(sim.start()) << sim.error();
        remote = support::remoteSimulator(sim.endpointsLine());
        ASSERT_TRUE(remote->running()) << remote->error();
    }

    sim::Simulator sim{sim::Options{.servicePorts = {0, 0, 0}}};
    std::unique_ptr<support::TestSimulator> remote;
};

TEST_F(SimControl, StateSetRemotelyIsTheSimulatorsAndReadsBackTheSame) {
    remote->addUser("banned", false);
    remote->addPool(kAwkward, kAwkward, 2);
    remote->addPool(kAwkward, "P");
    remote->addPendingPort(kAwkward, kAwkward, kAwkward, "12:00");
    const std::vector<sim::Slot> slots{{kBody, std::nullopt}, {"P.02", ""}, {"P.03", kBody}};
    remote->setSlots(kAwkward, "P", slots);
    remote->setStatsRecord(kAwkward, "P", kAwkward);
    remote->generate("gen", 2, 3, 7);
    std::string message;
    EXPECT_FALSE(remote->loadScenarioText("nonsense line", &message));
    EXPECT_EQ(message, [&] {
        std::string inProcess;
        sim.loadScenarioText("nonsense line", &inProcess);
        return inProcess;
    }());

    EXPECT_EQ(sim.pools(kAwkward), (std::vector<std::string>{kAwkward, "P"}));
    EXPECT_EQ(remote->pools(kAwkward), sim.pools(kAwkward));
    EXPECT_EQ(remote->pools("gen"), sim.pools("gen"));
    EXPECT_EQ(sim.slotsOf(kAwkward, kAwkward).size(), 2u);
    EXPECT_EQ(sim.slotsOf(kAwkward, "P"), slots);
    EXPECT_EQ(remote->slotsOf(kAwkward, "P"), slots);
    EXPECT_EQ(sim.pendingPorts(kAwkward),
              (std::vector<sim::PendingPort>{{kAwkward, kAwkward, "12:00"}}));
    EXPECT_EQ(remote->pendingPorts(kAwkward), sim.pendingPorts(kAwkward));
    EXPECT_EQ(sim.statsRecord(kAwkward, "P"), kAwkward);
    remote->setStatsRecord(kAwkward, "P", std::nullopt);
    remote->advanceStatistics(3);
    EXPECT_NE(sim.statsRecord(kAwkward, "P"), kAwkward);
    EXPECT_EQ(remote->statsRecord(kAwkward, "P"), sim.statsRecord(kAwkward, "P"));
    EXPECT_EQ(simtest::get(sim.servicePorts()[0], "/sinterface/getUserInfo?ukey=banned").body,
              R"({"status":1,"msg":"key banned"})");

    remote->clearState();
    EXPECT_TRUE(sim.pools(kAwkward).empty());
    EXPECT_EQ(remote->servicePorts(), sim.servicePorts());
    EXPECT_EQ(remote->statsPort(), sim.statsPort());
}

TEST_F(SimControl, LogsAndLightingsReadBackFieldForField) {
    sim.addPool("k", "A1", 1);
    const int port = sim.servicePorts()[1];
    simtest::post(port, "/sinterface/port/deleteBatch?ukey=k&x=%41" + kAwkward.substr(0, 4), kBody);
    simtest::get(port, "/sinterface/ledLight?ukey=k&slot=A1.01&on_duration=1&off_duration=2"
                       "&total_duration=600000");
    simtest::get(port, "/nowhere");
    sim.setFault(sim::Endpoint::SlotInfo, sim::Fault{.refuseShare = 1.0});
    simtest::get(port, "/sinterface/getSlotInfo?uKey=k&slot=A1");

    const auto log = sim.requestLog();
    ASSERT_EQ(log.size(), 4u);
    const auto remoteLog = remote->requestLog();
    ASSERT_EQ(remoteLog.size(), log.size());
    for (std::size_t i = 0; i < log.size(); ++i) {
        EXPECT_EQ(fields(remoteLog[i]), fields(log[i])) << i;
    }
    const auto lightings = remote->ledLightings();
    ASSERT_EQ(lightings.size(), 1u);
    EXPECT_EQ(fields(lightings[0]), fields(sim.ledLightings().at(0)));

    remote->clearRequestLog();
    remote->clearLedLightings();
    EXPECT_TRUE(sim.requestLog().empty());
    EXPECT_TRUE(sim.ledLightings().empty());
}

// Every field of a fault survives the trip: the query the handle sends, read as the simulator
// reads it, describes the same fault; the raw body arrives as the reply.
TEST_F(SimControl, FaultsTravelWithEveryField) {
    for (const auto& fault : {sim::Fault{}, sim::Fault{.latencyMs = 250,
                                            .refuseShare = 0.125,
                                            .error500Share = 1.0 / 3,
                                            .error404Share = 0.7,
                                            .trickleMs = 15,
                                            .cutAfterHeaders = true,
                                            .malformedJson = true,
                                            .hugeReplyMegabytes = 3,
                                            .htmlCharset = "utf-8",
                                            .afterRequests = 2}}) {
        sim::Fault read;
        std::string message;
        ASSERT_TRUE(
            sim::parseFault(sim::parseRawQuery(sim::wire::faultQuery(fault)), read, message))
            << message;
        EXPECT_EQ(sim::describeFault(read), sim::describeFault(fault));
        EXPECT_EQ(read.error500Share, fault.error500Share);
    }
    sim.addUser("k");
    remote->setFault(sim::Endpoint::Ports, sim::Fault{.rawBody = kBody});
    EXPECT_EQ(simtest::get(sim.servicePorts()[0], "/sinterface/port/get?ukey=k").body, kBody);
    remote->clearFaults();
    EXPECT_EQ(simtest::get(sim.servicePorts()[0], "/sinterface/port/get?ukey=k").body, "");
}

TEST_F(SimControl, AnUnknownCommandListsTheCommands) {
    const auto reply = simtest::get(sim.servicePorts()[0], "/__sim/nothing");
    EXPECT_EQ(reply.status, 404);
    EXPECT_NE(reply.body.find("/__sim/state/clear"), std::string::npos) << reply.body;
}

} // namespace
