// The engine's steps on the calling thread: one transport per request, opened, used and closed.
#include "http/request.h"

#include "http/cookies.h"
#include "http/messages.h"
#include "http/request_headers.h"
#include "http/response_decoding.h"
#include "http/transport.h"
#include "http/url_parts.h"
#include "runtime/delay.h"
#include "runtime/state.h"

#include <array>
#include <charconv>
#include <chrono>
#include <climits>

namespace http {
namespace {

constexpr std::array<std::string_view, 9> kMethods{"GET",    "POST",  "HEAD",    "PUT",  "OPTIONS",
                                                   "DELETE", "TRACE", "CONNECT", "PATCH"};
constexpr int kDefaultTimeoutMs = 30'000;
constexpr std::size_t kDefaultChunkSize = 1'048'576;
constexpr std::uint32_t kSecurityFlags =
    kIgnoreUnknownCa | kIgnoreCertWrongUsage | kIgnoreCertCnInvalid | kIgnoreCertDateInvalid;

std::string_view methodText(Method method) {
    return kMethods[static_cast<std::size_t>(method)];
}

int timeoutMs(int seconds) {
    if (seconds < 1) {
        return kDefaultTimeoutMs;
    }
    return seconds > INT_MAX / 1000 ? INT_MAX : seconds * 1000;
}

// The object a request asks for. WinHTTP's rule, kept on every platform: an empty path requests
// "/" and drops the query ("http://host?x=1" asks for "/").
Text objectName(const UrlParts& parts) {
    if (parts.path.empty()) {
        return "/";
    }
    return runtime::concat({parts.path, parts.extraInfo});
}

std::size_t uploadChunk() {
    const int size = runtime::uploadChunkSize.load();
    return size > 0 ? static_cast<std::size_t>(size) : kDefaultChunkSize;
}

Text statusFromHeaders(const Text& headers) {
    constexpr int kStatusStart = 10;
    const int lineEnd = runtime::findText(headers, "\r\n", kStatusStart);
    return lineEnd < kStatusStart
               ? Text()
               : runtime::middleText(headers, kStatusStart, lineEnd - kStatusStart);
}

// Closes the transport on every way out and then gives the calling thread's pending events one
// pass for each stage the request entered; the early returns skip the passes.
class RequestScope final {
public:
    explicit RequestScope(Transport& transport) : m_transport(transport) {}
    RequestScope(const RequestScope&) = delete;
    RequestScope& operator=(const RequestScope&) = delete;
    ~RequestScope() {
        m_transport.close();
        // One pass a stage, as the window's messages would have been served between stages;
        // an empty queue ends them (under Wine each empty look costs tens of microseconds).
        for (int pass = 0; m_processEvents && pass < m_stages; ++pass) {
            if (!runtime::processPendingEvents()) {
                break;
            }
        }
    }

