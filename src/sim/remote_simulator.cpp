#include "sim/remote_simulator.h"

#include "sim/wire.h"

#include <httplib.h>

#include <charconv>
#include <map>

namespace sim {

namespace {

using wire::encode;

struct ControlReply {
    int status = 0; // 0: no answer
    std::string body;
};

// "malaysia=127.0.0.1:P3,netherlands=...": route name to port.
std::map<std::string, int> portsOf(const std::string& endpointsLine) {
    std::map<std::string, int> ports;
    std::size_t at = 0;
    while (at < endpointsLine.size()) {
        auto end = endpointsLine.find(',', at);
        if (end == std::string::npos) {
            end = endpointsLine.size();
        }
        const auto item = endpointsLine.substr(at, end - at);
        const auto eq = item.find('=');
        const auto colon = item.rfind(':');
        int port = 0;
        if (eq != std::string::npos && colon != std::string::npos && colon > eq) {
            const auto* first = item.data() + colon + 1;
            const auto* last = item.data() + item.size();
            if (std::from_chars(first, last, port).ptr == last) {
                ports[item.substr(0, eq)] = port;
            }
        }
        at = end + 1;
    }
    return ports;
}

class RemoteSimulator final : public SimulatorControl {
public:
    RemoteSimulator(const std::string& endpointsLine, ControlFailed controlFailed)
        : m_endpoints(endpointsLine), m_controlFailed(std::move(controlFailed)) {
        const auto ports = portsOf(endpointsLine);
        for (const auto* route : {"netherlands", "hongkong", "malaysia"}) {
            if (const auto it = ports.find(route); it != ports.end()) {
                m_servicePorts.push_back(it->second);
            }
        }
        if (const auto it = ports.find("stats"); it != ports.end()) {
            m_statsPort = it->second;
        }
        if (m_servicePorts.size() != 3 || m_statsPort == 0) {
            m_error = "not a simulator's endpoints: " + endpointsLine;
            return;
        }
        const auto answer = exchange("GET", "endpoints", "", "");
        if (answer.status != 200 || answer.body != endpointsLine + "\n") {
            m_error = "no simulator answers on " + endpointsLine + " (status " +
                      std::to_string(answer.status) + ")";
            return;
        }
        m_running = true;
    }

    // The shared simulator runs on for the next test.
    void stop() override { m_running = false; }
    bool running() const override { return m_running; }
    std::string error() const override { return m_error; }

    std::vector<int> servicePorts() const override { return m_servicePorts; }
    int statsPort() const override { return m_statsPort; }
    std::string endpointsLine() const override { return m_endpoints; }

    void addUser(const Text& key, bool accepted) override {
        command("POST", "user", "key=" + encode(key) + (accepted ? "" : "&accepted=0"));
    }
    void addPool(const Text& key, const Text& pool, int portCount) override {
        command("POST", "pool",
                "key=" + encode(key) + "&pool=" + encode(pool) +
                    "&ports=" + std::to_string(portCount));
    }
    void addPendingPort(const Text& key, const Text& port, const Text& status,
                        const Text& time) override {
        command("POST", "pending/add",
                "key=" + encode(key) + "&port=" + encode(port) + "&status=" + encode(status) +
                    "&time=" + encode(time));
    }
    void setSlots(const Text& key, const Text& pool, std::vector<Slot> slots) override {
        std::string body;
        for (const auto& slot : slots) {
            body += wire::recordLine(wire::toRecord(slot)) + "\n";
        }
        command("POST", "slots", "key=" + encode(key) + "&pool=" + encode(pool), body);
    }
    void setStatsRecord(const Text& key, const Text& pool, std::optional<Text> record) override {
        command("POST", "stats",
                "key=" + encode(key) + "&pool=" + encode(pool) +
                    (record ? "&record=" + encode(*record) : ""));
    }
    void advanceStatistics(int steps) override {
        command("POST", "advance", "steps=" + std::to_string(steps));
    }
    void generate(const Text& key, int pools, int portsPerPool, unsigned seed) override {
        command("POST", "generate",
                "key=" + encode(key) + "&pools=" + std::to_string(pools) +
                    "&ports=" + std::to_string(portsPerPool) + "&seed=" + std::to_string(seed));
    }
    bool loadScenarioText(std::string_view text, std::string* errorMessage) override {
        const auto answer = exchange("POST", "scenario", "", std::string(text));
        if (answer.status != 200 && errorMessage != nullptr) {
            *errorMessage = answer.body.substr(0, answer.body.find('\n'));
        }
        return answer.status == 200;
    }
    void clearState() override { command("POST", "state/clear", ""); }

