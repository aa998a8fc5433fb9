#include "sim/wire.h"

#include <charconv>
#include <chrono>

namespace sim {

std::string_view endpointName(Endpoint endpoint) {
    switch (endpoint) {
    case Endpoint::SignIn:
        return "signin";
    case Endpoint::PoolList:
        return "pools";
    case Endpoint::Ports:
        return "ports";
    case Endpoint::SlotInfo:
        return "slots";
    case Endpoint::LedLight:
        return "led";
    case Endpoint::DeleteBatch:
        return "delete";
    case Endpoint::StatsFile:
        return "stats";
    }
    return "";
}

std::optional<Endpoint> endpointFromName(std::string_view name) {
    for (const auto e : {Endpoint::SignIn, Endpoint::PoolList, Endpoint::Ports, Endpoint::SlotInfo,
                         Endpoint::LedLight, Endpoint::DeleteBatch, Endpoint::StatsFile}) {
        if (endpointName(e) == name) {
            return e;
        }
    }
    return std::nullopt;
}

namespace wire {

namespace {

int hexValue(char c) {
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    if (c >= 'A' && c <= 'F') {
        return c - 'A' + 10;
    }
    if (c >= 'a' && c <= 'f') {
        return c - 'a' + 10;
    }
    return -1;
}

template <typename Number> std::optional<Number> numberOf(const std::optional<std::string>& text) {
    if (!text) {
        return std::nullopt;
    }
    Number value{};
    const auto* end = text->data() + text->size();
    const auto [ptr, ec] = std::from_chars(text->data(), end, value);
    if (ec != std::errc() || ptr != end) {
        return std::nullopt;
    }
    return value;
}

template <typename Number> std::string numberText(Number value) {
    char buffer[64];
    const auto [end, ec] = std::to_chars(buffer, buffer + sizeof buffer, value);
    return ec == std::errc() ? std::string(buffer, end) : std::string("0");
}

using Clock = std::chrono::system_clock;

std::string timeText(Clock::time_point time) {
    return numberText(
        std::chrono::duration_cast<std::chrono::nanoseconds>(time.time_since_epoch()).count());
}

std::optional<Clock::time_point> timeOf(const std::optional<std::string>& text) {
    const auto nanos = numberOf<long long>(text);
    if (!nanos) {
        return std::nullopt;
    }
    return Clock::time_point(
        std::chrono::duration_cast<Clock::duration>(std::chrono::nanoseconds(*nanos)));
}

} // namespace

std::string encode(std::string_view bytes) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string out;
    out.reserve(bytes.size());
    for (const char c : bytes) {
        const auto b = static_cast<unsigned char>(c);
        if ((b >= 'A' && b <= 'Z') || (b >= 'a' && b <= 'z') || (b >= '0' && b <= '9') ||
            b == '.' || b == '_' || b == '~' || b == '-') {
            out.push_back(c);
        } else {
            out.push_back('%');
            out.push_back(kHex[b >> 4]);
            out.push_back(kHex[b & 0xF]);
        }
    }
    return out;
}

std::string decode(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '%' && i + 2 < text.size() && hexValue(text[i + 1]) >= 0 &&
            hexValue(text[i + 2]) >= 0) {
            out.push_back(static_cast<char>(hexValue(text[i + 1]) * 16 + hexValue(text[i + 2])));
            i += 2;
        } else {
            out.push_back(text[i]);
        }
    }
    return out;
}

std::string recordLine(const Record& record) {
    std::string line;
    for (const auto& [name, value] : record) {
        if (!line.empty()) {
            line.push_back('&');
        }
        line += encode(name) + "=" + encode(value);
    }
    return line;
}

std::vector<Record> parseRecords(std::string_view text) {
    std::vector<Record> records;
    while (!text.empty()) {
        const auto end = text.find('\n');
        auto line = text.substr(0, end);
        text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
        if (!line.empty() && line.back() == '\r') {
            line.remove_suffix(1);
        }
        if (line.empty()) {
            continue;
        }
        Record record;
        while (!line.empty()) {
            const auto amp = line.find('&');
            const auto item = line.substr(0, amp);
            const auto eq = item.find('=');
            record.emplace_back(decode(item.substr(0, eq)), eq == std::string_view::npos
                                                                ? std::string()
                                                                : decode(item.substr(eq + 1)));
            line.remove_prefix(amp == std::string_view::npos ? line.size() : amp + 1);
        }
        records.push_back(std::move(record));
    }
    return records;
}

