#pragma once
// pooldesk-sim in process: the card-pool service and the statistics file server on 127.0.0.1,
// with state that tests set up and read back, a request log and faults on demand.
//
// Texts (keys, pool and port names, statuses, bodies) are GBK bytes in std::string, exactly as
// they travel on the wire. Every method is safe to call from any thread while the servers run.

#include <chrono>
#include <cstddef>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace sim {

using Text = std::string;

enum class Endpoint { SignIn, PoolList, Ports, SlotInfo, LedLight, DeleteBatch, StatsFile };

// "signin", "pools", "ports", "slots", "led", "delete", "stats": the names used on the command
// line and by the control endpoint.
std::string_view endpointName(Endpoint endpoint);
std::optional<Endpoint> endpointFromName(std::string_view name);

struct Fault {
    int latencyMs = 0;          // added before the reply
    double refuseShare = 0.0;   // 0..1: the connection is closed without an answer
    double error500Share = 0.0; // 0..1: a 500 page instead of the reply
    double error404Share = 0.0; // 0..1: a 404 page instead of the reply
    // > 0: the headers at once, then the body one byte every trickleMs milliseconds.
    int trickleMs = 0;
    bool cutAfterHeaders = false; // the full Content-Length is announced, the body breaks off
    bool malformedJson = false;   // a reply that starts like the JSON one and breaks off
    int hugeReplyMegabytes = 0;   // > 0: a reply of this many megabytes
    // Non-empty: an HTML page whose meta tag declares this charset, its text encoded in it.
    std::string htmlCharset{};
    std::optional<std::string> rawBody{}; // answer exactly these bytes (status 200)
    // > 0: this many requests of the endpoint are answered as usual first ("the network goes
    // away after the first batch"); counts down as they come.
    int afterRequests = 0;
};

struct Slot {
    Text slot;                 // the slot value, which the client uses as the port name
    std::optional<Text> iccid; // "" when no card is seated; nullopt: no "iccid" member at all
    bool operator==(const Slot&) const = default;
};

struct PendingPort {
    Text port;
    Text status; // e.g. gbk("未做TG")
    Text time;   // e.g. "12:00"
    bool operator==(const PendingPort&) const = default;
};

struct LedLighting {
    Text key;
    Text port;
    Text onDuration; // the query values as sent, e.g. "59000"
    Text offDuration;
    Text totalDuration;                           // "1200000" or "600000" from the client
    std::chrono::system_clock::time_point time;   // when the request arrived
    std::chrono::system_clock::time_point expiry; // time + total duration
    bool accepted = false;                        // the port existed and the reply said OK
};

struct LoggedRequest {
    std::string method;
    std::string path;  // as received, not decoded
    std::string query; // the raw query after "?", not decoded
    std::size_t bodySize = 0;
    std::string body;
    int localPort = 0; // the port the request arrived on
    std::optional<Endpoint> endpoint;
    int status = 0; // the status answered (0 when the connection was refused or cut)
};

struct Options {
    // 0 asks for a free port. The first two serve the Netherlands and Hong Kong routes, the
    // third the Malaysia route; with one port all three routes point at it.
    std::vector<int> servicePorts{9962, 6381, 0};
    int statsPort = 0;
    std::string scenarioFile{}; // loaded by start()
    // Generated state for generatedKey: pools x portsPerPool, deterministic for a seed.
    int pools = 0;
    int portsPerPool = 0;
    unsigned seed = 1;
    Text generatedKey = "demo-key";
    // The demo user "demo-key" (and the refused "banned-key") with a few pools, pending ports,
    // empty slots and statistics that move on while the simulator runs.
    bool demo = false;
    std::map<Endpoint, Fault> faults{};
    int threads = 16; // worker threads per server
};

// What can be done with a running simulator: stated once, by the simulator in this process and
// by a handle on one in another process (its /__sim/ control endpoint) alike.
class SimulatorControl {
public:
    virtual ~SimulatorControl() = default;

    virtual void stop() = 0;
    virtual bool running() const = 0;
    virtual std::string error() const = 0;

