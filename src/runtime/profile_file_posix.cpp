#include "runtime/profile_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace runtime {

namespace {

class FileDescriptor final {
public:
    explicit FileDescriptor(int fd) : m_fd(fd) {}
    ~FileDescriptor() { close(); }
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;

    int get() const { return m_fd; }
    bool close() {
        const int fd = m_fd;
        m_fd = -1;
        return fd < 0 || ::close(fd) == 0;
    }

private:
    int m_fd;
};

} // namespace

ProfileReadResult readProfileFile(const std::filesystem::path& path, std::string& content) {
    content.clear();
    FileDescriptor file(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
    if (file.get() < 0) {
        return errno == ENOENT ? ProfileReadResult::Missing : ProfileReadResult::Failed;
    }
    struct stat info {};
    if (::fstat(file.get(), &info) != 0 || !S_ISREG(info.st_mode)) {
        return ProfileReadResult::Failed;
    }
    char buffer[65536];
    for (;;) {
        const ssize_t got = ::read(file.get(), buffer, sizeof buffer);
        if (got == 0) {
            return ProfileReadResult::Ok;
        }
        if (got < 0) {
            if (errno == EINTR) {
                continue;
            }
            return ProfileReadResult::Failed;
        }
        content.append(buffer, static_cast<std::size_t>(got));
    }
}

namespace {

bool writeAll(int fd, std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t put = ::write(fd, bytes.data(), bytes.size());
        if (put < 0) {
            if (errno == EINTR) {
                continue;
            }
            return false;
        }
        bytes.remove_prefix(static_cast<std::size_t>(put));
    }
    return true;
}

} // namespace

ProfileReplaceResult replaceProfileFile(const std::filesystem::path& path,
                                        std::string_view content) {
    mode_t mode = 0644;
    struct stat info {};
    if (::stat(path.c_str(), &info) == 0) {
        mode = info.st_mode & 07777;
        // Nobody may write it: the POSIX form of a read-only file, which a rename would ignore.
        if ((mode & 0222) == 0) {
            return ProfileReplaceResult::ReadOnly;
        }
    }
    std::string temporary = path.native() + ".XXXXXX";
    FileDescriptor file(::mkstemp(temporary.data()));
    if (file.get() < 0) {
        return ProfileReplaceResult::Failed;
    }
    const bool written = ::fchmod(file.get(), mode) == 0 && writeAll(file.get(), content) &&
                         ::fsync(file.get()) == 0 && file.close();
    if (!written || std::rename(temporary.c_str(), path.c_str()) != 0) {
        ::unlink(temporary.c_str());
        return ProfileReplaceResult::Failed;
    }
    return ProfileReplaceResult::Replaced;
}

bool canCreateFilesIn(const std::filesystem::path& folder) {
    if (folder.empty()) {
        return false;
    }
    std::string probe = (folder / ".pooldesk-probe.XXXXXX").native();
    const int fd = ::mkstemp(probe.data());
    if (fd < 0) {
        return false;
    }
    ::close(fd);
    ::unlink(probe.c_str());
    return true;
}

std::filesystem::path userSettingsFolder() {
    const char* configHome = std::getenv("XDG_CONFIG_HOME");
    if (configHome != nullptr && configHome[0] == '/') {
        return std::filesystem::path(configHome) / "PoolDesk";
    }
    const char* home = std::getenv("HOME");
    if (home != nullptr && home[0] == '/') {
        return std::filesystem::path(home) / ".config" / "PoolDesk";
    }
    return {};
}

} // namespace runtime
