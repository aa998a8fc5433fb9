#pragma once
// Strict JSON text checking (RFC 8259, any value at the top): the gate that keeps replies from
// being run as program text.

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace script {

struct JsonTextReport {
    // A JSON text the engine can hold.
    bool valid = false;
    // Also read by the engine's JSON.parse exactly as written: nesting within its limit, no
    // member name that needs decoding or that objects treat specially ("__proto__"), no
    // exponent beyond what its number reader takes.
    bool plain = false;
    // Where the digits of such exponents are written (position, length).
    std::vector<std::pair<std::size_t, std::size_t>> hugeExponents;
};

JsonTextReport checkJsonText(std::u16string_view text);

// The text with every huge exponent written as the largest one the engine reads: the number
// stays as far beyond double range (or as zero) as it was, for any text shorter than that.
std::u16string withReadableExponents(std::u16string_view text, const JsonTextReport& report);

inline bool isJsonText(std::u16string_view text) {
    return checkJsonText(text).valid;
}

} // namespace script
