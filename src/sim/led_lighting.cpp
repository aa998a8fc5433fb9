#include "sim/led_lighting.h"

#include <chrono>

namespace sim {

namespace {

constexpr std::size_t kLedLimit = 100000;

} // namespace

Reply lightLed(const ServiceState& state, std::vector<LedLighting>& leds,
               const QueryParams& params) {
    const auto key = queryValue(params, "ukey");
    const auto port = queryValue(params, "slot");
    if (!key || !port) {
        return textReply(400, R"({"code":"FAIL","msg":"missing ukey or slot"})",
                         "application/json");
    }
    LedLighting lit{*key,
                    *port,
                    queryValue(params, "on_duration").value_or(""),
                    queryValue(params, "off_duration").value_or(""),
                    queryValue(params, "total_duration").value_or(""),
                    std::chrono::system_clock::now(),
                    {},
                    false};
    const auto total = toNumber(lit.totalDuration);
    lit.expiry = lit.time + std::chrono::milliseconds(total.value_or(0));
    const auto* user = state.findUser(*key);
    std::string message;
    if (user == nullptr || !user->accepted) {
        message = "unknown key";
    } else if (!total || !toNumber(lit.onDuration) || !toNumber(lit.offDuration)) {
        message = "bad duration";
    } else if (!state.portExists(*key, *port)) {
        message = "no such port";
    } else {
        lit.accepted = true;
    }
    leds.push_back(lit);
    if (leds.size() > kLedLimit) {
        leds.erase(leds.begin(), leds.begin() + static_cast<std::ptrdiff_t>(kLedLimit / 2));
    }
    if (lit.accepted) {
        return Reply{200, "application/json", R"({"code":"OK","msg":"led on"})"};
    }
    return Reply{200, "application/json", R"({"code":"FAIL","msg":")" + message + "\"}"};
}

} // namespace sim
