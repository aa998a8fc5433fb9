// HttpRequestEngine over perform(): the parameters become a Request, the Result goes back into
// the caller's variables, each written only where the engine has always written it.
#include "http/engine.h"

#include "http/request.h"

namespace http {

namespace {

Method methodOf(int code) {
    return code >= 0 && code <= static_cast<int>(Method::Patch) ? static_cast<Method>(code)
                                                                : Method::Get;
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
    const Request request{
        .url = url,
        .method = methodOf(method),
        .bodyText = bodyText,
        .bodyBytes = bodyBytes,
        .cookies = sendCookies != nullptr ? std::string_view(*sendCookies) : std::string_view(),
        .extraHeaders = extraHeaders,
        .noRedirect = noRedirect,
        .userName = userName,
        .password = password,
        .proxy = proxy,
        .proxyUser = proxyUser,
        .proxyPassword = proxyPassword,
        .timeoutSeconds = timeoutSeconds,
        .mergeCookies = mergeCookies.value_or(true),
        .completeHeaders = completeHeaders.value_or(true),
        .normalizeHeaderCase = normalizeHeaderCase.value_or(true),
        .keepBytes = responseBytes != nullptr,
    };
    Result result = perform(request);

    if (statusText != nullptr && result.statusText) {
        *statusText = std::move(*result.statusText);
    }
    if (!result.head) {
        return {};
    }
    ResponseHead& head = *result.head;
    // The merged cookies are also left in the caller's cookie variable.
    if (sendCookies != nullptr && request.mergeCookies && !sendCookies->empty()) {
        *sendCookies = head.cookies;
    }
    if (redirectLocation != nullptr && head.location) {
        *redirectLocation = std::move(*head.location);
    }
    if (receivedCookies != nullptr) {
        *receivedCookies = std::move(head.cookies);
    }
    if (responseHeaders != nullptr) {
        *responseHeaders = std::move(head.rawHeaders);
    }
    if (responseBytes != nullptr) {
        *responseBytes = std::move(result.bytes);
    }
    return std::move(result.body);
}

} // namespace http
