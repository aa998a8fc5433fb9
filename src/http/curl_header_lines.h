#pragma once
// The engine's header text as libcurl header lines. libcurl adds headers of its own; the lines
// returned also switch those off, so only Host and Content-Length go out unasked.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace http {

struct CurlHeaders {
    std::vector<std::string> lines;
    // The values of the Cookie lines, joined by "; ". libcurl sends them on one Cookie line
    // together with the cookies its engine picked up on a redirect.
    std::string cookie;
};

// nullopt when a non-empty line has no ":" (a malformed header). CR LF, a lone CR and a lone
// LF all end a line, so no line break can reach the request inside a header.
std::optional<CurlHeaders> curlHeaderLines(std::string_view headerText);

// The object name as it goes into a URL for libcurl: bytes outside printable ASCII (as UTF-8)
// and characters libcurl refuses are percent-encoded.
std::string escapeObjectName(std::string_view objectName);

} // namespace http
