#include "runtime/codepage.h"

#include "runtime/charset_names.h"

#include <windows.h>

#include <climits>

namespace runtime {

namespace {

constexpr UINT kGbk = 936;

// Without MB_ERR_INVALID_CHARS the converters replace what they cannot read or write ('?' or
// the code page's default character), so bad bytes never fail a whole conversion.
std::u16string toUtf16(UINT codePage, std::string_view bytes) {
    if (bytes.empty() || bytes.size() > INT_MAX) {
        return {};
    }
    const int size = static_cast<int>(bytes.size());
    const int needed = MultiByteToWideChar(codePage, 0, bytes.data(), size, nullptr, 0);
    if (needed <= 0) {
        return {};
    }
    std::wstring wide(static_cast<std::size_t>(needed), L'\0');
    MultiByteToWideChar(codePage, 0, bytes.data(), size, wide.data(), needed);
    return std::u16string(wide.begin(), wide.end());
}

std::string fromUtf16(UINT codePage, std::u16string_view utf16) {
    if (utf16.empty() || utf16.size() > INT_MAX) {
        return {};
    }
    const std::wstring wide(utf16.begin(), utf16.end());
    const int size = static_cast<int>(wide.size());
    // No best-fit look-alikes ('a' for U+00AA): what has no form becomes '?'.
    const DWORD flags = codePage == CP_UTF8 ? 0 : WC_NO_BEST_FIT_CHARS;
    const int needed =
        WideCharToMultiByte(codePage, flags, wide.data(), size, nullptr, 0, nullptr, nullptr);
    if (needed <= 0) {
        return {};
    }
    std::string bytes(static_cast<std::size_t>(needed), '\0');
    WideCharToMultiByte(codePage, flags, wide.data(), size, bytes.data(), needed, nullptr, nullptr);
    return bytes;
}

std::u16string utf16FromBytes(std::string_view bytes, bool bigEndian) {
    std::u16string utf16;
    utf16.reserve(bytes.size() / 2);
    for (std::size_t i = 0; i + 1 < bytes.size(); i += 2) {
        const auto first = static_cast<unsigned char>(bytes[i]);
        const auto second = static_cast<unsigned char>(bytes[i + 1]);
        utf16.push_back(
            static_cast<char16_t>(bigEndian ? (first << 8U) | second : first | (second << 8U)));
    }
    return utf16;
}

} // namespace

std::u16string gbkToUtf16(std::string_view gbk) {
    return toUtf16(kGbk, gbk);
}

Text utf16ToGbk(std::u16string_view utf16) {
    return fromUtf16(kGbk, utf16);
}

std::string gbkToUtf8(std::string_view gbk) {
    return fromUtf16(CP_UTF8, toUtf16(kGbk, gbk));
}

Text utf8ToGbk(std::string_view utf8) {
    return fromUtf16(kGbk, toUtf16(CP_UTF8, utf8));
}

// The declared name is looked up in a table of the common web charset names (charset_names),
// which keeps this free of the MLang component.
std::optional<Text> charsetToGbk(std::string_view bytes, std::string_view charsetName) {
    const std::optional<unsigned> codePage = windowsCodePage(charsetName);
    if (!codePage) {
        return std::nullopt;
    }
    if (*codePage == 1200 || *codePage == 1201) {
        return utf16ToGbk(utf16FromBytes(bytes, *codePage == 1201));
    }
    if (!IsValidCodePage(*codePage)) {
        return std::nullopt;
    }
    return utf16ToGbk(toUtf16(*codePage, bytes));
}

} // namespace runtime
