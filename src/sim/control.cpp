#include "sim/control.h"

#include "sim/faults.h"
#include "sim/wire.h"

#include <charconv>
#include <functional>
#include <map>

namespace sim {

namespace {

struct Command {
    std::string_view help;
    std::function<ControlReply(Simulator&, const ControlRequest&)> run;
};

ControlReply bad(std::string message) {
    return ControlReply{400, std::move(message) + "\n"};
}

ControlReply done(std::string message) {
    return ControlReply{200, std::move(message) + "\n"};
}

std::optional<int> intOf(const std::optional<std::string>& text, int low, int high) {
    if (!text) {
        return std::nullopt;
    }
    int value = 0;
    const auto* end = text->data() + text->size();
    const auto [ptr, ec] = std::from_chars(text->data(), end, value);
    if (ec != std::errc() || ptr != end || value < low || value > high) {
        return std::nullopt;
    }
    return value;
}

template <typename Item> std::string recordLines(const std::vector<Item>& items) {
    std::string out;
    for (const auto& item : items) {
        out += wire::recordLine(wire::toRecord(item)) + "\n";
    }
    return out;
}

// Every command needs its key; most also a pool.
std::optional<ControlReply> missing(const QueryParams& params,
                                    std::initializer_list<std::string_view> names) {
    for (const auto name : names) {
        if (!queryValue(params, name)) {
            return bad("missing " + std::string(name));
        }
    }
    return std::nullopt;
}

const std::map<std::string, Command, std::less<>>& commands() {
    static const std::map<std::string, Command, std::less<>> table{
        {"fault",
         {"POST /__sim/fault?endpoint=E&ITEMS    set a fault (rawbody=1: the POST body is the "
          "reply)",
          [](Simulator& sim, const ControlRequest& request) {
              const auto name = queryValue(request.params, "endpoint").value_or("");
              const auto endpoint = endpointFromName(name);
              if (!endpoint) {
                  return bad("unknown endpoint: " + name);
              }
              Fault fault;
              std::string message;
              if (!parseFault(request.params, fault, message)) {
                  return bad(message);
              }
              if (queryValue(request.params, "rawbody") == "1") {
                  fault.rawBody = request.body;
              }
              const auto description = describeFault(fault);
              sim.setFault(*endpoint, std::move(fault));
              return done(name + ": " + description);
          }}},
        {"faults/clear",
         {"POST /__sim/faults/clear              clear every fault",
          [](Simulator& sim, const ControlRequest&) {
              sim.clearFaults();
              return done("faults cleared");
          }}},
        {"log",
         {"GET  /__sim/log                       the request log: method port status path?query "
          "size\n"
          "                                        (records=1: one record per request)",
          [](Simulator& sim, const ControlRequest& request) {
              const auto log = sim.requestLog();
              if (queryValue(request.params, "records") == "1") {
                  return ControlReply{200, recordLines(log)};
              }
              std::string out;
              for (const auto& e : log) {
                  out += e.method + " " + std::to_string(e.localPort) + " " +
                         std::to_string(e.status) + " " + e.path + (e.query.empty() ? "" : "?") +
                         e.query + " " + std::to_string(e.bodySize) + "\n";
              }
              return ControlReply{200, out};
          }}},
        {"log/clear",
         {"POST /__sim/log/clear                 empty the request log",
          [](Simulator& sim, const ControlRequest&) {
              sim.clearRequestLog();
              return done("log cleared");
          }}},
        {"advance",
         {"POST /__sim/advance?steps=N           move the statistics on",
          [](Simulator& sim, const ControlRequest& request) {
              const auto steps =
                  intOf(queryValue(request.params, "steps").value_or("1"), 0, 1000000);
              if (!steps) {
                  return bad("bad steps");
              }
              sim.advanceStatistics(*steps);
              return done("statistics moved on " + std::to_string(*steps) + " step(s)");
          }}},
        {"pending",
         {"GET  /__sim/pending?key=K             the pending ports of a key, as the service lists "
          "them\n"
          "                                        (records=1: one record per port)",
          [](Simulator& sim, const ControlRequest& request) {
              const auto pending = sim.pendingPorts(queryValue(request.params, "key").value_or(""));
              return ControlReply{200, queryValue(request.params, "records") == "1"
                                           ? recordLines(pending)
                                           : portsReply(pending)};
          }}},
        {"pending/add",
         {"POST /__sim/pending/add?key=K&port=P&status=S&time=T   add a pending port",
          [](Simulator& sim, const ControlRequest& request) {
              if (auto reply = missing(request.params, {"key", "port", "status", "time"})) {
                  return *reply;
              }
              sim.addPendingPort(
                  *queryValue(request.params, "key"), *queryValue(request.params, "port"),
                  *queryValue(request.params, "status"), *queryValue(request.params, "time"));
              return done("pending port added");
          }}},
        {"leds",
         {"GET  /__sim/leds                      the LED lightings: key port total_duration "
          "OK|FAIL\n"
          "                                        (records=1: one record per lighting)",
          [](Simulator& sim, const ControlRequest& request) {
              const auto leds = sim.ledLightings();
              if (queryValue(request.params, "records") == "1") {
                  return ControlReply{200, recordLines(leds)};
              }
              std::string out;
              for (const auto& l : leds) {
                  out += l.key + " " + l.port + " " + l.totalDuration + " " +
                         (l.accepted ? "OK" : "FAIL") + "\n";
              }
              return ControlReply{200, out};
          }}},
        {"leds/clear",
         {"POST /__sim/leds/clear                forget the LED lightings",
          [](Simulator& sim, const ControlRequest&) {
              sim.clearLedLightings();
              return done("lightings cleared");
          }}},
        {"user",
         {"POST /__sim/user?key=K[&accepted=0]   add a user (accepted=0: the service refuses "
          "it)",
          [](Simulator& sim, const ControlRequest& request) {
              if (auto reply = missing(request.params, {"key"})) {
                  return *reply;
              }
              sim.addUser(*queryValue(request.params, "key"),
                          queryValue(request.params, "accepted") != "0");
              return done("user added");
          }}},
        {"pool",
         {"POST /__sim/pool?key=K&pool=P[&ports=N]   add a pool, with N ports holding cards",
          [](Simulator& sim, const ControlRequest& request) {
              if (auto reply = missing(request.params, {"key", "pool"})) {
                  return *reply;
              }
              const auto ports =
                  intOf(queryValue(request.params, "ports").value_or("0"), 0, 100000);
              if (!ports) {
                  return bad("bad ports");
              }
              sim.addPool(*queryValue(request.params, "key"), *queryValue(request.params, "pool"),
                          *ports);
              return done("pool added");
          }}},
        {"pools",
         {"GET  /__sim/pools?key=K               the pool names of a key, one record a line",
          [](Simulator& sim, const ControlRequest& request) {
              std::string out;
              for (const auto& pool : sim.pools(queryValue(request.params, "key").value_or(""))) {
                  out += wire::recordLine({{"pool", pool}}) + "\n";
              }
              return ControlReply{200, out};
          }}},
        {"slots",
         {"GET|POST /__sim/slots?key=K&pool=P    a pool's slots as records; POST sets them from\n"
          "                                        the body, one slot=S[&iccid=I] a line",
          [](Simulator& sim, const ControlRequest& request) {
              if (auto reply = missing(request.params, {"key", "pool"})) {
                  return *reply;
              }
              const auto key = *queryValue(request.params, "key");
              const auto pool = *queryValue(request.params, "pool");
              if (request.method != "POST") {
                  return ControlReply{200, recordLines(sim.slotsOf(key, pool))};
              }
              std::vector<Slot> slots;
              for (const auto& record : wire::parseRecords(request.body)) {
                  auto slot = wire::slotOf(record);
                  if (!slot) {
                      return bad("a slot line without slot=");
                  }
                  slots.push_back(std::move(*slot));
              }
              sim.setSlots(key, pool, std::move(slots));
              return done("slots set");
          }}},
        {"stats",
         {"GET|POST /__sim/stats?key=K&pool=P[&record=R]   the statistics record served for a "
          "pool;\n"
          "                                        POST sets it (no record: derived again)",
          [](Simulator& sim, const ControlRequest& request) {
              if (auto reply = missing(request.params, {"key", "pool"})) {
                  return *reply;
              }
              const auto key = *queryValue(request.params, "key");
              const auto pool = *queryValue(request.params, "pool");
              if (request.method != "POST") {
                  return ControlReply{200, sim.statsRecord(key, pool)};
              }
              sim.setStatsRecord(key, pool, queryValue(request.params, "record"));
              return done("statistics record set");
          }}},
        {"generate",
         {"POST /__sim/generate?key=K&pools=N&ports=M[&seed=S]   generated pools and ports",
          [](Simulator& sim, const ControlRequest& request) {
              const auto pools = intOf(queryValue(request.params, "pools"), 1, 100000);
              const auto ports = intOf(queryValue(request.params, "ports"), 0, 100000);
              const auto seed =
                  intOf(queryValue(request.params, "seed").value_or("1"), 0, 2147483647);
              if (!pools || !ports || !seed) {
                  return bad("generate takes pools=N&ports=M[&seed=S]");
              }
              sim.generate(queryValue(request.params, "key").value_or("demo-key"), *pools, *ports,
                           static_cast<unsigned>(*seed));
              return done("generated");
          }}},
        {"scenario",
         {"POST /__sim/scenario                  add the scenario in the body (format below)",
          [](Simulator& sim, const ControlRequest& request) {
              std::string message;
              if (!sim.loadScenarioText(request.body, &message)) {
                  return bad(message);
              }
              return done("scenario loaded");
          }}},
        {"state/clear",
         {"POST /__sim/state/clear               forget every user, pool and port",
          [](Simulator& sim, const ControlRequest&) {
              sim.clearState();
              return done("state cleared");
          }}},
        {"endpoints",
         {"GET  /__sim/endpoints                 the POOLDESK_ENDPOINTS value",
          [](Simulator& sim, const ControlRequest&) {
              return ControlReply{200, sim.endpointsLine() + "\n"};
          }}},
    };
    return table;
}

} // namespace

ControlReply runControl(Simulator& simulator, std::string_view command,
                        const ControlRequest& request) {
    const auto& table = commands();
    const auto it = table.find(command);
    if (it == table.end()) {
        return ControlReply{404, std::string(controlHelp())};
    }
    return it->second.run(simulator, request);
}

std::string_view controlHelp() {
    static const std::string text = [] {
        std::string out;
        for (const auto& [name, command] : commands()) {
            out += "  " + std::string(command.help) + "\n";
        }
        return out;
    }();
    return text;
}

} // namespace sim
