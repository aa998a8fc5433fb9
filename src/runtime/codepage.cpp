#include "runtime/codepage.h"

namespace runtime {

Text gbk(std::string_view utf8) {
    return utf8ToGbk(utf8);
}

ByteArray textToWide(std::string_view text, bool dropTerminator) {
    const std::u16string wide = gbkToUtf16(text.substr(0, textLength(text)));
    ByteArray bytes;
    bytes.reserve(wide.size() * 2 + 2);
    for (const char16_t unit : wide) {
        bytes.push_back(static_cast<std::uint8_t>(unit & 0xFFU));
        bytes.push_back(static_cast<std::uint8_t>(unit >> 8U));
    }
    if (!dropTerminator) {
        bytes.push_back(0);
        bytes.push_back(0);
    }
    return bytes;
}

Text wideToText(const ByteArray& utf16le) {
    std::u16string wide;
    wide.reserve(utf16le.size() / 2);
    for (std::size_t i = 0; i + 1 < utf16le.size(); i += 2) {
        const auto unit = static_cast<char16_t>(utf16le[i] | (utf16le[i + 1] << 8U));
        if (unit == 0) {
            break;
        }
        wide.push_back(unit);
    }
    return utf16ToGbk(wide);
}

} // namespace runtime
