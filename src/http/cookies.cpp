#include "http/cookies.h"

#include <algorithm>

namespace http {
namespace {

constexpr std::string_view kFullWidthSpace = "\xA1\xA1";

bool isLeadByte(char byte) {
    return (static_cast<unsigned char>(byte) & 0x80) != 0;
}

// Removes a trailing ";" by making it the "; " separator that splitting expects.
Text asItemList(std::string_view cookies) {
    Text text = trimSpaces(cookies);
    if (!text.empty() && text.back() == ';') {
        text += ' ';
    }
    return text;
}

} // namespace

Text trimSpaces(std::string_view text) {
    // Walk by characters so a full-width space is only seen where a character starts.
    std::size_t begin = 0;
    std::size_t end = 0;
    bool seenContent = false;
    for (std::size_t at = 0; at < text.size();) {
        const std::size_t width = isLeadByte(text[at]) && at + 1 < text.size() ? 2 : 1;
        const std::string_view character = text.substr(at, width);
        const bool blank = character == " " || character == kFullWidthSpace;
        if (!blank) {
            if (!seenContent) {
                begin = at;
                seenContent = true;
            }
            end = at + width;
        }
        at += width;
    }
    return seenContent ? Text(text.substr(begin, end - begin)) : Text();
}

Text cookieName(std::string_view item) {
    const int equals = runtime::findText(item, "=");
    return trimSpaces(equals < 1 ? item : item.substr(0, static_cast<std::size_t>(equals) - 1));
}

Text removeDuplicateItems(std::string_view text, std::string_view separator) {
    TextList kept;
    for (Text& piece : runtime::splitText(text, separator)) {
        if (std::find(kept.begin(), kept.end(), piece) == kept.end()) {
            kept.push_back(std::move(piece));
        }
    }
    Text result;
    for (std::size_t i = 0; i < kept.size(); ++i) {
        if (i > 0) {
            result += separator;
        }
        result += kept[i];
    }
    return result;
}

Text extractSetCookies(const TextList& lines) {
    constexpr std::string_view kPrefix = "set-cookie:";
    Text result;
    for (const Text& line : lines) {
        if (runtime::findText(line, kPrefix, 1, true) != 1) {
            continue;
        }
        // Only a pair followed by ";" counts; a set-cookie line without attributes is skipped.
        const int semicolon = runtime::findText(line, ";", static_cast<int>(kPrefix.size()) + 1);
        if (semicolon < 1) {
            continue;
        }
        const std::size_t end = static_cast<std::size_t>(semicolon) - 1;
        const Text pair =
            trimSpaces(std::string_view(line).substr(kPrefix.size(), end - kPrefix.size()));
        // An empty pair still takes its place in the list, as the service's other clients see it.
        if (!result.empty()) {
            result += "; ";
        }
        result += pair;
    }
    return result;
}

Text mergeCookieStrings(Text& sent, std::string_view received) {
    const TextList oldItems = runtime::splitText(asItemList(sent), "; ");
    TextList items = runtime::splitText(asItemList(received), "; ");
    for (const Text& oldItem : oldItems) {
        const Text name = cookieName(oldItem);
        const bool named = std::any_of(items.begin(), items.end(), [&name](const Text& item) {
            return cookieName(item) == name;
        });
        if (!named) {
            items.push_back(oldItem);
        }
    }
    Text merged;
    for (const Text& item : items) {
        if (runtime::rightText(item, 8) != "=deleted") {
            merged += item;
            merged += "; ";
        }
    }
    if (merged.size() >= 2) {
        merged.resize(merged.size() - 2);
    }
    sent = removeDuplicateItems(merged, "; ");
    return sent;
}

std::optional<Text> lastLocation(const TextList& lines) {
    constexpr std::string_view kPrefix = "Location: ";
    std::optional<Text> location;
    for (const Text& line : lines) {
        if (line.size() >= kPrefix.size() &&
            runtime::findText(std::string_view(line).substr(0, kPrefix.size()), kPrefix, 1, true) ==
                1) {
            location = line.substr(kPrefix.size());
        }
    }
    return location;
}

} // namespace http
