#include "http/curl_header_lines.h"
#include "http/transport.h"
#include "http/url_parts.h"

#include <curl/curl.h>

#include <algorithm>
#include <chrono>
#include <cstring>
#include <functional>
#include <mutex>
#include <span>
#include <vector>

namespace http {
namespace {

using Clock = std::chrono::steady_clock;

constexpr long kMaxRedirects = 10;
constexpr long kReceiveBufferSize = 256 * 1024;
constexpr int kPollSliceMs = 100;
constexpr std::size_t kInboxLimit = 1024 * 1024;

bool curlReady() {
    static std::once_flag once;
    static bool ready = false;
    std::call_once(once, [] { ready = curl_global_init(CURL_GLOBAL_DEFAULT) == CURLE_OK; });
    return ready;
}

// libcurl performs the whole exchange; this class hands it out in WinHTTP's steps. The multi
// interface is driven only inside those steps, so the upload is taken piece by piece and the
// reply is buffered no further ahead than one poll delivers.
class CurlTransport final : public Transport {
public:
    CurlTransport() = default;
    CurlTransport(const CurlTransport&) = delete;
    CurlTransport& operator=(const CurlTransport&) = delete;
    ~CurlTransport() override { close(); }

    bool checkPlatform() override { return curlReady(); }

    std::optional<UrlParts> crackUrl(std::string_view url) override { return splitUrl(url); }

    bool openSession(std::string_view proxyName) override {
        m_multi = curl_multi_init();
        if (m_multi == nullptr) {
            return false;
        }
        m_proxyForPlainOnly = proxyName.starts_with("http=");
        m_proxy = m_proxyForPlainOnly ? proxyName.substr(5) : proxyName;
        return true;
    }

    void setDeadline(Clock::time_point deadline) override { m_deadline = deadline; }
    void setStopToken(std::stop_token stop) override { m_stop = std::move(stop); }

    bool setTimeouts(const Timeouts& timeouts) override {
        if (m_multi == nullptr || timeouts.resolveMs < 0 || timeouts.connectMs < 0 ||
            timeouts.sendMs < 0 || timeouts.receiveMs < 0) {
            return false;
        }
        m_timeouts = timeouts;
        return true;
    }

    bool connect(std::string_view host, std::uint16_t port) override {
        if (m_multi == nullptr || host.empty()) {
            return false;
        }
        m_host = host;
        m_port = port;
        return true;
    }

    bool openRequest(std::string_view method, std::string_view objectName, bool secure) override {
        if (m_host.empty()) {
            return false;
        }
        m_easy = curl_easy_init();
        m_method = method;
        m_objectName = objectName;
        m_secure = secure;
        return m_easy != nullptr;
    }

    bool setCredentials(AuthTarget target, std::string_view user,
                        std::string_view password) override {
        if (m_easy == nullptr) {
            return false;
        }
        (target == AuthTarget::Server ? m_serverUser : m_proxyUser) = user;
        (target == AuthTarget::Server ? m_serverPassword : m_proxyPassword) = password;
        return true;
    }

    bool setOption(RequestOption option, std::uint32_t value) override {
        if (m_easy == nullptr) {
            return false;
        }
        switch (option) {
        case RequestOption::SecurityFlags:
            m_securityFlags = value;
            return true;
        case RequestOption::DisableFeature:
            m_cookiesDisabled = m_cookiesDisabled || (value & kDisableCookies) != 0;
            m_redirectsDisabled = m_redirectsDisabled || (value & kDisableRedirects) != 0;
            return true;
        case RequestOption::EnableFeature:
            // Certificate revocation is not checked by this transport.
            return value == kEnableSslRevocation;
        }
        return false;
    }

    bool addHeaders(std::string_view headerText) override {
        if (m_easy == nullptr) {
            return false;
        }
        const auto headers = curlHeaderLines(headerText);
        if (!headers) {
            return false;
        }
        m_cookie = headers->cookie;
        for (const std::string& line : headers->lines) {
            curl_slist* extended = curl_slist_append(m_headers, line.c_str());
            if (extended == nullptr) {
                return false;
            }
            m_headers = extended;
        }
        return true;
    }

    bool sendRequest(std::uint64_t totalLength) override {
        if (m_easy == nullptr || !configure(totalLength) ||
            curl_multi_add_handle(m_multi, m_easy) != CURLM_OK) {
            return false;
        }
        m_added = true;
        const int connectLimit = std::max(m_timeouts.resolveMs, m_timeouts.connectMs);
        const bool inTime = pump([this] { return reachedServer(); }, connectLimit + 1000);
        return inTime && (reachedServer() || (m_done && m_result == CURLE_OK));
    }

