#pragma once
// The bytes of a profile (INI) file: lookup and in-place update that keep every other line,
// comment and line ending exactly as they were.

#include <optional>
#include <string>
#include <string_view>

namespace runtime {

// The raw value of the first matching item in the first matching section (names trimmed and
// compared without regard to ASCII case); nullopt when the section or the item is missing.
std::optional<std::string_view> findProfileValue(std::string_view content, std::string_view section,
                                                 std::string_view item);

// content with the item set to value: the item's line is rewritten in place, or a new line is
// added at the end of the section, or a new section is appended. New lines end in CR LF.
std::string withProfileValue(std::string_view content, std::string_view section,
                             std::string_view item, std::string_view value);

// The value as the profile functions hand it out: surrounding blanks removed, one pair of
// enclosing quotes removed, cut at a NUL, at most maxBytes bytes.
std::string profileValueForReading(std::string_view raw, std::size_t maxBytes);

// True when section, item and value can be stored without changing the file's structure: no
// line breaks or NULs anywhere, no ']' in the section, an item that is not empty, holds no '='
// and does not start like a comment or a section.
bool isStorableProfileEntry(std::string_view section, std::string_view item,
                            std::string_view value);

} // namespace runtime
