#include "test_support/test_simulator.h"

#include "sim/remote_simulator.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>

namespace support {

namespace {

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
    bool loadScenarioText(std::string_view, std::string*) override { return false; }
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

std::unique_ptr<TestSimulator> remoteSimulator(const std::string& endpointsLine) {
    return sim::remoteSimulator(endpointsLine,
                                [](const std::string& what) { ADD_FAILURE() << what; });
}

std::unique_ptr<TestSimulator> startTestSimulator() {
    const char* file = std::getenv("POOLDESK_SIM_ENDPOINTS_FILE");
    if (file == nullptr || *file == '\0') {
#ifdef POOLDESK_SIM_IN_PROCESS
        auto simulator = std::make_unique<sim::Simulator>(sim::Options{.servicePorts = {0, 0, 0}});
        simulator->start();
        return simulator;
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
