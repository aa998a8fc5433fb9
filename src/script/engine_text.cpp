#include "script/engine_text.h"

namespace script {

std::string toEngineText(std::u16string_view utf16) {
    std::string out;
    out.reserve(utf16.size());
    for (const char16_t unit : utf16) {
        if (unit < 0x80) {
            out.push_back(static_cast<char>(unit));
        } else if (unit < 0x800) {
            out.push_back(static_cast<char>(0xC0 | (unit >> 6)));
            out.push_back(static_cast<char>(0x80 | (unit & 0x3F)));
        } else {
            out.push_back(static_cast<char>(0xE0 | (unit >> 12)));
            out.push_back(static_cast<char>(0x80 | ((unit >> 6) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | (unit & 0x3F)));
        }
    }
    return out;
}

// The engine writes only sequences of up to three bytes for the strings it hands out; a longer
// or broken sequence (never produced by it) becomes U+FFFD rather than a wrong unit.
std::u16string fromEngineText(std::string_view cesu8) {
    std::u16string out;
    out.reserve(cesu8.size());
    const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(cesu8[i]); };
    const auto continuation = [&](std::size_t i) {
        return i < cesu8.size() && (byte(i) & 0xC0) == 0x80;
    };
    for (std::size_t i = 0; i < cesu8.size();) {
        const unsigned char lead = byte(i);
        if (lead < 0x80) {
            out.push_back(lead);
            i += 1;
        } else if ((lead & 0xE0) == 0xC0 && continuation(i + 1)) {
            out.push_back(static_cast<char16_t>(((lead & 0x1F) << 6) | (byte(i + 1) & 0x3F)));
            i += 2;
        } else if ((lead & 0xF0) == 0xE0 && continuation(i + 1) && continuation(i + 2)) {
            out.push_back(static_cast<char16_t>(
                ((lead & 0x0F) << 12) | ((byte(i + 1) & 0x3F) << 6) | (byte(i + 2) & 0x3F)));
            i += 3;
        } else {
            out.push_back(u'\uFFFD');
            i += 1;
            while (continuation(i)) {
                ++i;
            }
        }
    }
    return out;
}

} // namespace script
