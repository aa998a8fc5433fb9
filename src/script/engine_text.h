#pragma once
// The JavaScript engine keeps its strings as CESU-8: every UTF-16 code unit, surrogates
// included, as its own UTF-8 sequence. These convert between that form and UTF-16.

#include <string>
#include <string_view>

namespace script {

std::string toEngineText(std::u16string_view utf16);
std::u16string fromEngineText(std::string_view cesu8);

} // namespace script
