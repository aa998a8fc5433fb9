#include "http/url_parts.h"

#include <algorithm>
#include <charconv>

namespace http {
namespace {

bool equalsIgnoringCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               const auto lower = [](char c) {
                   return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
               };
               return lower(x) == lower(y);
           });
}

bool isValidHost(std::string_view host) {
    return !host.empty() && host.find_first_of(" \\<>\"{}|^`[]") == std::string_view::npos;
}

} // namespace

bool hasControlCharacter(std::string_view text) {
    return std::any_of(text.begin(), text.end(), [](char c) {
        const auto byte = static_cast<unsigned char>(c);
        return byte < 0x20 || byte == 0x7F;
    });
}

std::optional<UrlParts> splitUrl(std::string_view url) {
    if (hasControlCharacter(url)) {
        return std::nullopt;
    }
    const std::size_t schemeEnd = url.find("://");
    if (schemeEnd == std::string_view::npos) {
        return std::nullopt;
    }
    UrlParts parts;
    const std::string_view scheme = url.substr(0, schemeEnd);
    if (equalsIgnoringCase(scheme, "https")) {
        parts.secure = true;
    } else if (!equalsIgnoringCase(scheme, "http")) {
        return std::nullopt;
    }
    std::string_view rest = url.substr(schemeEnd + 3);
    const std::size_t authorityEnd = std::min(rest.find_first_of("/?#"), rest.size());
    std::string_view authority = rest.substr(0, authorityEnd);
    rest.remove_prefix(authorityEnd);
    if (const std::size_t at = authority.rfind('@'); at != std::string_view::npos) {
        authority.remove_prefix(at + 1);
    }

    std::string_view host = authority;
    std::string_view port;
    if (authority.starts_with('[')) {
        const std::size_t close = authority.find(']');
        if (close == std::string_view::npos) {
            return std::nullopt;
        }
        host = authority.substr(1, close - 1);
        const std::string_view after = authority.substr(close + 1);
        if (!after.empty() && !after.starts_with(':')) {
            return std::nullopt;
        }
        port = after.empty() ? after : after.substr(1);
        if (host.find_first_not_of("0123456789abcdefABCDEF:.") != std::string_view::npos) {
            return std::nullopt;
        }
    } else if (const std::size_t colon = authority.rfind(':'); colon != std::string_view::npos) {
        host = authority.substr(0, colon);
        port = authority.substr(colon + 1);
    }
    if (host.empty() || (!authority.starts_with('[') && !isValidHost(host))) {
        return std::nullopt;
    }
    parts.host = Text(host);
    parts.port = parts.secure ? 443 : 80;
    if (!port.empty()) {
        unsigned value = 0;
        const auto [end, error] = std::from_chars(port.data(), port.data() + port.size(), value);
        if (error != std::errc() || end != port.data() + port.size() || value < 1 ||
            value > 65535) {
            return std::nullopt;
        }
        parts.port = static_cast<std::uint16_t>(value);
    }

    const std::size_t pathEnd = std::min(rest.find_first_of("?#"), rest.size());
    parts.path = Text(rest.substr(0, pathEnd));
    parts.extraInfo = Text(rest.substr(pathEnd));
    return parts;
}

} // namespace http
