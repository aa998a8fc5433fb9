#include "runtime/codepage.h"
#include "service/codec.h"

#include <gtest/gtest.h>

namespace {

using runtime::gbk;
using service::percentDecode;
using service::percentEncode;

TEST(PercentEncode, EncodesEveryByteButTheSpace) {
    EXPECT_EQ(percentEncode(gbk("未做TG-12:00")), "%CE%B4%D7%F6%54%47%2D%31%32%3A%30%30");
    EXPECT_EQ(percentEncode("a b"), "%61+%62");
    EXPECT_EQ(percentEncode(std::string_view("\x00\xff", 2)), "%00%FF");
    EXPECT_EQ(percentEncode(""), "");
}

struct DecodeRow {
    const char* name;
    std::string input;
    std::string expected;
};

class PercentDecodeTable : public testing::TestWithParam<DecodeRow> {};

TEST_P(PercentDecodeTable, DecodesLikeTheService) {
    EXPECT_EQ(percentDecode(GetParam().input), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, PercentDecodeTable,
    testing::Values(
        DecodeRow{"gbkStatus", "%CE%B4%D7%F6TG-12%3A00", "\xCE\xB4\xD7\xF6TG-12:00"},
        DecodeRow{"utf8StaysBytes", "%E6%9C%AA", "\xE6\x9C\xAA"},
        DecodeRow{"secondCharNotHex", "%4G", "\x04"}, DecodeRow{"firstCharNotHex", "%G1", "%G1"},
        DecodeRow{"plusIsSpace", "a+b", "a b"}, DecodeRow{"trailingPercent", "ab%", "ab%"},
        DecodeRow{"trailingPercentDigit", "ab%4", "ab\x04"},
        DecodeRow{"lowerCaseHex", "%ce%b4", "\xCE\xB4"},
        DecodeRow{"leadingSpaceAccepted", "% 4x", "\x04x"},
        DecodeRow{"signAccepted", "%-1x", "\xFFx"}, DecodeRow{"plusSignAccepted", "%+5x", "\x05x"},
        DecodeRow{"onlySign", "%-x", "%-x"}, DecodeRow{"twoSpaces", "%  x", "%  x"},
        DecodeRow{"zeroByteCutsResult", "ab%00cd", "ab"},
        DecodeRow{"bareHexPrefixReadsZero", "ab%0xcd", "ab"},
        DecodeRow{"onlyTwoCharsRead", "%414", "A4"}, DecodeRow{"empty", "", ""}),
    [](const testing::TestParamInfo<DecodeRow>& info) { return std::string(info.param.name); });

TEST(PercentDecode, StopsAtAZeroByteInTheInput) {
    EXPECT_EQ(percentDecode(std::string_view("ab\0%41", 6)), "ab");
}

TEST(PercentCodes, RoundTripEveryByte) {
    std::string all;
    for (int b = 1; b < 256; ++b) {
        all.push_back(static_cast<char>(b));
    }
    EXPECT_EQ(percentDecode(percentEncode(all)), all);
}

TEST(Md5Hex, MatchesTheReferenceDigests) {
    EXPECT_EQ(service::md5Hex(""), "D41D8CD98F00B204E9800998ECF8427E");
    EXPECT_EQ(service::md5Hex("abc"), "900150983CD24FB0D6963F7D28E17F72");
    EXPECT_EQ(service::md5Hex(service::kStatsFileKey), service::md5Hex("kx730219"));
}

TEST(StatsFileName, XorsTheNameAndAppendsNineDigestDigits) {
    const auto digest = service::md5Hex(service::kStatsFileKey);
    ASSERT_EQ(digest.size(), 32u);
    const auto name = service::statsFileName("abc", service::kStatsFileKey);
    EXPECT_EQ(name, "717273" + digest.substr(2, 9));
    // A two-character Chinese name is four bytes, eight digits.
    const auto chinese = service::statsFileName(gbk("测试"), service::kStatsFileKey);
    EXPECT_EQ(chinese.size(), 8u + 9u);
    EXPECT_EQ(chinese.substr(0, 8), "A2F2DAC4");               // B2 E2 CA D4, each ^ 0x10
    EXPECT_EQ(service::statsFileName("", "abc"), "0150983CD"); // MD5 900150983CD2...
}

} // namespace