    std::vector<Text> pools(const Text& key) const override {
        std::vector<Text> names;
        for (const auto& record : records("pools", "key=" + encode(key))) {
            names.push_back(wire::field(record, "pool").value_or(""));
        }
        return names;
    }
    std::vector<Slot> slotsOf(const Text& key, const Text& pool) const override {
        return read<Slot>("slots", "key=" + encode(key) + "&pool=" + encode(pool), wire::slotOf);
    }
    std::vector<PendingPort> pendingPorts(const Text& key) const override {
        return read<PendingPort>("pending", "records=1&key=" + encode(key), wire::pendingPortOf);
    }
    Text statsRecord(const Text& key, const Text& pool) const override {
        return command("GET", "stats", "key=" + encode(key) + "&pool=" + encode(pool));
    }
    std::vector<LedLighting> ledLightings() const override {
        return read<LedLighting>("leds", "records=1", wire::ledLightingOf);
    }
    void clearLedLightings() override { command("POST", "leds/clear", ""); }
    std::vector<LoggedRequest> requestLog() const override {
        return read<LoggedRequest>("log", "records=1", wire::loggedRequestOf);
    }
    void clearRequestLog() override { command("POST", "log/clear", ""); }

    void setFault(Endpoint endpoint, Fault fault) override {
        auto query =
            "endpoint=" + std::string(endpointName(endpoint)) + "&" + wire::faultQuery(fault);
        if (fault.rawBody) {
            query += "&rawbody=1";
        }
        command("POST", "fault", query, fault.rawBody.value_or(""));
    }
    void clearFaults() override { command("POST", "faults/clear", ""); }

private:
    // One request on a fresh connection: the simulator answers one request per connection.
    ControlReply exchange(std::string_view method, std::string_view command,
                          const std::string& query, const std::string& body) const {
        const auto target = "/__sim/" + std::string(command) + (query.empty() ? "" : "?") + query;
        httplib::Client client("127.0.0.1", m_servicePorts.empty() ? 0 : m_servicePorts.front());
        client.set_keep_alive(false);
        client.set_read_timeout(30, 0);
        const auto answer =
            method == "POST" ? client.Post(target, body, "text/plain") : client.Get(target);
        if (!answer) {
            return {};
        }
        return {answer->status, answer->body};
    }

    // A command whose failure is reported; its reply body.
    std::string command(std::string_view method, std::string_view name, const std::string& query,
                        const std::string& body = {}) const {
        const auto answer = exchange(method, name, query, body);
        if (answer.status != 200) {
            failed("simulator control " + std::string(method) + " /__sim/" + std::string(name) +
                   "?" + query + " answered " + std::to_string(answer.status) + ": " + answer.body);
        }
        return answer.body;
    }

    void failed(const std::string& what) const {
        if (m_controlFailed) {
            m_controlFailed(what);
        }
    }

    std::vector<wire::Record> records(std::string_view name, const std::string& query) const {
        return wire::parseRecords(command("GET", name, query));
    }

    template <typename Item, typename Reader>
    std::vector<Item> read(std::string_view name, const std::string& query, Reader reader) const {
        std::vector<Item> items;
        for (const auto& record : records(name, query)) {
            if (auto item = reader(record)) {
                items.push_back(std::move(*item));
            } else {
                failed("unreadable record from /__sim/" + std::string(name) + ": " +
                       wire::recordLine(record));
            }
        }
        return items;
    }

    std::string m_endpoints;
    std::vector<int> m_servicePorts;
    int m_statsPort = 0;
    bool m_running = false;
    std::string m_error;
    ControlFailed m_controlFailed;
};

} // namespace

std::unique_ptr<SimulatorControl> remoteSimulator(const std::string& endpointsLine,
                                                  ControlFailed controlFailed) {
    return std::make_unique<RemoteSimulator>(endpointsLine, std::move(controlFailed));
}

} // namespace sim
