#include "script/regex_matcher.h"

#include "runtime/codepage.h"

#include <gtest/gtest.h>

#include <string>

namespace {

constexpr std::string_view kMetaPattern = "<meta.+?charset=[^\\w]?([-\\w]+)";

TEST(RegexMatcher, NewInstanceAndNoMatchGiveEmptyGroups) {
    script::RegexMatcher matcher;
    EXPECT_EQ(matcher.subMatchText(1, 1), "");

    EXPECT_TRUE(matcher.search(kMetaPattern, "{\"ret\":0}"));
    EXPECT_EQ(matcher.subMatchText(1, 1), "");
}

TEST(RegexMatcher, MetaTagIsFoundWhateverItsCaseAndKeepsTheWrittenCase) {
    script::RegexMatcher matcher;
    ASSERT_TRUE(matcher.search(kMetaPattern,
                               "<HTML><HEAD><META http-equiv=Content-Type content=\"text/html; "
                               "CHARSET=GBK\"></HEAD>"));
    EXPECT_EQ(matcher.subMatchText(1, 1), "GBK");

    ASSERT_TRUE(matcher.search(kMetaPattern, "<meta charset=\"utf-8\">"));
    EXPECT_EQ(matcher.subMatchText(1, 1), "utf-8");
    ASSERT_TRUE(matcher.search(kMetaPattern, "<meta charset=utf-8>"));
    EXPECT_EQ(matcher.subMatchText(1, 1), "utf-8");
}

TEST(RegexMatcher, DotDoesNotCrossLineBreaks) {
    script::RegexMatcher matcher;
    for (const char* subject :
         {"<meta\ncharset=utf-8>", "<meta\r\ncharset=utf-8>", "<meta\rcharset=utf-8>"}) {
        ASSERT_TRUE(matcher.search(kMetaPattern, subject)) << subject;
        EXPECT_EQ(matcher.subMatchText(1, 1), "") << subject;
    }
    // Vertical tab and form feed are no line breaks: "." takes them.
    for (const char* subject : {"<meta x\v charset=utf-8>", "<meta\fcharset=utf-8>"}) {
        ASSERT_TRUE(matcher.search(kMetaPattern, subject)) << subject;
        EXPECT_EQ(matcher.subMatchText(1, 1), "utf-8") << subject;
    }
    // On a later line of the subject the tag is still found.
    ASSERT_TRUE(matcher.search(kMetaPattern, "<html>\r\n<meta http-equiv charset=big5>"));
    EXPECT_EQ(matcher.subMatchText(1, 1), "big5");
}

TEST(RegexMatcher, GlobalAndMultilineCollectEveryMatchAndGroup) {
    script::RegexMatcher matcher;
    ASSERT_TRUE(matcher.search("^(\\w+)=(\\d+)?$", "a=1\nB=\r\nc=3"));
    EXPECT_EQ(matcher.subMatchText(1, 1), "a");
    EXPECT_EQ(matcher.subMatchText(1, 2), "1");
    EXPECT_EQ(matcher.subMatchText(2, 1), "B");
    EXPECT_EQ(matcher.subMatchText(2, 2), ""); // the group took no part
    EXPECT_EQ(matcher.subMatchText(3, 1), "c");
    EXPECT_EQ(matcher.subMatchText(4, 1), "");
    EXPECT_EQ(matcher.subMatchText(1, 3), "");
    EXPECT_EQ(matcher.subMatchText(0, 1), "");
    EXPECT_EQ(matcher.subMatchText(1, 0), "");
    EXPECT_EQ(matcher.subMatchText(-1, -1), "");
}

TEST(RegexMatcher, RejectedPatternLeavesNoCollection) {
    script::RegexMatcher matcher;
    ASSERT_TRUE(matcher.search("(a)", "a"));
    EXPECT_EQ(matcher.subMatchText(1, 1), "a");

    EXPECT_FALSE(matcher.search("(unclosed", "unclosed"));
    EXPECT_EQ(matcher.subMatchText(1, 1), "");
    EXPECT_FALSE(matcher.search("[z-a]", "a"));
    EXPECT_FALSE(matcher.search("a{2,1}", "aa"));
}

TEST(RegexMatcher, GbkTextMatchesByCharacterNotByByte) {
    script::RegexMatcher matcher;
    // The second byte of this character is 0x5C ('\'), and of 0xB0 0x41 an 'A' in ASCII.
    const runtime::Text subject = runtime::gbk("编号:") + "\xb0\x41" + runtime::gbk("刷新完成");
    ASSERT_TRUE(matcher.search(runtime::gbk("号:(.+)完成"), subject));
    EXPECT_EQ(matcher.subMatchText(1, 1), "\xb0\x41" + runtime::gbk("刷新"));

    ASSERT_TRUE(matcher.search("a", "\xb0\x41"));
    EXPECT_EQ(matcher.subMatchText(1, 1), "");
    ASSERT_TRUE(matcher.search("(a)", "\xb0\x41"));
    EXPECT_EQ(matcher.subMatchText(1, 1), "");
}

TEST(RegexMatcher, EmptyMatchesDoNotStallAndDestroyClears) {
    script::RegexMatcher matcher;
    ASSERT_TRUE(matcher.search("(x*)", "abc"));
    EXPECT_EQ(matcher.subMatchText(1, 1), "");
    ASSERT_TRUE(matcher.search("(b)", "abc"));
    matcher.destroy();
    EXPECT_EQ(matcher.subMatchText(1, 1), "");
}

} // namespace

TEST(RegexMatcher, LongSubjectsAreSearchedWithoutAFault) {
    script::RegexMatcher matcher;
    for (const std::size_t length : {std::size_t{60'000}, std::size_t{5'000'000}}) {
        // The lazy ".+?" walks the whole subject before it meets "charset=".
        const std::string subject = "<meta " + std::string(length, 'x') + " charset=big5>";
        ASSERT_TRUE(matcher.search(kMetaPattern, subject)) << length;
        EXPECT_EQ(matcher.subMatchText(1, 1), "big5") << length;
        // A pattern that backtracks at every position either finishes or gives up; it never
        // brings the process down.
        ASSERT_TRUE(matcher.search("(a|b)*c", std::string(length, 'a'))) << length;
        EXPECT_EQ(matcher.subMatchText(1, 1), "") << length;
    }
}
