#pragma once
// The platform half of the profile file: whole-file reads and atomic replacement.
// Paths are GBK text; the Windows side opens them through the wide APIs.

#include <string>
#include <string_view>

namespace runtime {

enum class ProfileReadResult { Ok, Missing, Failed };

// The file's bytes; Missing when there is no such file, Failed when it cannot be read or is
// not a regular file.
ProfileReadResult readProfileFile(const std::string& path, std::string& content);

// Writes content beside the file and moves it into place (keeping the old file's permissions
// where the platform has them), so a crash or a full disk never leaves half a file. false when
// any step fails; the old file is then untouched.
bool replaceProfileFile(const std::string& path, std::string_view content);

} // namespace runtime
