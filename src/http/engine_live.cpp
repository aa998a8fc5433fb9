// HttpRequestEngine on a window's thread: the request runs on a helper thread with its own
// copies of everything it reads and writes, while the window stays live; the caller's variables
// are written once it has finished. A wait the operator cancels ends as a request that got no
// answer in time; the helper finishes the request unobserved.
#include "http/engine.h"
#include "http/engine_on_this_thread.h"
#include "http/messages.h"
#include "http/outcome.h"
#include "runtime/live_wait.h"

#include <memory>

namespace http {

namespace {

// Everything one request reads and writes, owned by the request.
struct RequestCopy {
    Text url;
    Text bodyText;
    std::optional<Text> sendCookies;
    std::optional<Text> receivedCookies;
    Text extraHeaders;
    std::optional<Text> responseHeaders;
    Text userName;
    Text password;
    Text proxy;
    Text proxyUser;
    Text proxyPassword;
    std::optional<Text> redirectLocation;
    std::optional<Text> statusText;
    std::optional<ByteArray> responseBytes;
    std::optional<ByteArray> bodyBytes;
    Text result;
    RequestOutcome outcome;
};

template <typename T> std::optional<T> copyOf(const T* value) {
    return value != nullptr ? std::optional<T>(*value) : std::nullopt;
}

template <typename T> T* pointerTo(std::optional<T>& value) {
    return value ? &*value : nullptr;
}

template <typename T> void copyBack(const std::optional<T>& value, T* target) {
    if (value && target != nullptr) {
        *target = *value;
    }
}

} // namespace

Text HttpRequestEngine(std::string_view url, int method, std::string_view bodyText,
                       Text* sendCookies, Text* receivedCookies, std::string_view extraHeaders,
                       Text* responseHeaders, bool noRedirect, std::string_view userName,
                       std::string_view password, std::string_view proxy,
                       std::string_view proxyUser, std::string_view proxyPassword,
                       int timeoutSeconds, Text* redirectLocation, Text* statusText,
                       ByteArray* responseBytes, std::optional<bool> mergeCookies,
                       std::optional<bool> completeHeaders, const ByteArray* bodyBytes,
                       std::optional<bool> normalizeHeaderCase) {
    if (!runtime::waitsLiveHere()) {
        return requestOnThisThread(url, method, bodyText, sendCookies, receivedCookies,
                                   extraHeaders, responseHeaders, noRedirect, userName, password,
                                   proxy, proxyUser, proxyPassword, timeoutSeconds,
                                   redirectLocation, statusText, responseBytes, mergeCookies,
                                   completeHeaders, bodyBytes, normalizeHeaderCase);
    }
    const std::size_t limit = replyLimit();
    const auto request = [=](RequestCopy& r) {
        // The outcome is taken on the helper thread and handed on on the calling thread.
        const OutcomeCapture capture(limit);
        r.result = requestOnThisThread(
            r.url, method, r.bodyText, pointerTo(r.sendCookies), pointerTo(r.receivedCookies),
            r.extraHeaders, pointerTo(r.responseHeaders), noRedirect, r.userName, r.password,
            r.proxy, r.proxyUser, r.proxyPassword, timeoutSeconds, pointerTo(r.redirectLocation),
            pointerTo(r.statusText), pointerTo(r.responseBytes), mergeCookies, completeHeaders,
            pointerTo(r.bodyBytes), normalizeHeaderCase);
        r.outcome = capture.outcome();
    };
    auto copy = std::make_shared<RequestCopy>(RequestCopy{Text(url),
                                                          Text(bodyText),
                                                          copyOf(sendCookies),
                                                          copyOf(receivedCookies),
                                                          Text(extraHeaders),
                                                          copyOf(responseHeaders),
                                                          Text(userName),
                                                          Text(password),
                                                          Text(proxy),
                                                          Text(proxyUser),
                                                          Text(proxyPassword),
                                                          copyOf(redirectLocation),
                                                          copyOf(statusText),
                                                          copyOf(responseBytes),
                                                          copyOf(bodyBytes),
                                                          {},
                                                          {}});
    if (!runtime::runWhileLive([copy, request] { request(*copy); })) {
        recordOutcome(RequestOutcome{.failure = Failure::NoResponse});
        if (statusText != nullptr) {
            *statusText = failureMessage(Failure::NoResponse);
        }
        return {};
    }
    recordOutcome(copy->outcome);
    copyBack(copy->sendCookies, sendCookies);
    copyBack(copy->receivedCookies, receivedCookies);
    copyBack(copy->responseHeaders, responseHeaders);
    copyBack(copy->redirectLocation, redirectLocation);
    copyBack(copy->statusText, statusText);
    copyBack(copy->responseBytes, responseBytes);
    return std::move(copy->result);
}

} // namespace http
