#include "http/engine.h"
#include "http/engine_on_this_thread.h"

#include "http/cookies.h"
#include "http/messages.h"
#include "http/outcome.h"
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

std::string_view methodText(int method) {
    return method >= 0 && method < static_cast<int>(kMethods.size())
               ? kMethods[static_cast<std::size_t>(method)]
               : kMethods[0];
}

int timeoutMs(int seconds) {
    if (seconds < 1) {
        return kDefaultTimeoutMs;
    }
    return seconds > INT_MAX / 1000 ? INT_MAX : seconds * 1000;
}

// The query goes out even when the path is empty: "http://host?x=1" asks for "/?x=1".
Text objectName(const UrlParts& parts) {
    // WinHTTP's rule, kept on every platform: an empty path requests "/" and drops the query.
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
        for (int pass = 0; m_processEvents && pass < m_stages; ++pass) {
            runtime::processPendingEvents();
        }
    }

    void enterStage() { ++m_stages; }
    void skipEventPasses() { m_processEvents = false; }

private:
    Transport& m_transport;
    int m_stages = 0;
    bool m_processEvents = true;
};

// Hands the request's outcome to the thread's capture on every way out, after the event passes
// of the request's scope, so that a request made by an event handler meanwhile cannot replace it.
class OutcomeRecorder final {
public:
    OutcomeRecorder() = default;
    OutcomeRecorder(const OutcomeRecorder&) = delete;
    OutcomeRecorder& operator=(const OutcomeRecorder&) = delete;
    ~OutcomeRecorder() { recordOutcome(outcome); }

    RequestOutcome outcome;
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

void setText(Text* target, Text value) {
    if (target != nullptr) {
        *target = std::move(value);
    }
}

} // namespace

