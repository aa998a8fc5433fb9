#pragma once
// Cutting values out of reply texts by their surrounding markers.

#include "runtime/text.h"

#include <string_view>

namespace service {

using runtime::Text;
using runtime::TextList;

// The text between the first left marker at or after start and the first right marker after
// it; empty when either is missing. In both markers "#引号" (GBK) stands for a double quote.
Text textBetween(std::string_view text, std::string_view left, std::string_view right,
                 int start = 1, bool ignoreCase = false);

// Every piece that starts after an occurrence of left and ends before the next right. The next
// search starts right after the left marker, so with equal markers the text between two items
// is an item too ("a","b" gives a, then ",", then b). A piece is kept only when it is shorter
// than maxLength (maxLength < 1: no limit). Returns the number of items in out.
int allTextsBetween(std::string_view text, std::string_view left, std::string_view right,
                    TextList& out, bool ignoreCase = false, int maxLength = 0,
                    std::string_view prefix = {}, std::string_view suffix = {},
                    bool keepLeft = false, bool keepRight = false, int start = 1);

} // namespace service
