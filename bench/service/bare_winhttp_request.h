#pragma once
// What both bare WinHTTP floors do around their requests: the URL cracked, a session of its own
// (synchronous or asynchronous), the connection and the request opened, and all three closed.

#ifdef _WIN32

#include <windows.h>
#include <winhttp.h>

#include <string>

namespace bench {

class BareWinHttpRequest final {
public:
    // A GET of url (an ASCII URL), or a POST when post; handle() is null when any step failed.
    BareWinHttpRequest(const std::string& url, bool post, DWORD sessionFlags) {
        const std::wstring wideUrl(url.begin(), url.end());
        URL_COMPONENTS parts{};
        parts.dwStructSize = sizeof parts;
        parts.dwHostNameLength = static_cast<DWORD>(-1);
        parts.dwUrlPathLength = static_cast<DWORD>(-1);
        parts.dwExtraInfoLength = static_cast<DWORD>(-1);
        if (!WinHttpCrackUrl(wideUrl.c_str(), 0, 0, &parts)) {
            return;
        }
        const std::wstring host(parts.lpszHostName, parts.dwHostNameLength);
        const std::wstring object = std::wstring(parts.lpszUrlPath, parts.dwUrlPathLength) +
                                    std::wstring(parts.lpszExtraInfo, parts.dwExtraInfoLength);
        m_session = WinHttpOpen(nullptr, WINHTTP_ACCESS_TYPE_NO_PROXY, WINHTTP_NO_PROXY_NAME,
                                WINHTTP_NO_PROXY_BYPASS, sessionFlags);
        m_connection =
            m_session ? WinHttpConnect(m_session, host.c_str(), parts.nPort, 0) : nullptr;
        m_request = m_connection ? WinHttpOpenRequest(m_connection, post ? L"POST" : L"GET",
                                                      object.c_str(), nullptr, WINHTTP_NO_REFERER,
                                                      WINHTTP_DEFAULT_ACCEPT_TYPES, 0)
                                 : nullptr;
    }
    ~BareWinHttpRequest() {
        for (HINTERNET handle : {m_request, m_connection, m_session}) {
            if (handle) {
                WinHttpCloseHandle(handle);
            }
        }
    }
    BareWinHttpRequest(const BareWinHttpRequest&) = delete;
    BareWinHttpRequest& operator=(const BareWinHttpRequest&) = delete;

    HINTERNET handle() const { return m_request; }

private:
    HINTERNET m_session = nullptr;
    HINTERNET m_connection = nullptr;
    HINTERNET m_request = nullptr;
};

} // namespace bench

#endif
