#include "runtime/profile.h"

#include "runtime/profile_document.h"
#include "runtime/profile_file.h"

#include <mutex>

namespace runtime {

namespace {

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
    if (readProfileFile(file, content) != ProfileReadResult::Ok) {
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
    if (readProfileFile(file, content) == ProfileReadResult::Failed) {
        return false;
    }
    return replaceProfileFile(file, withProfileValue(content, section, item, value));
}

} // namespace runtime
