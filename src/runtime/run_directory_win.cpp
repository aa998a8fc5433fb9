#include "runtime/codepage.h"
#include "runtime/threads.h"

#include <windows.h>

namespace runtime {

// The executable's folder as GBK text, read through the wide API so the system's ANSI code
// page does not matter.
std::string runDirectory() {
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length =
            GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (length == 0) {
            return ".";
        }
        if (length < path.size()) {
            path.resize(length);
            break;
        }
        path.resize(path.size() * 2); // truncated: try a larger buffer
    }
    const std::size_t separator = path.find_last_of(L"\\/");
    if (separator == std::wstring::npos) {
        return ".";
    }
    path.resize(separator);
    return utf16ToGbk(std::u16string(path.begin(), path.end()));
}

} // namespace runtime
