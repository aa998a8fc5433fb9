#include "runtime/codepage.h"
#include "runtime/controls.h"
#include "runtime/delay.h"
#include "runtime/state.h"
#include "runtime/threads.h"
#include "service/operations.h"
#include "service/requests.h"

#include <algorithm>

namespace service {

using runtime::Text;

namespace {

constexpr int kTries = 3;
constexpr int kRetryDelayMs = 500;
constexpr std::size_t kShownReplyBytes = 80;

Text portNameUnderLock(runtime::Window& window, std::int32_t row) {
    const auto lock = runtime::ledLock.load();
    runtime::enterLock(lock);
    Text name = window.cellText(controls::kPortList, row, 0);
    runtime::leaveLock(lock);
    return name;
}

void writeLineUnderLock(runtime::Window& window, std::string_view line) {
    const auto lock = runtime::ledLock.load();
    runtime::enterLock(lock);
    window.writeLine(controls::kLogPanel, line);
    runtime::leaveLock(lock);
}

// The first line of a refusal, short enough for the log panel.
Text shownReply(std::string_view body) {
    const auto end = body.find_first_of("\r\n");
    Text shown(body.substr(0, end == std::string_view::npos ? body.size() : end));
    // Cut at a character start, never inside a two-byte character.
    std::size_t cut = 0;
    while (cut < shown.size()) {
        const std::size_t width = static_cast<unsigned char>(shown[cut]) >= 0x80 ? 2 : 1;
        if (cut + width > kShownReplyBytes) {
            break;
        }
        cut += width;
    }
    shown.resize(std::min(cut, shown.size()));
    return shown;
}

} // namespace

void lightPortLed(runtime::Window& window, std::int32_t row) {
    Text port;
    Reply reply;
    for (int attempt = 0; attempt < kTries; ++attempt) {
        port = portNameUnderLock(window, row);
        const char* total = runtime::ledMode.load() == 1 ? "1200000" : "600000";
        reply = getText(serviceUrl(
            runtime::concat({"/sinterface/ledLight?ukey=", runtime::userKey(), "&slot=", port,
                             "&on_duration=59000&off_duration=1000&total_duration=", total})));
        if (runtime::findText(reply.body, "OK") != -1) {
            writeLineUnderLock(window, runtime::concat({port, runtime::gbk("点亮成功")}));
            return;
        }
        runtime::responsiveDelay(kRetryDelayMs);
    }
    // The operator must learn that the card will not blink: say so after the last try.
    const Text reason =
        reply.body.empty()
            ? reply.status
            : runtime::concat({runtime::gbk("服务未确认，回复："), shownReply(reply.body)});
    const Text why = requestFailedLine(runtime::concat({port, runtime::gbk("点亮")}), reason);
    writeLineUnderLock(window, why);
}

} // namespace service
