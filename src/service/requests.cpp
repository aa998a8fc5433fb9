#include "service/requests.h"

#include "http/engine.h"
#include "http/outcome.h"
#include "runtime/codepage.h"
#include "runtime/state.h"
#include "service/endpoints.h"

#include <atomic>
#include <functional>

namespace service {

namespace {

bool travelsEscaped(unsigned char byte) {
    switch (byte) {
    case ' ':
    case '"':
    case '#':
    case '%':
    case '&':
    case '+':
        return true;
    default:
        return byte < 0x20 || byte == 0x7F;
    }
}

Text statusLineRemark(std::string_view status) {
    return runtime::concat({" (HTTP ", status, ")"});
}

Text sizeText(ReplySize limit) {
    const auto bytes = static_cast<long long>(limit);
    return bytes >= 1024 * 1024 ? runtime::concat({runtime::toText(bytes / (1024 * 1024)), " MiB"})
                                : runtime::concat({runtime::toText(bytes / 1024), " KiB"});
}

// What went wrong with a request that did not succeed, in the log panel's words.
Text failureOf(const http::RequestOutcome& outcome, std::string_view status, ReplySize limit) {
    if (outcome.failure == http::Failure::ReplyTooLarge) {
        return runtime::concat({runtime::gbk("回复超过 "), sizeText(limit),
                                runtime::gbk("，已停止接收"), statusLineRemark(status)});
    }
    if (outcome.failure) {
        const Text message = http::failureMessage(*outcome.failure);
        // A body that broke off after the status line: the message and the status it came with.
        return outcome.statusCode != 0 ? runtime::concat({message, statusLineRemark(status)})
                                       : message;
    }
    return runtime::concat({runtime::gbk("服务回复了错误状态"), statusLineRemark(status)});
}

std::atomic<int> requestTimeoutSeconds{0};

Reply judged(ReplySize limit, const std::function<Text(Text* status)>& request) {
    Reply reply;
    const http::OutcomeCapture capture(static_cast<std::size_t>(limit));
    reply.body = request(&reply.status);
    reply.outcome = capture.outcome();
    reply.succeeded = reply.outcome.succeeded();
    if (!reply.succeeded) {
        reply.failure = failureOf(capture.outcome(), reply.status, limit);
    }
    return reply;
}

} // namespace

void setRequestTimeoutSeconds(int seconds) {
    requestTimeoutSeconds = seconds;
}

Text serviceUrl(std::string_view pathAndQuery) {
    const Text host = runtime::routeHost();
    return runtime::concat({"http://", host, pathAndQuery});
}

Text statsUrl(std::string_view path) {
    const Text server = endpoints().statsServer;
    return runtime::concat({"http://", server, path});
}

Text urlValue(std::string_view value) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    Text out;
    out.reserve(value.size());
    for (const char c : value) {
        const auto byte = static_cast<unsigned char>(c);
        if (travelsEscaped(byte)) {
            out += '%';
            out += kHex[byte >> 4];
            out += kHex[byte & 0x0F];
        } else {
            out += c;
        }
    }
    return out;
}

Reply getText(std::string_view url, ReplySize limit) {
    return judged(limit, [url](Text* status) {
        return http::HttpRequestEngine(url, 0, {}, nullptr, nullptr, {}, nullptr, false, {}, {}, {},
                                       {}, {}, requestTimeoutSeconds.load(), nullptr, status);
    });
}

Reply postText(std::string_view url, std::string_view bodyText, ReplySize limit) {
    return judged(limit, [url, bodyText](Text* status) {
        return http::HttpRequestEngine(url, 1, bodyText, nullptr, nullptr, {}, nullptr, false, {},
                                       {}, {}, {}, {}, requestTimeoutSeconds.load(), nullptr,
                                       status);
    });
}

Text requestFailedLine(std::string_view what, std::string_view happened) {
    return runtime::concat({runtime::gbk("请求失败（"), what, runtime::gbk("）："), happened});
}

Text requestFailedLine(std::string_view what, const Reply& reply) {
    if (!reply.succeeded) {
        return requestFailedLine(what, reply.failure);
    }
    return requestFailedLine(what, unreadableReplyText(reply));
}

Text unreadableReplyText(const Reply& reply) {
    return runtime::concat(
        {runtime::gbk(reply.body.empty() ? "服务器没有返回内容" : "回复无法识别"),
         statusLineRemark(reply.status)});
}

} // namespace service
