#include "http/curl_header_lines.h"

#include "runtime/codepage.h"

#include <algorithm>
#include <array>

namespace http {
namespace {

std::string lowerAscii(std::string_view text) {
    std::string lower(text);
    std::transform(lower.begin(), lower.end(), lower.begin(), [](char c) {
        return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
    });
    return lower;
}

std::string_view trimmed(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) {
        text.remove_prefix(1);
    }
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) {
        text.remove_suffix(1);
    }
    return text;
}

} // namespace

std::optional<CurlHeaders> curlHeaderLines(std::string_view headerText) {
    CurlHeaders headers;
    std::vector<std::string>& lines = headers.lines;
    std::vector<std::string> names;
    while (!headerText.empty()) {
        const std::size_t end = std::min(headerText.find_first_of("\r\n"), headerText.size());
        const std::string_view line = headerText.substr(0, end);
        headerText.remove_prefix(end);
        if (headerText.starts_with("\r\n")) {
            headerText.remove_prefix(2);
        } else if (!headerText.empty()) {
            headerText.remove_prefix(1);
        }
        if (trimmed(line).empty()) {
            continue;
        }
        const std::size_t colon = line.find(':');
        if (colon == std::string_view::npos || trimmed(line.substr(0, colon)).empty()) {
            return std::nullopt;
        }
        names.push_back(lowerAscii(trimmed(line.substr(0, colon))));
        if (names.back() == "cookie") {
            const std::string_view value = trimmed(line.substr(colon + 1));
            if (!value.empty()) {
                headers.cookie += (headers.cookie.empty() ? "" : "; ") + std::string(value);
            }
            continue;
        }
        // libcurl reads "Name:" as "remove Name"; "Name;" sends it with an empty value.
        if (trimmed(line.substr(colon + 1)).empty()) {
            lines.push_back(std::string(line.substr(0, colon)) + ";");
        } else {
            lines.emplace_back(line);
        }
    }
    for (const std::string_view own : {"accept", "expect", "content-type"}) {
        if (std::find(names.begin(), names.end(), own) == names.end()) {
            std::string off(own);
            off[0] = static_cast<char>(off[0] - 'a' + 'A');
            lines.push_back(off + ":");
        }
    }
    return headers;
}

std::string escapeObjectName(std::string_view objectName) {
    constexpr std::string_view kRefused = " \"<>\\^`{|}";
    constexpr std::array<char, 16> kHex{'0', '1', '2', '3', '4', '5', '6', '7',
                                        '8', '9', 'A', 'B', 'C', 'D', 'E', 'F'};
    // Plain ASCII reads the same in GBK and UTF-8; only other names need the converter.
    const bool ascii = std::all_of(objectName.begin(), objectName.end(),
                                   [](char c) { return static_cast<unsigned char>(c) < 0x80; });
    const std::string utf8 = ascii ? std::string(objectName) : runtime::gbkToUtf8(objectName);
    std::string escaped;
    escaped.reserve(utf8.size());
    for (const char c : utf8) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x21 || byte >= 0x7F || kRefused.find(c) != std::string_view::npos) {
            escaped += '%';
            escaped += kHex[byte >> 4U];
            escaped += kHex[byte & 0x0FU];
        } else {
            escaped += c;
        }
    }
    return escaped;
}

} // namespace http
