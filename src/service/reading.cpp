#include "service/reading.h"

#include "runtime/delay.h"
#include "runtime/worker_owner.h"
#include "script/script_json.h"
#include "service/codec.h"
#include "service/pool_membership.h"
#include "service/text_between.h"

#include <optional>
#include <string_view>
#include <vector>

namespace service {

namespace {

constexpr int kLedTries = 3;
constexpr std::chrono::milliseconds kLedRetryDelay{500};

// What a successful reply that cannot be read is: the reply itself, which the showing half's
// line calls empty or unrecognisable.
template <typename Value> Read<Value> unreadable(Reply reply) {
    return std::unexpected(std::move(reply));
}

} // namespace

Reply queryPorts(std::string_view routeHost, std::string_view key) {
    return getText(
        serviceUrl(routeHost, runtime::concat({"/sinterface/port/get?ukey=", urlValue(key)})),
        ReplySize::List);
}

Read<std::vector<Text>> readPoolNames(const Session& session) {
    Reply reply =
        getText(serviceUrl(session.routeHost(),
                           runtime::concat({"/sinterface/getDev?uKey=", urlValue(session.key())})),
                ReplySize::List);
    if (!reply.succeeded()) {
        return std::unexpected(std::move(reply));
    }
    script::ScriptJson json;
    if (!json.load(reply.body)) {
        return unreadable<std::vector<Text>>(std::move(reply));
    }
    TextList quoted;
    if (json.getJsonText("ret") == "0") {
        const Text inner = textBetween(reply.body, "[", "]");
        allTextsBetween(inner, "\"", "\"", quoted);
    }
    // Between two quoted names lies the "," that separates them: not a name.
    std::vector<Text> names;
    for (Text& text : quoted) {
        if (text != ",") {
            names.push_back(std::move(text));
        }
    }
    return names;
}

Read<PortRows> readPendingPorts(const Session& session, std::optional<std::string_view> pool) {
    Reply reply = queryPorts(session.routeHost(), session.key());
    if (!reply.succeeded()) {
        return std::unexpected(std::move(reply));
    }
    // "name|status-time" lines, further "|" fields ignored, the status percent-encoded; a line
    // without anything after its first "|" lists nothing. Split as GBK text: a lead byte takes
    // the byte after it, a "|" or "-" included. Lines and fields are views into the reply, not
    // copies of it.
    PortRows ports;
    for (const std::string_view line : runtime::splitView(reply.body, "\r\n")) {
        const std::vector<std::string_view> fields = runtime::splitView(line, "|");
        if (fields.size() < 2 || (pool && !portBelongsToPool(fields[0], *pool))) {
            continue;
        }
        const Text status = percentDecode(fields[1]);
        const std::vector<std::string_view> pieces = runtime::splitView(status, "-");
        // A status without "-" leaves the time empty; an empty status leaves both empty.
        ports.add(fields[0], pieces.empty() ? std::string_view() : pieces[0],
                  pieces.size() < 2 ? std::string_view() : pieces[1]);
    }
    return ports;
}

Read<std::vector<SlotRow>> readUnseatedSlots(const Session& session, std::string_view pool) {
    Reply reply = getText(
        serviceUrl(session.routeHost(),
                   runtime::concat({"/sinterface/getSlotInfo?uKey=", urlValue(session.key()),
                                    "&slot=", urlValue(pool)})),
        ReplySize::List);
    if (!reply.succeeded()) {
        return std::unexpected(std::move(reply));
    }
    TextList records;
    allTextsBetween(reply.body, "{\"slot\":", "}", records, false, 0, {}, {}, true);
    std::vector<SlotRow> slots;
    for (const Text& record : records) {
        const Text iccid = textBetween(record, "iccid\":\"", "\"");
        Text slot = textBetween(record, "slot\":\"", "\"");
        if (!slot.empty() && iccid.empty()) {
            slots.push_back({std::move(slot)});
        }
    }
    return slots;
}

Read<PoolStatistics> readPoolStatistics(const Session& session, std::string_view pool) {
    const Text file = statsFileName(runtime::concat({session.key(), "-", pool}), kStatsFileKey);
    Reply reply =
        getText(statsUrl(runtime::concat({"/file/", file, ".txt"})), ReplySize::StatsRecord);
    // A failed read (the "404 Not" page included) is no record.
    auto cells = reply.succeeded() ? statsCells(reply.body) : std::nullopt;
    if (!cells) {
        return std::unexpected(std::move(reply));
    }
    return PoolStatistics{Text(pool), std::move(*cells), std::chrono::system_clock::now()};
}

LedOutcome lightLed(const Session& session, std::string_view port, runtime::LedDuration duration) {
    LedOutcome outcome{.port = Text(port), .duration = duration, .lit = false, .lastReply = {}};
    const char* total = duration == runtime::LedDuration::TwentyMinutes ? "1200000" : "600000";
    for (int attempt = 0; attempt < kLedTries; ++attempt) {
        outcome.lastReply = getText(
            serviceUrl(
                session.routeHost(),
                runtime::concat({"/sinterface/ledLight?ukey=", urlValue(session.key()),
                                 "&slot=", urlValue(port),
                                 "&on_duration=59000&off_duration=1000&total_duration=", total})),
            ReplySize::Short);
        if (outcome.lastReply.succeeded() &&
            runtime::findText(outcome.lastReply.body, "OK") != -1) {
            outcome.lit = true;
            return outcome;
        }
        runtime::responsiveDelay(kLedRetryDelay);
        if (runtime::stopRequested()) {
            break;
        }
    }
    return outcome;
}

} // namespace service
