#pragma once
// Windows profile (INI) files: the private-profile semantics a stored pz.ini relies on.
// Section and item names compare without regard to ASCII case, lines end in CR LF, values are
// GBK bytes kept byte for byte. On POSIX a write goes to a temporary file renamed into place.

#include "runtime/text.h"

#include <string>
#include <string_view>

namespace runtime {

inline constexpr std::size_t kProfileReadBufferSize = 10240;

// The item's value, or defaultValue when the file, section or item is missing. As the
// profile functions do, at most kProfileReadBufferSize - 1 bytes come back.
Text readSetting(const std::string& file, std::string_view section, std::string_view item,
                 std::string_view defaultValue = {});

// Stores the value, creating the file and the section when missing. false when the file
// cannot be written (the old file is then untouched), and false without writing when the entry
// would change the file's structure: a line break or NUL anywhere, ']' in the section, an empty
// item, '=' in it, or an item starting with ';' or '['.
bool writeSetting(const std::string& file, std::string_view section, std::string_view item,
                  std::string_view value);

} // namespace runtime
