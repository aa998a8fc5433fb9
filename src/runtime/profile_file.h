#pragma once
// The platform half of the profile file: whole-file reads, atomic replacement, and where a
// user's own settings folder is. Paths stay as the platform gives them (UTF-16 on Windows,
// bytes on POSIX); only the file's contents are GBK.

#include <filesystem>
#include <string>
#include <string_view>

namespace runtime {

enum class ProfileReadResult { Ok, Missing, Failed };

// The file's bytes; Missing when there is no such file, Failed when it cannot be read or is
// not a regular file.
ProfileReadResult readProfileFile(const std::filesystem::path& path, std::string& content);

enum class ProfileReplaceResult {
    Replaced,
    ReadOnly, // the file is marked read-only: left as it is
    Busy,     // another program holds the file or refused access for now: worth another try
    Failed,
};

// Writes content beside the file and moves it into place, keeping the old file's attributes
// and permissions (on Windows also its security), so a crash or a full disk never leaves half
// a file. Anything but Replaced leaves the old file untouched.
ProfileReplaceResult replaceProfileFile(const std::filesystem::path& path,
                                        std::string_view content);

// True when a new file can be created in folder right now (probed with a file that is
// removed again).
bool canCreateFilesIn(const std::filesystem::path& folder);

// The user's own folder for this program's settings: %APPDATA%\PoolDesk on Windows,
// $XDG_CONFIG_HOME/PoolDesk (default ~/.config/PoolDesk) elsewhere; empty when unknown.
std::filesystem::path userSettingsFolder();

} // namespace runtime
