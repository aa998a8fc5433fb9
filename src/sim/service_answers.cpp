#include "sim/service_answers.h"

#include "sim/led_lighting.h"
#include "sim/statistics.h"

#include <array>
#include <charconv>

namespace sim {

namespace {

struct EndpointPath {
    Endpoint endpoint;
    std::string_view path;
};

constexpr std::array kServicePaths{
    EndpointPath{Endpoint::SignIn, "/sinterface/getUserInfo"},
    EndpointPath{Endpoint::PoolList, "/sinterface/getDev"},
    EndpointPath{Endpoint::Ports, "/sinterface/port/get"},
    EndpointPath{Endpoint::SlotInfo, "/sinterface/getSlotInfo"},
    EndpointPath{Endpoint::LedLight, "/sinterface/ledLight"},
    EndpointPath{Endpoint::DeleteBatch, "/sinterface/port/deleteBatch"},
};

} // namespace

std::optional<Endpoint> routeOf(std::string_view path, bool statsServer) {
    if (statsServer) {
        if (path.starts_with("/file/")) {
            return Endpoint::StatsFile;
        }
        return std::nullopt;
    }
    for (const auto& entry : kServicePaths) {
        if (entry.path == path) {
            return entry.endpoint;
        }
    }
    return std::nullopt;
}

std::pair<std::string, std::string> splitTarget(std::string_view target) {
    const auto q = target.find('?');
    if (q == std::string_view::npos) {
        return {std::string(target), std::string()};
    }
    return {std::string(target.substr(0, q)), std::string(target.substr(q + 1))};
}

std::optional<long long> toNumber(std::string_view text) {
    long long value = 0;
    const auto* end = text.data() + text.size();
    const auto [ptr, ec] = std::from_chars(text.data(), end, value);
    if (ec != std::errc() || ptr != end || value < 0) {
        return std::nullopt;
    }
    return value;
}

Reply textReply(int status, std::string body, std::string type) {
    return Reply{status, std::move(type), std::move(body)};
}

const std::string kNotFoundPage =
    "<html><head><title>404 Not Found</title></head><body><h1>Not Found</h1>"
    "<p>This is a 404 Not Found page: the requested file does not exist.</p></body></html>";

const std::string kServerErrorPage =
    "<html><head><title>500 Internal Server Error</title></head><body>"
    "<h1>Internal Server Error</h1></body></html>";

Reply answerRequest(ServiceState& state, std::vector<LedLighting>& leds, Endpoint endpoint,
                    const std::string& method, const QueryParams& params, const std::string& path,
                    const std::string& body) {
    const auto keyOf = [&](std::string_view name) { return queryValue(params, name); };
    switch (endpoint) {
    case Endpoint::SignIn: {
        const auto key = keyOf("ukey");
        if (!key) {
            return textReply(400, R"({"status":400,"msg":"missing ukey"})", "application/json");
        }
        return Reply{200, "application/json", signInReply(state.findUser(*key))};
    }
    case Endpoint::PoolList: {
        const auto key = keyOf("uKey");
        if (!key) {
            return textReply(400, R"({"ret":400,"msg":"missing uKey"})", "application/json");
        }
        return Reply{200, "application/json", poolListReply(state.findUser(*key))};
    }
    case Endpoint::Ports: {
        const auto key = keyOf("ukey");
        if (!key) {
            return textReply(400, "error: missing ukey");
        }
        const auto* user = state.findUser(*key);
        if (user == nullptr || !user->accepted) {
            return textReply(200, "error: unknown key");
        }
        return textReply(200, portsReply(user->pending));
    }
    case Endpoint::SlotInfo: {
        const auto key = keyOf("uKey");
        const auto pool = keyOf("slot");
        if (!key || !pool) {
            return textReply(400, R"({"ret":400,"msg":"missing uKey or slot"})",
                             "application/json");
        }
        const auto* user = state.findUser(*key);
        if (user == nullptr || !user->accepted) {
            return Reply{200, "application/json", R"({"ret":1,"msg":"unknown key"})"};
        }
        return Reply{200, "application/json", slotInfoReply(state.findPool(*key, *pool))};
    }
    case Endpoint::LedLight:
        return lightLed(state, leds, params);
    case Endpoint::DeleteBatch: {
        if (method != "POST") {
            return textReply(405, R"({"ret":405,"msg":"POST only"})", "application/json");
        }
        const auto key = keyOf("ukey");
        if (!key) {
            return textReply(400, R"({"ret":400,"msg":"missing ukey"})", "application/json");
        }
        const auto* user = state.findUser(*key);
        if (user == nullptr || !user->accepted) {
            return Reply{200, "application/json", R"({"ret":1,"msg":"unknown key"})"};
        }
        const auto lines = parseDeleteBody(body);
        std::vector<Text> ports;
        ports.reserve(lines.tasks.size());
        for (const auto& task : lines.tasks) {
            ports.push_back(task.port);
        }
        const auto removed = state.removePending(*key, ports);
        return Reply{200, "application/json",
                     R"({"ret":0,"deleted":)" + std::to_string(removed) + R"(,"lines":)" +
                         std::to_string(lines.tasks.size()) + R"(,"broken":)" +
                         std::to_string(lines.broken) + "}"};
    }
    case Endpoint::StatsFile: {
        constexpr std::string_view prefix = "/file/";
        constexpr std::string_view suffix = ".txt";
        if (path.size() > prefix.size() + suffix.size() && path.ends_with(suffix)) {
            const auto name =
                path.substr(prefix.size(), path.size() - prefix.size() - suffix.size());
            if (const auto owner = state.findStatsFile(name)) {
                const auto* pool = state.findPool(owner->first, owner->second);
                if (pool != nullptr) {
                    return textReply(200,
                                     statsRecordFor(*pool, state.statsStep(), state.drifting()));
                }
            }
        }
        return textReply(404, kNotFoundPage, "text/html");
    }
    }
    return textReply(404, "no such request");
}

} // namespace sim
