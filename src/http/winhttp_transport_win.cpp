#include "http/transport.h"
#include "runtime/codepage.h"

#include <windows.h>
#include <winhttp.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <limits>
#include <memory>
#include <optional>
#include <stop_token>
#include <string>
#include <vector>

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

// What WinHTTP's callback thread and the request's own thread share. WinHTTP keeps one
// reference (the request's context value) until it reports the request handle closing, so a
// request ended early may still complete into these buffers after the transport is gone.
//
// Guarded by a Win32 slim lock with its condition variable, which own no kernel object: under
// Wine an event costs a wineserver round trip to create, to close, to set and to wait on (about
// 15 us each on our build machine), and MinGW's std::mutex and std::condition_variable fall
// back to such objects as soon as they wait.
struct RequestState {
    SRWLOCK lock = SRWLOCK_INIT;
    // Woken by a completion and by a stop.
    CONDITION_VARIABLE wake = CONDITION_VARIABLE_INIT;
    bool pending = false; // an asynchronous call waits for its completion
    bool succeeded = false;
    DWORD bytes = 0;
    std::vector<std::uint8_t> readBuffer;
    std::vector<std::uint8_t> writeBuffer;
};

class StateLock final {
public:
    explicit StateLock(RequestState& state) : m_state(state) {
        AcquireSRWLockExclusive(&m_state.lock);
    }
    ~StateLock() {
        if (m_held) {
            ReleaseSRWLockExclusive(&m_state.lock);
        }
    }
    StateLock(const StateLock&) = delete;
    StateLock& operator=(const StateLock&) = delete;

    void unlock() {
        ReleaseSRWLockExclusive(&m_state.lock);
        m_held = false;
    }
    // Releases the lock while waiting: until a wake-up, the time-out or a spurious wake.
    void wait(DWORD milliseconds) {
        SleepConditionVariableSRW(&m_state.wake, &m_state.lock, milliseconds, 0);
    }

private:
    RequestState& m_state;
    bool m_held = true;
};

using StateReference = std::shared_ptr<RequestState>;

void CALLBACK onStatus(HINTERNET, DWORD_PTR context, DWORD status, LPVOID information,
                       DWORD length) {
    auto* reference = reinterpret_cast<StateReference*>(context);
    if (reference == nullptr) {
        return;
    }
    if (status == WINHTTP_CALLBACK_STATUS_HANDLE_CLOSING) {
        delete reference; // WinHTTP's last word on this request
        return;
    }
    // Held to the end: once the lock is let go the request's thread may go on and drop its own
    // reference before the wake-up below is made.
    const StateReference keep = *reference;
    RequestState& state = *keep;
    StateLock lock(state);
    switch (status) {
    case WINHTTP_CALLBACK_STATUS_SENDREQUEST_COMPLETE:
    case WINHTTP_CALLBACK_STATUS_HEADERS_AVAILABLE:
        state.succeeded = true;
        break;
    case WINHTTP_CALLBACK_STATUS_DATA_AVAILABLE:
    case WINHTTP_CALLBACK_STATUS_WRITE_COMPLETE:
        state.succeeded = true;
        state.bytes = information != nullptr ? *static_cast<const DWORD*>(information) : 0;
        break;
    case WINHTTP_CALLBACK_STATUS_READ_COMPLETE:
        state.succeeded = true;
        state.bytes = length;
        break;
    case WINHTTP_CALLBACK_STATUS_REQUEST_ERROR:
        state.succeeded = false;
        break;
    default:
        return; // progress notes: nothing completed
    }
    state.pending = false;
    lock.unlock();
    WakeAllConditionVariable(&state.wake);
}

// Wakes the request's wait when its stop is asked for. The wait looks at the stop under the
// lock, and the stop is marked before this runs, so taking the lock here loses no wake-up.
struct WakeOnStop {
    StateReference state;
    void operator()() const {
        StateLock(*state).unlock();
        WakeAllConditionVariable(&state->wake);
    }
};

