#pragma once
// Windows profile (INI) files: the private-profile semantics a stored pz.ini relies on.
// Section and item names compare without regard to ASCII case, lines end in CR LF, values are
// GBK bytes kept byte for byte. A write goes to a temporary file that replaces the old one.
// Paths are std::filesystem::path: as the platform gives them, never through GBK.

#include "runtime/text.h"

#include <chrono>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace runtime {

inline constexpr std::size_t kProfileReadBufferSize = 10240;

// The item's value, or defaultValue when the file, section or item is missing or the file
// cannot be read. As the profile functions do, at most kProfileReadBufferSize - 1 bytes come
// back.
Text readSetting(const std::filesystem::path& file, std::string_view section, std::string_view item,
                 std::string_view defaultValue = {});

// As readSetting, but nullopt when the file is there and cannot be read: a value that was
// never read must not be written back over the stored one.
std::optional<Text> readStoredSetting(const std::filesystem::path& file, std::string_view section,
                                      std::string_view item, std::string_view defaultValue = {});

enum class ProfileWrite {
    Written,
    NotStorable, // the entry would change the file's structure, or there is no file name
    ReadOnly,    // the file is read-only: not overwritten
    Busy,        // another program kept the file for the whole retry time
    Failed,      // the folder or the file cannot be written
};

// Stores the value, creating the file and the section when missing. Anything but Written
// leaves the old file untouched. NotStorable, without writing, when the entry would change the
// file's structure: a line break or NUL anywhere, ']' in the section, an empty item, '=' in
// it, or an item starting with ';' or '['. A replacement refused because another program holds
// the file (sharing violation, access denied) is tried again for about half a second.
ProfileWrite storeSetting(const std::filesystem::path& file, std::string_view section,
                          std::string_view item, std::string_view value);

// storeSetting(...) == ProfileWrite::Written.
bool writeSetting(const std::filesystem::path& file, std::string_view section,
                  std::string_view item, std::string_view value);

// The pauses between the tries of a refused replacement (tests shorten them).
void setProfileRetryPauses(std::vector<std::chrono::milliseconds> pauses);

} // namespace runtime
