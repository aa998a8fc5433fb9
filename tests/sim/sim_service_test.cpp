// Each request answered by a running simulator, read back with the client's own rules.
#include "runtime/codepage.h"
#include "runtime/text.h"
#include "service/codec.h"
#include "sim/simulator.h"
#include "test_support/raw_http.h"

#include <gtest/gtest.h>

namespace {

using runtime::gbk;
using simtest::get;
using simtest::post;

// The pool names as the client cuts them: the quoted strings of the first bracketed list.
std::vector<std::string> poolNamesOf(const std::string& reply) {
    const auto open = reply.find('[');
    const auto close = reply.find(']', open);
    std::vector<std::string> names;
    if (open == std::string::npos || close == std::string::npos) {
        return names;
    }
    for (const auto& piece : runtime::splitText(reply.substr(open + 1, close - open - 1), "\"")) {
        if (!piece.empty() && piece != ",") {
            names.push_back(piece);
        }
    }
    return names;
}

class SimService : public testing::Test {
protected:
    void SetUp() override {
        sim.addUser("k1");
        sim.addUser("banned", false);
        sim.addPool("k1", "A1", 3);
        sim.addPool("k1", gbk("深圳"));
        sim.addPendingPort("k1", "A1.01", gbk("未做TG"), "12:00");
        sim.addPendingPort("k1", "A1.02", gbk("已做WS"), "2024-05-01");
        sim.addPendingPort("k1", gbk("深圳.03"), gbk("未做 GG"), "09:45");
        ASSERT_TRUE(sim.start()) << sim.error();
        port = sim.servicePorts().at(0);
    }

    sim::Simulator sim{sim::Options{.servicePorts = {0}}};
    int port = 0;
};

TEST_F(SimService, SignInAcceptsKnownKeysOnly) {
    EXPECT_NE(get(port, "/sinterface/getUserInfo?ukey=k1").body.find("\"status\":0"),
              std::string::npos);
    for (const std::string key : {"banned", "nobody", ""}) {
        const auto reply = get(port, "/sinterface/getUserInfo?ukey=" + key);
        EXPECT_EQ(reply.status, 200);
        EXPECT_FALSE(reply.body.empty()) << key;
        EXPECT_EQ(reply.body.find("\"status\":0"), std::string::npos) << key;
    }
    // The key parameter is spelled exactly.
    EXPECT_EQ(get(port, "/sinterface/getUserInfo?uKey=k1").body.find("\"status\":0"),
              std::string::npos);
}

TEST_F(SimService, PoolListGivesGbkNamesInTheFirstBracketedList) {
    const auto reply = get(port, "/sinterface/getDev?uKey=k1").body;
    EXPECT_NE(reply.find("\"ret\":0"), std::string::npos);
    EXPECT_EQ(poolNamesOf(reply), (std::vector<std::string>{"A1", gbk("深圳")}));
    EXPECT_EQ(get(port, "/sinterface/getDev?uKey=banned").body.find("\"ret\":0"),
              std::string::npos);
    EXPECT_EQ(get(port, "/sinterface/getDev?ukey=k1").status, 400);
}

TEST_F(SimService, PendingPortsDecodeToTheStoredStatuses) {
    const auto reply = get(port, "/sinterface/port/get?ukey=k1").body;
    const auto lines = runtime::splitText(reply, "\r\n");
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[0], "A1.01|%CE%B4%D7%F6%54%47%2D%31%32%3A%30%30");
    std::vector<sim::PendingPort> decoded;
    for (const auto& line : lines) {
        const auto fields = runtime::splitText(line, "|");
        ASSERT_EQ(fields.size(), 2u);
        const auto code = service::percentDecode(fields[1]);
        const auto dash = code.find('-');
        decoded.push_back({fields[0], code.substr(0, dash), code.substr(dash + 1)});
    }
    EXPECT_EQ(decoded, sim.pendingPorts("k1"));
    EXPECT_TRUE(get(port, "/sinterface/port/get?ukey=banned").body.find('|') == std::string::npos);
}

