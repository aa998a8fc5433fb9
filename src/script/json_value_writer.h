#pragma once
// Writing JSON values compactly, with the escapes of the script program's serialiser: besides
// quotation mark, backslash and the short escapes of backspace, tab, line feed, form feed and
// carriage return, every character of its escape class (controls, U+007F-U+009F, U+00AD, the
// invisible formatting characters, U+2028-U+202F, U+FEFF, U+FFF0-U+FFFF, ...) as a backslash,
// u and four lower-case hexadecimal digits.

#include "script/json_value_locator.h"

#include <string>
#include <string_view>

namespace script {

// The value written at `span` of a JSON text that checkJsonText found plain, as compact JSON:
// what serialising the engine's JSON.parse of it gives, except that members keep the order in
// which the text writes them (a name written twice stays where it first appears, with its
// last value).
std::u16string writeCompactJson(std::u16string_view text, JsonSpan span);

// Escapes the characters of the serialiser's escape class that the engine's JSON.stringify
// leaves raw. Outside string literals its output is ASCII, so every such character found is
// inside a string.
void escapeAsSerialiser(std::u16string& json);

// ECMAScript's Number::toString; JSON writes a non-finite number as null.
std::u16string jsonNumberText(double value);

} // namespace script
