#include "http/cookies.h"

#include <gtest/gtest.h>

namespace {

using runtime::Text;
using runtime::TextList;

TEST(ExtractSetCookies, PairsOfSetCookieLinesOnly) {
    const TextList lines{"HTTP/1.1 200 OK",
                         "set-cookie: sid=42; path=/",
                         "Set-Cookie:  lang=zh ;HttpOnly",
                         "X-Set-Cookie: no=1; path=/",
                         "Set-Cookie2: old=1; path=/",
                         ""};
    // "Set-Cookie2:" does not begin with "set-cookie:" (the "2" comes before the colon).
    EXPECT_EQ(http::extractSetCookies(lines), "sid=42; lang=zh");
    EXPECT_EQ(http::extractSetCookies({}), "");
    EXPECT_EQ(http::extractSetCookies({"Set-Cookie: ; path=/"}), "");
    // A pair that trims to nothing keeps its place between the others.
    EXPECT_EQ(http::extractSetCookies(
                  {"Set-Cookie: sid=42; path=/", "Set-Cookie:  ; path=/", "Set-Cookie: y=2;"}),
              "sid=42; ; y=2");
}

TEST(ExtractSetCookies, LineWithoutAttributesIsSkipped) {
    EXPECT_EQ(http::extractSetCookies({"set-cookie: sid=42"}), "");
    EXPECT_EQ(http::extractSetCookies({"Set-Cookie: a=1; path=/", "Set-Cookie: flag"}), "a=1");
}

TEST(MergeCookieStrings, ReceivedFirstThenUnmentionedSentDeletedDropped) {
    Text sent = "a=1; b=2";
    EXPECT_EQ(http::mergeCookieStrings(sent, "b=3; c=deleted"), "b=3; a=1");
    EXPECT_EQ(sent, "b=3; a=1");

    sent = "a=1;";
    EXPECT_EQ(http::mergeCookieStrings(sent, ""), "a=1");

    sent = "a=1; a=2; b=2";
    EXPECT_EQ(http::mergeCookieStrings(sent, "c=3;"), "c=3; a=1; b=2");

    sent = "";
    EXPECT_EQ(http::mergeCookieStrings(sent, "x=1; x=1; y=deleted"), "x=1");

    sent = "a=deleted";
    EXPECT_EQ(http::mergeCookieStrings(sent, ""), "");
    EXPECT_EQ(sent, "");

    // Names compare after trimming, the full-width space included, and exactly in case.
    sent = "\xA1\xA1 A=1; b=2";
    EXPECT_EQ(http::mergeCookieStrings(sent, "A =9; B=9"), "A =9; B=9; b=2");
}

TEST(CookieName, TextBeforeFirstEqualsTrimmed) {
    EXPECT_EQ(http::cookieName(" sid =1=2"), "sid");
    EXPECT_EQ(http::cookieName("flag"), "flag");
    EXPECT_EQ(http::cookieName("=x"), "");
    EXPECT_EQ(http::cookieName("\ttab=1"), "\ttab");
}

TEST(TrimSpaces, AsciiAndFullWidthSpacesAtCharacterStarts) {
    EXPECT_EQ(http::trimSpaces("  \xA1\xA1 x y \xA1\xA1  "), "x y");
    EXPECT_EQ(http::trimSpaces("\xA1\xA1\xA1\xA1"), "");
    EXPECT_EQ(http::trimSpaces("   "), "");
    // 0xB0 0xA1 is a character; its trail byte and the next lead byte are no full-width space.
    EXPECT_EQ(http::trimSpaces("\xB0\xA1\xA1\xA1"), "\xB0\xA1");
    EXPECT_EQ(http::trimSpaces("\xB0\xA1\xA1"), "\xB0\xA1\xA1");
}

TEST(RemoveDuplicateItems, ExactRepeatsRemovedInOrder) {
    EXPECT_EQ(http::removeDuplicateItems("a; b; a; A; b", "; "), "a; b; A");
    EXPECT_EQ(http::removeDuplicateItems("; x; ", "; "), "; x");
    EXPECT_EQ(http::removeDuplicateItems("", "; "), "");
}

TEST(LocationRule, LastMatchingLineWinsOtherwiseNone) {
    EXPECT_EQ(
        http::lastLocation({"HTTP/1.1 302 Found", "Location: /first", "location: /second", ""}),
        "/second");
    EXPECT_EQ(http::lastLocation({"Location:/nospace", "Content-Location: /c", "Location"}),
              std::nullopt);
    EXPECT_EQ(http::lastLocation({"LOCATION: "}), "");
}

} // namespace
