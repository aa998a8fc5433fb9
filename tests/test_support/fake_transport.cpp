#include "test_support/fake_transport.h"

#include "http/url_parts.h"

#include <algorithm>
#include <cstring>

namespace http::testing {

bool FakeTransport::step(Step step, const char* name) {
    m_record.calls.emplace_back(name);
    return std::find(m_script.failing.begin(), m_script.failing.end(), step) ==
           m_script.failing.end();
}

bool FakeTransport::checkPlatform() {
    return step(Step::CheckPlatform, "checkPlatform");
}

std::optional<UrlParts> FakeTransport::crackUrl(std::string_view url) {
    if (!step(Step::CrackUrl, "crackUrl")) {
        return std::nullopt;
    }
    return splitUrl(url);
}

bool FakeTransport::openSession(std::string_view proxyName) {
    m_record.proxyName = proxyName;
    return step(Step::OpenSession, "openSession");
}

bool FakeTransport::setTimeouts(const Timeouts& timeouts) {
    m_record.timeouts = timeouts;
    return step(Step::SetTimeouts, "setTimeouts");
}

bool FakeTransport::connect(std::string_view host, std::uint16_t port) {
    m_record.host = host;
    m_record.port = port;
    return step(Step::Connect, "connect");
}

bool FakeTransport::openRequest(std::string_view method, std::string_view objectName, bool secure) {
    m_record.method = method;
    m_record.objectName = objectName;
    m_record.secure = secure;
    return step(Step::OpenRequest, "openRequest");
}

bool FakeTransport::setCredentials(AuthTarget target, std::string_view user,
                                   std::string_view password) {
    m_record.credentials.emplace_back(target, std::string(user) + ":" + std::string(password));
    return target == AuthTarget::Server ? step(Step::SetServerCredentials, "setCredentials")
                                        : step(Step::SetProxyCredentials, "setCredentials");
}

bool FakeTransport::setOption(RequestOption option, std::uint32_t value) {
    m_record.options.emplace_back(option, value);
    if (option == RequestOption::SecurityFlags) {
        return step(Step::SetSecurityFlags, "setOption");
    }
    if (option == RequestOption::DisableFeature && value == kDisableRedirects) {
        return step(Step::SetRedirectOption, "setOption");
    }
    return step(Step::SetCookieOption, "setOption");
}

bool FakeTransport::addHeaders(std::string_view headerText) {
    m_record.headerText = headerText;
    m_record.addHeadersCalled = true;
    return step(Step::AddHeaders, "addHeaders");
}

bool FakeTransport::sendRequest(std::uint64_t totalLength) {
    m_record.totalLength = totalLength;
    return step(Step::SendRequest, "sendRequest");
}

bool FakeTransport::writeData(std::span<const std::uint8_t> piece) {
    m_record.calls.emplace_back("writeData");
    m_record.pieceSizes.push_back(piece.size());
    m_record.uploaded.append(reinterpret_cast<const char*>(piece.data()), piece.size());
    return true;
}

bool FakeTransport::receiveResponse() {
    return step(Step::ReceiveResponse, "receiveResponse");
}

bool FakeTransport::queryDataAvailable(std::size_t& available) {
    if (!step(Step::QueryDataAvailable, "queryDataAvailable")) {
        return false;
    }
    available = m_piece < m_script.replyPieces.size() ? m_script.replyPieces[m_piece].size() : 0;
    return true;
}

bool FakeTransport::readData(std::span<std::uint8_t> buffer, std::size_t& bytesRead) {
    const int read = m_reads++;
    if (!step(Step::ReadData, "readData") || read == m_script.failReadAt) {
        return false;
    }
    const std::string& piece = m_script.replyPieces.at(m_piece++);
    bytesRead = std::min(buffer.size(), piece.size());
    std::memcpy(buffer.data(), piece.data(), bytesRead);
    return true;
}

std::optional<Text> FakeTransport::queryRawHeaders() {
    if (!step(Step::QueryRawHeaders, "queryRawHeaders")) {
        return std::nullopt;
    }
    return m_script.rawHeaders;
}

void FakeTransport::close() {
    m_record.calls.emplace_back("close");
    ++m_record.closeCalls;
}

FakeTransportInstall::FakeTransportInstall() {
    setTransportFactory([this]() -> std::unique_ptr<Transport> {
        return std::make_unique<FakeTransport>(script, record);
    });
}

FakeTransportInstall::~FakeTransportInstall() {
    setTransportFactory(nullptr);
}

} // namespace http::testing
