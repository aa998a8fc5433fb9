#include "runtime/threads.h"

#include <filesystem>
#include <system_error>

namespace runtime {

std::filesystem::path runDirectory() {
    std::error_code error;
    const std::filesystem::path executable = std::filesystem::read_symlink("/proc/self/exe", error);
    if (error) {
        std::filesystem::path current = std::filesystem::current_path(error);
        return error ? std::filesystem::path(".") : current;
    }
    std::string folder = executable.parent_path().native();
    while (folder.size() > 1 && folder.back() == '/') {
        folder.pop_back();
    }
    return folder;
}

} // namespace runtime
