#pragma once
// One HTTP request and what became of it, as typed values. perform() is the engine; the
// 21-parameter HttpRequestEngine is a thin adapter over it for its own callers.

#include "http/messages.h"
#include "runtime/text.h"

#include <cstddef>
#include <optional>
#include <stop_token>
#include <string_view>

namespace http {

using runtime::ByteArray;
using runtime::Text;

enum class Method { Get, Post, Head, Put, Options, Delete, Trace, Connect, Patch };

inline constexpr std::size_t kNoReplyLimit = static_cast<std::size_t>(-1);

// The texts are views: they must outlive the call.
struct Request {
    std::string_view url;
    Method method = Method::Get;
    std::string_view bodyText{};
    const ByteArray* bodyBytes = nullptr; // when non-empty, sent instead of bodyText
    std::string_view cookies{};           // sent as the Cookie header when non-empty
    std::string_view extraHeaders{};
    bool noRedirect = false;
    std::string_view userName{};
    std::string_view password{};
    std::string_view proxy{};
    std::string_view proxyUser{};
    std::string_view proxyPassword{};
    int timeoutSeconds = 0; // below 1: 30 s; every request ends within twice its time-out
    bool mergeCookies = true;
    bool completeHeaders = true;
    bool normalizeHeaderCase = true;
    // Also hand back the body's raw bytes (Result::bytes): a second copy of the body.
    bool keepBytes = false;
    // A body growing beyond this many bytes is not read further (failure ReplyTooLarge).
    std::size_t replyLimit = kNoReplyLimit;
    // Once stop is requested every wait ends at once and the request fails as a time-out of
    // its phase would.
    std::stop_token stop{};
};

// The final response's head, once it was read.
struct ResponseHead {
    Text rawHeaders;              // status line and header lines, each ended by CR LF
    Text cookies;                 // Set-Cookie values, merged with the request's when asked
    std::optional<Text> location; // the last Location header
};

struct Result {
    // The engine gave up, the body broke off (Read), or outgrew the request's limit.
    std::optional<Failure> failure;
    int statusCode = 0; // 0 when no status line arrived
    // The status line's text after the code ("200 OK"), or the failure's message; nullopt in
    // the one case where neither exists (no head after a complete read).
    std::optional<Text> statusText;
    std::optional<ResponseHead> head;
    ByteArray bytes; // the body as it arrived (only with a head, and when the request asked)
    Text body;       // the body decoded to GBK text; what arrived even when it broke off

    // The status line arrived and the body ended where the reply said it would.
    bool complete() const { return !failure && statusCode != 0; }
    // A complete answer with a 2xx status.
    bool succeeded() const { return complete() && statusCode >= 200 && statusCode < 300; }
};

// On a window's thread the request runs on a helper thread while the window stays live (a wait
// the operator cancels ends as NoResponse); elsewhere on the calling thread.
Result perform(const Request& request);

// The engine's steps on the calling thread.
Result performOnThisThread(const Request& request);

} // namespace http
