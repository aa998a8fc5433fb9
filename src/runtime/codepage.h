#pragma once
// Code-page conversion: the one place where GBK text meets UTF-16 / UTF-8 or another charset.
// GBK here is Windows code page 936 as Windows reads it (0x80 is U+20AC, 0xFF is U+F8F5, the
// user-defined cells are Private Use Area characters), on every platform. Bad input never fails
// a conversion: a lead byte with a byte that cannot follow it becomes one '?', a lone lead byte
// at the end '?', a character without a form in the target '?' (no best-fit look-alikes).

#include "runtime/text.h"

#include <optional>
#include <string>
#include <string_view>

namespace runtime {

std::u16string gbkToUtf16(std::string_view gbk);
Text utf16ToGbk(std::u16string_view utf16);
std::string gbkToUtf8(std::string_view gbk);
Text utf8ToGbk(std::string_view utf8);

// A GBK literal written readably in the (UTF-8) source: gbk("刷新完成").
Text gbk(std::string_view utf8);

// Bytes declared in charset `charsetName` (any IANA/iconv name, case-insensitive) converted to
// GBK. nullopt when the converter does not know the charset.
std::optional<Text> charsetToGbk(std::string_view bytes, std::string_view charsetName);

// UTF-16LE bytes of a GBK text, with the two-byte terminator unless dropTerminator.
ByteArray textToWide(std::string_view text, bool dropTerminator = false);
// GBK text of UTF-16LE bytes, up to the first UTF-16 NUL.
Text wideToText(const ByteArray& utf16le);

} // namespace runtime