std::optional<std::string> field(const Record& record, std::string_view name) {
    for (const auto& [key, value] : record) {
        if (key == name) {
            return value;
        }
    }
    return std::nullopt;
}

Record toRecord(const LoggedRequest& request) {
    Record record{{"method", request.method},
                  {"path", request.path},
                  {"query", request.query},
                  {"size", numberText(request.bodySize)},
                  {"body", request.body},
                  {"port", numberText(request.localPort)},
                  {"status", numberText(request.status)}};
    if (request.endpoint) {
        record.emplace_back("endpoint", std::string(endpointName(*request.endpoint)));
    }
    return record;
}

Record toRecord(const LedLighting& lighting) {
    return {{"key", lighting.key},
            {"port", lighting.port},
            {"on", lighting.onDuration},
            {"off", lighting.offDuration},
            {"total", lighting.totalDuration},
            {"time", timeText(lighting.time)},
            {"expiry", timeText(lighting.expiry)},
            {"accepted", lighting.accepted ? "1" : "0"}};
}

Record toRecord(const PendingPort& port) {
    return {{"port", port.port}, {"status", port.status}, {"time", port.time}};
}

Record toRecord(const Slot& slot) {
    Record record{{"slot", slot.slot}};
    if (slot.iccid) {
        record.emplace_back("iccid", *slot.iccid);
    }
    return record;
}

std::optional<LoggedRequest> loggedRequestOf(const Record& record) {
    auto method = field(record, "method");
    auto path = field(record, "path");
    auto query = field(record, "query");
    auto body = field(record, "body");
    const auto size = numberOf<std::size_t>(field(record, "size"));
    const auto port = numberOf<int>(field(record, "port"));
    const auto status = numberOf<int>(field(record, "status"));
    if (!method || !path || !query || !body || !size || !port || !status) {
        return std::nullopt;
    }
    std::optional<Endpoint> endpoint;
    if (const auto name = field(record, "endpoint")) {
        endpoint = endpointFromName(*name);
        if (!endpoint) {
            return std::nullopt;
        }
    }
    return LoggedRequest{
        std::move(*method), std::move(*path), std::move(*query), *size, std::move(*body), *port,
        endpoint,           *status};
}

std::optional<LedLighting> ledLightingOf(const Record& record) {
    auto key = field(record, "key");
    auto port = field(record, "port");
    auto on = field(record, "on");
    auto off = field(record, "off");
    auto total = field(record, "total");
    const auto time = timeOf(field(record, "time"));
    const auto expiry = timeOf(field(record, "expiry"));
    const auto accepted = field(record, "accepted");
    if (!key || !port || !on || !off || !total || !time || !expiry || !accepted) {
        return std::nullopt;
    }
    return LedLighting{std::move(*key), std::move(*port),  std::move(*on),
                       std::move(*off), std::move(*total), *time,
                       *expiry,         *accepted == "1"};
}

std::optional<PendingPort> pendingPortOf(const Record& record) {
    auto port = field(record, "port");
    auto status = field(record, "status");
    auto time = field(record, "time");
    if (!port || !status || !time) {
        return std::nullopt;
    }
    return PendingPort{std::move(*port), std::move(*status), std::move(*time)};
}

std::optional<Slot> slotOf(const Record& record) {
    auto slot = field(record, "slot");
    if (!slot) {
        return std::nullopt;
    }
    return Slot{std::move(*slot), field(record, "iccid")};
}

std::string faultQuery(const Fault& fault) {
    Record items{{"latency", numberText(fault.latencyMs)},
                 {"refuse", numberText(fault.refuseShare)},
                 {"error500", numberText(fault.error500Share)},
                 {"error404", numberText(fault.error404Share)},
                 {"trickle", numberText(fault.trickleMs)},
                 {"cut", fault.cutAfterHeaders ? "1" : "0"},
                 {"malformed", fault.malformedJson ? "1" : "0"},
                 {"huge", numberText(fault.hugeReplyMegabytes)},
                 {"after", numberText(fault.afterRequests)}};
    if (!fault.htmlCharset.empty()) {
        items.emplace_back("charset", fault.htmlCharset);
    }
    return recordLine(items);
}

} // namespace wire

} // namespace sim