// WinHTTP in asynchronous mode: every wait happens here, on the request's own thread, and ends
// at the completion, the deadline or a stop. An ended wait closes the request handle, which is
// WinHTTP's documented cancel for asynchronous requests, and forgets it at once: no call ever
// reaches a closed handle, whose value WinHTTP may already have given to another request.
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
                                    WINHTTP_NO_PROXY_BYPASS, WINHTTP_FLAG_ASYNC);
        } else {
            const std::wstring proxy = toWide(proxyName);
            m_session = WinHttpOpen(nullptr, WINHTTP_ACCESS_TYPE_NAMED_PROXY, proxy.c_str(),
                                    WINHTTP_NO_PROXY_BYPASS, WINHTTP_FLAG_ASYNC);
        }
        return m_session != nullptr;
    }

    bool setTimeouts(const Timeouts& timeouts) override {
        return WinHttpSetTimeouts(m_session, timeouts.resolveMs, timeouts.connectMs,
                                  timeouts.sendMs, timeouts.receiveMs) != FALSE;
    }

    void setDeadline(std::chrono::steady_clock::time_point deadline) override {
        m_deadline = deadline;
    }

    void setStopToken(std::stop_token stop) override {
        m_wakeOnStop.reset();
        m_stop = std::move(stop);
        // A stop callback holds a semaphore (a kernel object under Wine): only for a request
        // that can be stopped.
        if (m_stop.stop_possible()) {
            m_wakeOnStop.emplace(m_stop, WakeOnStop{m_state});
        }
    }

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
        if (m_request == nullptr) {
            return false;
        }
        auto reference = std::make_unique<StateReference>(m_state);
        DWORD_PTR context = reinterpret_cast<DWORD_PTR>(reference.get());
        if (WinHttpSetStatusCallback(m_request, onStatus,
                                     WINHTTP_CALLBACK_FLAG_ALL_COMPLETIONS |
                                         WINHTTP_CALLBACK_FLAG_HANDLES,
                                     0) == WINHTTP_INVALID_STATUS_CALLBACK ||
            !WinHttpSetOption(m_request, WINHTTP_OPTION_CONTEXT_VALUE, &context, sizeof(context))) {
            return false; // close() still closes the request; it has no context to release
        }
        reference.release(); // WinHTTP's now, until the handle closes
        return true;
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
        if (totalLength > std::numeric_limits<DWORD>::max()) {
            return false;
        }
        return complete([totalLength](HINTERNET request) {
            return WinHttpSendRequest(request, WINHTTP_NO_ADDITIONAL_HEADERS, 0,
                                      WINHTTP_NO_REQUEST_DATA, 0, static_cast<DWORD>(totalLength),
                                      0);
        });
    }

    bool writeData(std::span<const std::uint8_t> piece) override {
        // WinHTTP reads the piece after the call returns: it writes from a buffer it shares.
        m_state->writeBuffer.assign(piece.begin(), piece.end());
        return complete([this](HINTERNET request) {
            return WinHttpWriteData(request, m_state->writeBuffer.data(),
                                    static_cast<DWORD>(m_state->writeBuffer.size()), nullptr);
        });
    }

    bool receiveResponse() override {
        if (!complete([](HINTERNET request) { return WinHttpReceiveResponse(request, nullptr); })) {
            return false;
        }
        // Read now: a body that ends at the deadline closes the request, and the status and
        // headers of what arrived still count.
        m_headers = readRawHeaders();
        return true;
    }

    bool queryDataAvailable(std::size_t& available) override {
        if (!complete(
                [](HINTERNET request) { return WinHttpQueryDataAvailable(request, nullptr); })) {
            return false;
        }
        available = m_state->bytes;
        return true;
    }

    bool readData(std::span<std::uint8_t> buffer, std::size_t& bytesRead) override {
        bytesRead = 0;
        m_state->readBuffer.assign(buffer.size(), 0);
        if (!complete([this](HINTERNET request) {
                return WinHttpReadData(request, m_state->readBuffer.data(),
                                       static_cast<DWORD>(m_state->readBuffer.size()), nullptr);
            })) {
            return false;
        }
        bytesRead = std::min<std::size_t>(m_state->bytes, buffer.size());
        std::copy_n(m_state->readBuffer.begin(), bytesRead, buffer.begin());
        return true;
    }

    std::optional<Text> queryRawHeaders() override { return m_headers; }

    void close() override {
        for (HINTERNET* handle : {&m_request, &m_connection, &m_session}) {
            if (*handle != nullptr) {
                WinHttpCloseHandle(*handle);
                *handle = nullptr;
            }
        }
    }

private:
    std::optional<Text> readRawHeaders() const {
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

    // Starts one asynchronous call and waits for its completion. The deadline or a stop ends
    // the wait: the request handle is closed (cancelling the call) and forgotten.
    template <typename Start> bool complete(const Start& start) {
        if (m_request == nullptr || !beforeDeadlineAndNotStopped()) {
            cancel();
            return false;
        }
        RequestState& state = *m_state;
        {
            const StateLock lock(state);
            state.pending = true;
            state.succeeded = false;
            state.bytes = 0;
        } // the completion may arrive on this thread, inside the call
        if (!start(m_request)) {
            const StateLock lock(state);
            state.pending = false;
            return false;
        }
        StateLock lock(state);
        for (;;) {
            if (!state.pending) {
                return state.succeeded;
            }
            if (m_stop.stop_requested()) {
                break;
            }
            DWORD waitMs = INFINITE;
            if (m_deadline != std::chrono::steady_clock::time_point::max()) {
                const auto left = std::chrono::ceil<std::chrono::milliseconds>(
                    m_deadline - std::chrono::steady_clock::now());
                if (left.count() <= 0) {
                    break;
                }
                waitMs = static_cast<DWORD>(std::min<std::int64_t>(left.count(), INFINITE - 1));
            }
            lock.wait(waitMs);
        }
        lock.unlock(); // closing the request may call back on this thread
        cancel();
        return false;
    }

    void cancel() {
        if (m_request != nullptr) {
            WinHttpCloseHandle(m_request);
            m_request = nullptr;
        }
    }

    // False once the deadline passed or a stop was asked for. The wait in complete() ends at
    // the deadline by itself, so WinHTTP's own time-outs (the session's) are not shortened
    // before each call: under Wine that call alone cost about 0.5 ms a request.
    bool beforeDeadlineAndNotStopped() const {
        return !m_stop.stop_requested() && std::chrono::steady_clock::now() < m_deadline;
    }

    std::optional<Text> m_headers;
    std::stop_token m_stop;
    std::chrono::steady_clock::time_point m_deadline = std::chrono::steady_clock::time_point::max();
    StateReference m_state = std::make_shared<RequestState>();
    std::optional<std::stop_callback<WakeOnStop>> m_wakeOnStop;
    HINTERNET m_session = nullptr;
    HINTERNET m_connection = nullptr;
    HINTERNET m_request = nullptr;
};

} // namespace

std::unique_ptr<Transport> makePlatformTransport() {
    return std::make_unique<WinHttpTransport>();
}

} // namespace http
