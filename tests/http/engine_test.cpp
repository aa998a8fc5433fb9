// The engine's steps over a scripted transport: messages, defaults, options, upload pieces.
#include "http/engine.h"
#include "http/request.h"
#include "runtime/codepage.h"
#include "runtime/delay.h"
#include "runtime/state.h"
#include "test_support/fake_transport.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <thread>

namespace {

using http::AuthTarget;
using http::RequestOption;
using http::testing::FakeTransportInstall;
using http::testing::Step;
using runtime::Text;
using ::testing::ElementsAre;

class CountingPump final : public runtime::EventPump {
public:
    bool isPumpThread() const override { return std::this_thread::get_id() == m_thread; }
    void processPendingEvents() override { ++passes; }
    void waitAndProcessEvents(std::chrono::milliseconds) override {}

    int passes = 0;

private:
    std::thread::id m_thread = std::this_thread::get_id();
};

class EngineTest : public ::testing::Test {
protected:
    EngineTest() { runtime::installEventPump(&pump); }
    ~EngineTest() override { runtime::installEventPump(nullptr); }

    // Runs a GET with every out parameter given, pre-filled with "before".
    Text get(std::string_view url = "http://pool.example/a") {
        return http::HttpRequestEngine(url, 0, {}, &sendCookies, &receivedCookies, {},
                                       &responseHeaders, false, {}, {}, {}, {}, {}, 0,
                                       &redirectLocation, &statusText, &responseBytes);
    }

