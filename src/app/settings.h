#pragma once
// The client's items in pz.ini: the pool-name filter, the user key and the sign-in route, in
// GBK.

#include "runtime/controls.h"
#include "runtime/text.h"

#include <array>
#include <string>
#include <string_view>

namespace app {

// runDirectory() + the separator + "pz.ini".
std::string defaultSettingsFile();

runtime::Text readFilter(const std::string& file);
bool writeFilter(const std::string& file, std::string_view filter);
runtime::Text readKey(const std::string& file);
bool writeKey(const std::string& file, std::string_view key);

// A sign-in route as pz.ini names it, and its radio button.
struct RouteChoice {
    std::string_view setting;
    std::string_view radio;
};
inline constexpr std::array<RouteChoice, 3> kRouteChoices{{
    {"malaysia", controls::kRouteMalaysia},
    {"netherlands", controls::kRouteNetherlands},
    {"hongkong", controls::kRouteHongKong},
}};

// The remembered route's setting, or empty when none (older files) or an unknown one is stored.
runtime::Text readRoute(const std::string& file);
bool writeRoute(const std::string& file, std::string_view setting);

} // namespace app
