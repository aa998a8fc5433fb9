#include "runtime/profile.h"

#include "runtime/profile_document.h"

#include <windows.h>

namespace runtime {

Text readSetting(const std::string& file, std::string_view section, std::string_view item,
                 std::string_view defaultValue) {
    const std::string sectionName(section);
    const std::string itemName(item);
    const std::string fallback(defaultValue.substr(0, kProfileReadBufferSize - 1));
    std::string buffer(kProfileReadBufferSize, '\0');
    const DWORD copied =
        GetPrivateProfileStringA(sectionName.c_str(), itemName.c_str(), fallback.c_str(),
                                 buffer.data(), static_cast<DWORD>(buffer.size()), file.c_str());
    buffer.resize(copied);
    return buffer;
}

bool writeSetting(const std::string& file, std::string_view section, std::string_view item,
                  std::string_view value) {
    // The profile functions would store a line break or '=' as is and so corrupt the file.
    if (file.empty() || !isStorableProfileEntry(section, item, value)) {
        return false;
    }
    const std::string sectionName(section);
    const std::string itemName(item);
    const std::string text(value);
    return WritePrivateProfileStringA(sectionName.c_str(), itemName.c_str(), text.c_str(),
                                      file.c_str()) != 0;
}

} // namespace runtime