Text requestOnThisThread(std::string_view url, int method, std::string_view bodyText,
                         Text* sendCookies, Text* receivedCookies, std::string_view extraHeaders,
                         Text* responseHeaders, bool noRedirect, std::string_view userName,
                         std::string_view password, std::string_view proxy,
                         std::string_view proxyUser, std::string_view proxyPassword,
                         int timeoutSeconds, Text* redirectLocation, Text* statusText,
                         ByteArray* responseBytes, std::optional<bool> mergeCookies,
                         std::optional<bool> completeHeaders, const ByteArray* bodyBytes,
                         std::optional<bool> normalizeHeaderCase) {
    const bool merge = mergeCookies.value_or(true);
    const bool complete = completeHeaders.value_or(true);
    const bool normalize = normalizeHeaderCase.value_or(true);
    const Text cookiesToSend = sendCookies != nullptr ? *sendCookies : Text();

    const auto start = std::chrono::steady_clock::now();
    OutcomeRecorder recorder;
    const std::unique_ptr<Transport> transport = makeTransport();
    if (!transport || !transport->checkPlatform()) {
        recorder.outcome.failure = Failure::PlatformUnsupported;
        setText(statusText, failureMessage(Failure::PlatformUnsupported));
        return {};
    }
    RequestScope scope(*transport);
    const auto fail = [&](Failure failure) {
        recorder.outcome.failure = failure;
        setText(statusText, failureMessage(failure));
        return Text();
    };
    const auto failAtOnce = [&](Failure failure) {
        scope.skipEventPasses();
        return fail(failure);
    };

    scope.enterStage();
    const std::optional<UrlParts> parts =
        hasControlCharacter(url) ? std::nullopt : transport->crackUrl(url);
    if (!parts) {
        return fail(Failure::BadUrl);
    }

    scope.enterStage();
    const Text proxyName =
        proxy.empty() || parts->secure ? Text(proxy) : runtime::concat({"http=", proxy});
    if (!transport->openSession(proxyName)) {
        return fail(Failure::Session);
    }

    scope.enterStage();
    const int timeout = timeoutMs(timeoutSeconds);
    if (!transport->setTimeouts(Timeouts{timeout, timeout, timeout, timeout})) {
        return fail(Failure::Timeouts);
    }
    // Every phase may take its time-out, and every byte restarts the receive one: the deadline
    // keeps a trickling or endless reply from holding the request for ever.
    const auto deadline = deadlineAfter(start, timeout);
    transport->setDeadline(deadline);

    scope.enterStage();
    if (!transport->connect(parts->host, parts->port)) {
        return fail(Failure::Connection);
    }

    scope.enterStage();
    if (!transport->openRequest(methodText(method), objectName(*parts), parts->secure)) {
        return fail(Failure::Request);
    }

    if (!userName.empty() && !password.empty() &&
        !transport->setCredentials(AuthTarget::Server, userName, password)) {
        return failAtOnce(Failure::Credentials);
    }
    if (!proxyUser.empty() && !proxyPassword.empty() &&
        !transport->setCredentials(AuthTarget::Proxy, proxyUser, proxyPassword)) {
        return failAtOnce(Failure::Credentials);
    }

    if (!transport->setOption(RequestOption::SecurityFlags, kSecurityFlags)) {
        return failAtOnce(Failure::CertificateFlags);
    }
    const bool cookieOption =
        cookiesToSend.empty()
            ? transport->setOption(RequestOption::DisableFeature, kDisableCookies)
            : transport->setOption(RequestOption::EnableFeature, kEnableSslRevocation);
    if (!cookieOption) {
        return failAtOnce(Failure::CookieFeature);
    }
    if (noRedirect && !transport->setOption(RequestOption::DisableFeature, kDisableRedirects)) {
        return failAtOnce(Failure::RedirectPolicy);
    }

    scope.enterStage();
    const Text headers =
        buildRequestHeaders(extraHeaders, cookiesToSend, method, complete, normalize);
    if (!transport->addHeaders(headers)) {
        return fail(Failure::Headers);
    }

    scope.enterStage();
    const std::span<const std::uint8_t> body =
        bodyBytes != nullptr && !bodyBytes->empty()
            ? std::span<const std::uint8_t>(*bodyBytes)
            : std::span(reinterpret_cast<const std::uint8_t*>(bodyText.data()), bodyText.size());
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
    const std::size_t limit = replyLimit();
    for (std::size_t available = 0; !broken;) {
        if (std::chrono::steady_clock::now() >= deadline) {
            broken = true;
            setText(statusText, failureMessage(Failure::Read));
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
            setText(statusText, failureMessage(Failure::Read));
        } else if (received.size() > limit) {
            recorder.outcome.failure = Failure::ReplyTooLarge;
            break;
        }
    }

    std::optional<Text> rawHeaders = transport->queryRawHeaders();
    if (!rawHeaders) {
        if (!recorder.outcome.failure) {
            recorder.outcome.failure = broken ? Failure::Read : Failure::NoResponse;
        }
        return {};
    }
    // Once the headers are read, the status line replaces a read failure's message; the
    // message survives only when the headers cannot be read.
    setText(statusText, statusFromHeaders(*rawHeaders));
    const runtime::TextList lines = runtime::splitText(*rawHeaders, "\r\n");
    recorder.outcome.statusCode = statusCodeOf(*rawHeaders);
    const std::optional<std::size_t> announced = announcedLength(lines);
    if (!recorder.outcome.failure && (broken || (announced && received.size() < *announced))) {
        recorder.outcome.failure = Failure::Read;
    }
    recorder.outcome.complete = !recorder.outcome.failure && recorder.outcome.statusCode != 0;
    Text cookies = extractSetCookies(lines);
    if (redirectLocation != nullptr) {
        applyLocationRule(lines, *redirectLocation);
    }
    if (merge && sendCookies != nullptr && !sendCookies->empty()) {
        cookies = mergeCookieStrings(*sendCookies, cookies);
    }
    setText(receivedCookies, std::move(cookies));
    setText(responseHeaders, std::move(*rawHeaders));

    if (responseBytes != nullptr) {
        responseBytes->assign(received.begin(), received.end());
    }
    return decodeResponseText(std::move(received));
}

} // namespace http
