#pragma once
// The client's items in pz.ini: the pool-name filter and the user key, in GBK.

#include "runtime/text.h"

#include <string>
#include <string_view>

namespace app {

// runDirectory() + the separator + "pz.ini".
std::string defaultSettingsFile();

runtime::Text readFilter(const std::string& file);
bool writeFilter(const std::string& file, std::string_view filter);
runtime::Text readKey(const std::string& file);
bool writeKey(const std::string& file, std::string_view key);

} // namespace app
