#include "sim/command_line.h"

#include "runtime/text.h"
#include "sim/control.h"
#include "sim/faults.h"

#include <charconv>

namespace sim {

namespace {

bool toInt(const std::string& text, int& out, int low, int high) {
    const auto* end = text.data() + text.size();
    const auto [ptr, ec] = std::from_chars(text.data(), end, out);
    return ec == std::errc() && ptr == end && out >= low && out <= high;
}

} // namespace

std::string helpText() {
    std::string text =
        R"(pooldesk-sim: the card-pool service and the statistics file server on 127.0.0.1

Usage: pooldesk-sim [options]

Without a scenario or a generated size it serves the demo: the user "demo-key" with a few
pools (ASCII and Chinese names), pending ports, empty slots and statistics that change every
5 seconds, and the refused key "banned-key".

Options:
  --ports P1[,P2[,P3]]   service ports (default 9962,6381,0): the Netherlands, Hong Kong and
                         Malaysia routes; 0 takes a free port; with one port all routes use it
  --stats-port P         statistics file server port (default 0: a free port)
  --scenario FILE        state from a scenario file (format below)
  --generate POOLSxPORTS generated pools and ports, e.g. --generate 200x100
  --seed N               seed for --generate and for fault shares (default 1)
  --key KEY              user key of the generated state (default demo-key)
  --demo                 add the demo state also when a scenario or a size is given
  --fault ENDPOINT:ITEMS a fault, e.g. --fault ports:latency=200,refuse=0.5 (repeatable)
  --threads N            worker threads per server (default 16)
  --help                 this text

Endpoints: signin pools ports slots led delete stats
Fault items: latency=MS refuse=SHARE error500=SHARE error404=SHARE trickle=MS cut=1 malformed=1
  huge=MB charset=NAME after=N
  refuse closes the connection without an answer; error500 and error404 answer an error page;
  trickle sends the headers, then one byte of the body every MS; cut announces the full
  Content-Length and
  stops half-way; charset answers an HTML page whose meta tag declares NAME (utf-8 re-encodes
  the text, other names keep its GBK bytes); after answers the endpoint's next N requests as
  usual before the fault applies; shares are between 0 and 1.

Control endpoint, on every port while running (not written to the request log):
  Records (records=1 and the slot lines) are name=value items joined by "&", values with
  every byte but letters, digits and ._~- written as %XX; query values are percent-encoded.
)";
    text += controlHelp();
    text += R"(
It prints the endpoints it serves and a line POOLDESK_ENDPOINTS=... for the client, then runs
until interrupted (Ctrl+C).

)";
    text += scenarioHelp();
    text += "\n";
    return text;
}

CommandLine parseCommandLine(const std::vector<std::string>& arguments) {
    CommandLine result;
    auto& o = result.options;
    bool stateGiven = false;
    bool demoAsked = false;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const auto& arg = arguments[i];
        const auto value = [&]() -> const std::string* {
            if (i + 1 >= arguments.size()) {
                result.error = arg + " needs a value";
                return nullptr;
            }
            return &arguments[++i];
        };
        const auto fail = [&](const std::string& message) {
            result.error = message;
            return result;
        };
        if (arg == "--help" || arg == "-h") {
            result.help = true;
        } else if (arg == "--ports") {
            const auto* v = value();
            if (v == nullptr) {
                return result;
            }
            o.servicePorts.clear();
            for (const auto& piece : runtime::splitText(*v, ",")) {
                int port = 0;
                if (!toInt(piece, port, 0, 65535)) {
                    return fail("bad port: " + piece);
                }
                o.servicePorts.push_back(port);
            }
            if (o.servicePorts.empty() || o.servicePorts.size() > 3) {
                return fail("--ports takes one to three ports");
            }
        } else if (arg == "--stats-port") {
            const auto* v = value();
            if (v == nullptr) {
                return result;
            }
            if (!toInt(*v, o.statsPort, 0, 65535)) {
                return fail("bad port: " + *v);
            }
        } else if (arg == "--scenario") {
            const auto* v = value();
            if (v == nullptr) {
                return result;
            }
            o.scenarioFile = *v;
            stateGiven = true;
        } else if (arg == "--generate") {
            const auto* v = value();
            if (v == nullptr) {
                return result;
            }
            const auto x = v->find('x');
            if (x == std::string::npos || !toInt(v->substr(0, x), o.pools, 1, 100000) ||
                !toInt(v->substr(x + 1), o.portsPerPool, 0, 100000)) {
                return fail("--generate takes POOLSxPORTS, e.g. 200x100");
            }
            stateGiven = true;
        } else if (arg == "--seed") {
            const auto* v = value();
            int seed = 0;
            if (v == nullptr) {
                return result;
            }
            if (!toInt(*v, seed, 0, 2147483647)) {
                return fail("bad seed: " + *v);
            }
            o.seed = static_cast<unsigned>(seed);
        } else if (arg == "--key") {
            const auto* v = value();
            if (v == nullptr) {
                return result;
            }
            o.generatedKey = *v;
        } else if (arg == "--demo") {
            demoAsked = true;
        } else if (arg == "--threads") {
            const auto* v = value();
            if (v == nullptr) {
                return result;
            }
            if (!toInt(*v, o.threads, 1, 1024)) {
                return fail("bad thread count: " + *v);
            }
        } else if (arg == "--fault") {
            const auto* v = value();
            if (v == nullptr) {
                return result;
            }
            const auto colon = v->find(':');
            const auto endpoint = endpointFromName(v->substr(0, colon));
            if (colon == std::string::npos || !endpoint) {
                return fail("--fault takes ENDPOINT:ITEMS, e.g. ports:latency=200");
            }
            Fault fault;
            std::string message;
            if (!parseFaultText(v->substr(colon + 1), fault, message)) {
                return fail(message);
            }
            o.faults[*endpoint] = fault;
        } else {
            return fail("unknown option: " + arg + " (see --help)");
        }
    }
    o.demo = demoAsked || !stateGiven;
    return result;
}

} // namespace sim