    void enterStage() { ++m_stages; }
    void skipEventPasses() { m_processEvents = false; }

private:
    Transport& m_transport;
    int m_stages = 0;
    bool m_processEvents = true;
};

// "HTTP/1.1 404 Not Found" gives 404; 0 when the first line holds no status code.
int statusCodeOf(const Text& headers) {
    const auto space = headers.find(' ');
    if (space == Text::npos || headers.size() < space + 4) {
        return 0;
    }
    int code = 0;
    for (std::size_t i = space + 1; i < space + 4; ++i) {
        if (headers[i] < '0' || headers[i] > '9') {
            return 0;
        }
        code = code * 10 + (headers[i] - '0');
    }
    return code;
}

// The announced body length, when the reply announces one and sends its body as it is.
std::optional<std::size_t> announcedLength(const runtime::TextList& lines) {
    std::optional<std::size_t> length;
    for (const Text& line : lines) {
        const auto colon = line.find(':');
        if (colon == Text::npos) {
            continue;
        }
        const std::string_view name = std::string_view(line).substr(0, colon);
        if (runtime::equalsIgnoreAsciiCase(name, "Content-Encoding")) {
            return std::nullopt;
        }
        if (!runtime::equalsIgnoreAsciiCase(name, "Content-Length")) {
            continue;
        }
        std::string_view value = std::string_view(line).substr(colon + 1);
        while (!value.empty() && (value.front() == ' ' || value.front() == '\t')) {
            value.remove_prefix(1);
        }
        std::size_t parsed = 0;
        const auto [end, error] =
            std::from_chars(value.data(), value.data() + value.size(), parsed);
        if (error == std::errc()) {
            length = parsed;
        }
    }
    return length;
}

std::chrono::steady_clock::time_point deadlineAfter(std::chrono::steady_clock::time_point start,
                                                    int timeoutMs) {
    const auto span = std::chrono::milliseconds(timeoutMs) * 2;
    const auto latest = std::chrono::steady_clock::time_point::max();
    return latest - start < span ? latest : start + span;
}

} // namespace

Result performOnThisThread(const Request& request) {
    const auto start = std::chrono::steady_clock::now();
    Result result;
    const std::unique_ptr<Transport> transport = makeTransport();
    if (!transport || !transport->checkPlatform()) {
        result.failure = Failure::PlatformUnsupported;
        result.statusText = failureMessage(Failure::PlatformUnsupported);
        return result;
    }
    // Declared after the result, so that its event passes run before the result is handed out.
    RequestScope scope(*transport);
    const auto fail = [&](Failure failure) {
        result.failure = failure;
        result.statusText = failureMessage(failure);
        return result;
    };
    const auto failAtOnce = [&](Failure failure) {
        scope.skipEventPasses();
        return fail(failure);
    };

    scope.enterStage();
    const std::optional<UrlParts> parts =
        hasControlCharacter(request.url) ? std::nullopt : transport->crackUrl(request.url);
    if (!parts) {
        return fail(Failure::BadUrl);
    }

    scope.enterStage();
    const Text proxyName = request.proxy.empty() || parts->secure
                               ? Text(request.proxy)
                               : runtime::concat({"http=", request.proxy});
    if (!transport->openSession(proxyName)) {
        return fail(Failure::Session);
    }

    scope.enterStage();
    const int timeout = timeoutMs(request.timeoutSeconds);
    if (!transport->setTimeouts(Timeouts{timeout, timeout, timeout, timeout})) {
        return fail(Failure::Timeouts);
    }
    // Every phase may take its time-out, and every byte restarts the receive one: the deadline
    // keeps a trickling or endless reply from holding the request for ever.
    const auto deadline = deadlineAfter(start, timeout);
    transport->setDeadline(deadline);
    transport->setStopToken(request.stop);

    scope.enterStage();
    if (!transport->connect(parts->host, parts->port)) {
        return fail(Failure::Connection);
    }

    scope.enterStage();
    if (!transport->openRequest(methodText(request.method), objectName(*parts), parts->secure)) {
        return fail(Failure::Request);
    }

    if (!request.userName.empty() && !request.password.empty() &&
        !transport->setCredentials(AuthTarget::Server, request.userName, request.password)) {
        return failAtOnce(Failure::Credentials);
    }
    if (!request.proxyUser.empty() && !request.proxyPassword.empty() &&
        !transport->setCredentials(AuthTarget::Proxy, request.proxyUser, request.proxyPassword)) {
        return failAtOnce(Failure::Credentials);
    }

    if (!transport->setOption(RequestOption::SecurityFlags, kSecurityFlags)) {
        return failAtOnce(Failure::CertificateFlags);
    }
    const bool cookieOption =
        request.cookies.empty()
            ? transport->setOption(RequestOption::DisableFeature, kDisableCookies)
            : transport->setOption(RequestOption::EnableFeature, kEnableSslRevocation);
    if (!cookieOption) {
        return failAtOnce(Failure::CookieFeature);
    }
    if (request.noRedirect &&
        !transport->setOption(RequestOption::DisableFeature, kDisableRedirects)) {
        return failAtOnce(Failure::RedirectPolicy);
    }

    scope.enterStage();
    const Text headers =
        buildRequestHeaders(request.extraHeaders, request.cookies, static_cast<int>(request.method),
                            request.completeHeaders, request.normalizeHeaderCase);
    if (!transport->addHeaders(headers)) {
        return fail(Failure::Headers);
    }

    scope.enterStage();
    const std::span<const std::uint8_t> body =
        request.bodyBytes != nullptr && !request.bodyBytes->empty()
            ? std::span<const std::uint8_t>(*request.bodyBytes)
            : std::span(reinterpret_cast<const std::uint8_t*>(request.bodyText.data()),
                        request.bodyText.size());
    if (!transport->sendRequest(body.size())) {
        return fail(Failure::Send);
    }
    // A broken upload shows at the receive step.
    const std::size_t chunk = uploadChunk();
    for (std::size_t offset = 0; offset < body.size(); offset += chunk) {
        transport->writeData(body.subspan(offset, std::min(chunk, body.size() - offset)));
    }

    scope.enterStage();
    if (!transport->receiveResponse()) {
        return fail(Failure::NoResponse);
    }

    // Each piece is read straight into the zero-filled tail of the body. A failed query or read
    // leaves the body broken off.
    Text received;
    bool broken = false;
    for (std::size_t available = 0; !broken;) {
        if (std::chrono::steady_clock::now() >= deadline || request.stop.stop_requested()) {
            broken = true;
            result.statusText = failureMessage(Failure::Read);
            break;
        }
        if (!transport->queryDataAvailable(available)) {
            broken = true;
            break;
        }
        if (available < 1) {
            break;
        }
        const std::size_t offset = received.size();
        received.resize(offset + available);
        std::size_t bytesRead = 0;
        const std::span tail(reinterpret_cast<std::uint8_t*>(received.data()) + offset, available);
        const bool read = transport->readData(tail, bytesRead);
        received.resize(offset + (read ? std::min(bytesRead, available) : 0));
        if (!read) {
            broken = true;
            result.statusText = failureMessage(Failure::Read);
        } else if (received.size() > request.replyLimit) {
            result.failure = Failure::ReplyTooLarge;
            break;
        }
    }

    std::optional<Text> rawHeaders = transport->queryRawHeaders();
    if (!rawHeaders) {
        if (!result.failure) {
            result.failure = broken ? Failure::Read : Failure::NoResponse;
        }
        return result;
    }
    // Once the headers are read, the status line replaces a read failure's message; the
    // message survives only when the headers cannot be read.
    result.statusText = statusFromHeaders(*rawHeaders);
    const runtime::TextList lines = runtime::splitText(*rawHeaders, "\r\n");
    result.statusCode = statusCodeOf(*rawHeaders);
    const std::optional<std::size_t> announced = announcedLength(lines);
    if (!result.failure && (broken || (announced && received.size() < *announced))) {
        result.failure = Failure::Read;
    }
    ResponseHead head;
    head.cookies = extractSetCookies(lines);
    head.location = lastLocation(lines);
    if (request.mergeCookies && !request.cookies.empty()) {
        Text sent(request.cookies);
        head.cookies = mergeCookieStrings(sent, head.cookies);
    }
    head.rawHeaders = std::move(*rawHeaders);
    result.head = std::move(head);
    if (request.keepBytes) {
        result.bytes.assign(received.begin(), received.end());
    }
    result.body = decodeResponseText(std::move(received));
    return result;
}

} // namespace http