    bool writeData(std::span<const std::uint8_t> piece) override {
        if (!m_added || m_done) {
            return false;
        }
        if (!m_sendsBody) {
            return true;
        }
        // libcurl reads the caller's bytes in place; they are only valid during this call.
        m_upload = piece;
        m_uploadOffset = 0;
        curl_easy_pause(m_easy, CURLPAUSE_CONT);
        if (!pump([this] { return m_uploadOffset == m_upload.size(); }, m_timeouts.sendMs)) {
            abort();
        }
        const bool written = m_uploadOffset == m_upload.size();
        m_upload = {};
        m_uploadOffset = 0;
        return written;
    }

    bool receiveResponse() override {
        if (!m_added) {
            return false;
        }
        if (!pump([this] { return m_bodyStarted; }, m_timeouts.receiveMs)) {
            abort();
        }
        if (m_bodyStarted || (m_done && m_result == CURLE_OK)) {
            return true;
        }
        // A reply whose headers arrived but whose body broke is read as far as it came.
        return m_headersComplete;
    }

    bool queryDataAvailable(std::size_t& available) override {
        if (!m_added) {
            return false;
        }
        if (m_buffered == 0 && m_receivePaused) {
            m_receivePaused = false;
            curl_easy_pause(m_easy, CURLPAUSE_CONT);
        }
        if (m_buffered == 0 && !pump([this] { return m_buffered > 0; }, m_timeouts.receiveMs)) {
            abort();
        }
        // A broken transfer reports one byte so that the read which follows reports the failure.
        available = m_buffered > 0 ? m_buffered : (m_done && m_result != CURLE_OK ? 1 : 0);
        return true;
    }

    bool readData(std::span<std::uint8_t> buffer, std::size_t& bytesRead) override {
        bytesRead = 0;
        if (m_buffered == 0) {
            return !(m_done && m_result != CURLE_OK) && m_added;
        }
        bytesRead = std::min(buffer.size(), m_buffered);
        std::memcpy(buffer.data(), m_inbox.data() + m_inboxOffset, bytesRead);
        m_inboxOffset += bytesRead;
        m_buffered -= bytesRead;
        if (m_buffered == 0) {
            // Drained: the same block takes the next bytes, so no fresh pages are touched.
            m_inbox.clear();
            m_inboxOffset = 0;
        }
        return true;
    }

    std::optional<Text> queryRawHeaders() override {
        if (!m_added || m_rawHeaders.empty()) {
            return std::nullopt;
        }
        return m_rawHeaders;
    }

    void close() override {
        if (m_added) {
            curl_multi_remove_handle(m_multi, m_easy);
            m_added = false;
        }
        if (m_headers != nullptr) {
            curl_slist_free_all(m_headers);
            m_headers = nullptr;
        }
        if (m_easy != nullptr) {
            curl_easy_cleanup(m_easy);
            m_easy = nullptr;
        }
        m_host.clear();
        if (m_multi != nullptr) {
            curl_multi_cleanup(m_multi);
            m_multi = nullptr;
        }
    }

private:
    bool configure(std::uint64_t totalLength) {
        const bool proxied = !m_proxy.empty() && !(m_secure && m_proxyForPlainOnly);
        const std::string host =
            m_host.find(':') != std::string::npos ? "[" + m_host + "]" : m_host;
        m_url = std::string(m_secure ? "https://" : "http://") + host + ":" +
                std::to_string(m_port) + escapeObjectName(m_objectName);
        m_proxyUrl = proxied ? "http://" + m_proxy : std::string();

        bool ok = curl_easy_setopt(m_easy, CURLOPT_URL, m_url.c_str()) == CURLE_OK;
        const auto set = [&ok](CURLcode code) { ok = ok && code == CURLE_OK; };
        set(curl_easy_setopt(m_easy, CURLOPT_PROTOCOLS_STR, "http,https"));
        set(curl_easy_setopt(m_easy, CURLOPT_HTTP_VERSION, CURL_HTTP_VERSION_1_1));
        set(curl_easy_setopt(m_easy, CURLOPT_NOSIGNAL, 1L));
        set(curl_easy_setopt(m_easy, CURLOPT_PROXY, m_proxyUrl.c_str()));
        set(curl_easy_setopt(m_easy, CURLOPT_HTTPHEADER, m_headers));
        set(curl_easy_setopt(m_easy, CURLOPT_BUFFERSIZE, kReceiveBufferSize));
        set(curl_easy_setopt(
            m_easy, CURLOPT_CONNECTTIMEOUT_MS,
            static_cast<long>(std::max(m_timeouts.resolveMs, m_timeouts.connectMs))));
        set(curl_easy_setopt(m_easy, CURLOPT_FOLLOWLOCATION, m_redirectsDisabled ? 0L : 1L));
        set(curl_easy_setopt(m_easy, CURLOPT_MAXREDIRS, kMaxRedirects));
        set(curl_easy_setopt(m_easy, CURLOPT_REDIR_PROTOCOLS_STR, "http,https"));
        if (!m_cookiesDisabled) {
            set(curl_easy_setopt(m_easy, CURLOPT_COOKIEFILE, ""));
        }
        if (!m_cookie.empty()) {
            set(curl_easy_setopt(m_easy, CURLOPT_COOKIE, m_cookie.c_str()));
        }
        set(curl_easy_setopt(m_easy, CURLOPT_SSL_VERIFYPEER,
                             (m_securityFlags & kIgnoreUnknownCa) != 0 ? 0L : 1L));
        set(curl_easy_setopt(m_easy, CURLOPT_SSL_VERIFYHOST,
                             (m_securityFlags & kIgnoreCertCnInvalid) != 0 ? 0L : 2L));
        if (!m_serverUser.empty()) {
            set(curl_easy_setopt(m_easy, CURLOPT_HTTPAUTH, CURLAUTH_BASIC));
            set(curl_easy_setopt(m_easy, CURLOPT_USERNAME, m_serverUser.c_str()));
            set(curl_easy_setopt(m_easy, CURLOPT_PASSWORD, m_serverPassword.c_str()));
        }
        if (!m_proxyUser.empty()) {
            set(curl_easy_setopt(m_easy, CURLOPT_PROXYAUTH, CURLAUTH_BASIC));
            set(curl_easy_setopt(m_easy, CURLOPT_PROXYUSERNAME, m_proxyUser.c_str()));
            set(curl_easy_setopt(m_easy, CURLOPT_PROXYPASSWORD, m_proxyPassword.c_str()));
        }
        set(curl_easy_setopt(m_easy, CURLOPT_HEADERFUNCTION, &CurlTransport::onHeader));
        set(curl_easy_setopt(m_easy, CURLOPT_HEADERDATA, this));
        set(curl_easy_setopt(m_easy, CURLOPT_WRITEFUNCTION, &CurlTransport::onBody));
        set(curl_easy_setopt(m_easy, CURLOPT_WRITEDATA, this));
        set(curl_easy_setopt(m_easy, CURLOPT_READFUNCTION, &CurlTransport::onUpload));
        set(curl_easy_setopt(m_easy, CURLOPT_READDATA, this));
        return ok && configureMethod(totalLength);
    }