TEST_F(SimService, SlotObjectsReadBackWithTheClientMarkers) {
    sim.setSlots("k1", "A1",
                 {{"A1.03", ""}, {"A1.04", "8986001"}, {"A1.05", std::nullopt}, {"A1.\"6", ""}});
    const auto reply = get(port, "/sinterface/getSlotInfo?uKey=k1&slot=A1").body;
    std::vector<std::pair<std::string, std::string>> records;
    std::size_t at = 0;
    while ((at = reply.find("{\"slot\":", at)) != std::string::npos) {
        const auto end = reply.find('}', at);
        ASSERT_NE(end, std::string::npos);
        const auto record = reply.substr(at, end - at);
        const auto valueOf = [&](const std::string& marker) {
            const auto from = record.find(marker);
            if (from == std::string::npos) {
                return std::string("<none>");
            }
            const auto begin = from + marker.size();
            return record.substr(begin, record.find('"', begin) - begin);
        };
        records.emplace_back(valueOf("slot\":\""), valueOf("iccid\":\""));
        at += 1;
    }
    ASSERT_EQ(records.size(), 4u);
    EXPECT_EQ(records[0], std::make_pair(std::string("A1.03"), std::string()));
    EXPECT_EQ(records[1], std::make_pair(std::string("A1.04"), std::string("8986001")));
    EXPECT_EQ(records[2], std::make_pair(std::string("A1.05"), std::string("<none>")));
    EXPECT_EQ(records[3].first, "A1.\\"); // a quote in a name is escaped, as JSON wants
    EXPECT_EQ(get(port, "/sinterface/getSlotInfo?uKey=k1&slot=B9").body.find("{\"slot\":"),
              std::string::npos);
}

TEST_F(SimService, QueryValuesAreDecodedAndLoggedRaw) {
    // GBK bytes arrive as they are; the bytes that would change the query arrive escaped.
    const auto pool = gbk("池") + "%A+B";
    const auto sent = gbk("池") + "%25A%2BB";
    sim.setSlots("k1", pool, {{pool + ".01", ""}});
    const auto reply = get(port, "/sinterface/getSlotInfo?uKey=k1&slot=" + sent).body;
    EXPECT_NE(reply.find("{\"slot\":\"" + pool + ".01\""), std::string::npos) << reply;
    const auto log = sim.requestLog();
    ASSERT_FALSE(log.empty());
    EXPECT_EQ(log.back().query, "uKey=k1&slot=" + sent);
    EXPECT_EQ(log.back().path, "/sinterface/getSlotInfo");
    EXPECT_EQ(log.back().localPort, port);
    EXPECT_EQ(log.back().endpoint, sim::Endpoint::SlotInfo);
}

TEST_F(SimService, LedLightingSaysOkOnlyForExistingPortsAndIsRecorded) {
    const std::string tail = "&on_duration=59000&off_duration=1000&total_duration=";
    EXPECT_NE(
        get(port, "/sinterface/ledLight?ukey=k1&slot=A1.02" + tail + "1200000").body.find("OK"),
        std::string::npos);
    EXPECT_NE(get(port, "/sinterface/ledLight?ukey=k1&slot=" + gbk("深圳.03") + tail + "600000")
                  .body.find("OK"),
              std::string::npos);
    for (const std::string& query : std::vector<std::string>{
             "ukey=k1&slot=Z9.01" + tail + "600000", "ukey=nobody&slot=A1.01" + tail + "600000",
             "ukey=k1&slot=" + tail + "600000", "ukey=k1&slot=A1.01" + tail + "soon", "ukey=k1"}) {
        const auto reply = get(port, "/sinterface/ledLight?" + query);
        EXPECT_FALSE(reply.body.empty()) << query;
        EXPECT_EQ(reply.body.find("OK"), std::string::npos) << query;
    }
    const auto leds = sim.ledLightings();
    ASSERT_EQ(leds.size(), 6u);
    EXPECT_EQ(leds[0].port, "A1.02");
    EXPECT_EQ(leds[0].totalDuration, "1200000");
    EXPECT_TRUE(leds[0].accepted);
    EXPECT_EQ(leds[0].expiry - leds[0].time, std::chrono::milliseconds(1200000));
    EXPECT_EQ(leds[1].totalDuration, "600000");
    EXPECT_FALSE(leds[2].accepted);
}

TEST_F(SimService, BatchDeletionRemovesExactlyTheListedTasksAndRepeatsAreHarmless) {
    const std::string body =
        "A1.01|" + service::percentEncode(gbk("未做TG") + "-12:00") + "\r\n" + gbk("深圳.03") +
        "|" + service::percentEncode(gbk("未做 GG") + "-09:45") + "\r\nbroken line\r\n|%41\r\n";
    for (int round = 0; round < 2; ++round) {
        const auto reply = post(port, "/sinterface/port/deleteBatch?ukey=k1", body);
        EXPECT_EQ(reply.status, 200);
        EXPECT_NE(reply.body.find("\"broken\":2"), std::string::npos) << reply.body;
        const auto left = sim.pendingPorts("k1");
        ASSERT_EQ(left.size(), 1u);
        EXPECT_EQ(left[0].port, "A1.02");
    }
    const auto log = sim.requestLog();
    ASSERT_EQ(log.size(), 2u);
    EXPECT_EQ(log[0].method, "POST");
    EXPECT_EQ(log[0].body, body);
    EXPECT_EQ(log[0].bodySize, body.size());
    // An empty body and a GET change nothing.
    EXPECT_EQ(post(port, "/sinterface/port/deleteBatch?ukey=k1", "").status, 200);
    EXPECT_EQ(get(port, "/sinterface/port/deleteBatch?ukey=k1").status, 405);
    EXPECT_EQ(sim.pendingPorts("k1").size(), 1u);
}

