#pragma once
// Text and byte-array helpers over GBK bytes.
//
// A Text is GBK (code page 936) bytes in a std::string. Positions handed to and returned by
// these helpers are 1-based byte positions; -1 means "not found". A byte with the high bit
// set starts a two-byte character, so searches and splits only match at character starts.
// An empty string stands for a missing text everywhere.

#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

namespace runtime {

using Text = std::string;
using TextList = std::vector<Text>;
using ByteArray = std::vector<std::uint8_t>;

// Number of bytes before the first NUL (the whole text when it holds none).
std::size_t textLength(std::string_view text);

// t1 + t2 + ... in one allocation.
Text concat(std::initializer_list<std::string_view> parts);

// Byte-wise comparison as unsigned bytes: 0 when equal, negative when a sorts first.
int compareText(std::string_view a, std::string_view b);

// Whole-text equality with ASCII letters folded; bytes of two-byte characters compare exactly.
bool equalsIgnoreAsciiCase(std::string_view a, std::string_view b);

// 1-based position of the first occurrence of part at or after start, or -1. The scan steps
// over two-byte characters as units; ignoreCase folds ASCII letters only. An empty part gives
// 1 when text is non-empty, else -1. A start below 1 counts as 1.
int findText(std::string_view text, std::string_view part, int start = 1, bool ignoreCase = false);

// Pieces between separators (matched at character starts only). Empty inner pieces and an
// empty piece before a leading separator are kept; a trailing empty piece is dropped; an empty
// text gives no pieces. maxParts > 0 caps the number of pieces (the last piece holds the rest).
TextList splitText(std::string_view text, std::string_view separator, int maxParts = -1);
// The same pieces as views into text, which must outlive them: for long replies, where copying
// every line and field costs more than finding them.
std::vector<std::string_view> splitView(std::string_view text, std::string_view separator,
                                        int maxParts = -1);

// count bytes from the 1-based position; empty when position is outside the text or count < 1.
Text middleText(std::string_view text, int position, int count);
Text leftText(std::string_view text, int count);
Text rightText(std::string_view text, int count);

// Every occurrence of part (at character starts) replaced; an empty part changes nothing.
Text replaceText(std::string_view text, std::string_view part, std::string_view replacement);

// Bytes up to the first NUL (or all of them) as a text.
Text toText(const ByteArray& bytes);
// Decimal text of a number.
Text toText(long long number);

ByteArray toBytes(std::string_view text);

// New array holding a1..an one after another; missing (empty) arrays count as empty.
ByteArray concatBytes(std::initializer_list<const ByteArray*> arrays);

} // namespace runtime
