#pragma once
// Service requests: the URL scheme and the engine calls every operation shares.

#include "runtime/text.h"

#include <string_view>

namespace service {

using runtime::Text;

// "http://" + routeHost + pathAndQuery; values are inserted as they are, never URL-encoded.
Text serviceUrl(std::string_view pathAndQuery);
// "http://" + the statistics file server's address + path.
Text statsUrl(std::string_view path);

struct Reply {
    Text body;   // empty when the request failed
    Text status; // the engine's status text: status line, or its failure message
};

// GET through the request engine, every other option at its default.
Reply getText(std::string_view url);
// POST of bodyText through the request engine, every other option at its default.
Reply postText(std::string_view url, std::string_view bodyText);

// The log-panel line added when an operation's request failed (GBK):
// what (e.g. gbk("刷新卡池列表")) and the engine's status message.
Text requestFailedLine(std::string_view what, std::string_view status);

} // namespace service