    bool configureMethod(std::uint64_t totalLength) {
        const bool withBodyMethod = m_method == "POST" || m_method == "PUT" || m_method == "PATCH";
        CURLcode code = CURLE_OK;
        if (m_method == "HEAD") {
            code = curl_easy_setopt(m_easy, CURLOPT_NOBODY, 1L);
        } else if (totalLength > 0 || withBodyMethod) {
            // POST mechanics for every body; a redirected POST then turns into a GET as
            // browsers do, which a custom "POST" request line would not.
            m_sendsBody = true;
            m_uploadTotal = totalLength;
            code = curl_easy_setopt(m_easy, CURLOPT_POST, 1L);
            if (code == CURLE_OK) {
                code = curl_easy_setopt(m_easy, CURLOPT_POSTFIELDSIZE_LARGE,
                                        static_cast<curl_off_t>(totalLength));
            }
            if (code == CURLE_OK && m_method != "POST") {
                code = curl_easy_setopt(m_easy, CURLOPT_CUSTOMREQUEST, m_method.c_str());
            }
        } else if (m_method != "GET") {
            code = curl_easy_setopt(m_easy, CURLOPT_CUSTOMREQUEST, m_method.c_str());
        }
        return code == CURLE_OK;
    }

    // True once the request has reached the server (for TLS, once the handshake is done).
    bool reachedServer() {
        if (m_bodyStarted || !m_rawHeaders.empty() || m_uploadAsked) {
            return true;
        }
        curl_off_t microseconds = 0;
        const CURLINFO info = m_secure ? CURLINFO_APPCONNECT_TIME_T : CURLINFO_CONNECT_TIME_T;
        return curl_easy_getinfo(m_easy, info, &microseconds) == CURLE_OK && microseconds > 0;
    }

    // Drives the transfer until ready() holds or it ends. False when idleMs passed without any
    // bytes moving.
    bool pump(const std::function<bool()>& ready, int idleMs) {
        m_lastProgress = Clock::now();
        while (!m_done && !ready()) {
            if (Clock::now() >= m_deadline || m_stop.stop_requested()) {
                return false;
            }
            int running = 0;
            curl_multi_perform(m_multi, &running);
            int queued = 0;
            while (CURLMsg* message = curl_multi_info_read(m_multi, &queued)) {
                if (message->msg == CURLMSG_DONE && message->easy_handle == m_easy) {
                    m_done = true;
                    m_result = message->data.result;
                }
            }
            if (m_done || ready()) {
                break;
            }
            const auto idle = Clock::now() - m_lastProgress;
            if (idle >= std::chrono::milliseconds(idleMs)) {
                return false;
            }
            const auto left =
                std::min(std::chrono::milliseconds(idleMs) -
                             std::chrono::duration_cast<std::chrono::milliseconds>(idle),
                         std::chrono::ceil<std::chrono::milliseconds>(m_deadline - Clock::now()));
            curl_multi_poll(
                m_multi, nullptr, 0,
                static_cast<int>(std::clamp<std::int64_t>(left.count(), 0, kPollSliceMs)), nullptr);
        }
        return true;
    }

