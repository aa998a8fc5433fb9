#pragma once
// The request engine's steps, run on the calling thread; HttpRequestEngine runs them here or,
// on a window's thread, on a helper thread while the window stays live.

#include "runtime/text.h"

#include <optional>
#include <string_view>

namespace http {

runtime::Text requestOnThisThread(
    std::string_view url, int method, std::string_view bodyText, runtime::Text* sendCookies,
    runtime::Text* receivedCookies, std::string_view extraHeaders, runtime::Text* responseHeaders,
    bool noRedirect, std::string_view userName, std::string_view password, std::string_view proxy,
    std::string_view proxyUser, std::string_view proxyPassword, int timeoutSeconds,
    runtime::Text* redirectLocation, runtime::Text* statusText, runtime::ByteArray* responseBytes,
    std::optional<bool> mergeCookies, std::optional<bool> completeHeaders,
    const runtime::ByteArray* bodyBytes, std::optional<bool> normalizeHeaderCase);

} // namespace http
