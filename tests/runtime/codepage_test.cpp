#include "runtime/codepage.h"

#include <gtest/gtest.h>

#include <string>
#include <string_view>

namespace {

using runtime::ByteArray;
using runtime::Text;

TEST(CodePage, GbkRoundTripsThroughUtf16AndUtf8) {
    const Text text = runtime::gbk("刷新完成 ok");
    EXPECT_EQ(text, "\xCB\xA2\xD0\xC2\xCD\xEA\xB3\xC9 ok");
    EXPECT_EQ(runtime::gbkToUtf16(text), u"刷新完成 ok");
    EXPECT_EQ(runtime::utf16ToGbk(u"刷新完成 ok"), text);
    EXPECT_EQ(runtime::gbkToUtf8(text), "刷新完成 ok");
    EXPECT_EQ(runtime::utf8ToGbk(""), "");
}

TEST(CodePage, ByteEightyIsTheEuroSignAsOnWindows) {
    EXPECT_EQ(runtime::gbkToUtf16("\x80"), u"\u20AC");
    EXPECT_EQ(runtime::utf16ToGbk(u"\u20AC"), "\x80");
}

// What MultiByteToWideChar / WideCharToMultiByte(936) give on Windows; both platforms agree.
TEST(CodePage, BadAndPrivateBytesReadAsOnWindows) {
    struct Case {
        std::string_view gbk;
        std::u16string_view utf16;
    };
    const Case cases[] = {
        {"ab\xB0", u"ab?"},            // lone lead byte at the end
        {"\x81\x20z", u"?z"},          // a lead byte takes the byte after it along
        {"\x81\x7F\x81\xFFz", u"??z"}, // trail bytes 0x7F and 0xFF are not cells
        {std::string_view("\x81\0z", 3), std::u16string_view(u"?\0z", 3)}, // NUL stays
        {"A\xFF"
         "B",
         u"A\uF8F5B"},
        {"\xAA\xA1\xFE\xFE\xA1\xA0", u"\uE000\uE4C5\uE525"}, // user-defined areas
        {"\xA2\xE3\xD7\xFA\xFE\x50", u"\uE76C\uE810\uE815"}, // other unassigned cells
        {"\x81\x40\xA8\xA6", u"\u4E02\u00E9"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(runtime::gbkToUtf16(c.gbk), c.utf16) << testing::PrintToString(c.gbk);
    }
    // The private cells come back to the bytes they were read from.
    const std::string_view privateCells = "\xFF\xAA\xA1\xFE\xFE\xA1\xA0\xA2\xE3\xFE\x50";
    EXPECT_EQ(runtime::utf16ToGbk(runtime::gbkToUtf16(privateCells)), privateCells);
    // No best fit: U+00AA and U+00A2 have look-alikes in GBK but no form.
    EXPECT_EQ(runtime::utf16ToGbk(u"\u00AA\u00A2"), "??");
    EXPECT_EQ(runtime::utf16ToGbk(u"a\U0001F600b"), "a??b");
    EXPECT_EQ(runtime::utf16ToGbk(std::u16string(u"a") + char16_t(0xD800) + u"b"), "a?b");
    EXPECT_EQ(runtime::utf8ToGbk("a\xFF\xFE"
                                 "b"),
              "a??b");
    const std::string noise(4096, '\xFF');
    EXPECT_EQ(runtime::gbkToUtf8(noise).size(), 3 * noise.size()); // U+F8F5 each
}

TEST(CodePage, WideBytesCarryTheTerminatorUnlessDropped) {
    EXPECT_EQ(runtime::textToWide("A"), (ByteArray{'A', 0, 0, 0}));
    EXPECT_EQ(runtime::textToWide("A", true), (ByteArray{'A', 0}));
    EXPECT_EQ(runtime::textToWide(""), (ByteArray{0, 0}));
    EXPECT_TRUE(runtime::textToWide("", true).empty());
    EXPECT_EQ(runtime::textToWide(runtime::gbk("中"), true), (ByteArray{0x2D, 0x4E}));
    EXPECT_EQ(runtime::wideToText(ByteArray{0x2D, 0x4E, 'x', 0, 0, 0, 'y', 0}),
              runtime::gbk("中x"));
    EXPECT_EQ(runtime::wideToText(ByteArray{'a', 0, 'b'}), "a"); // odd last byte ignored
    EXPECT_EQ(runtime::wideToText(ByteArray{}), "");
    const Text text = runtime::gbk("卡池 Pool-01");
    EXPECT_EQ(runtime::wideToText(runtime::textToWide(text)), text);
}

TEST(CodePage, DeclaredCharsetsConvertToGbk) {
    EXPECT_EQ(runtime::charsetToGbk("刷新", "utf-8"), runtime::gbk("刷新"));
    EXPECT_EQ(runtime::charsetToGbk("刷新", " UTF-8 "), runtime::gbk("刷新"));
    EXPECT_EQ(runtime::charsetToGbk("\xCB\xA2\x80", "GB2312"), "\xCB\xA2\x80");
    EXPECT_EQ(runtime::charsetToGbk("\xCB\xA2", "gbk"), "\xCB\xA2");
    EXPECT_EQ(runtime::charsetToGbk("caf\xE9", "ISO-8859-1"), runtime::gbk("café"));
    EXPECT_EQ(runtime::charsetToGbk(std::string("\x2D\x4E", 2), "UTF-16LE"), runtime::gbk("中"));
    EXPECT_EQ(runtime::charsetToGbk("", "utf-8"), "");
}

TEST(CodePage, UnknownOrHostileCharsetNamesGiveNothing) {
    EXPECT_EQ(runtime::charsetToGbk("x", "no-such-charset"), std::nullopt);
    EXPECT_EQ(runtime::charsetToGbk("x", ""), std::nullopt);
    EXPECT_EQ(runtime::charsetToGbk("x", std::string(200, 'u')), std::nullopt);
    EXPECT_EQ(runtime::charsetToGbk("x", "utf-8//IGNORE"), std::nullopt);
    EXPECT_EQ(runtime::charsetToGbk("x", std::string("utf\0-8", 6)), std::nullopt);
    EXPECT_EQ(runtime::charsetToGbk("x", "\xFF\xFE\"<>"), std::nullopt);
}

} // namespace
