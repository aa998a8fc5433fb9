// Generated and scenario state, and the command line.
#include "runtime/codepage.h"
#include "sim/command_line.h"
#include "sim/simulator.h"

#include <gtest/gtest.h>

#include <fstream>
#include <set>
#include <sstream>

namespace {

using runtime::gbk;

struct Snapshot {
    std::vector<std::string> pools;
    std::vector<sim::PendingPort> pending;
    std::vector<std::optional<std::string>> iccids;
    bool operator==(const Snapshot&) const = default;
};

Snapshot generated(unsigned seed) {
    sim::Simulator sim;
    sim.generate("g", 10, 30, seed);
    Snapshot s{sim.pools("g"), sim.pendingPorts("g"), {}};
    for (const auto& pool : s.pools) {
        for (const auto& slot : sim.slotsOf("g", pool)) {
            s.iccids.push_back(slot.iccid);
        }
    }
    return s;
}

TEST(SimGenerate, SameSeedSameStateAndTheShapeAsAsked) {
    const auto a = generated(7);
    EXPECT_EQ(a, generated(7));
    EXPECT_NE(a.pending, generated(8).pending);
    ASSERT_EQ(a.pools.size(), 10u);
    EXPECT_EQ(a.iccids.size(), 300u);
    EXPECT_EQ(a.pools[0], "P1");
    EXPECT_TRUE(static_cast<unsigned char>(a.pools[4][0]) >= 0x81); // a Chinese name
    const auto empty = std::count(a.iccids.begin(), a.iccids.end(), std::optional<std::string>(""));
    EXPECT_GT(empty, 0);
    EXPECT_LT(empty, 60);
    EXPECT_GT(a.pending.size(), 50u);
    EXPECT_LT(a.pending.size(), 150u);
    for (const auto& task : a.pending) {
        // Ports are named pool + "." + number.
        EXPECT_NE(task.port.find('.'), std::string::npos);
        EXPECT_NE(
            std::find(a.pools.begin(), a.pools.end(), task.port.substr(0, task.port.find('.'))),
            a.pools.end());
    }
}

TEST(SimScenario, FileBuildsTheStateItDescribes) {
    const std::string path = testing::TempDir() + "sim_scenario.txt";
    std::ofstream(path) << "# demo\n"
                           "user k1\n"
                           "refuse bad   # comment\n"
                           "pool k1 测试 2\n"
                           "slot k1 B2 B2.01\n"
                           "slot k1 B2 B2.02 -\n"
                           "slot k1 B2 B2.03 8986123\n"
                           "task k1 测试.01 未做TG 12:00\n"
                           "stats k1 B2 1-2-3-4-5-6-7-8-9-10-11-12\n";
    sim::Simulator sim(sim::Options{.servicePorts = {0}, .scenarioFile = path});
    ASSERT_TRUE(sim.start()) << sim.error();
    EXPECT_EQ(sim.pools("k1"), (std::vector<std::string>{gbk("测试"), "B2"}));
    const auto slots = sim.slotsOf("k1", "B2");
    ASSERT_EQ(slots.size(), 3u);
    EXPECT_EQ(slots[0].iccid, std::optional<std::string>(""));
    EXPECT_EQ(slots[1].iccid, std::nullopt);
    EXPECT_EQ(slots[2].iccid, std::optional<std::string>("8986123"));
    EXPECT_EQ(sim.slotsOf("k1", gbk("测试")).size(), 2u);
    EXPECT_EQ(sim.pendingPorts("k1"),
              (std::vector<sim::PendingPort>{{gbk("测试.01"), gbk("未做TG"), "12:00"}}));
    EXPECT_EQ(sim.statsRecord("k1", "B2"), "1-2-3-4-5-6-7-8-9-10-11-12");
}

TEST(SimScenario, BadLinesAndMissingFilesStopTheStartWithAMessage) {
    sim::Simulator sim;
    std::string message;
    EXPECT_FALSE(sim.loadScenarioText("user a\npool a\n", &message));
    EXPECT_EQ(message.rfind("line 2:", 0), 0u) << message;
    EXPECT_FALSE(sim.loadScenarioText("generate a x 1 1\n", &message));
    EXPECT_FALSE(sim.loadScenarioText("pool a b -3\n", &message));

    sim::Simulator missing(sim::Options{.servicePorts = {0}, .scenarioFile = "/nonexistent/x"});
    EXPECT_FALSE(missing.start());
    EXPECT_NE(missing.error().find("/nonexistent/x"), std::string::npos);
    EXPECT_FALSE(missing.running());
}

TEST(SimDemo, ServesTheDemoUserAndTheRefusedKey) {
    sim::Simulator sim(sim::Options{.servicePorts = {0}, .demo = true});
    ASSERT_TRUE(sim.start()) << sim.error();
    const auto pools = sim.pools("demo-key");
    EXPECT_GE(pools.size(), 3u);
    EXPECT_NE(std::find(pools.begin(), pools.end(), gbk("深圳")), pools.end());
    EXPECT_FALSE(sim.pendingPorts("demo-key").empty());
    EXPECT_TRUE(sim.pools("banned-key").empty());
}

TEST(SimScenario, DriftMovesNumbersAndSignalsOnSlowWavesWithinThePoolsPorts) {
    sim::Simulator sim;
    std::string message;
    EXPECT_FALSE(sim.loadScenarioText("drift 0\n", &message));
    EXPECT_EQ(message, "line 1: drift needs seconds from 1 to 86400: 0");
    // A day a step: within the test only advanceStatistics moves it.
    ASSERT_TRUE(sim.loadScenarioText("pool k P 400\ndrift 86400\n", &message)) << message;
    const auto fields = [&] {
        std::vector<long long> f;
        std::stringstream record(sim.statsRecord("k", "P"));
        for (std::string field; std::getline(record, field, '-');) {
            f.push_back(std::stoll(field));
        }
        return f;
    };
    std::set<long long> numbers;
    std::set<long long> signals;
    std::vector<long long> before = fields();
    for (int step = 1; step <= 720; ++step) {
        sim.advanceStatistics(1);
        const std::vector<long long> f = fields();
        ASSERT_EQ(f.size(), 12u);
        EXPECT_EQ(f[3] + f[4], f[1]) << "has a number + unreadable = with a card, step " << step;
        EXPECT_LE(f[5], f[3]) << "a signal only where a number is, step " << step;
        // Slow: a few ports a step, never a jump.
        EXPECT_LE(std::abs(f[5] - before[5]), 12) << step;
        numbers.insert(f[3]);
        signals.insert(f[5]);
        before = f;
    }
    EXPECT_GE(numbers.size(), 3u);
    EXPECT_GE(signals.size(), 10u);
}

TEST(SimCommandLine, ReadsEveryOptionAndRejectsBadOnes) {
    const auto none = sim::parseCommandLine({});
    EXPECT_TRUE(none.error.empty());
    EXPECT_TRUE(none.options.demo);
    EXPECT_EQ(none.options.servicePorts, (std::vector<int>{9962, 6381, 0}));

    const auto full = sim::parseCommandLine({"--ports", "0", "--stats-port", "8090", "--generate",
                                             "200x100", "--seed", "9", "--key", "kk", "--fault",
                                             "ports:latency=200,refuse=0.5", "--threads", "4"});
    ASSERT_TRUE(full.error.empty()) << full.error;
    EXPECT_FALSE(full.options.demo);
    EXPECT_EQ(full.options.servicePorts, std::vector<int>{0});
    EXPECT_EQ(full.options.statsPort, 8090);
    EXPECT_EQ(full.options.pools, 200);
    EXPECT_EQ(full.options.portsPerPool, 100);
    EXPECT_EQ(full.options.seed, 9u);
    EXPECT_EQ(full.options.generatedKey, "kk");
    EXPECT_EQ(full.options.threads, 4);
    const auto& fault = full.options.faults.at(sim::Endpoint::Ports);
    EXPECT_EQ(fault.latencyMs, 200);
    EXPECT_DOUBLE_EQ(fault.refuseShare, 0.5);

    for (const auto& bad : std::vector<std::vector<std::string>>{{"--ports", "70000"},
                                                                 {"--ports", "1,2,3,4"},
                                                                 {"--generate", "12"},
                                                                 {"--fault", "nowhere:latency=1"},
                                                                 {"--fault", "ports:speed=1"},
                                                                 {"--seed"},
                                                                 {"--what"}}) {
        EXPECT_FALSE(sim::parseCommandLine(bad).error.empty()) << bad[0];
    }
    EXPECT_TRUE(sim::parseCommandLine({"--help"}).help);
    EXPECT_NE(sim::helpText().find("--fault"), std::string::npos);
}

} // namespace
