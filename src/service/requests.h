#pragma once
// Service requests: the URL scheme and the engine calls every operation shares.

#include "http/messages.h"
#include "runtime/text.h"
#include "service/codec.h"

#include <optional>
#include <string_view>

namespace service {

using runtime::Text;

// "http://" + routeHost + pathAndQuery. Values go into pathAndQuery through urlValue.
Text serviceUrl(std::string_view routeHost, std::string_view pathAndQuery);
// "http://" + the statistics file server's address + path.
Text statsUrl(std::string_view path);

// How much of a reply an operation reads before it gives up on it: a hostile or broken server
// must not make the client take a gigabyte.
enum class ReplySize : std::size_t {
    StatsRecord = 4 * 1024,  // twelve counts
    Short = 1024 * 1024,     // a verdict: sign-in, LED, deletion
    List = 64 * 1024 * 1024, // pools, ports, slots: room for 1,000,000 rows
};

struct Reply {
    Text body;       // whatever arrived, also from a failed request
    Text statusLine; // "200 OK", as the service answered; empty when no answer came
    int statusCode = 0;
    std::optional<http::Failure> failure; // the engine gave up, the body broke off or outgrew
    ReplySize limit = ReplySize::Short;

    // A complete answer with a 2xx status: only then does an operation read the body.
    bool succeeded() const { return !failure && statusCode >= 200 && statusCode < 300; }
};

// What happened to a request that did not succeed, in the log panel's words (GBK): the
// engine's message, or the status line the service answered with.
Text failureText(const Reply& reply);

// The time-out every service request hands the engine (0: the engine's own, 30 s); a request
// ends within twice its time-out whatever the server does.
void setRequestTimeoutSeconds(int seconds);

// GET through the request engine, every other option at its default.
Reply getText(std::string_view url, ReplySize limit);
// POST of bodyText through the request engine, every other option at its default.
Reply postText(std::string_view url, std::string_view bodyText, ReplySize limit);

// The log-panel line for an operation whose request did not succeed (GBK): what (e.g.
// gbk("刷新卡池列表")) and what happened.
Text requestFailedLine(std::string_view what, std::string_view happened);
// The same for a reply: its failure, or for a successful one without a body, the remark that
// the service sent no content.
Text requestFailedLine(std::string_view what, const Reply& reply);
// What to say of a successful reply that the operation cannot read: that it is empty, or that
// it cannot be recognised, with its status line.
Text unreadableReplyText(const Reply& reply);

} // namespace service
