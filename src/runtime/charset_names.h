#pragma once
// Charset names as pages and replies declare them, checked and mapped for the converters.

#include <optional>
#include <string>
#include <string_view>

namespace runtime {

// The name to hand to iconv: nullopt for an empty, overlong or malformed name (only letters,
// digits and -_.:+() are accepted); the GB2312/GBK family maps to CP936, the superset that
// pages labelled GB2312 use in practice.
std::optional<std::string> iconvCharsetName(std::string_view declared);

// The Windows code page of a declared charset, from a table of the common web names;
// nullopt when the name is unknown. UTF-16 (1200/1201) has no multibyte code page.
std::optional<unsigned> windowsCodePage(std::string_view declared);

} // namespace runtime
