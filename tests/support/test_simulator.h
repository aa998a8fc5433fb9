#pragma once
// The simulator as the service and end-to-end tests drive it. Where pooldesk-sim builds, each
// test starts its own in this process on free loopback ports. The Windows tests, run under
// Wine, share the build machine's pooldesk-sim (started by a ctest fixture that writes its
// endpoints to the file named by POOLDESK_SIM_ENDPOINTS_FILE) and drive it over its /__sim/
// control endpoint; each test gets it back empty, without faults and with empty logs.
//
// The member functions are sim::Simulator's; a control exchange that fails is a test failure.

#include "sim/simulator.h"

#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace support {

using sim::Text;

class TestSimulator {
public:
    virtual ~TestSimulator() = default;

    virtual void stop() = 0;
    virtual bool running() const = 0;
    virtual std::string error() const = 0;

    virtual std::vector<int> servicePorts() const = 0;
    virtual int statsPort() const = 0;
    virtual std::string endpointsLine() const = 0;

    virtual void addUser(const Text& key, bool accepted = true) = 0;
    virtual void addPool(const Text& key, const Text& pool, int portCount = 0) = 0;
    virtual void addPendingPort(const Text& key, const Text& port, const Text& status,
                                const Text& time) = 0;
    virtual void setSlots(const Text& key, const Text& pool, std::vector<sim::Slot> slots) = 0;
    virtual void setStatsRecord(const Text& key, const Text& pool, std::optional<Text> record) = 0;
    virtual void advanceStatistics(int steps = 1) = 0;
    virtual void generate(const Text& key, int pools, int portsPerPool, unsigned seed) = 0;
    virtual bool loadScenarioText(const std::string& text, std::string* errorMessage = nullptr) = 0;
    virtual void clearState() = 0;

    virtual std::vector<Text> pools(const Text& key) const = 0;
    virtual std::vector<sim::Slot> slotsOf(const Text& key, const Text& pool) const = 0;
    virtual std::vector<sim::PendingPort> pendingPorts(const Text& key) const = 0;
    virtual Text statsRecord(const Text& key, const Text& pool) const = 0;
    virtual std::vector<sim::LedLighting> ledLightings() const = 0;
    virtual void clearLedLightings() = 0;
    virtual std::vector<sim::LoggedRequest> requestLog() const = 0;
    virtual void clearRequestLog() = 0;

    virtual void setFault(sim::Endpoint endpoint, sim::Fault fault) = 0;
    virtual void clearFaults() = 0;
};

// The simulator for one test, running unless error() says why not: the shared one when
// POOLDESK_SIM_ENDPOINTS_FILE is set, else one of its own in this process.
std::unique_ptr<TestSimulator> startTestSimulator();

// A running simulator reached over its control endpoint; endpointsLine is its
// POOLDESK_ENDPOINTS value. Leaves its state as it is.
std::unique_ptr<TestSimulator> remoteSimulator(const std::string& endpointsLine);

} // namespace support
