#pragma once
// The client's items in pz.ini: the pool-name filter, the user key and the sign-in route, in
// GBK. The file is named by a std::string (MainWindowOptions::settingsFile): UTF-8 on Windows,
// the form Qt's toStdString gives and one that holds any Windows file name, the path's own
// bytes elsewhere. It becomes a native path again only here, never through GBK.

#include "runtime/controls.h"
#include "runtime/profile.h"
#include "runtime/text.h"

#include <array>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace app {

std::string settingsFileText(const std::filesystem::path& path);
std::filesystem::path settingsFilePath(std::string_view text);

// pz.ini beside the executable; in the user's settings folder (%APPDATA%\PoolDesk,
// $XDG_CONFIG_HOME/PoolDesk) when the executable's folder cannot be written.
std::string defaultSettingsFile();
// The same choice between two given folders (the executable's and the user's).
std::string chooseSettingsFile(const std::filesystem::path& executableFolder,
                               const std::filesystem::path& userFolder);
// The log line that says where the settings live when the choice for file was not the
// executable's folder; empty otherwise.
runtime::Text settingsLocationLine(const std::string& file);

runtime::Text readFilter(const std::string& file);
runtime::ProfileWrite writeFilter(const std::string& file, std::string_view filter);
runtime::Text readKey(const std::string& file);
// nullopt when pz.ini is there but cannot be read.
std::optional<runtime::Text> readStoredKey(const std::string& file);
runtime::ProfileWrite writeKey(const std::string& file, std::string_view key);

// How long the filter box stays untouched before its text is written.
inline constexpr int kFilterWritePauseMs = 500;

// The filter is written once typing pauses: the latest text waits here, and closing the window
// writes one still waiting. nullopt when nothing waited.
void deferFilterWrite(const std::string& file, runtime::Text filter);
std::optional<runtime::ProfileWrite> writeDeferredFilter(const std::string& file);

// The one log line for a write that did not happen; empty for Written.
runtime::Text settingsWriteLine(runtime::ProfileWrite result);

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
runtime::ProfileWrite writeRoute(const std::string& file, std::string_view setting);

} // namespace app
