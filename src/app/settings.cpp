#include "app/settings.h"

#include "runtime/codepage.h"
#include "runtime/profile_file.h"
#include "runtime/profile_location.h"
#include "runtime/threads.h"

#include <map>
#include <mutex>

namespace app {
namespace {

constexpr std::string_view kFileName = "pz.ini";
constexpr std::string_view kFilterSection = "1";
constexpr std::string_view kFilterItem = "n";
constexpr std::string_view kKeySection = "key";
constexpr std::string_view kKeyItem = "key";
constexpr std::string_view kRouteSection = "1";
constexpr std::string_view kRouteItem = "route";

#ifdef _WIN32
// UTF-16 code units to UTF-8; a lone surrogate, which a Windows file name may hold, is encoded
// like any other unit (WTF-8), so every name comes back unchanged.
std::string unitsToUtf8(const std::wstring& units) {
    std::string bytes;
    for (std::size_t i = 0; i < units.size(); ++i) {
        char32_t code = static_cast<char16_t>(units[i]);
        if (code >= 0xD800 && code <= 0xDBFF && i + 1 < units.size()) {
            const char32_t low = static_cast<char16_t>(units[i + 1]);
            if (low >= 0xDC00 && low <= 0xDFFF) {
                code = 0x10000 + ((code - 0xD800) << 10U) + (low - 0xDC00);
                ++i;
            }
        }
        if (code < 0x80) {
            bytes += static_cast<char>(code);
        } else if (code < 0x800) {
            bytes += static_cast<char>(0xC0 | (code >> 6U));
            bytes += static_cast<char>(0x80 | (code & 0x3FU));
        } else if (code < 0x10000) {
            bytes += static_cast<char>(0xE0 | (code >> 12U));
            bytes += static_cast<char>(0x80 | ((code >> 6U) & 0x3FU));
            bytes += static_cast<char>(0x80 | (code & 0x3FU));
        } else {
            bytes += static_cast<char>(0xF0 | (code >> 18U));
            bytes += static_cast<char>(0x80 | ((code >> 12U) & 0x3FU));
            bytes += static_cast<char>(0x80 | ((code >> 6U) & 0x3FU));
            bytes += static_cast<char>(0x80 | (code & 0x3FU));
        }
    }
    return bytes;
}

std::wstring utf8ToUnits(std::string_view bytes) {
    std::wstring units;
    for (std::size_t i = 0; i < bytes.size();) {
        const auto lead = static_cast<unsigned char>(bytes[i]);
        const std::size_t length = lead < 0x80 ? 1 : lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : 2;
        char32_t code = length == 1 ? lead : lead & (0x3FU >> (length - 1));
        bool valid = lead < 0x80 || (lead >= 0xC2 && lead <= 0xF4 && i + length <= bytes.size());
        for (std::size_t k = 1; valid && k < length; ++k) {
            const auto next = static_cast<unsigned char>(bytes[i + k]);
            valid = (next & 0xC0U) == 0x80;
            code = (code << 6U) | (next & 0x3FU);
        }
        if (!valid) {
            units += L'\uFFFD';
            ++i;
            continue;
        }
        if (code >= 0x10000) {
            units += static_cast<wchar_t>(0xD800 + ((code - 0x10000) >> 10U));
            units += static_cast<wchar_t>(0xDC00 + ((code - 0x10000) & 0x3FFU));
        } else {
            units += static_cast<wchar_t>(code);
        }
        i += length;
    }
    return units;
}
#endif

// For the log panel only: a name outside GBK shows with question marks there.
runtime::Text displayName(const std::filesystem::path& path) {
#ifdef _WIN32
    const std::wstring& native = path.native();
    return runtime::utf16ToGbk(std::u16string(native.begin(), native.end()));
#else
    return runtime::utf8ToGbk(path.native());
#endif
}

struct Registry {
    std::mutex mutex;
    std::map<std::string, runtime::Text, std::less<>> locationLines;
    std::map<std::string, runtime::Text, std::less<>> deferredFilters;
};

Registry& registry() {
    static Registry instance;
    return instance;
}

runtime::Text locationLine(const runtime::ProfileLocation& location) {
    switch (location.where) {
    case runtime::ProfileLocation::Where::BesideExecutable:
        return {};
    case runtime::ProfileLocation::Where::UserFolder:
        return runtime::gbk(location.copiedFromBesideExecutable
                                ? "程序所在文件夹不能写入，设置已移到 "
                                : "程序所在文件夹不能写入，设置保存在 ") +
               displayName(location.file);
    case runtime::ProfileLocation::Where::NowhereWritable:
        return runtime::gbk("程序所在文件夹和用户设置文件夹都不能写入，设置将无法保存");
    }
    return {};
}

} // namespace

std::string settingsFileText(const std::filesystem::path& path) {
#ifdef _WIN32
    return unitsToUtf8(path.native());
#else
    return path.native();
#endif
}

std::filesystem::path settingsFilePath(std::string_view text) {
#ifdef _WIN32
    return utf8ToUnits(text);
#else
    return std::string(text);
#endif
}

std::string chooseSettingsFile(const std::filesystem::path& executableFolder,
                               const std::filesystem::path& userFolder) {
    const runtime::ProfileLocation location =
        runtime::chooseProfileLocation(executableFolder, userFolder, kFileName);
    std::string file = settingsFileText(location.file);
    Registry& shared = registry();
    const std::scoped_lock lock(shared.mutex);
    shared.locationLines[file] = locationLine(location);
    return file;
}

std::string defaultSettingsFile() {
    return chooseSettingsFile(runtime::runDirectory(), runtime::userSettingsFolder());
}

runtime::Text settingsLocationLine(const std::string& file) {
    Registry& shared = registry();
    const std::scoped_lock lock(shared.mutex);
    const auto found = shared.locationLines.find(file);
    return found == shared.locationLines.end() ? runtime::Text{} : found->second;
}

runtime::Text readFilter(const std::string& file) {
    return runtime::readSetting(settingsFilePath(file), kFilterSection, kFilterItem);
}

runtime::ProfileWrite writeFilter(const std::string& file, std::string_view filter) {
    return runtime::storeSetting(settingsFilePath(file), kFilterSection, kFilterItem, filter);
}

runtime::Text readKey(const std::string& file) {
    return runtime::readSetting(settingsFilePath(file), kKeySection, kKeyItem);
}

std::optional<runtime::Text> readStoredKey(const std::string& file) {
    return runtime::readStoredSetting(settingsFilePath(file), kKeySection, kKeyItem);
}

runtime::ProfileWrite writeKey(const std::string& file, std::string_view key) {
    return runtime::storeSetting(settingsFilePath(file), kKeySection, kKeyItem, key);
}

void deferFilterWrite(const std::string& file, runtime::Text filter) {
    Registry& shared = registry();
    const std::scoped_lock lock(shared.mutex);
    shared.deferredFilters[file] = std::move(filter);
}

std::optional<runtime::ProfileWrite> writeDeferredFilter(const std::string& file) {
    runtime::Text filter;
    {
        Registry& shared = registry();
        const std::scoped_lock lock(shared.mutex);
        const auto found = shared.deferredFilters.find(file);
        if (found == shared.deferredFilters.end()) {
            return std::nullopt;
        }
        filter = std::move(found->second);
        shared.deferredFilters.erase(found);
    }
    return writeFilter(file, filter);
}

runtime::Text settingsWriteLine(runtime::ProfileWrite result) {
    switch (result) {
    case runtime::ProfileWrite::Written:
        return {};
    case runtime::ProfileWrite::ReadOnly:
        return runtime::gbk("设置文件 pz.ini 是只读的，设置没有保存");
    case runtime::ProfileWrite::Busy:
        return runtime::gbk("设置文件 pz.ini 正被其他程序占用，设置没有保存");
    case runtime::ProfileWrite::NotStorable:
    case runtime::ProfileWrite::Failed:
        break;
    }
    return runtime::gbk("设置没有保存：无法写入 pz.ini");
}

runtime::Text readRoute(const std::string& file) {
    const runtime::Text stored =
        runtime::readSetting(settingsFilePath(file), kRouteSection, kRouteItem);
    for (const RouteChoice& route : kRouteChoices) {
        if (stored == route.setting) {
            return stored;
        }
    }
    return {};
}

runtime::ProfileWrite writeRoute(const std::string& file, std::string_view setting) {
    return runtime::storeSetting(settingsFilePath(file), kRouteSection, kRouteItem, setting);
}

} // namespace app
