#include "app/console.h"

#ifdef _WIN32
#include <windows.h>

#include <io.h>
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

namespace {

// The console behind stream, if it is one (also after reachStartingConsole reopened it).
HANDLE consoleOf(std::FILE* stream) {
    const int descriptor = _fileno(stream);
    const auto handle = descriptor < 0 ? INVALID_HANDLE_VALUE
                                       : reinterpret_cast<HANDLE>(_get_osfhandle(descriptor));
    DWORD mode = 0;
    return handle != INVALID_HANDLE_VALUE && GetConsoleMode(handle, &mode) ? handle : nullptr;
}

} // namespace

void writeOutput(std::FILE* stream, const QString& text) {
    if (const HANDLE console = consoleOf(stream)) {
        std::fflush(stream);
        const auto* units = reinterpret_cast<const wchar_t*>(text.utf16());
        DWORD left = static_cast<DWORD>(text.size());
        while (left > 0) {
            DWORD written = 0;
            if (!WriteConsoleW(console, units, left, &written, nullptr) || written == 0) {
                break;
            }
            units += written;
            left -= written;
        }
        return;
    }
    std::fputs(text.toLocal8Bit().constData(), stream);
}

#else

void reachStartingConsole() {}

void writeOutput(std::FILE* stream, const QString& text) {
    std::fputs(text.toLocal8Bit().constData(), stream);
}

#endif

} // namespace app
