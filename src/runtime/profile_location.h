#pragma once
// Where a program's settings file lives: beside the executable while that folder can be
// written, otherwise in the user's own settings folder.

#include "runtime/profile_file.h"

#include <filesystem>
#include <functional>
#include <string_view>

namespace runtime {

struct ProfileLocation {
    enum class Where {
        BesideExecutable,
        UserFolder,      // the executable's folder cannot be written
        NowhereWritable, // neither can: reads come from beside the executable, writes fail
    };
    std::filesystem::path file;
    Where where = Where::BesideExecutable;
    // The file beside the executable was copied into the user folder, this time only.
    bool copiedFromBesideExecutable = false;
};

// executableFolder / fileName while new files can be created there. Otherwise
// userFolder / fileName, created when missing; the first time, a file of that name beside the
// executable is copied there, so the settings an administrator or an older version left are
// the starting point. canWrite answers whether new files can be created in a folder (tests
// stand in for a folder the user may not write).
using FolderProbe = std::function<bool(const std::filesystem::path&)>;
ProfileLocation chooseProfileLocation(const std::filesystem::path& executableFolder,
                                      const std::filesystem::path& userFolder,
                                      std::string_view fileName,
                                      const FolderProbe& canWrite = canCreateFilesIn);

} // namespace runtime
