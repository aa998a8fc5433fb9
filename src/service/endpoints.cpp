#include "service/endpoints.h"

#include "runtime/text.h"

#include <mutex>

namespace service {

namespace {

std::mutex g_mutex;
Endpoints g_endpoints = defaultEndpoints();

std::string_view trimmed(std::string_view text) {
    while (!text.empty() && text.front() == ' ') {
        text.remove_prefix(1);
    }
    while (!text.empty() && text.back() == ' ') {
        text.remove_suffix(1);
    }
    return text;
}

} // namespace

Endpoints defaultEndpoints() {
    return Endpoints{"cardpool-service.com", "nl.cardpool-service.com:9962",
                     "hk.cardpool-service.com:6381", "stats.cardpool-service.com:8090"};
}

Endpoints applyEndpointOverride(Endpoints base, std::string_view overrideText) {
    for (const auto& item : runtime::splitText(overrideText, ",")) {
        const auto equals = item.find('=');
        if (equals == std::string::npos) {
            continue;
        }
        const auto key = trimmed(std::string_view(item).substr(0, equals));
        const auto value = std::string(trimmed(std::string_view(item).substr(equals + 1)));
        if (value.empty()) {
            continue;
        }
        if (key == "malaysia") {
            base.malaysia = value;
        } else if (key == "netherlands") {
            base.netherlands = value;
        } else if (key == "hongkong") {
            base.hongKong = value;
        } else if (key == "stats") {
            base.statsServer = value;
        }
    }
    return base;
}

Endpoints endpoints() {
    std::lock_guard lock(g_mutex);
    return g_endpoints;
}

void setEndpoints(Endpoints value) {
    std::lock_guard lock(g_mutex);
    g_endpoints = std::move(value);
}

} // namespace service
