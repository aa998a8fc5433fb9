#pragma once
// Splits an absolute http or https URL the way WinHttpCrackUrl does, for transports that have
// no such call of their own.

#include "http/transport.h"

#include <optional>
#include <string_view>

namespace http {

// True when the text holds a byte below 0x20 or 0x7F: such a URL is never sent, since its
// bytes would end up in the request line.
bool hasControlCharacter(std::string_view text);

// nullopt for another scheme, an empty or malformed host, a port that is not 1 to 65535, or
// any control character.
std::optional<UrlParts> splitUrl(std::string_view url);

} // namespace http