    CountingPump pump;
    FakeTransportInstall fake;
    Text sendCookies;
    Text receivedCookies = "before";
    Text responseHeaders = "before";
    Text redirectLocation = "before";
    Text statusText = "before";
    runtime::ByteArray responseBytes{'b'};
};

TEST_F(EngineTest, NormalPathFillsEveryOutput) {
    fake.script.replyPieces = {"{\"ret\":", "0}"};
    fake.script.rawHeaders = "HTTP/1.1 200 OK\r\nSet-Cookie: sid=1; path=/\r\n"
                             "Location: /next\r\n\r\n";
    EXPECT_EQ(get("http://pool.example:8080/a/b?x=1&y=2"), "{\"ret\":0}");
    EXPECT_EQ(statusText, "200 OK");
    EXPECT_EQ(responseHeaders, fake.script.rawHeaders);
    EXPECT_EQ(receivedCookies, "sid=1");
    EXPECT_EQ(redirectLocation, "/next");
    EXPECT_EQ(Text(responseBytes.begin(), responseBytes.end()), "{\"ret\":0}");
    EXPECT_EQ(fake.record.host, "pool.example");
    EXPECT_EQ(fake.record.port, 8080);
    EXPECT_EQ(fake.record.objectName, "/a/b?x=1&y=2");
    EXPECT_EQ(fake.record.method, "GET");
    EXPECT_EQ(fake.record.proxyName, "");
    EXPECT_THAT(fake.record.options, ElementsAre(std::pair{RequestOption::SecurityFlags, 0x3300U},
                                                 std::pair{RequestOption::DisableFeature, 1U}));
    EXPECT_TRUE(fake.record.credentials.empty());
    EXPECT_EQ(fake.record.calls.back(), "close");
    EXPECT_EQ(fake.record.closeCalls, 1);
    EXPECT_EQ(pump.passes, 8);
}

TEST_F(EngineTest, UrlShapes) {
    get("https://pool.example");
    EXPECT_EQ(fake.record.objectName, "/");
    EXPECT_EQ(fake.record.port, 443);
    EXPECT_TRUE(fake.record.secure);
    // An empty path requests "/" and the query is not sent.
    get("http://pool.example?x=1");
    EXPECT_EQ(fake.record.objectName, "/");
    EXPECT_EQ(fake.record.port, 80);
    EXPECT_FALSE(fake.record.secure);
}

TEST_F(EngineTest, MethodTableAndUnknownIndexes) {
    const std::vector<std::pair<int, std::string>> methods{
        {0, "GET"},   {1, "POST"},    {2, "HEAD"},  {3, "PUT"}, {4, "OPTIONS"}, {5, "DELETE"},
        {6, "TRACE"}, {7, "CONNECT"}, {8, "PATCH"}, {9, "GET"}, {-1, "GET"}};
    for (const auto& [index, text] : methods) {
        http::HttpRequestEngine("http://h/", index);
        EXPECT_EQ(fake.record.method, text) << index;
    }
}

TEST_F(EngineTest, TimeoutRule) {
    for (const auto& [seconds, ms] : std::vector<std::pair<int, int>>{
             {0, 30'000}, {-3, 30'000}, {5, 5'000}, {1, 1'000}, {3'000'000, INT_MAX}}) {
        http::HttpRequestEngine("http://h/", 0, {}, nullptr, nullptr, {}, nullptr, false, {}, {},
                                {}, {}, {}, seconds);
        const http::Timeouts& t = fake.record.timeouts;
        EXPECT_EQ(t.resolveMs, ms) << seconds;
        EXPECT_EQ(t.connectMs, ms);
        EXPECT_EQ(t.sendMs, ms);
        EXPECT_EQ(t.receiveMs, ms);
    }
}

TEST_F(EngineTest, ProxyCredentialsAndRedirectOption) {
    http::HttpRequestEngine("https://h/", 0, {}, nullptr, nullptr, {}, nullptr, true, "u", "p",
                            "proxy:3128", "pu", "pp");
    EXPECT_EQ(fake.record.proxyName, "proxy:3128");
    EXPECT_THAT(fake.record.credentials,
                ElementsAre(std::pair{AuthTarget::Server, std::string("u:p")},
                            std::pair{AuthTarget::Proxy, std::string("pu:pp")}));
    EXPECT_EQ(fake.record.options.back(), (std::pair{RequestOption::DisableFeature, 2U}));

    fake.record = {};
    http::HttpRequestEngine("http://h/", 0, {}, nullptr, nullptr, {}, nullptr, false, {}, "p",
                            "proxy:3128", "pu", {});
    EXPECT_EQ(fake.record.proxyName, "http=proxy:3128");
    EXPECT_TRUE(fake.record.credentials.empty());
    EXPECT_EQ(fake.record.options.size(), 2U);
}

TEST_F(EngineTest, CookiesToSendEnableTheFeatureAndAreMerged) {
    fake.script.rawHeaders = "HTTP/1.1 200 OK\r\nset-cookie: b=3; path=/\r\n"
                             "Set-Cookie: c=deleted; path=/\r\n\r\n";
    sendCookies = "a=1; b=2";
    get();
    EXPECT_EQ(fake.record.options.at(1), (std::pair{RequestOption::EnableFeature, 1U}));
    EXPECT_NE(fake.record.headerText.find("\r\nCookie: a=1; b=2\r\n"), std::string::npos);
    EXPECT_EQ(receivedCookies, "b=3; a=1");
    EXPECT_EQ(sendCookies, "b=3; a=1");

    sendCookies = "a=1";
    http::HttpRequestEngine("http://h/", 0, {}, &sendCookies, &receivedCookies, {}, nullptr, false,
                            {}, {}, {}, {}, {}, 0, nullptr, nullptr, nullptr, false);
    EXPECT_EQ(receivedCookies, "b=3; c=deleted");
    EXPECT_EQ(sendCookies, "a=1");
}

TEST_F(EngineTest, HeaderFlagsDefaultTrueButGivenFalseCounts) {
    get();
    EXPECT_TRUE(fake.record.headerText.starts_with("User-Agent: Mozilla/5.0"));
    http::HttpRequestEngine("http://h/", 0, {}, nullptr, nullptr, "x-a: 1", nullptr, false, {}, {},
                            {}, {}, {}, 0, nullptr, nullptr, nullptr, std::nullopt, false, nullptr,
                            false);
    EXPECT_EQ(fake.record.headerText, "x-a: 1\r\n");
    // Empty header text is still handed over; a refusal ends in 710.
    fake.script.failing = {Step::AddHeaders};
    const Text result =
        http::HttpRequestEngine("http://h/", 0, {}, nullptr, nullptr, {}, nullptr, false, {}, {},
                                {}, {}, {}, 0, nullptr, &statusText, nullptr, std::nullopt, false);
    EXPECT_EQ(result, "");
    EXPECT_TRUE(fake.record.addHeadersCalled);
    EXPECT_EQ(fake.record.headerText, "");
    EXPECT_EQ(statusText, runtime::gbk("710 设置协议头失败!"));
}

TEST_F(EngineTest, BodyChoiceAndUploadPieces) {
    const runtime::ByteArray three{'x', 'y', 'z'};
    http::HttpRequestEngine("http://h/", 1, "12345", nullptr, nullptr, {}, nullptr, false, {}, {},
                            {}, {}, {}, 0, nullptr, nullptr, nullptr, std::nullopt, std::nullopt,
                            &three);
    EXPECT_EQ(fake.record.totalLength, 3U);
    EXPECT_EQ(fake.record.uploaded, "xyz");

    fake.record = {};
    const runtime::ByteArray none;
    http::HttpRequestEngine("http://h/", 1, "12345", nullptr, nullptr, {}, nullptr, false, {}, {},
                            {}, {}, {}, 0, nullptr, nullptr, nullptr, std::nullopt, std::nullopt,
                            &none);
    EXPECT_EQ(fake.record.uploaded, "12345");

    fake.record = {};
    http::HttpRequestEngine("http://h/");
    EXPECT_EQ(fake.record.totalLength, 0U);
    EXPECT_TRUE(fake.record.pieceSizes.empty());

    fake.record = {};
    runtime::uploadChunkSize = 1'048'576;
    const runtime::ByteArray large(2'500'000, 'q');
    http::HttpRequestEngine("http://h/", 3, {}, nullptr, nullptr, {}, nullptr, false, {}, {}, {},
                            {}, {}, 0, nullptr, nullptr, nullptr, std::nullopt, std::nullopt,
                            &large);
    EXPECT_EQ(fake.record.totalLength, 2'500'000U);
    EXPECT_THAT(fake.record.pieceSizes, ElementsAre(1'048'576U, 1'048'576U, 402'848U));
}

struct FailureRow {
    Step step;
    const char* message;
    int passes; // pending-event passes before returning
    http::Failure failure;
};

// Through the adapter (the message, the caller's variables) and as the typed result.
TEST_F(EngineTest, EachFailingStepGivesItsMessageAndLeavesOutputsAlone) {
    using F = http::Failure;
    const std::vector<FailureRow> rows{
        {Step::CheckPlatform, "700 当前系统不支持WinHttp服务!", 0, F::PlatformUnsupported},
        {Step::CrackUrl, "701 解析URL地址失败!", 1, F::BadUrl},
        {Step::OpenSession, "702 创建WinHttp会话失败!", 2, F::Session},
        {Step::SetTimeouts, "705 设置超时时间失败!", 3, F::Timeouts},
        {Step::Connect, "703 创建WinHttp连接失败!", 4, F::Connection},
        {Step::OpenRequest, "704 创建WinHttp请求失败!", 5, F::Request},
        {Step::SetServerCredentials, "707 设置代理凭证失败!", 0, F::Credentials},
        {Step::SetProxyCredentials, "707 设置代理凭证失败!", 0, F::Credentials},
        {Step::SetSecurityFlags, "忽略错误/证书错误  失败！", 0, F::CertificateFlags},
        {Step::SetCookieOption, "708 禁止自动设置Cookies失败!", 0, F::CookieFeature},
        {Step::SetRedirectOption, "709 重定向设置失败!", 0, F::RedirectPolicy},
        {Step::AddHeaders, "710 设置协议头失败!", 6, F::Headers},
        {Step::SendRequest, "711 发送请求失败!", 7, F::Send},
        {Step::ReceiveResponse, "712 服务器未响应!", 8, F::NoResponse},
        {Step::QueryRawHeaders, "", 8, F::NoResponse},
    };
    for (const FailureRow& row : rows) {
        fake.script.failing = {row.step};
        fake.record = {};
        pump.passes = 0;
        statusText = "before";
        const Text result = http::HttpRequestEngine(
            "http://h/", 0, {}, nullptr, &receivedCookies, {}, &responseHeaders, true, "u", "p", {},
            "pu", "pp", 0, &redirectLocation, &statusText, &responseBytes);
        EXPECT_EQ(result, "") << row.message;
        // Without a head after a complete read the engine has no message to give.
        EXPECT_EQ(statusText,
                  row.step == Step::QueryRawHeaders ? "before" : runtime::gbk(row.message));
        EXPECT_EQ(pump.passes, row.passes) << row.message;
        EXPECT_EQ(fake.record.closeCalls, row.step == Step::CheckPlatform ? 0 : 1) << row.message;
        EXPECT_EQ(receivedCookies, "before");
        EXPECT_EQ(responseHeaders, "before");
        EXPECT_EQ(redirectLocation, "before");
        EXPECT_EQ(responseBytes, runtime::ByteArray{'b'});

        const http::Result typed = http::perform({.url = "http://h/",
                                                  .noRedirect = true,
                                                  .userName = "u",
                                                  .password = "p",
                                                  .proxyUser = "pu",
                                                  .proxyPassword = "pp"});
        EXPECT_EQ(typed.failure, row.failure) << row.message;
        EXPECT_FALSE(typed.head) << row.message;
        EXPECT_FALSE(typed.succeeded()) << row.message;
    }
    // And the failures a reply brings: a body that breaks off, a status outside 2xx.
    fake.script = {};
    fake.script.rawHeaders = "HTTP/1.1 200 OK\r\nContent-Length: 9\r\n\r\n";
    const http::Result cut = http::perform({.url = "http://h/"});
    EXPECT_EQ(cut.failure, F::Read);
    EXPECT_EQ(cut.body, "hello");
    fake.script.rawHeaders = "HTTP/1.1 404 Not Found\r\n\r\n";
    const http::Result notFound = http::perform({.url = "http://h/"});
    EXPECT_EQ(notFound.failure, std::nullopt);
    EXPECT_EQ(notFound.statusCode, 404);
    EXPECT_TRUE(notFound.complete());
    EXPECT_FALSE(notFound.succeeded());
    fake.script.rawHeaders = "HTTP/1.1 200 OK\r\nContent-Length: 5\r\n\r\n";
    EXPECT_TRUE(http::perform({.url = "http://h/"}).succeeded());
    EXPECT_EQ(http::perform({.url = "http://h/", .replyLimit = 4}).failure, F::ReplyTooLarge);
}

TEST_F(EngineTest, UrlsWithControlCharactersAreNeverSent) {
    for (const std::string_view url :
         {std::string_view("http://h/a\r\nX-Injected: 1"), std::string_view("http://h/\0x", 11),
          std::string_view("http://h/\x7f")}) {
        fake.record = {};
        EXPECT_EQ(get(url), "");
        EXPECT_EQ(statusText, runtime::gbk("701 解析URL地址失败!"));
        EXPECT_THAT(fake.record.calls, ElementsAre("checkPlatform", "close"));
    }
    for (const std::string_view url : {"", "ftp://h/", "http://", "http://h:0/", "http://h:99999/",
                                       "http://h:8x/", "h/path", "http://a b/"}) {
        EXPECT_EQ(get(url), "") << url;
        EXPECT_EQ(statusText, runtime::gbk("701 解析URL地址失败!")) << url;
    }
}

TEST_F(EngineTest, ReadFailureKeepsThePartialBody) {
    fake.script.replyPieces = {"part", "rest"};
    fake.script.failReadAt = 1;
    fake.script.rawHeaders = "HTTP/1.1 200 OK\r\nSet-Cookie: s=1; path=/\r\n\r\n";
    EXPECT_EQ(get(), "part");
    // The status line read afterwards replaces the read failure's message.
    EXPECT_EQ(statusText, "200 OK");
    EXPECT_EQ(responseHeaders, fake.script.rawHeaders);
    EXPECT_EQ(receivedCookies, "s=1");
    EXPECT_EQ(Text(responseBytes.begin(), responseBytes.end()), "part");
    EXPECT_EQ(pump.passes, 8);
}

TEST_F(EngineTest, UnreadableHeadersGiveNothingAndKeepOutputs) {
    fake.script.failing = {Step::QueryRawHeaders};
    EXPECT_EQ(get(), "");
    EXPECT_EQ(statusText, "before");
    EXPECT_EQ(responseHeaders, "before");
    EXPECT_EQ(responseBytes, runtime::ByteArray{'b'});

    fake.script.failReadAt = 0;
    EXPECT_EQ(get(), "");
    EXPECT_EQ(statusText, runtime::gbk("713 读取数据失败!"));

    // A failing availability query just ends the body.
    fake.script = {};
    fake.script.failing = {Step::QueryDataAvailable};
    EXPECT_EQ(get(), "");
    EXPECT_EQ(statusText, "200 OK");
}

TEST_F(EngineTest, StatusTextFromPositionTenToLineEnd) {
    fake.script.rawHeaders = "HTTP/1.1 404 Not Found\r\n\r\n";
    get();
    EXPECT_EQ(statusText, "404 Not Found");
    fake.script.rawHeaders = "HTTP/1.1 200 OK";
    get();
    EXPECT_EQ(statusText, "");
    fake.script.rawHeaders = "short\r\n";
    get();
    EXPECT_EQ(statusText, "");
}

} // namespace