TEST_F(SimService, StatsFileNameOfAPoolGivesItsRecordAndAnUnknownNameA404Page) {
    const auto stats = sim.statsPort();
    sim.setStatsRecord("k1", "A1", "100-0-5-80-15-60-3-8-40-20-10-5");
    const auto name = service::statsFileName("k1-A1", service::kStatsFileKey);
    EXPECT_EQ(get(stats, "/file/" + name + ".txt").body, "100-0-5-80-15-60-3-8-40-20-10-5");

    // A derived record: 12 counts whose total is the pool's port count, and it moves on.
    const auto chinese = service::statsFileName("k1-" + gbk("深圳"), service::kStatsFileKey);
    sim.setSlots("k1", gbk("深圳"), {{"a.01", "1"}, {"a.02", ""}, {"a.03", std::nullopt}});
    const auto record = get(stats, "/file/" + chinese + ".txt").body;
    const auto fields = runtime::splitText(record, "-");
    ASSERT_EQ(fields.size(), 12u) << record;
    EXPECT_EQ(fields[0], "3");
    EXPECT_EQ(fields[2], "2");

    sim.addPool("k1", "Big", 60);
    const auto big = service::statsFileName("k1-Big", service::kStatsFileKey);
    const auto before = get(stats, "/file/" + big + ".txt").body;
    sim.advanceStatistics(10);
    EXPECT_NE(get(stats, "/file/" + big + ".txt").body, before);

    for (const std::string& target :
         std::vector<std::string>{"/file/" + name, "/file/717273ABCDEF.txt", "/file/.txt"}) {
        const auto reply = get(stats, target);
        EXPECT_EQ(reply.status, 404);
        EXPECT_NE(reply.body.find("a 404 Not"), std::string::npos) << target;
    }
    // The service ports do not serve statistics files.
    EXPECT_EQ(get(port, "/file/" + name + ".txt").status, 404);
}

TEST(SimPorts, EachRouteGetsItsOwnPortAndTheLineNamesThemAll) {
    sim::Simulator sim(sim::Options{.servicePorts = {0, 0, 0}});
    ASSERT_TRUE(sim.start()) << sim.error();
    const auto ports = sim.servicePorts();
    ASSERT_EQ(ports.size(), 3u);
    EXPECT_EQ(sim.endpointsLine(), "malaysia=127.0.0.1:" + std::to_string(ports[2]) +
                                       ",netherlands=127.0.0.1:" + std::to_string(ports[0]) +
                                       ",hongkong=127.0.0.1:" + std::to_string(ports[1]) +
                                       ",stats=127.0.0.1:" + std::to_string(sim.statsPort()));
    sim.addUser("k");
    for (const int p : ports) {
        EXPECT_NE(get(p, "/sinterface/getUserInfo?ukey=k").body.find("\"status\":0"),
                  std::string::npos);
    }
    std::vector<int> seen;
    for (const auto& e : sim.requestLog()) {
        seen.push_back(e.localPort);
    }
    EXPECT_EQ(seen, ports);

    // A busy port makes start fail with a message, and nothing is left running.
    sim::Simulator second(sim::Options{.servicePorts = {ports[0]}});
    EXPECT_FALSE(second.start());
    EXPECT_NE(second.error().find(std::to_string(ports[0])), std::string::npos);
    EXPECT_FALSE(second.running());
}

TEST_F(SimService, BadInputGetsAnErrorReplyAndTheServiceKeepsRunning) {
    EXPECT_EQ(get(port, "/sinterface/nothing?ukey=k1").status, 404);
    EXPECT_EQ(get(port, "/sinterface/port/get").status, 400);
    EXPECT_EQ(get(port, "/sinterface/port/get?&&=&ukey").body, "error: unknown key");
    EXPECT_EQ(get(port, "/sinterface/getSlotInfo?uKey=k1").status, 400);
    EXPECT_EQ(simtest::exchange(port, "NONSENSE\r\n\r\n").status, 400);
    // A body above the service's limit is turned away before it is read.
    const auto huge =
        simtest::exchange(port, "POST /sinterface/port/deleteBatch?ukey=k1 HTTP/1.1\r\nHost: x\r\n"
                                "Content-Length: 900000000\r\n\r\nA1.01|%41\r\n");
    EXPECT_EQ(huge.status, 413);
    EXPECT_EQ(sim.pendingPorts("k1").size(), 3u);
    EXPECT_NE(get(port, "/sinterface/getUserInfo?ukey=k1").body.find("\"status\":0"),
              std::string::npos);
}

} // namespace
