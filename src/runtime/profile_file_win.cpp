#include "runtime/profile_file.h"

#include "runtime/codepage.h"

#include <windows.h>

#include <algorithm>
#include <atomic>
#include <string>

namespace runtime {

namespace {

class FileHandle final {
public:
    explicit FileHandle(HANDLE handle) : m_handle(handle) {}
    ~FileHandle() { close(); }
    FileHandle(const FileHandle&) = delete;
    FileHandle& operator=(const FileHandle&) = delete;

    bool valid() const { return m_handle != INVALID_HANDLE_VALUE; }
    HANDLE get() const { return m_handle; }
    bool close() {
        const HANDLE handle = m_handle;
        m_handle = INVALID_HANDLE_VALUE;
        return handle == INVALID_HANDLE_VALUE || CloseHandle(handle) != 0;
    }

private:
    HANDLE m_handle;
};

// The path is GBK whatever the system's ANSI code page is.
std::wstring widePath(const std::string& path) {
    const std::u16string utf16 = gbkToUtf16(path);
    return std::wstring(utf16.begin(), utf16.end());
}

bool writeAll(HANDLE file, std::string_view bytes) {
    while (!bytes.empty()) {
        const DWORD piece = static_cast<DWORD>(std::min<std::size_t>(bytes.size(), 1U << 20U));
        DWORD put = 0;
        if (!WriteFile(file, bytes.data(), piece, &put, nullptr) || put == 0) {
            return false;
        }
        bytes.remove_prefix(put);
    }
    return true;
}

std::wstring temporaryName(const std::wstring& path) {
    static std::atomic<unsigned> counter{0};
    return path + L"." + std::to_wstring(GetCurrentProcessId()) + L"-" +
           std::to_wstring(counter.fetch_add(1));
}

} // namespace

ProfileReadResult readProfileFile(const std::string& path, std::string& content) {
    content.clear();
    FileHandle file(CreateFileW(widePath(path).c_str(), GENERIC_READ,
                                FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.valid()) {
        const DWORD error = GetLastError();
        return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND
                   ? ProfileReadResult::Missing
                   : ProfileReadResult::Failed;
    }
    if (GetFileType(file.get()) != FILE_TYPE_DISK) {
        return ProfileReadResult::Failed;
    }
    char buffer[65536];
    for (;;) {
        DWORD got = 0;
        if (!ReadFile(file.get(), buffer, sizeof buffer, &got, nullptr)) {
            return ProfileReadResult::Failed;
        }
        if (got == 0) {
            return ProfileReadResult::Ok;
        }
        content.append(buffer, got);
    }
}

bool replaceProfileFile(const std::string& path, std::string_view content) {
    const std::wstring target = widePath(path);
    const std::wstring temporary = temporaryName(target);
    FileHandle file(CreateFileW(temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.valid()) {
        return false;
    }
    const bool written =
        writeAll(file.get(), content) && FlushFileBuffers(file.get()) != 0 && file.close();
    if (!written || !MoveFileExW(temporary.c_str(), target.c_str(),
                                 MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        file.close();
        DeleteFileW(temporary.c_str());
        return false;
    }
    return true;
}

} // namespace runtime
