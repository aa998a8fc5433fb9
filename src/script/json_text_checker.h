#pragma once
// Strict JSON text checking (RFC 8259, any value at the top): the gate that keeps replies from
// being run as program text.

#include <string_view>

namespace script {

struct JsonTextReport {
    // A JSON text the engine can hold.
    bool valid = false;
    // Also read by the engine's JSON.parse exactly as written: nesting within its limit, no
    // member name that needs decoding or that objects treat specially ("__proto__").
    bool plain = false;
};

JsonTextReport checkJsonText(std::u16string_view text);

inline bool isJsonText(std::u16string_view text) {
    return checkJsonText(text).valid;
}

} // namespace script
