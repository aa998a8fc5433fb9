#include "http/transport.h"
#include "runtime/codepage.h"

#include <windows.h>
#include <winhttp.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <limits>
#include <mutex>
#include <optional>
#include <stop_token>
#include <string>

namespace http {
namespace {

std::wstring toWide(std::string_view text) {
    const std::u16string utf16 = runtime::gbkToUtf16(text);
    return std::wstring(utf16.begin(), utf16.end());
}

Text toText(const wchar_t* characters, DWORD length) {
    if (characters == nullptr || length == 0) {
        return {};
    }
    return runtime::utf16ToGbk(
        std::u16string(reinterpret_cast<const char16_t*>(characters), length));
}

class WinHttpTransport final : public Transport {
public:
    WinHttpTransport() = default;
    WinHttpTransport(const WinHttpTransport&) = delete;
    WinHttpTransport& operator=(const WinHttpTransport&) = delete;
    ~WinHttpTransport() override { close(); }

    bool checkPlatform() override { return WinHttpCheckPlatform() != FALSE; }

    std::optional<UrlParts> crackUrl(std::string_view url) override {
        const std::wstring wide = toWide(url);
        URL_COMPONENTS components{};
        components.dwStructSize = sizeof(components);
        components.dwSchemeLength = static_cast<DWORD>(-1);
        components.dwHostNameLength = static_cast<DWORD>(-1);
        components.dwUrlPathLength = static_cast<DWORD>(-1);
        components.dwExtraInfoLength = static_cast<DWORD>(-1);
        if (!WinHttpCrackUrl(wide.c_str(), static_cast<DWORD>(wide.size()), 0, &components)) {
            return std::nullopt;
        }
        UrlParts parts;
        parts.host = toText(components.lpszHostName, components.dwHostNameLength);
        parts.secure = components.nScheme == INTERNET_SCHEME_HTTPS;
        parts.port = components.nPort;
        parts.path = toText(components.lpszUrlPath, components.dwUrlPathLength);
        parts.extraInfo = toText(components.lpszExtraInfo, components.dwExtraInfoLength);
        return parts;
    }

    bool openSession(std::string_view proxyName) override {
        // The User-Agent travels as a request header, so the session has none.
        if (proxyName.empty()) {
            m_session = WinHttpOpen(nullptr, WINHTTP_ACCESS_TYPE_NO_PROXY, WINHTTP_NO_PROXY_NAME,
                                    WINHTTP_NO_PROXY_BYPASS, 0);
        } else {
            const std::wstring proxy = toWide(proxyName);
            m_session = WinHttpOpen(nullptr, WINHTTP_ACCESS_TYPE_NAMED_PROXY, proxy.c_str(),
                                    WINHTTP_NO_PROXY_BYPASS, 0);
        }
        return m_session != nullptr;
    }

    bool setTimeouts(const Timeouts& timeouts) override {
        m_timeouts = timeouts;
        return WinHttpSetTimeouts(m_session, timeouts.resolveMs, timeouts.connectMs,
                                  timeouts.sendMs, timeouts.receiveMs) != FALSE;
    }

    void setDeadline(std::chrono::steady_clock::time_point deadline) override {
        m_deadline = deadline;
    }

    void setStopToken(std::stop_token stop) override { m_stop = std::move(stop); }

    bool connect(std::string_view host, std::uint16_t port) override {
        const std::wstring wideHost = toWide(host);
        m_connection = WinHttpConnect(m_session, wideHost.c_str(), port, 0);
        return m_connection != nullptr;
    }

    bool openRequest(std::string_view method, std::string_view objectName, bool secure) override {
        const std::wstring wideMethod = toWide(method);
        const std::wstring wideObject = toWide(objectName);
        m_request = WinHttpOpenRequest(m_connection, wideMethod.c_str(), wideObject.c_str(),
                                       nullptr, WINHTTP_NO_REFERER, WINHTTP_DEFAULT_ACCEPT_TYPES,
                                       secure ? WINHTTP_FLAG_SECURE : 0);
        return m_request != nullptr;
    }

    bool setCredentials(AuthTarget target, std::string_view user,
                        std::string_view password) override {
        const std::wstring wideUser = toWide(user);
        const std::wstring widePassword = toWide(password);
        const DWORD authTarget =
            target == AuthTarget::Server ? WINHTTP_AUTH_TARGET_SERVER : WINHTTP_AUTH_TARGET_PROXY;
        return WinHttpSetCredentials(m_request, authTarget, WINHTTP_AUTH_SCHEME_BASIC,
                                     wideUser.c_str(), widePassword.c_str(), nullptr) != FALSE;
    }

    bool setOption(RequestOption option, std::uint32_t value) override {
        DWORD data = value;
        return WinHttpSetOption(m_request, static_cast<DWORD>(option), &data, sizeof(data)) !=
               FALSE;
    }

