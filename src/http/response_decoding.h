#pragma once
// The response body as GBK text: passed through unless a meta tag near the start of the page
// declares another character set.

#include "runtime/text.h"

#include <cstdint>
#include <span>

namespace http {

runtime::Text decodeResponseText(std::span<const std::uint8_t> body);

} // namespace http
