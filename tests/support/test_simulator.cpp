#include "support/test_simulator.h"

#include <cstdlib>
#include <fstream>

namespace support {

namespace {

#ifdef POOLDESK_SIM_IN_PROCESS
class InProcessSimulator final : public TestSimulator {
public:
    InProcessSimulator() : m_sim(sim::Options{.servicePorts = {0, 0, 0}}) { m_sim.start(); }

    void stop() override { m_sim.stop(); }
    bool running() const override { return m_sim.running(); }
    std::string error() const override { return m_sim.error(); }

    std::vector<int> servicePorts() const override { return m_sim.servicePorts(); }
    int statsPort() const override { return m_sim.statsPort(); }
    std::string endpointsLine() const override { return m_sim.endpointsLine(); }

    void addUser(const Text& key, bool accepted) override { m_sim.addUser(key, accepted); }
    void addPool(const Text& key, const Text& pool, int portCount) override {
        m_sim.addPool(key, pool, portCount);
    }
    void addPendingPort(const Text& key, const Text& port, const Text& status,
                        const Text& time) override {
        m_sim.addPendingPort(key, port, status, time);
    }
    void setSlots(const Text& key, const Text& pool, std::vector<sim::Slot> slots) override {
        m_sim.setSlots(key, pool, std::move(slots));
    }
    void setStatsRecord(const Text& key, const Text& pool, std::optional<Text> record) override {
        m_sim.setStatsRecord(key, pool, std::move(record));
    }
    void advanceStatistics(int steps) override { m_sim.advanceStatistics(steps); }
    void generate(const Text& key, int pools, int portsPerPool, unsigned seed) override {
        m_sim.generate(key, pools, portsPerPool, seed);
    }
    bool loadScenarioText(const std::string& text, std::string* errorMessage) override {
        return m_sim.loadScenarioText(text, errorMessage);
    }
    void clearState() override { m_sim.clearState(); }

    std::vector<Text> pools(const Text& key) const override { return m_sim.pools(key); }
    std::vector<sim::Slot> slotsOf(const Text& key, const Text& pool) const override {
        return m_sim.slotsOf(key, pool);
    }
    std::vector<sim::PendingPort> pendingPorts(const Text& key) const override {
        return m_sim.pendingPorts(key);
    }
    Text statsRecord(const Text& key, const Text& pool) const override {
        return m_sim.statsRecord(key, pool);
    }
    std::vector<sim::LedLighting> ledLightings() const override { return m_sim.ledLightings(); }
    void clearLedLightings() override { m_sim.clearLedLightings(); }
    std::vector<sim::LoggedRequest> requestLog() const override { return m_sim.requestLog(); }
    void clearRequestLog() override { m_sim.clearRequestLog(); }

    void setFault(sim::Endpoint endpoint, sim::Fault fault) override {
        m_sim.setFault(endpoint, std::move(fault));
    }
    void clearFaults() override { m_sim.clearFaults(); }

private:
    sim::Simulator m_sim;
};
#endif

// Stands for a simulator that could not be reached: every call does nothing.
class MissingSimulator final : public TestSimulator {
public:
    explicit MissingSimulator(std::string error) : m_error(std::move(error)) {}

    void stop() override {}
    bool running() const override { return false; }
    std::string error() const override { return m_error; }
    std::vector<int> servicePorts() const override { return {}; }
    int statsPort() const override { return 0; }
    std::string endpointsLine() const override { return {}; }
    void addUser(const Text&, bool) override {}
    void addPool(const Text&, const Text&, int) override {}
    void addPendingPort(const Text&, const Text&, const Text&, const Text&) override {}
    void setSlots(const Text&, const Text&, std::vector<sim::Slot>) override {}
    void setStatsRecord(const Text&, const Text&, std::optional<Text>) override {}
    void advanceStatistics(int) override {}
    void generate(const Text&, int, int, unsigned) override {}
    bool loadScenarioText(const std::string&, std::string*) override { return false; }
    void clearState() override {}
    std::vector<Text> pools(const Text&) const override { return {}; }
    std::vector<sim::Slot> slotsOf(const Text&, const Text&) const override { return {}; }
    std::vector<sim::PendingPort> pendingPorts(const Text&) const override { return {}; }
    Text statsRecord(const Text&, const Text&) const override { return {}; }
    std::vector<sim::LedLighting> ledLightings() const override { return {}; }
    void clearLedLightings() override {}
    std::vector<sim::LoggedRequest> requestLog() const override { return {}; }
    void clearRequestLog() override {}
    void setFault(sim::Endpoint, sim::Fault) override {}
    void clearFaults() override {}

private:
    std::string m_error;
};

} // namespace

std::unique_ptr<TestSimulator> startTestSimulator() {
    const char* file = std::getenv("POOLDESK_SIM_ENDPOINTS_FILE");
    if (file == nullptr || *file == '\0') {
#ifdef POOLDESK_SIM_IN_PROCESS
        return std::make_unique<InProcessSimulator>();
#else
        return std::make_unique<MissingSimulator>(
            "no simulator in this build: POOLDESK_SIM_ENDPOINTS_FILE names none");
#endif
    }
    std::ifstream in(file);
    std::string line;
    if (!std::getline(in, line) || line.empty()) {
        return std::make_unique<MissingSimulator>(
            std::string("no simulator endpoints in ") + file +
            " (the ctest fixture that starts pooldesk-sim writes them)");
    }
    auto remote = remoteSimulator(line);
    if (!remote->running()) {
        return remote;
    }
    remote->clearState();
    remote->clearFaults();
    remote->clearRequestLog();
    remote->clearLedLightings();
    return remote;
}

} // namespace support
