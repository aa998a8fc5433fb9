#pragma once
// A pool's statistics record (12 "-"-separated counts) turned into the eleven cells of its row
// in 超级列表框5. Pure text work: no window, no request.

#include "runtime/text.h"

#include <array>
#include <cstdint>
#include <optional>
#include <string_view>

namespace service {

inline constexpr int kStatsCellCount = 11;
// Cell i belongs to column i + 1.
using StatsCells = std::array<runtime::Text, kStatsCellCount>;

// A field's integer value, read like atoi once full-width forms (first byte A3) and the
// ideographic space (A1 A1) are mapped to ASCII. Saturates at the int range.
std::int32_t statsFieldValue(std::string_view field);

// Integer part of (a / b) * 100 in double precision, a fraction above 0.999999999999 counting
// as the next integer; 0 when b is 0 so that no infinite or undefined share is ever shown.
std::int64_t statsPercent(std::int32_t a, std::int32_t b);

// field + "  " + percent + "％" (full-width percent, GBK A3 A5).
runtime::Text statsPercentCell(std::string_view field, std::int32_t base);

// True when the statistics server answered with its not-found page instead of a record: it
// sends that page for a pool that has no file (yet).
bool isStatsNotFoundPage(std::string_view reply);

// The cells of a reply, or nullopt when the reply is the not-found page or not a record of
// exactly 12 fields (the row then keeps what it had).
std::optional<StatsCells> statsCells(std::string_view reply);

} // namespace service
