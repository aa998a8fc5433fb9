#include "app/console.h"

#ifdef _WIN32
#include <windows.h>

#include <cstdio>
#endif

namespace app {

#ifdef _WIN32

namespace {

bool redirected(DWORD which) {
    const HANDLE handle = GetStdHandle(which);
    return handle != nullptr && handle != INVALID_HANDLE_VALUE &&
           GetFileType(handle) != FILE_TYPE_UNKNOWN;
}

} // namespace

void reachStartingConsole() {
    const bool outRedirected = redirected(STD_OUTPUT_HANDLE);
    const bool errRedirected = redirected(STD_ERROR_HANDLE);
    if ((outRedirected && errRedirected) || !AttachConsole(ATTACH_PARENT_PROCESS)) {
        return;
    }
    FILE* stream = nullptr;
    if (!outRedirected) {
        freopen_s(&stream, "CONOUT$", "w", stdout);
    }
    if (!errRedirected) {
        freopen_s(&stream, "CONOUT$", "w", stderr);
    }
}

#else

void reachStartingConsole() {}

#endif

} // namespace app
