#include "runtime/profile.h"

#include "runtime/profile_document.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <mutex>
#include <optional>

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

enum class ReadResult { Ok, Missing, Failed };

ReadResult readWholeFile(const std::string& path, std::string& content) {
    content.clear();
    FileDescriptor file(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
    if (file.get() < 0) {
        return errno == ENOENT ? ReadResult::Missing : ReadResult::Failed;
    }
    struct stat info {};
    if (::fstat(file.get(), &info) != 0 || !S_ISREG(info.st_mode)) {
        return ReadResult::Failed;
    }
    char buffer[65536];
    for (;;) {
        const ssize_t got = ::read(file.get(), buffer, sizeof buffer);
        if (got == 0) {
            return ReadResult::Ok;
        }
        if (got < 0) {
            if (errno == EINTR) {
                continue;
            }
            return ReadResult::Failed;
        }
        content.append(buffer, static_cast<std::size_t>(got));
    }
}

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

// Writes the new content beside the file and renames it into place, so a crash or a full disk
// never leaves half a settings file.
bool replaceFile(const std::string& path, std::string_view content, mode_t mode) {
    std::string temporary = path + ".XXXXXX";
    FileDescriptor file(::mkstemp(temporary.data()));
    if (file.get() < 0) {
        return false;
    }
    const bool written = ::fchmod(file.get(), mode) == 0 && writeAll(file.get(), content) &&
                         ::fsync(file.get()) == 0 && file.close();
    if (!written || std::rename(temporary.c_str(), path.c_str()) != 0) {
        ::unlink(temporary.c_str());
        return false;
    }
    return true;
}

std::string defaultForReading(std::string_view defaultValue) {
    const auto last = defaultValue.find_last_not_of(' ');
    defaultValue =
        last == std::string_view::npos ? std::string_view{} : defaultValue.substr(0, last + 1);
    return std::string(defaultValue.substr(0, kProfileReadBufferSize - 1));
}

} // namespace

Text readSetting(const std::string& file, std::string_view section, std::string_view item,
                 std::string_view defaultValue) {
    std::string content;
    if (readWholeFile(file, content) != ReadResult::Ok) {
        return defaultForReading(defaultValue);
    }
    const auto raw = findProfileValue(content, section, item);
    if (!raw) {
        return defaultForReading(defaultValue);
    }
    return profileValueForReading(*raw, kProfileReadBufferSize - 1);
}

bool writeSetting(const std::string& file, std::string_view section, std::string_view item,
                  std::string_view value) {
    if (file.empty() || !isStorableProfileEntry(section, item, value)) {
        return false;
    }
    // Two writers in this process must not both read the old file and lose one update.
    static std::mutex writeMutex;
    const std::scoped_lock lock(writeMutex);
    std::string content;
    mode_t mode = 0644;
    switch (readWholeFile(file, content)) {
    case ReadResult::Failed:
        return false;
    case ReadResult::Ok: {
        struct stat info {};
        if (::stat(file.c_str(), &info) == 0) {
            mode = info.st_mode & 07777;
        }
        break;
    }
    case ReadResult::Missing:
        break;
    }
    return replaceFile(file, withProfileValue(content, section, item, value), mode);
}

} // namespace runtime
