#pragma once
// The header block a request sends: the caller's lines, the browser-like defaults the caller
// left out, capitalised names, no explicit keep-alive, and the cookie line.

#include "runtime/text.h"

#include <string_view>

namespace http {

using runtime::Text;

// method: the engine's method index (1 is POST, which also gets a default Content-Type).
Text buildRequestHeaders(std::string_view extraHeaders, std::string_view sendCookies, int method,
                         bool completeHeaders, bool normalizeHeaderCase);

// Every line holding a ":" with its name capitalised per dash-separated piece; lines without a
// ":" are dropped. CR LF between lines, none at the end.
Text normalizeHeaderNames(std::string_view headers);

// The first character raised when it is an ASCII a to z.
Text capitalizeFirst(std::string_view text);

// Value after the last name + ": " on the first line beginning with name (case kept), or "".
Text headerValue(std::string_view headers, std::string_view name);

} // namespace http
