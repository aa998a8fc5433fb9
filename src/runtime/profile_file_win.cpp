#include "runtime/profile_file.h"

#include <windows.h>

#include <shlobj.h>

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

// The extended-length form (\\?\C:\... or \\?\UNC\server\share\...), so that a pz.ini near
// MAX_PATH can still get its temporary neighbour, which is a dozen characters longer.
std::wstring extendedPath(const std::filesystem::path& path) {
    const std::wstring& native = path.native();
    if (native.rfind(L"\\\\?\\", 0) == 0 || native.empty()) {
        return native;
    }
    const DWORD needed = GetFullPathNameW(native.c_str(), 0, nullptr, nullptr);
    if (needed == 0) {
        return native;
    }
    std::wstring full(needed, L'\0');
    const DWORD length = GetFullPathNameW(native.c_str(), needed, full.data(), nullptr);
    if (length == 0 || length >= needed) {
        return native;
    }
    full.resize(length);
    if (full.rfind(L"\\\\.\\", 0) == 0) {
        return full; // a device: not a file path
    }
    if (full.rfind(L"\\\\", 0) == 0) {
        return L"\\\\?\\UNC\\" + full.substr(2);
    }
    return L"\\\\?\\" + full;
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

std::wstring uniqueNeighbour(const std::wstring& path, const wchar_t* kind) {
    static std::atomic<unsigned> counter{0};
    return path + L"." + std::to_wstring(GetCurrentProcessId()) + L"-" +
           std::to_wstring(counter.fetch_add(1)) + kind;
}

// Errors that another program's open handle or a scanner's brief lock cause.
bool heldByAnother(DWORD error) {
    switch (error) {
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
    case ERROR_ACCESS_DENIED:
    case ERROR_UNABLE_TO_REMOVE_REPLACED:
    case ERROR_UNABLE_TO_MOVE_REPLACEMENT:
    case ERROR_UNABLE_TO_MOVE_REPLACEMENT_2:
        return true;
    default:
        return false;
    }
}

// ReplaceFileW keeps the replaced file's attributes, security and creation time. The old file
// goes to a backup name first: without one, some of its failures leave no pz.ini at all.
ProfileReplaceResult replaceExisting(const std::wstring& target, const std::wstring& temporary) {
    const std::wstring backup = uniqueNeighbour(target, L".old");
    if (ReplaceFileW(target.c_str(), temporary.c_str(), backup.c_str(),
                     REPLACEFILE_IGNORE_MERGE_ERRORS, nullptr, nullptr)) {
        DeleteFileW(backup.c_str());
        return ProfileReplaceResult::Replaced;
    }
    const DWORD error = GetLastError();
    if (error == ERROR_UNABLE_TO_MOVE_REPLACEMENT_2) {
        // The old file already went to the backup name: finish the move, or put it back.
        if (MoveFileExW(temporary.c_str(), target.c_str(), MOVEFILE_WRITE_THROUGH)) {
            DeleteFileW(backup.c_str());
            return ProfileReplaceResult::Replaced;
        }
        MoveFileExW(backup.c_str(), target.c_str(), MOVEFILE_WRITE_THROUGH);
    }
    DeleteFileW(temporary.c_str());
    return heldByAnother(error) ? ProfileReplaceResult::Busy : ProfileReplaceResult::Failed;
}

} // namespace

ProfileReadResult readProfileFile(const std::filesystem::path& path, std::string& content) {
    content.clear();
    FileHandle file(CreateFileW(extendedPath(path).c_str(), GENERIC_READ,
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

ProfileReplaceResult replaceProfileFile(const std::filesystem::path& path,
                                        std::string_view content) {
    const std::wstring target = extendedPath(path);
    const DWORD attributes = GetFileAttributesW(target.c_str());
    const bool exists = attributes != INVALID_FILE_ATTRIBUTES;
    if (exists && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
        return ProfileReplaceResult::Failed;
    }
    if (exists && (attributes & FILE_ATTRIBUTE_READONLY) != 0) {
        return ProfileReplaceResult::ReadOnly;
    }
    // The new file starts with the old one's attributes too: ReplaceFileW carries them over on
    // Windows, but not every implementation of it does (Wine's does not).
    constexpr DWORD kKept = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_ARCHIVE |
                            FILE_ATTRIBUTE_NOT_CONTENT_INDEXED;
    const DWORD newAttributes =
        exists && (attributes & kKept) != 0 ? attributes & kKept : FILE_ATTRIBUTE_NORMAL;
    const std::wstring temporary = uniqueNeighbour(target, L"");
    FileHandle file(CreateFileW(temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                newAttributes, nullptr));
    if (!file.valid()) {
        return ProfileReplaceResult::Failed;
    }
    if (!writeAll(file.get(), content) || FlushFileBuffers(file.get()) == 0 || !file.close()) {
        file.close();
        DeleteFileW(temporary.c_str());
        return ProfileReplaceResult::Failed;
    }
    if (exists) {
        return replaceExisting(target, temporary);
    }
    if (MoveFileExW(temporary.c_str(), target.c_str(), MOVEFILE_WRITE_THROUGH)) {
        return ProfileReplaceResult::Replaced;
    }
    const DWORD error = GetLastError();
    DeleteFileW(temporary.c_str());
    // Someone created the file meanwhile, or holds its name: the next try replaces it.
    return error == ERROR_ALREADY_EXISTS || error == ERROR_FILE_EXISTS || heldByAnother(error)
               ? ProfileReplaceResult::Busy
               : ProfileReplaceResult::Failed;
}

bool canCreateFilesIn(const std::filesystem::path& folder) {
    if (folder.empty()) {
        return false;
    }
    const std::wstring probe = uniqueNeighbour(extendedPath(folder / L".pooldesk-probe"), L"");
    FileHandle file(CreateFileW(
        probe.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
        FILE_ATTRIBUTE_TEMPORARY | FILE_ATTRIBUTE_HIDDEN | FILE_FLAG_DELETE_ON_CLOSE, nullptr));
    return file.valid();
}

std::filesystem::path userSettingsFolder() {
    std::wstring folder(MAX_PATH, L'\0');
    DWORD length =
        GetEnvironmentVariableW(L"APPDATA", folder.data(), static_cast<DWORD>(folder.size()));
    if (length >= folder.size()) {
        folder.resize(length);
        length =
            GetEnvironmentVariableW(L"APPDATA", folder.data(), static_cast<DWORD>(folder.size()));
    }
    if (length > 0 && length < folder.size()) {
        folder.resize(length);
        return std::filesystem::path(folder) / L"PoolDesk";
    }
    wchar_t known[MAX_PATH] = {};
    if (SUCCEEDED(SHGetFolderPathW(nullptr, CSIDL_APPDATA, nullptr, SHGFP_TYPE_CURRENT, known))) {
        return std::filesystem::path(known) / L"PoolDesk";
    }
    return {};
}

} // namespace runtime