    bool addHeaders(std::string_view headerText) override {
        // Adding no header at all is not a failure of the request.
        if (headerText.empty()) {
            return m_request != nullptr;
        }
        const std::wstring wide = toWide(headerText);
        return WinHttpAddRequestHeaders(m_request, wide.c_str(), static_cast<DWORD>(wide.size()),
                                        WINHTTP_ADDREQ_FLAG_ADD) != FALSE;
    }

    bool sendRequest(std::uint64_t totalLength) override {
        if (totalLength > std::numeric_limits<DWORD>::max() || !shortenWaitsToDeadline()) {
            return false;
        }
        return WinHttpSendRequest(m_request, WINHTTP_NO_ADDITIONAL_HEADERS, 0,
                                  WINHTTP_NO_REQUEST_DATA, 0, static_cast<DWORD>(totalLength),
                                  0) != FALSE;
    }

    bool writeData(std::span<const std::uint8_t> piece) override {
        DWORD written = 0;
        return WinHttpWriteData(m_request, piece.data(), static_cast<DWORD>(piece.size()),
                                &written) != FALSE;
    }

    bool receiveResponse() override {
        return shortenWaitsToDeadline() && WinHttpReceiveResponse(m_request, nullptr) != FALSE;
    }

    bool queryDataAvailable(std::size_t& available) override {
        if (!shortenWaitsToDeadline()) {
            return false;
        }
        DWORD size = 0;
        if (!WinHttpQueryDataAvailable(m_request, &size)) {
            return false;
        }
        available = size;
        return true;
    }

    bool readData(std::span<std::uint8_t> buffer, std::size_t& bytesRead) override {
        DWORD read = 0;
        const BOOL ok =
            WinHttpReadData(m_request, buffer.data(), static_cast<DWORD>(buffer.size()), &read);
        bytesRead = read;
        return ok != FALSE;
    }

    std::optional<Text> queryRawHeaders() override {
        DWORD size = 0;
        WinHttpQueryHeaders(m_request, WINHTTP_QUERY_RAW_HEADERS_CRLF, WINHTTP_HEADER_NAME_BY_INDEX,
                            WINHTTP_NO_OUTPUT_BUFFER, &size, WINHTTP_NO_HEADER_INDEX);
        runtime::ByteArray buffer(size);
        if (size == 0 || !WinHttpQueryHeaders(m_request, WINHTTP_QUERY_RAW_HEADERS_CRLF,
                                              WINHTTP_HEADER_NAME_BY_INDEX, buffer.data(), &size,
                                              WINHTTP_NO_HEADER_INDEX)) {
            return std::nullopt;
        }
        buffer.resize(size);
        return runtime::wideToText(buffer);
    }

    void close() override {
        m_cancelOnStop.reset(); // from here on no stop closes the request behind our back
        if (m_requestClosedByStop) {
            m_request = nullptr;
        }
        for (HINTERNET* handle : {&m_request, &m_connection, &m_session}) {
            if (*handle != nullptr) {
                WinHttpCloseHandle(*handle);
                *handle = nullptr;
            }
        }
    }

private:
    // WinHTTP waits synchronously, each wait up to its phase time-out: before each wait, the
    // time-outs of the request shrink to what is left until the deadline. False once it passed.
    bool shortenWaitsToDeadline() {
        if (m_stop.stop_requested()) {
            return false;
        }
        if (m_stop.stop_possible() && !m_cancelOnStop) {
            // WinHTTP ends a synchronous call in progress when its request handle is closed.
            m_cancelOnStop.emplace(m_stop, CloseRequest{this});
        }
        const auto left = std::chrono::ceil<std::chrono::milliseconds>(
            m_deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0) {
            return false;
        }
        const auto within = [&left](int phaseMs) {
            return static_cast<int>(std::min<std::int64_t>(phaseMs, left.count()));
        };
        return WinHttpSetTimeouts(m_request, within(m_timeouts.resolveMs),
                                  within(m_timeouts.connectMs), within(m_timeouts.sendMs),
                                  within(m_timeouts.receiveMs)) != FALSE;
    }

    struct CloseRequest {
        WinHttpTransport* transport;
        void operator()() const { transport->closeRequestOnce(); }
    };

    // Runs on the thread that asks for the stop; the handle itself stays in m_request (the
    // request's own thread may be reading it) and close() leaves it alone.
    void closeRequestOnce() {
        const std::lock_guard lock(m_closeMutex);
        if (!m_requestClosedByStop) {
            WinHttpCloseHandle(m_request);
            m_requestClosedByStop = true;
        }
    }

    Timeouts m_timeouts{};
    std::stop_token m_stop;
    std::mutex m_closeMutex;
    bool m_requestClosedByStop = false; // guarded by m_closeMutex
    std::optional<std::stop_callback<CloseRequest>> m_cancelOnStop;
    std::chrono::steady_clock::time_point m_deadline = std::chrono::steady_clock::time_point::max();
    HINTERNET m_session = nullptr;
    HINTERNET m_connection = nullptr;
    HINTERNET m_request = nullptr;
};

} // namespace

std::unique_ptr<Transport> makePlatformTransport() {
    return std::make_unique<WinHttpTransport>();
}

} // namespace http
