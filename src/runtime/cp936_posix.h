#pragma once
// Windows code page 936 on top of glibc's CP936 converter, so text reads and writes here as it
// does on the operators' machines:
// - every lead byte 0x81-0xFE with a trail byte 0x40-0x7E or 0x80-0xFE is a character: the
//   cells glibc leaves undefined are the Private Use Area ones Windows maps them to (the three
//   user-defined areas by their row formula, the rest from U+E766 on in code order);
// - 0x80 is U+20AC and 0xFF is U+F8F5;
// - a lead byte followed by any other byte except NUL becomes one '?' for both bytes; a lead
//   byte at the end or before NUL becomes '?' alone;
// - a UTF-16 unit without a form in code page 936 becomes '?' (no best-fit look-alikes), each
//   half of a surrogate pair on its own.

#include <string>
#include <string_view>

namespace runtime {

std::u16string cp936ToUtf16(std::string_view bytes);
std::string utf16ToCp936(std::u16string_view utf16);

} // namespace runtime
