#include "service/codec.h"

#include <array>
#include <cstdint>
#include <optional>

namespace service {

namespace {

constexpr std::string_view kHexDigits = "0123456789ABCDEF";

void appendHexByte(Text& out, unsigned char byte) {
    out.push_back(kHexDigits[byte >> 4]);
    out.push_back(kHexDigits[byte & 0x0F]);
}

int hexDigitValue(char c) {
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    if (c >= 'a' && c <= 'f') {
        return c - 'a' + 10;
    }
    if (c >= 'A' && c <= 'F') {
        return c - 'A' + 10;
    }
    return -1;
}

bool isScanfSpace(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

// Reads chars the way sscanf("%x") does: white space, a sign, a "0x" prefix, hex digits.
// A bare "0x" reads as 0, as the C libraries do.
std::optional<unsigned char> scanHex(std::string_view chars) {
    std::size_t i = 0;
    while (i < chars.size() && isScanfSpace(chars[i])) {
        ++i;
    }
    bool negative = false;
    if (i < chars.size() && (chars[i] == '+' || chars[i] == '-')) {
        negative = chars[i] == '-';
        ++i;
    }
    bool readDigit = false;
    if (i + 1 < chars.size() && chars[i] == '0' && (chars[i + 1] == 'x' || chars[i + 1] == 'X')) {
        readDigit = true;
        i += 2;
    }
    unsigned value = 0;
    for (; i < chars.size() && hexDigitValue(chars[i]) >= 0; ++i) {
        value = value * 16 + static_cast<unsigned>(hexDigitValue(chars[i]));
        readDigit = true;
    }
    if (!readDigit) {
        return std::nullopt;
    }
    if (negative) {
        value = 0u - value;
    }
    return static_cast<unsigned char>(value & 0xFF);
}

} // namespace

Text percentEncode(std::string_view text) {
    Text out;
    out.reserve(text.size() * 3);
    for (const char c : text) {
        if (c == ' ') {
            out.push_back('+');
        } else {
            out.push_back('%');
            appendHexByte(out, static_cast<unsigned char>(c));
        }
    }
    return out;
}

Text urlValue(std::string_view value) {
    Text out;
    out.reserve(value.size());
    for (const char c : value) {
        const auto byte = static_cast<unsigned char>(c);
        const bool changesTheQuery = byte == ' ' || byte == '"' || byte == '#' || byte == '%' ||
                                     byte == '&' || byte == '+' || byte < 0x20 || byte == 0x7F;
        if (changesTheQuery) {
            out.push_back('%');
            appendHexByte(out, byte);
        } else {
            out.push_back(c);
        }
    }
    return out;
}

Text percentDecode(std::string_view text) {
    // The text ends at its first zero byte, as the service's texts do.
    text = text.substr(0, runtime::textLength(text));
    Text out;
    out.reserve(text.size());
    std::size_t p = 0;
    while (p < text.size()) {
        const char c = text[p];
        if (c == '%') {
            const auto value = scanHex(text.substr(p + 1, 2));
            if (value) {
                out.push_back(static_cast<char>(*value));
                p += 3;
            } else {
                out.push_back('%');
                p += 1;
            }
        } else if (c == '+') {
            out.push_back(' ');
            p += 1;
        } else {
            out.push_back(c);
            p += 1;
        }
    }
    out.resize(runtime::textLength(out));
    return out;
}

Text statsFileName(std::string_view name, std::string_view key) {
    Text out;
    out.reserve(name.size() * 2 + 9);
    for (const char c : name) {
        appendHexByte(out, static_cast<unsigned char>(static_cast<unsigned char>(c) ^ 0x10));
    }
    const Text digest = md5Hex(key);
    if (digest.size() == 32) {
        out += digest.substr(2, 9);
    }
    return out;
}

} // namespace service
