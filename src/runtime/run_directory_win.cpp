#include "runtime/threads.h"

#include <windows.h>

namespace runtime {

std::string runDirectory() {
    std::string path(MAX_PATH, '\0');
    for (;;) {
        const DWORD length =
            GetModuleFileNameA(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (length == 0) {
            return ".";
        }
        if (length < path.size()) {
            path.resize(length);
            break;
        }
        path.resize(path.size() * 2); // truncated: try a larger buffer
    }
    const std::size_t separator = path.find_last_of("\\/");
    if (separator == std::string::npos) {
        return ".";
    }
    path.resize(separator);
    return path;
}

} // namespace runtime
