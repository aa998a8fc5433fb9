#pragma once
// The platform operations the request engine runs on, shaped after WinHTTP's synchronous API.
// One Transport serves one request; close() releases whatever it opened. Texts are GBK.

#include "runtime/text.h"

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <stop_token>
#include <string_view>

namespace http {

using runtime::Text;

struct UrlParts {
    Text host;
    std::uint16_t port = 0;
    bool secure = false;
    Text path;      // from the first "/" up to the extra information; may be empty
    Text extraInfo; // the query and fragment with their leading "?" or "#"; may be empty
};

struct Timeouts {
    int resolveMs = 0;
    int connectMs = 0;
    int sendMs = 0;
    int receiveMs = 0;
};

enum class AuthTarget : std::uint32_t { Server = 0, Proxy = 1 };

// Option numbers and values as WinHTTP defines them.
enum class RequestOption : std::uint32_t {
    SecurityFlags = 31,
    DisableFeature = 63,
    EnableFeature = 79
};
inline constexpr std::uint32_t kIgnoreUnknownCa = 0x100;
inline constexpr std::uint32_t kIgnoreCertWrongUsage = 0x200;
inline constexpr std::uint32_t kIgnoreCertCnInvalid = 0x1000;
inline constexpr std::uint32_t kIgnoreCertDateInvalid = 0x2000;
inline constexpr std::uint32_t kDisableCookies = 1;
inline constexpr std::uint32_t kDisableRedirects = 2;
inline constexpr std::uint32_t kEnableSslRevocation = 1;

class Transport {
public:
    virtual ~Transport() = default;

    virtual bool checkPlatform() = 0;
    virtual std::optional<UrlParts> crackUrl(std::string_view url) = 0;
    // proxyName empty: direct. Otherwise a proxy list entry, "host:port" for every scheme or
    // "http=host:port" for plain URLs only.
    virtual bool openSession(std::string_view proxyName) = 0;
    virtual bool setTimeouts(const Timeouts& timeouts) = 0;
    // On top of the phase time-outs: no wait of this request goes past the deadline, however
    // slowly the server keeps sending. A wait cut short fails like a time-out of its phase.
    virtual void setDeadline(std::chrono::steady_clock::time_point deadline) = 0;
    // Once stop is requested, the wait in progress and every later one end as at the deadline.
    virtual void setStopToken(std::stop_token stop) = 0;
    virtual bool connect(std::string_view host, std::uint16_t port) = 0;
    virtual bool openRequest(std::string_view method, std::string_view objectName, bool secure) = 0;
    virtual bool setCredentials(AuthTarget target, std::string_view user,
                                std::string_view password) = 0;
    virtual bool setOption(RequestOption option, std::uint32_t value) = 0;
    // Header lines separated by CR LF; an empty text is a valid call.
    virtual bool addHeaders(std::string_view headerText) = 0;
    // Starts the request announcing a body of totalLength bytes, written next by writeData.
    virtual bool sendRequest(std::uint64_t totalLength) = 0;
    virtual bool writeData(std::span<const std::uint8_t> piece) = 0;
    virtual bool receiveResponse() = 0;
    // available is 0 once the body is complete.
    virtual bool queryDataAvailable(std::size_t& available) = 0;
    virtual bool readData(std::span<std::uint8_t> buffer, std::size_t& bytesRead) = 0;
    // Status line and header lines of the final response, each ended by CR LF.
    virtual std::optional<Text> queryRawHeaders() = 0;
    // Closes the request, connection and session that are open, in that order.
    virtual void close() = 0;
};

using TransportFactory = std::function<std::unique_ptr<Transport>()>;

// Replaces the process-wide factory (tests); nullptr restores the platform transport.
void setTransportFactory(TransportFactory factory);
std::unique_ptr<Transport> makeTransport();

// The platform's own transport: libcurl on POSIX, WinHTTP on Windows.
std::unique_ptr<Transport> makePlatformTransport();

} // namespace http
