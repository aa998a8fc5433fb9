#pragma once
// HttpRequestEngine: the engine's classic 21-parameter face, an adapter over http::perform
// (request.h), which the service layer calls directly. One synchronous call per request; each
// call opens and closes its own transport handles and keeps nothing between calls.
//
// Parameters keep their documented order. Out and in/out parameters are caller variables passed
// by pointer (nullptr = left out); the three booleans whose default is true are optionals, so a
// left-out value (nullopt) and a given false differ. Failures never throw: statusText receives a
// numbered message (700-713) and the result is empty (after 713, the partial body).

#include "runtime/text.h"

#include <optional>
#include <string_view>

namespace http {

using runtime::ByteArray;
using runtime::Text;

Text HttpRequestEngine(std::string_view url, int method = 0, std::string_view bodyText = {},
                       Text* sendCookies = nullptr, Text* receivedCookies = nullptr,
                       std::string_view extraHeaders = {}, Text* responseHeaders = nullptr,
                       bool noRedirect = false, std::string_view userName = {},
                       std::string_view password = {}, std::string_view proxy = {},
                       std::string_view proxyUser = {}, std::string_view proxyPassword = {},
                       int timeoutSeconds = 0, Text* redirectLocation = nullptr,
                       Text* statusText = nullptr, ByteArray* responseBytes = nullptr,
                       std::optional<bool> mergeCookies = std::nullopt,
                       std::optional<bool> completeHeaders = std::nullopt,
                       const ByteArray* bodyBytes = nullptr,
                       std::optional<bool> normalizeHeaderCase = std::nullopt);

} // namespace http
