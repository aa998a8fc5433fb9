#include "runtime/profile.h"

#include "runtime/profile_document.h"
#include "runtime/profile_file.h"

#include <mutex>
#include <thread>

namespace runtime {

namespace {

std::string defaultForReading(std::string_view defaultValue) {
    const auto last = defaultValue.find_last_not_of(' ');
    defaultValue =
        last == std::string_view::npos ? std::string_view{} : defaultValue.substr(0, last + 1);
    return std::string(defaultValue.substr(0, kProfileReadBufferSize - 1));
}

// About half a second in all: long enough for a scanner or a sync client's brief hold, short
// enough for the window thread that writes.
std::vector<std::chrono::milliseconds> retryPauses{
    std::chrono::milliseconds(20), std::chrono::milliseconds(40), std::chrono::milliseconds(80),
    std::chrono::milliseconds(120), std::chrono::milliseconds(240)};

// Two writers in this process must not both read the old file and lose one update.
std::mutex writeMutex;

ProfileWrite writeOnce(const std::filesystem::path& file, std::string_view section,
                       std::string_view item, std::string_view value) {
    std::string content;
    if (readProfileFile(file, content) == ProfileReadResult::Failed) {
        return ProfileWrite::Failed;
    }
    switch (replaceProfileFile(file, withProfileValue(content, section, item, value))) {
    case ProfileReplaceResult::Replaced:
        return ProfileWrite::Written;
    case ProfileReplaceResult::ReadOnly:
        return ProfileWrite::ReadOnly;
    case ProfileReplaceResult::Busy:
        return ProfileWrite::Busy;
    case ProfileReplaceResult::Failed:
        break;
    }
    return ProfileWrite::Failed;
}

} // namespace

std::optional<Text> readStoredSetting(const std::filesystem::path& file, std::string_view section,
                                      std::string_view item, std::string_view defaultValue) {
    std::string content;
    switch (readProfileFile(file, content)) {
    case ProfileReadResult::Failed:
        return std::nullopt;
    case ProfileReadResult::Missing:
        return defaultForReading(defaultValue);
    case ProfileReadResult::Ok:
        break;
    }
    const auto raw = findProfileValue(content, section, item);
    if (!raw) {
        return defaultForReading(defaultValue);
    }
    return profileValueForReading(*raw, kProfileReadBufferSize - 1);
}

Text readSetting(const std::filesystem::path& file, std::string_view section, std::string_view item,
                 std::string_view defaultValue) {
    std::optional<Text> stored = readStoredSetting(file, section, item, defaultValue);
    return stored ? std::move(*stored) : defaultForReading(defaultValue);
}

ProfileWrite storeSetting(const std::filesystem::path& file, std::string_view section,
                          std::string_view item, std::string_view value) {
    if (file.empty() || !isStorableProfileEntry(section, item, value)) {
        return ProfileWrite::NotStorable;
    }
    const std::scoped_lock lock(writeMutex);
    ProfileWrite result = writeOnce(file, section, item, value);
    for (const auto pause : retryPauses) {
        if (result != ProfileWrite::Busy) {
            break;
        }
        std::this_thread::sleep_for(pause);
        result = writeOnce(file, section, item, value);
    }
    return result;
}

bool writeSetting(const std::filesystem::path& file, std::string_view section,
                  std::string_view item, std::string_view value) {
    return storeSetting(file, section, item, value) == ProfileWrite::Written;
}

void setProfileRetryPauses(std::vector<std::chrono::milliseconds> pauses) {
    const std::scoped_lock lock(writeMutex);
    retryPauses = std::move(pauses);
}

} // namespace runtime
