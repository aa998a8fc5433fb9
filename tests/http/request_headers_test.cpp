#include "http/request_headers.h"

#include <gtest/gtest.h>

namespace {

using http::buildRequestHeaders;

constexpr std::string_view kUserAgent =
    "User-Agent: Mozilla/5.0 (compatible; MSIE 9.0; Windows NT 6.1; WOW64; Trident/5.0)";

std::string defaultsFor(bool post) {
    std::string expected = std::string(kUserAgent) +
                           "\r\nAccept: text/html, application/xhtml+xml, */*"
                           "\r\nAccept-Encoding: identity\r\nAccept-Language: zh-cn";
    if (post) {
        expected += "\r\nContent-Type: application/x-www-form-urlencoded";
    }
    return expected + "\r\nCache-Control: no-cache";
}

TEST(BuildRequestHeaders, DefaultSetForGetAndPost) {
    EXPECT_EQ(buildRequestHeaders("", "", 0, true, true), defaultsFor(false));
    EXPECT_EQ(buildRequestHeaders("", "", 1, true, true), defaultsFor(true));
    EXPECT_EQ(buildRequestHeaders("", "", 3, true, true), defaultsFor(false));
    // Without normalisation every default line keeps its CR LF.
    EXPECT_EQ(buildRequestHeaders("", "", 0, true, false), defaultsFor(false) + "\r\n");
    EXPECT_EQ(buildRequestHeaders("", "", 0, false, true), "");
    EXPECT_EQ(buildRequestHeaders("", "", 0, false, false), "");
}

TEST(BuildRequestHeaders, CallerLinesSuppressOnlyTheirOwnDefault) {
    const std::string agent = buildRequestHeaders("user-agent: probe/1", "", 0, true, true);
    EXPECT_EQ(agent.find("Mozilla"), std::string::npos);
    EXPECT_TRUE(agent.starts_with("User-Agent: probe/1\r\nAccept: text/html")) << agent;
    EXPECT_TRUE(
        buildRequestHeaders("user-AGENT: x", "", 0, true, true).starts_with("User-AGENT: x"));

    const std::string encoding = buildRequestHeaders("Accept-Encoding: gzip", "", 0, true, true);
    EXPECT_NE(encoding.find("Accept: text/html, application/xhtml+xml, */*"), std::string::npos);
    EXPECT_EQ(encoding.find("identity"), std::string::npos);

    // The Content-Type probe has no space after its colon.
    const std::string type = buildRequestHeaders("content-type:text/plain", "", 1, true, true);
    EXPECT_EQ(type.find("x-www-form-urlencoded"), std::string::npos);
    EXPECT_TRUE(type.starts_with("Content-Type:text/plain\r\n"));
}

TEST(BuildRequestHeaders, KeepAliveLineIsRemovedUnlessLast) {
    EXPECT_EQ(buildRequestHeaders("Connection: keep-alive\r\nX-A: 1", "", 0, false, true),
              "X-A: 1");
    EXPECT_EQ(buildRequestHeaders("X-A: 1\r\nConnection: keep-alive", "", 0, false, true),
              "X-A: 1\r\nConnection: keep-alive");
    // Another value, or a different case of the line, is left alone.
    EXPECT_EQ(buildRequestHeaders("Connection: close\r\nX-A: 1", "", 0, false, true),
              "Connection: close\r\nX-A: 1");
    EXPECT_EQ(buildRequestHeaders("Connection: Keep-Alive\r\nX-A: 1", "", 0, false, true),
              "Connection: Keep-Alive\r\nX-A: 1");
}

TEST(BuildRequestHeaders, CookieLine) {
    EXPECT_EQ(buildRequestHeaders("X-A: 1", "a=1; b=2", 0, false, true),
              "X-A: 1\r\nCookie: a=1; b=2\r\n");
    EXPECT_EQ(buildRequestHeaders("X-A: 1", "cookie: a=1", 0, false, true),
              "X-A: 1\r\ncookie: a=1\r\n");
    // Normalisation off keeps the trailing CR LF, so an empty line precedes the cookie line.
    EXPECT_EQ(buildRequestHeaders("X-A: 1", "a=1", 0, false, false),
              "X-A: 1\r\n\r\nCookie: a=1\r\n");
    // A cookie line among the caller's headers wins over the cookies to send.
    EXPECT_EQ(buildRequestHeaders("COOKIE: z=9", "a=1", 0, false, true), "COOKIE: z=9");
}

TEST(NormalizeHeaderNames, RaisesFirstLetterOfEachPieceAndKeepsValues) {
    EXPECT_EQ(http::normalizeHeaderNames("content-TYPE: a-b: c\r\nx-y-z:v\r\n"),
              "Content-TYPE: a-b: c\r\nX-Y-Z:v");
    EXPECT_EQ(http::normalizeHeaderNames("no colon\r\n\r\nhost: h"), "Host: h");
    EXPECT_EQ(http::normalizeHeaderNames("a--b: 1\r\nx-: 2\r\n-y: 3"), "A--B: 1\r\nX-: 2\r\n-Y: 3");
    EXPECT_EQ(http::normalizeHeaderNames("nothing here"), "");
    EXPECT_EQ(http::normalizeHeaderNames(""), "");
    // A lone CR or LF is not a line break; the line keeps it in its value.
    EXPECT_EQ(http::normalizeHeaderNames("a: 1\nb: 2\r\nc: 3\r"), "A: 1\nb: 2\r\nC: 3\r");
}

TEST(CapitalizeFirst, OnlyAsciiLowerCaseIsRaised) {
    EXPECT_EQ(http::capitalizeFirst("abc"), "Abc");
    EXPECT_EQ(http::capitalizeFirst("Abc"), "Abc");
    EXPECT_EQ(http::capitalizeFirst("1bc"), "1bc");
    EXPECT_EQ(http::capitalizeFirst("\xe4\xbd"), "\xe4\xbd");
    EXPECT_EQ(http::capitalizeFirst(""), "");
}

TEST(HeaderValue, FirstLineStartingWithTheNameExactCase) {
    const std::string headers = "X-Other: 1\r\nConnection: a\r\nConnection: b";
    EXPECT_EQ(http::headerValue(headers, "Connection"), "a");
    EXPECT_EQ(http::headerValue(headers, "connection"), "");
    EXPECT_EQ(http::headerValue("Connection: x Connection: y", "Connection"), "y");
    EXPECT_EQ(http::headerValue("ConnectionX: y\r\nConnection: z", "Connection"), "");
    EXPECT_EQ(http::headerValue("", "Connection"), "");
}

} // namespace
