#include "app/settings.h"

#include "runtime/profile.h"
#include "runtime/threads.h"

namespace app {
namespace {

constexpr std::string_view kFilterSection = "1";
constexpr std::string_view kFilterItem = "n";
constexpr std::string_view kKeySection = "key";
constexpr std::string_view kKeyItem = "key";
constexpr std::string_view kRouteSection = "1";
constexpr std::string_view kRouteItem = "route";

} // namespace

std::string defaultSettingsFile() {
#ifdef _WIN32
    return runtime::runDirectory() + "\\pz.ini";
#else
    return runtime::runDirectory() + "/pz.ini";
#endif
}

runtime::Text readFilter(const std::string& file) {
    return runtime::readSetting(file, kFilterSection, kFilterItem);
}

bool writeFilter(const std::string& file, std::string_view filter) {
    return runtime::writeSetting(file, kFilterSection, kFilterItem, filter);
}

runtime::Text readKey(const std::string& file) {
    return runtime::readSetting(file, kKeySection, kKeyItem);
}

bool writeKey(const std::string& file, std::string_view key) {
    return runtime::writeSetting(file, kKeySection, kKeyItem, key);
}

runtime::Text readRoute(const std::string& file) {
    const runtime::Text stored = runtime::readSetting(file, kRouteSection, kRouteItem);
    for (const RouteChoice& route : kRouteChoices) {
        if (stored == route.setting) {
            return stored;
        }
    }
    return {};
}

bool writeRoute(const std::string& file, std::string_view setting) {
    return runtime::writeSetting(file, kRouteSection, kRouteItem, setting);
}

} // namespace app
