#pragma once
// A scripted Transport: records what the engine asks of it and fails any step on demand.

#include "http/transport.h"

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace http::testing {

enum class Step {
    CheckPlatform,
    CrackUrl,
    OpenSession,
    SetTimeouts,
    Connect,
    OpenRequest,
    SetServerCredentials,
    SetProxyCredentials,
    SetSecurityFlags,
    SetCookieOption,
    SetRedirectOption,
    AddHeaders,
    SendRequest,
    ReceiveResponse,
    QueryDataAvailable,
    ReadData,
    QueryRawHeaders,
};

struct FakeScript {
    std::vector<Step> failing;
    // Read number `failReadAt` (0-based) fails; earlier reads succeed.
    int failReadAt = -1;
    std::vector<std::string> replyPieces{"hello"};
    std::string rawHeaders = "HTTP/1.1 200 OK\r\nContent-Length: 5\r\n\r\n";
};

struct FakeRecord {
    std::vector<std::string> calls; // step names in call order
    std::string proxyName;
    Timeouts timeouts;
    std::optional<std::chrono::steady_clock::time_point> deadline;
    std::string host;
    std::uint16_t port = 0;
    std::string method;
    std::string objectName;
    bool secure = false;
    std::vector<std::pair<AuthTarget, std::string>> credentials; // "user:password"
    std::vector<std::pair<RequestOption, std::uint32_t>> options;
    std::string headerText;
    bool addHeadersCalled = false;
    std::uint64_t totalLength = 0;
    std::vector<std::size_t> pieceSizes;
    std::string uploaded;
    int closeCalls = 0;
};

class FakeTransport final : public Transport {
public:
    FakeTransport(const FakeScript& script, FakeRecord& record)
        : m_script(script), m_record(record) {}

    bool checkPlatform() override;
    std::optional<UrlParts> crackUrl(std::string_view url) override;
    bool openSession(std::string_view proxyName) override;
    bool setTimeouts(const Timeouts& timeouts) override;
    void setDeadline(std::chrono::steady_clock::time_point deadline) override {
        m_record.deadline = deadline;
    }
    void setStopToken(std::stop_token) override {}
    bool connect(std::string_view host, std::uint16_t port) override;
    bool openRequest(std::string_view method, std::string_view objectName, bool secure) override;
    bool setCredentials(AuthTarget target, std::string_view user,
                        std::string_view password) override;
    bool setOption(RequestOption option, std::uint32_t value) override;
    bool addHeaders(std::string_view headerText) override;
    bool sendRequest(std::uint64_t totalLength) override;
    bool writeData(std::span<const std::uint8_t> piece) override;
    bool receiveResponse() override;
    bool queryDataAvailable(std::size_t& available) override;
    bool readData(std::span<std::uint8_t> buffer, std::size_t& bytesRead) override;
    std::optional<Text> queryRawHeaders() override;
    void close() override;

private:
    bool step(Step step, const char* name);

    const FakeScript& m_script;
    FakeRecord& m_record;
    std::size_t m_piece = 0;
    int m_reads = 0;
};

// Installs a factory handing out FakeTransports over script and record; restores the platform
// transport when destroyed.
class FakeTransportInstall final {
public:
    FakeTransportInstall();
    ~FakeTransportInstall();
    FakeTransportInstall(const FakeTransportInstall&) = delete;
    FakeTransportInstall& operator=(const FakeTransportInstall&) = delete;

    FakeScript script;
    FakeRecord record;
};

} // namespace http::testing
