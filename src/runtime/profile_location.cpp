#include "runtime/profile_location.h"

#include <string>
#include <system_error>

namespace runtime {

ProfileLocation chooseProfileLocation(const std::filesystem::path& executableFolder,
                                      const std::filesystem::path& userFolder,
                                      std::string_view fileName, const FolderProbe& canWrite) {
    const std::filesystem::path beside = executableFolder / std::filesystem::path(fileName);
    if (canWrite(executableFolder)) {
        return {beside, ProfileLocation::Where::BesideExecutable, false};
    }
    if (userFolder.empty()) {
        return {beside, ProfileLocation::Where::NowhereWritable, false};
    }
    std::error_code error;
    std::filesystem::create_directories(userFolder, error);
    if (!canWrite(userFolder)) {
        return {beside, ProfileLocation::Where::NowhereWritable, false};
    }
    ProfileLocation location{userFolder / std::filesystem::path(fileName),
                             ProfileLocation::Where::UserFolder, false};
    std::string content;
    if (readProfileFile(location.file, content) == ProfileReadResult::Missing &&
        readProfileFile(beside, content) == ProfileReadResult::Ok) {
        location.copiedFromBesideExecutable =
            replaceProfileFile(location.file, content) == ProfileReplaceResult::Replaced;
    }
    return location;
}

} // namespace runtime