    void abort() {
        if (!m_done) {
            m_done = true;
            m_result = CURLE_OPERATION_TIMEDOUT;
        }
    }

    static std::size_t onHeader(char* data, std::size_t size, std::size_t count, void* self) {
        auto& transport = *static_cast<CurlTransport*>(self);
        std::string_view line(data, size * count);
        transport.m_lastProgress = Clock::now();
        while (!line.empty() && (line.back() == '\n' || line.back() == '\r')) {
            line.remove_suffix(1);
        }
        if (line.starts_with("HTTP/")) {
            // Each response of a redirect chain, an interim 1xx or a proxy's CONNECT answer
            // starts over; what stays is the final response.
            transport.m_rawHeaders.clear();
            transport.m_headersComplete = false;
        } else if (transport.m_headersComplete || transport.m_rawHeaders.empty()) {
            return size * count; // trailers, or junk before any status line
        }
        transport.m_rawHeaders.append(line);
        transport.m_rawHeaders.append("\r\n");
        transport.m_headersComplete = line.empty();
        return size * count;
    }

    static std::size_t onBody(char* data, std::size_t size, std::size_t count, void* self) {
        auto& transport = *static_cast<CurlTransport*>(self);
        const std::size_t length = size * count;
        transport.m_lastProgress = Clock::now();
        transport.m_bodyStarted = true;
        // libcurl reads on while the socket has data; beyond this it keeps the bytes until
        // the engine has taken what is buffered.
        if (transport.m_buffered >= kInboxLimit) {
            transport.m_receivePaused = true;
            return CURL_WRITEFUNC_PAUSE;
        }
        transport.m_inbox.insert(transport.m_inbox.end(), data, data + length);
        transport.m_buffered += length;
        return length;
    }

    static std::size_t onUpload(char* buffer, std::size_t size, std::size_t count, void* self) {
        auto& transport = *static_cast<CurlTransport*>(self);
        transport.m_uploadAsked = true;
        const std::size_t pending = transport.m_upload.size() - transport.m_uploadOffset;
        if (pending == 0) {
            return transport.m_uploadSent >= transport.m_uploadTotal ? 0 : CURL_READFUNC_PAUSE;
        }
        const std::size_t take = std::min(pending, size * count);
        std::memcpy(buffer, transport.m_upload.data() + transport.m_uploadOffset, take);
        transport.m_uploadOffset += take;
        transport.m_uploadSent += take;
        transport.m_lastProgress = Clock::now();
        return take;
    }

    CURLM* m_multi = nullptr;
    CURL* m_easy = nullptr;
    curl_slist* m_headers = nullptr;
    bool m_added = false;

    std::string m_proxy;
    bool m_proxyForPlainOnly = false;
    std::string m_proxyUrl;
    Timeouts m_timeouts{30'000, 30'000, 30'000, 30'000};
    Clock::time_point m_deadline = Clock::time_point::max();
    std::stop_token m_stop;
    std::string m_host;
    std::uint16_t m_port = 0;
    std::string m_method;
    std::string m_objectName;
    std::string m_url;
    bool m_secure = false;
    std::string m_serverUser;
    std::string m_serverPassword;
    std::string m_proxyUser;
    std::string m_proxyPassword;
    std::string m_cookie;
    std::uint32_t m_securityFlags = 0;
    bool m_cookiesDisabled = false;
    bool m_redirectsDisabled = false;

    bool m_sendsBody = false;
    std::uint64_t m_uploadTotal = 0;
    std::uint64_t m_uploadSent = 0;
    std::span<const std::uint8_t> m_upload;
    std::size_t m_uploadOffset = 0;
    bool m_uploadAsked = false;

    std::string m_rawHeaders;
    bool m_headersComplete = false;
    bool m_bodyStarted = false;
    std::vector<std::uint8_t> m_inbox;
    std::size_t m_inboxOffset = 0;
    bool m_receivePaused = false;
    std::size_t m_buffered = 0;

    bool m_done = false;
    CURLcode m_result = CURLE_OK;
    Clock::time_point m_lastProgress = Clock::now();
};

} // namespace

std::unique_ptr<Transport> makePlatformTransport() {
    return std::make_unique<CurlTransport>();
}

} // namespace http
