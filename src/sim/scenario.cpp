#include "sim/scenario.h"

#include "runtime/codepage.h"
#include "sim/generator.h"

#include <charconv>
#include <sstream>
#include <vector>

namespace sim {

namespace {

std::vector<std::string> words(std::string_view line) {
    std::vector<std::string> out;
    std::istringstream in{std::string(line)};
    std::string word;
    while (in >> word) {
        out.push_back(word);
    }
    return out;
}

bool toInt(const std::string& text, int& out) {
    const auto* end = text.data() + text.size();
    const auto [ptr, ec] = std::from_chars(text.data(), end, out);
    return ec == std::errc() && ptr == end && out >= 0;
}

} // namespace

std::string_view scenarioHelp() {
    return R"(Scenario file (UTF-8; one item per line; '#' starts a comment; fields split at blanks):
  user KEY                      a key that signs in
  refuse KEY                    a key whose sign-in is refused
  pool KEY NAME [PORTS]         a card pool; PORTS > 0 adds NAME.01 .. NAME.PORTS, each with a card
  slot KEY POOL SLOT [ICCID|-]  a slot of the pool; no ICCID: no card; "-": no iccid member
  task KEY PORT STATUS TIME     a pending task, e.g. task demo-key A1.01 未做TG 12:00
  stats KEY POOL RECORD         a fixed statistics record, e.g. 100-0-5-80-15-60-3-8-40-20-10-5
  generate KEY POOLS PORTS SEED generated pools and ports, the same for a seed
  drift SECONDS                 generated statistics move on by themselves every SECONDS, with
                                slow waves in the ports with a number and with a signal
Texts are sent to the client in GBK.)";
}

bool applyScenario(ServiceState& state, std::string_view utf8Text, std::string& errorMessage) {
    int lineNumber = 0;
    while (!utf8Text.empty()) {
        const auto end = utf8Text.find('\n');
        auto line = utf8Text.substr(0, end);
        utf8Text.remove_prefix(end == std::string_view::npos ? utf8Text.size() : end + 1);
        ++lineNumber;
        if (const auto hash = line.find('#'); hash != std::string_view::npos) {
            line = line.substr(0, hash);
        }
        auto w = words(line);
        if (w.empty()) {
            continue;
        }
        for (auto& word : w) {
            word = runtime::utf8ToGbk(word);
        }
        const auto fail = [&](const std::string& message) {
            errorMessage = "line " + std::to_string(lineNumber) + ": " + message;
            return false;
        };
        const auto& verb = w[0];
        int a = 0;
        int b = 0;
        int c = 0;
        if (verb == "user" && w.size() == 2) {
            state.user(w[1]).accepted = true;
        } else if (verb == "refuse" && w.size() == 2) {
            state.user(w[1]).accepted = false;
        } else if (verb == "pool" && (w.size() == 3 || w.size() == 4)) {
            if (w.size() == 4 && !toInt(w[3], a)) {
                return fail("bad port count: " + w[3]);
            }
            auto& pool = state.pool(w[1], w[2]);
            for (int n = 1; n <= a; ++n) {
                const Text number = (n < 10 ? "0" : "") + std::to_string(n);
                pool.slots.push_back(
                    Slot{w[2] + "." + number, "8986" + std::to_string(1000000000000000LL + n)});
            }
        } else if (verb == "slot" && (w.size() == 4 || w.size() == 5)) {
            Slot slot{w[3], Text()};
            if (w.size() == 5) {
                slot.iccid = w[4] == "-" ? std::optional<Text>() : std::optional<Text>(w[4]);
            }
            state.pool(w[1], w[2]).slots.push_back(std::move(slot));
        } else if (verb == "task" && w.size() == 5) {
            state.user(w[1]).pending.push_back(PendingPort{w[2], w[3], w[4]});
        } else if (verb == "stats" && w.size() == 4) {
            state.pool(w[1], w[2]).statsRecord = w[3];
        } else if (verb == "generate" && w.size() == 5) {
            if (!toInt(w[2], a) || !toInt(w[3], b) || !toInt(w[4], c)) {
                return fail("generate needs numbers: POOLS PORTS SEED");
            }
            generateState(state, w[1], a, b, static_cast<unsigned>(c));
        } else if (verb == "drift" && w.size() == 2) {
            if (!toInt(w[1], a) || a < 1 || a > 86400) {
                return fail("drift needs seconds from 1 to 86400: " + w[1]);
            }
            state.startDrift(std::chrono::seconds(a));
        } else {
            return fail("not understood: " + std::string(line));
        }
    }
    return true;
}

} // namespace sim
