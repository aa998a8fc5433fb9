#include "runtime/threads.h"

#include <filesystem>
#include <system_error>

namespace runtime {

std::string runDirectory() {
    std::error_code error;
    const std::filesystem::path executable = std::filesystem::read_symlink("/proc/self/exe", error);
    if (error) {
        std::string current = std::filesystem::current_path(error).string();
        return error ? std::string(".") : current;
    }
    std::string folder = executable.parent_path().string();
    while (folder.size() > 1 && folder.back() == '/') {
        folder.pop_back();
    }
    return folder;
}

} // namespace runtime
