#include "service/text_between.h"

#include "runtime/codepage.h"
#include "runtime/delay.h"

namespace service {

namespace {

Text withQuotes(std::string_view marker) {
    static const Text quoteToken = runtime::gbk("#引号");
    return runtime::replaceText(marker, quoteToken, "\"");
}

} // namespace

Text textBetween(std::string_view text, std::string_view left, std::string_view right, int start,
                 bool ignoreCase) {
    const Text leftMarker = withQuotes(left);
    const Text rightMarker = withQuotes(right);
    if (leftMarker.empty() || rightMarker.empty()) {
        return {};
    }
    const int l = runtime::findText(text, leftMarker, start, ignoreCase);
    if (l < 0) {
        return {};
    }
    const int from = l + static_cast<int>(leftMarker.size());
    const int r = runtime::findText(text, rightMarker, from, ignoreCase);
    if (r < 0) {
        return {};
    }
    return runtime::middleText(text, from, r - from);
}

int allTextsBetween(std::string_view text, std::string_view left, std::string_view right,
                    TextList& out, bool ignoreCase, int maxLength, std::string_view prefix,
                    std::string_view suffix, bool keepLeft, bool keepRight, int start) {
    out.clear();
    // An empty marker would be found again at the same place for ever.
    if (left.empty() || right.empty()) {
        return 0;
    }
    int pos = start;
    for (;;) {
        const int l = runtime::findText(text, left, pos, ignoreCase);
        if (l < 0) {
            break;
        }
        pos = l + static_cast<int>(left.size());
        const int r = runtime::findText(text, right, pos, ignoreCase);
        if (r < 0) {
            break;
        }
        Text item;
        item.reserve(left.size() + prefix.size() + static_cast<std::size_t>(r - pos) +
                     suffix.size() + right.size());
        if (keepLeft) {
            item += left;
        }
        item += prefix;
        item += text.substr(static_cast<std::size_t>(pos - 1), static_cast<std::size_t>(r - pos));
        item += suffix;
        if (keepRight) {
            item += right;
        }
        if (maxLength < 1 || static_cast<int>(item.size()) < maxLength) {
            out.push_back(std::move(item));
        }
        for (int pass = 0; pass < 3; ++pass) {
            runtime::processPendingEvents();
        }
    }
    return static_cast<int>(out.size());
}

} // namespace service
