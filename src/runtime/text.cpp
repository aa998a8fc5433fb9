#include "runtime/text.h"

#include <algorithm>
#include <cstring>

namespace runtime {

namespace {

bool isLeadByte(char c) {
    return (static_cast<unsigned char>(c) & 0x80U) != 0;
}

char foldAscii(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

// part matches text at offset `at`; with ignoreCase only single-byte (ASCII) characters of
// part are folded, so the trail byte of a two-byte character is always compared exactly.
bool matchesAt(std::string_view text, std::size_t at, std::string_view part, bool ignoreCase) {
    if (!ignoreCase) {
        return text.compare(at, part.size(), part) == 0;
    }
    std::size_t j = 0;
    while (j < part.size()) {
        if (isLeadByte(part[j])) {
            const std::size_t width = std::min<std::size_t>(2, part.size() - j);
            if (text.compare(at + j, width, part.substr(j, width)) != 0) {
                return false;
            }
            j += width;
        } else {
            if (foldAscii(text[at + j]) != foldAscii(part[j])) {
                return false;
            }
            ++j;
        }
    }
    return true;
}

std::size_t characterWidth(std::string_view text, std::size_t at) {
    return isLeadByte(text[at]) ? 2 : 1;
}

// Offset of the first match at or after `from`, stepping over two-byte characters; npos when
// none. A text that ends in a lone lead byte simply ends the scan.
std::size_t findFrom(std::string_view text, std::string_view part, std::size_t from,
                     bool ignoreCase = false) {
    if (part.empty() || part.size() > text.size()) {
        return std::string_view::npos;
    }
    const std::size_t last = text.size() - part.size();
    // The first byte is looked at here before the whole part is compared: splitting a long
    // reply into lines and fields spent most of its time calling the comparison at every byte.
    const bool foldFirst = ignoreCase && !isLeadByte(part.front());
    const char first = foldFirst ? foldAscii(part.front()) : part.front();
    for (std::size_t i = from; i <= last; i += characterWidth(text, i)) {
        const char here = foldFirst ? foldAscii(text[i]) : text[i];
        if (here == first && matchesAt(text, i, part, ignoreCase)) {
            return i;
        }
    }
    return std::string_view::npos;
}

} // namespace

std::size_t textLength(std::string_view text) {
    const std::size_t nul = text.find('\0');
    return nul == std::string_view::npos ? text.size() : nul;
}

Text concat(std::initializer_list<std::string_view> parts) {
    std::size_t total = 0;
    for (const auto part : parts) {
        total += part.size();
    }
    Text result;
    result.reserve(total);
    for (const auto part : parts) {
        result.append(part);
    }
    return result;
}

int compareText(std::string_view a, std::string_view b) {
    const std::size_t common = std::min(a.size(), b.size());
    if (common > 0) {
        const int byBytes = std::memcmp(a.data(), b.data(), common);
        if (byBytes != 0) {
            return byBytes < 0 ? -1 : 1;
        }
    }
    if (a.size() == b.size()) {
        return 0;
    }
    return a.size() < b.size() ? -1 : 1;
}

bool equalsIgnoreAsciiCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() && matchesAt(a, 0, b, true);
}

int findText(std::string_view text, std::string_view part, int start, bool ignoreCase) {
    if (part.empty()) {
        return text.empty() ? -1 : 1;
    }
    const std::size_t from = start < 1 ? 0 : static_cast<std::size_t>(start) - 1;
    if (from >= text.size()) {
        return -1;
    }
    const std::size_t at = findFrom(text, part, from, ignoreCase);
    return at == std::string_view::npos ? -1 : static_cast<int>(at + 1);
}

std::vector<std::string_view> splitView(std::string_view text, std::string_view separator,
                                        int maxParts) {
    std::vector<std::string_view> pieces;
    if (text.empty()) {
        return pieces;
    }
    if (separator.empty()) {
        pieces.push_back(text);
        return pieces;
    }
    std::size_t pieceStart = 0;
    while (maxParts <= 0 || pieces.size() + 1 < static_cast<std::size_t>(maxParts)) {
        const std::size_t at = findFrom(text, separator, pieceStart);
        if (at == std::string_view::npos) {
            break;
        }
        pieces.push_back(text.substr(pieceStart, at - pieceStart));
        pieceStart = at + separator.size();
    }
    if (pieceStart < text.size()) {
        pieces.push_back(text.substr(pieceStart));
    }
    return pieces;
}

TextList splitText(std::string_view text, std::string_view separator, int maxParts) {
    const std::vector<std::string_view> views = splitView(text, separator, maxParts);
    return TextList(views.begin(), views.end());
}

Text middleText(std::string_view text, int position, int count) {
    if (position < 1 || count < 1 || static_cast<std::size_t>(position) > text.size()) {
        return {};
    }
    return Text(
        text.substr(static_cast<std::size_t>(position) - 1, static_cast<std::size_t>(count)));
}

Text leftText(std::string_view text, int count) {
    if (count < 1) {
        return {};
    }
    return Text(text.substr(0, static_cast<std::size_t>(count)));
}

Text rightText(std::string_view text, int count) {
    if (count < 1) {
        return {};
    }
    const std::size_t take = std::min(text.size(), static_cast<std::size_t>(count));
    return Text(text.substr(text.size() - take));
}

Text replaceText(std::string_view text, std::string_view part, std::string_view replacement) {
    if (part.empty()) {
        return Text(text);
    }
    Text result;
    result.reserve(text.size());
    std::size_t copied = 0;
    for (std::size_t at = findFrom(text, part, 0); at != std::string_view::npos;
         at = findFrom(text, part, copied)) {
        result.append(text.substr(copied, at - copied));
        result.append(replacement);
        copied = at + part.size();
    }
    result.append(text.substr(copied));
    return result;
}

Text toText(const ByteArray& bytes) {
    const auto nul = std::find(bytes.begin(), bytes.end(), std::uint8_t{0});
    return Text(bytes.begin(), nul);
}

Text toText(long long number) {
    return std::to_string(number);
}

ByteArray toBytes(std::string_view text) {
    return ByteArray(text.begin(), text.end());
}

ByteArray concatBytes(std::initializer_list<const ByteArray*> arrays) {
    std::size_t total = 0;
    for (const ByteArray* array : arrays) {
        total += array != nullptr ? array->size() : 0;
    }
    ByteArray result;
    result.reserve(total);
    for (const ByteArray* array : arrays) {
        if (array != nullptr) {
            result.insert(result.end(), array->begin(), array->end());
        }
    }
    return result;
}

} // namespace runtime
