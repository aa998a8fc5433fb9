#include "runtime/threads.h"

#include <windows.h>

namespace runtime {

// The executable's folder exactly as GetModuleFileNameW gives it: a name outside GBK (Björn, a
// Korean user name) must reach CreateFileW unchanged.
std::filesystem::path runDirectory() {
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length =
            GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (length == 0) {
            return L".";
        }
        if (length < path.size()) {
            path.resize(length);
            break;
        }
        path.resize(path.size() * 2); // truncated: try a larger buffer
    }
    const std::size_t separator = path.find_last_of(L"\\/");
    if (separator == std::wstring::npos) {
        return L".";
    }
    // A root keeps its separator: "C:" alone would name the drive's current folder.
    path.resize(separator == 2 && path[1] == L':' ? separator + 1 : separator);
    return path;
}

} // namespace runtime
