#include "runtime/codepage.h"
#include "runtime/controls.h"
#include "runtime/delay.h"
#include "runtime/state.h"
#include "runtime/threads.h"
#include "runtime/worker_owner.h"
#include "service/operations.h"
#include "service/requests.h"

#include <algorithm>

namespace service {

using runtime::Text;

namespace {

constexpr std::size_t kShownReplyCharacters = 60;

Text portNameUnderLock(runtime::Window& window, std::int32_t row) {
    const runtime::LockGuard guard(runtime::ledLock.load());
    return window.cellText(controls::kPortList, row, 0);
}

void writeLineUnderLock(runtime::Window& window, std::string_view line) {
    const runtime::LockGuard guard(runtime::ledLock.load());
    window.writeLine(controls::kLogPanel, line);
}

// The reply's text as the operator can read it in one line: tags dropped, line breaks and runs
// of blanks as one space, at most kShownReplyCharacters characters, never cut inside a GBK one.
Text shownReply(std::string_view body) {
    Text shown;
    bool inTag = false;
    bool blank = false;
    std::size_t characters = 0;
    for (std::size_t at = 0; at < body.size() && characters < kShownReplyCharacters;) {
        const auto byte = static_cast<unsigned char>(body[at]);
        if (inTag || byte == '<') {
            inTag = byte != '>';
            blank = true;
            ++at;
            continue;
        }
        if (byte == ' ' || byte == '\t' || byte == '\r' || byte == '\n') {
            blank = true;
            ++at;
            continue;
        }
        if (blank && !shown.empty()) {
            shown += ' ';
            ++characters;
            if (characters == kShownReplyCharacters) {
                break;
            }
        }
        blank = false;
        const std::size_t width = byte >= 0x81 && byte <= 0xFE && at + 1 < body.size() ? 2 : 1;
        shown.append(body.substr(at, width));
        at += width;
        ++characters;
    }
    return shown;
}

// Why the port will not blink: the engine's message when no answer came, otherwise that the
// service did not confirm, with its status line and what it said.
Text givingUpReason(const Reply& reply) {
    if (reply.failure) {
        return failureText(reply);
    }
    return runtime::concat({runtime::gbk("服务未确认 (HTTP "), reply.statusLine,
                            runtime::gbk(")，回复："), shownReply(reply.body)});
}

} // namespace

LedOutcome lightPortLed(Session& session, std::int32_t row) {
    // Read once: the list may be replaced between tries, and every try lights this port.
    const Text port = portNameUnderLock(session.window(), row);
    return lightNamedPort(session, port, runtime::ledDuration());
}

LedOutcome lightNamedPort(Session& session, std::string_view port, runtime::LedDuration duration) {
    runtime::Window& window = session.window();
    LedOutcome outcome = lightLed(session, port, duration);
    if (outcome.lit) {
        writeLineUnderLock(window, runtime::concat({port, runtime::gbk("点亮成功")}));
        return outcome;
    }
    if (runtime::stopRequested()) {
        return outcome; // the window or the session is going; nobody is left to read the line
    }
    // The operator must learn that the card will not blink: say so after the last try.
    writeLineUnderLock(window, requestFailedLine(runtime::concat({port, runtime::gbk("点亮")}),
                                                 ledFailureReason(outcome)));
    return outcome;
}

Text ledFailureReason(const LedOutcome& outcome) {
    return givingUpReason(outcome.lastReply);
}

} // namespace service
