#include "http/response_decoding.h"

#include "runtime/codepage.h"

#include <gtest/gtest.h>

namespace {

runtime::Text decode(std::string_view body) {
    return http::decodeResponseText(runtime::Text(body));
}

TEST(DecodeResponseText, BodiesWithoutMetaTagPassThroughUpToFirstZero) {
    const std::string json = "{\"ret\":0,\"name\":\"\xe4\xb8\xad\"}";
    EXPECT_EQ(decode(json), json); // UTF-8 bytes, but nothing declares it
    EXPECT_EQ(decode(std::string_view("ab\0cd", 5)), "ab");
    EXPECT_EQ(decode(""), "");
}

TEST(DecodeResponseText, DeclaredCharsetIsConvertedToGbk) {
    const std::string page = "<html><meta charset=\"utf-8\"><p>\xe5\x88\xb7\xe6\x96\xb0</p>";
    EXPECT_EQ(decode(page), runtime::gbk("<html><meta charset=\"utf-8\"><p>刷新</p>"));
    const std::string bare = "<META http-equiv=\"Content-Type\" content=\"text/html; "
                             "charset=UTF-8\">\xe5\xae\x8c";
    EXPECT_EQ(decode(bare), runtime::gbk(bare));
    const std::string mixed = "<MeTa charset=utf-8>\xe5\xae\x8c";
    EXPECT_EQ(decode(mixed), runtime::gbk("<MeTa charset=utf-8>完"));
}

TEST(DecodeResponseText, GbkNamesInLowerCaseAreNotConverted) {
    // 0x80 has a form in code page 936 only, so a pass through is told from a conversion by
    // bytes that are not valid GBK at all.
    const std::string invalid = "\xff\xff";
    EXPECT_EQ(decode("<meta charset=gbk>" + invalid), "<meta charset=gbk>" + invalid);
    EXPECT_EQ(decode("<meta charset=gb2312>" + invalid), "<meta charset=gb2312>" + invalid);
    const std::string upper = "<meta charset=GB2312>" + runtime::gbk("完成");
    EXPECT_EQ(decode(upper), upper);
}

TEST(DecodeResponseText, OnlyTheFirst1024BytesAreSearched) {
    const std::string utf8Text = "\xe5\x88\xb7";
    const std::string late = std::string(1024, ' ') + "<meta charset=utf-8>" + utf8Text;
    EXPECT_EQ(decode(late), late);
    const std::string early = std::string(1000, ' ') + "<meta charset=utf-8>" + utf8Text;
    EXPECT_EQ(decode(early), runtime::gbk(early));
}

TEST(DecodeResponseText, ZeroByteStopsThePlainTextButNotTheConversion) {
    const std::string page = std::string("<meta charset=utf-8>\xe5\x88\xb7\0tail", 27);
    EXPECT_EQ(decode(page), runtime::gbk("<meta charset=utf-8>刷"));
    // The meta tag after the zero byte is never seen.
    const std::string hidden = std::string("x\0<meta charset=utf-8>", 22);
    EXPECT_EQ(decode(hidden), "x");
}

TEST(DecodeResponseText, UnknownOrHostileCharsetNamesLeaveTheTextUndecoded) {
    const std::string body = "\xe5\x88\xb7";
    for (const std::string& name :
         {std::string("no-such-charset"), std::string(200, 'x'), std::string("x-unknown-1")}) {
        const std::string page = "<meta charset=" + name + ">" + body;
        EXPECT_EQ(decode(page), page) << name;
    }
    const std::string garbage = "<meta charset=\x01\xfe\xff>" + body;
    EXPECT_EQ(decode(garbage), garbage);
}

} // namespace
