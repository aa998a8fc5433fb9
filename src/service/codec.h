#pragma once
// The service's window-free text codecs, shared by the client and the simulator.

#include "runtime/text.h"

#include <string_view>

namespace service {

using runtime::Text;

// Every byte but the space as "%XX" (upper-case hex); the space as "+".
Text percentEncode(std::string_view text);
// A key, port or pool name as it travels in a query: every byte as it is, except those that would
// change the request's meaning (space, '"', '#', '%', '&', '+', control bytes and DEL), which
// become "%XX" with upper-case hex.
Text urlValue(std::string_view value);
// "%" + hex as read by sscanf("%x") on at most two characters, "+" as space; stops at the end
// of the text; the result is cut at the first zero byte.
Text percentDecode(std::string_view text);
// MD5 of the bytes as 32 upper-case hex digits, empty when the digest cannot be made.
Text md5Hex(std::string_view bytes);
// Name of a pool's statistics file (without ".txt").
Text statsFileName(std::string_view name, std::string_view key);

inline constexpr std::string_view kStatsFileKey = "kx730219";

} // namespace service