    virtual std::vector<int> servicePorts() const = 0;
    virtual int statsPort() const = 0;
    // "malaysia=127.0.0.1:P3,netherlands=127.0.0.1:P1,hongkong=127.0.0.1:P2,stats=127.0.0.1:PS",
    // the value of POOLDESK_ENDPOINTS for the client.
    virtual std::string endpointsLine() const = 0;

    // State. A pool or port call for an unknown key adds that key as an accepted user.
    virtual void addUser(const Text& key, bool accepted = true) = 0;
    // portCount > 0 also creates the ports pool + "." + two-digit number, each with a card.
    virtual void addPool(const Text& key, const Text& pool, int portCount = 0) = 0;
    virtual void addPendingPort(const Text& key, const Text& port, const Text& status,
                                const Text& time) = 0;
    virtual void setSlots(const Text& key, const Text& pool, std::vector<Slot> slots) = 0;
    // The statistics record served for the pool; nullopt goes back to the one derived from
    // the pool's ports.
    virtual void setStatsRecord(const Text& key, const Text& pool, std::optional<Text> record) = 0;
    // Moves the derived statistics on by one step each (the demo does it every few seconds).
    virtual void advanceStatistics(int steps = 1) = 0;
    // pools x portsPerPool for key, with pending tasks and empty slots, the same for a seed.
    virtual void generate(const Text& key, int pools, int portsPerPool, unsigned seed) = 0;
    // The scenario format is described by scenarioHelp(); false and a message on a bad line.
    virtual bool loadScenarioText(std::string_view text, std::string* errorMessage = nullptr) = 0;
    virtual void clearState() = 0;

    // Readers.
    virtual std::vector<Text> pools(const Text& key) const = 0;
    virtual std::vector<Slot> slotsOf(const Text& key, const Text& pool) const = 0;
    virtual std::vector<PendingPort> pendingPorts(const Text& key) const = 0;
    virtual Text statsRecord(const Text& key, const Text& pool) const = 0;
    virtual std::vector<LedLighting> ledLightings() const = 0;
    virtual void clearLedLightings() = 0;
    virtual std::vector<LoggedRequest> requestLog() const = 0;
    virtual void clearRequestLog() = 0;

    // Faults apply to requests that arrive after the call.
    virtual void setFault(Endpoint endpoint, Fault fault) = 0;
    virtual void clearFaults() = 0;
};

class Simulator final : public SimulatorControl {
public:
    explicit Simulator(Options options = {});
    ~Simulator() override;
    Simulator(const Simulator&) = delete;
    Simulator& operator=(const Simulator&) = delete;

    // Loads the scenario / generated / demo state, binds every port on 127.0.0.1 and serves on
    // background threads. False (and error()) when a port cannot be bound or the scenario is
    // broken; nothing keeps running then.
    bool start();
    void stop() override;
    bool running() const override;
    std::string error() const override;

    std::vector<int> servicePorts() const override;
    int statsPort() const override;
    std::string endpointsLine() const override;

    void addUser(const Text& key, bool accepted = true) override;
    void addPool(const Text& key, const Text& pool, int portCount = 0) override;
    void addPendingPort(const Text& key, const Text& port, const Text& status,
                        const Text& time) override;
    void setSlots(const Text& key, const Text& pool, std::vector<Slot> slots) override;
    void setStatsRecord(const Text& key, const Text& pool, std::optional<Text> record) override;
    void advanceStatistics(int steps = 1) override;
    void generate(const Text& key, int pools, int portsPerPool, unsigned seed) override;
    bool loadScenarioText(std::string_view text, std::string* errorMessage = nullptr) override;
    void clearState() override;

    std::vector<Text> pools(const Text& key) const override;
    std::vector<Slot> slotsOf(const Text& key, const Text& pool) const override;
    std::vector<PendingPort> pendingPorts(const Text& key) const override;
    Text statsRecord(const Text& key, const Text& pool) const override;
    std::vector<LedLighting> ledLightings() const override;
    void clearLedLightings() override;
    std::vector<LoggedRequest> requestLog() const override;
    void clearRequestLog() override;

    void setFault(Endpoint endpoint, Fault fault) override;
    void clearFaults() override;

private:
    struct Impl;
    std::unique_ptr<Impl> m_impl;
};

// The scenario file format, for --help.
std::string_view scenarioHelp();

} // namespace sim
