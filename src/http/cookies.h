#pragma once
// Cookies and the redirect target read back from response headers, and the merge of the
// cookies a request sent with those its response set.

#include "runtime/text.h"

#include <optional>

#include <string_view>

namespace http {

using runtime::Text;
using runtime::TextList;

// "name=value" pairs of the set-cookie lines, joined by "; ".
Text extractSetCookies(const TextList& lines);

// Received cookies first, then the sent ones the response did not name; "=deleted" items
// dropped, exact repeats removed. The result is also left in sent.
Text mergeCookieStrings(Text& sent, std::string_view received);

// The text before the first "=" (the whole item without one), trimmed.
Text cookieName(std::string_view item);

// The pieces of text between separators with exact repeats removed, joined by separator.
Text removeDuplicateItems(std::string_view text, std::string_view separator);

// The "Location: " rule: the text after the last line starting with it (case ignored); nullopt
// without such a line, so that the caller's redirect target keeps its value.
std::optional<Text> lastLocation(const TextList& lines);

// ASCII spaces and the full-width space (A1 A1) removed at both ends; tabs stay.
Text trimSpaces(std::string_view text);

} // namespace http
