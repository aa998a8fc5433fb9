#pragma once
// Whether this Windows test runs under Wine (whose ntdll exports wine_get_version), for the
// few checks Wine's own implementation cannot pass; they skip with the reason there and run on
// Windows. Always false elsewhere.

#ifdef _WIN32
#include <windows.h>
#endif

namespace pooldesk::testing {

inline bool underWine() {
#ifdef _WIN32
    const HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
    return ntdll != nullptr && GetProcAddress(ntdll, "wine_get_version") != nullptr;
#else
    return false;
#endif
}

} // namespace pooldesk::testing
