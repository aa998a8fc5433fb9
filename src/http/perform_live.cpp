// A request on a window's thread runs on a helper thread with its own copies of everything it
// reads, while the window stays live. A wait the operator cancels ends as a request that got no
// answer in time, and its request is stopped at once.
#include "http/request.h"
#include "runtime/live_wait.h"

#include <memory>
#include <stop_token>

namespace http {

namespace {

// The request's texts, owned, and the request viewing them.
struct OwnedRequest {
    explicit OwnedRequest(const Request& original)
        : url(original.url), bodyText(original.bodyText), cookies(original.cookies),
          extraHeaders(original.extraHeaders), userName(original.userName),
          password(original.password), proxy(original.proxy), proxyUser(original.proxyUser),
          proxyPassword(original.proxyPassword),
          bodyBytes(original.bodyBytes != nullptr ? *original.bodyBytes : ByteArray()),
          request(original) {
        request.url = url;
        request.bodyText = bodyText;
        request.bodyBytes = original.bodyBytes != nullptr ? &bodyBytes : nullptr;
        request.cookies = cookies;
        request.extraHeaders = extraHeaders;
        request.userName = userName;
        request.password = password;
        request.proxy = proxy;
        request.proxyUser = proxyUser;
        request.proxyPassword = proxyPassword;
    }
    OwnedRequest(const OwnedRequest&) = delete;
    OwnedRequest& operator=(const OwnedRequest&) = delete;

    Text url;
    Text bodyText;
    Text cookies;
    Text extraHeaders;
    Text userName;
    Text password;
    Text proxy;
    Text proxyUser;
    Text proxyPassword;
    ByteArray bodyBytes;
    Request request;
    Result result;
    // Ends the request when the operator cancels the wait, or when the caller's own stop comes.
    std::stop_source stop;
};

} // namespace

Result perform(const Request& request) {
    if (!runtime::waitsLiveHere()) {
        return performOnThisThread(request);
    }
    auto owned = std::make_shared<OwnedRequest>(request);
    owned->request.stop = owned->stop.get_token();
    const std::stop_callback callerStop(request.stop, [owned] { owned->stop.request_stop(); });
    if (!runtime::runWhileLive([owned] { owned->result = performOnThisThread(owned->request); })) {
        // Nobody waits for the answer any more: the request ends now, not at its deadline.
        owned->stop.request_stop();
        Result cancelled;
        cancelled.failure = Failure::NoResponse;
        cancelled.statusText = failureMessage(Failure::NoResponse);
        return cancelled;
    }
    return std::move(owned->result);
}

} // namespace http
