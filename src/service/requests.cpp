#include "service/requests.h"

#include "http/request.h"
#include "runtime/codepage.h"
#include "runtime/worker_owner.h"
#include "service/endpoints.h"

#include <atomic>

namespace service {

namespace {

Text statusLineRemark(std::string_view status) {
    return runtime::concat({" (HTTP ", status, ")"});
}

Text sizeText(ReplySize limit) {
    const auto bytes = static_cast<long long>(limit);
    return bytes >= 1024 * 1024 ? runtime::concat({runtime::toText(bytes / (1024 * 1024)), " MiB"})
                                : runtime::concat({runtime::toText(bytes / 1024), " KiB"});
}

std::atomic<int> requestTimeoutSeconds{0};

Reply performed(const http::Request& request, ReplySize limit) {
    http::Request limited = request;
    limited.replyLimit = static_cast<std::size_t>(limit);
    limited.timeoutSeconds = requestTimeoutSeconds.load();
    // A worker whose window goes is not held up by its request.
    limited.stop = runtime::currentStopToken();
    http::Result result = http::perform(limited);
    Reply reply;
    reply.body = std::move(result.body);
    if (result.head && result.statusText) {
        reply.statusLine = std::move(*result.statusText);
    }
    reply.statusCode = result.statusCode;
    reply.failure = result.failure;
    reply.limit = limit;
    return reply;
}

} // namespace

void setRequestTimeoutSeconds(int seconds) {
    requestTimeoutSeconds = seconds;
}

Text serviceUrl(std::string_view routeHost, std::string_view pathAndQuery) {
    return runtime::concat({"http://", routeHost, pathAndQuery});
}

Text statsUrl(std::string_view path) {
    const Text server = endpoints().statsServer;
    return runtime::concat({"http://", server, path});
}

Reply getText(std::string_view url, ReplySize limit) {
    return performed({.url = url}, limit);
}

Reply postText(std::string_view url, std::string_view bodyText, ReplySize limit) {
    return performed({.url = url, .method = http::Method::Post, .bodyText = bodyText}, limit);
}

Text failureText(const Reply& reply) {
    if (reply.failure == http::Failure::ReplyTooLarge) {
        return runtime::concat({runtime::gbk("回复超过 "), sizeText(reply.limit),
                                runtime::gbk("，已停止接收"), statusLineRemark(reply.statusLine)});
    }
    if (reply.failure) {
        const Text message = http::failureMessage(*reply.failure);
        // A body that broke off after the status line: the message and the status it came with.
        return reply.statusCode != 0
                   ? runtime::concat({message, statusLineRemark(reply.statusLine)})
                   : message;
    }
    return runtime::concat(
        {runtime::gbk("服务回复了错误状态"), statusLineRemark(reply.statusLine)});
}

Text requestFailedLine(std::string_view what, std::string_view happened) {
    return runtime::concat({runtime::gbk("请求失败（"), what, runtime::gbk("）："), happened});
}

Text requestFailedLine(std::string_view what, const Reply& reply) {
    if (!reply.succeeded()) {
        return requestFailedLine(what, failureText(reply));
    }
    return requestFailedLine(what, unreadableReplyText(reply));
}

Text unreadableReplyText(const Reply& reply) {
    return runtime::concat(
        {runtime::gbk(reply.body.empty() ? "服务器没有返回内容" : "回复无法识别"),
         statusLineRemark(reply.statusLine)});
}

} // namespace service
