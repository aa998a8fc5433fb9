#include "runtime/codepage.h"
#include "runtime/text.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>

namespace {

using runtime::ByteArray;
using runtime::Text;
using runtime::TextList;

TEST(TextFind, PositionsAreOneBasedAndMinusOneWhenMissing) {
    EXPECT_EQ(runtime::findText("abc", "c"), 3);
    EXPECT_EQ(runtime::findText("abc", "d"), -1);
    EXPECT_EQ(runtime::findText("abcabc", "b", 3), 5);
    EXPECT_EQ(runtime::findText("abcabc", "abc", 2), 4);
    EXPECT_EQ(runtime::findText("abc", "a", 0), 1);
    EXPECT_EQ(runtime::findText("abc", "a", -7), 1);
    EXPECT_EQ(runtime::findText("abc", "c", 4), -1);
    EXPECT_EQ(runtime::findText("abc", "abcd"), -1);
    EXPECT_EQ(runtime::findText("abc", ""), 1);
    EXPECT_EQ(runtime::findText("", ""), -1);
    EXPECT_EQ(runtime::findText("", "a"), -1);
}

TEST(TextFind, MatchesOnlyAtCharacterStarts) {
    const Text text = runtime::gbk("中文"); // D6 D0 CE C4
    ASSERT_EQ(text, "\xD6\xD0\xCE\xC4");
    EXPECT_EQ(runtime::findText(text, "\xD0\xCE"), -1);
    EXPECT_EQ(runtime::findText(text, runtime::gbk("文")), 3);
    // 0x81 0x41 is one character whose trail byte happens to be 'A'.
    EXPECT_EQ(runtime::findText("\x81\x41", "A"), -1);
    EXPECT_EQ(runtime::findText("\x81\x41", "a", 1, true), -1);
    EXPECT_EQ(runtime::findText("x\x81\x41"
                                "A",
                                "A"),
              4);
}

TEST(TextFind, IgnoreCaseFoldsAsciiOnly) {
    EXPECT_EQ(runtime::findText("Hello World", "WORLD", 1, true), 7);
    EXPECT_EQ(runtime::findText("Hello World", "WORLD", 1, false), -1);
    EXPECT_EQ(runtime::findText(runtime::gbk("状态Status"), "STATUS", 1, true), 5);
    EXPECT_TRUE(runtime::equalsIgnoreAsciiCase("Pool-A", "pOOL-a"));
    EXPECT_FALSE(runtime::equalsIgnoreAsciiCase("\x81\x41", "\x81\x61"));
    EXPECT_FALSE(runtime::equalsIgnoreAsciiCase("abc", "abcd"));
    // A high byte never equals an ASCII letter, whatever folding does.
    EXPECT_FALSE(runtime::equalsIgnoreAsciiCase("\xC1", "a"));
}

TEST(TextFind, TextEndingInHalfACharacterIsScannedSafely) {
    const Text truncated = "ab\xB0";
    EXPECT_EQ(runtime::findText(truncated, "\xB0"), 3);
    EXPECT_EQ(runtime::findText(truncated, "x"), -1);
    EXPECT_EQ(runtime::findText(truncated, "\xB0\xA1"), -1);
    EXPECT_EQ(runtime::findText("\xB0", "b", 1, true), -1);
    EXPECT_EQ(runtime::splitText(truncated, "|"), TextList{truncated});
    EXPECT_EQ(runtime::replaceText(truncated, "b", "B"), "aB\xB0");
}

TEST(TextCompare, UnsignedBytesAndMissingEqualsEmpty) {
    EXPECT_EQ(runtime::compareText({}, ""), 0);
    EXPECT_EQ(runtime::compareText("abc", "abc"), 0);
    EXPECT_LT(runtime::compareText("abc", "abd"), 0);
    EXPECT_GT(runtime::compareText("abd", "abc"), 0);
    EXPECT_LT(runtime::compareText("ab", "abc"), 0);
    EXPECT_GT(runtime::compareText("\x80", "a"), 0); // 0x80 sorts after ASCII
}

TEST(TextLength, CountsBytesBeforeTheFirstNul) {
    EXPECT_EQ(runtime::textLength(""), 0U);
    EXPECT_EQ(runtime::textLength(runtime::gbk("中文ab")), 6U);
    EXPECT_EQ(runtime::textLength(std::string_view("ab\0cd", 5)), 2U);
}

TEST(TextSplit, PiecesFollowTheSeparatorRules) {
    EXPECT_EQ(runtime::splitText("a|b|c", "|"), (TextList{"a", "b", "c"}));
    EXPECT_EQ(runtime::splitText("a||b", "|"), (TextList{"a", "", "b"}));
    EXPECT_EQ(runtime::splitText("|a", "|"), (TextList{"", "a"}));
    EXPECT_EQ(runtime::splitText("a|b|", "|"), (TextList{"a", "b"}));
    EXPECT_EQ(runtime::splitText("a|b||", "|"), (TextList{"a", "b", ""}));
    EXPECT_EQ(runtime::splitText("|", "|"), (TextList{""}));
    EXPECT_EQ(runtime::splitText("", "|"), TextList{});
    EXPECT_EQ(runtime::splitText("abc", "|"), TextList{"abc"});
    EXPECT_EQ(runtime::splitText("a\r\nb\r\n", "\r\n"), (TextList{"a", "b"}));
}

TEST(TextSplit, MaxPartsKeepsTheRestInTheLastPiece) {
    EXPECT_EQ(runtime::splitText("a-b-c-d", "-", 2), (TextList{"a", "b-c-d"}));
    EXPECT_EQ(runtime::splitText("a-b-c-d", "-", 1), TextList{"a-b-c-d"});
    EXPECT_EQ(runtime::splitText("a-b", "-", 5), (TextList{"a", "b"}));
    EXPECT_EQ(runtime::splitText("a-b", "-", 0), (TextList{"a", "b"}));
}

TEST(TextSplit, SeparatorInsideACharacterDoesNotSplit) {
    // 0x81 0x7C is one character whose trail byte is '|'.
    const Text text = "x\x81\x7Cy|z";
    EXPECT_EQ(runtime::splitText(text, "|"), (TextList{"x\x81\x7Cy", "z"}));
    const Text pools = runtime::gbk("一号池|二号池");
    EXPECT_EQ(runtime::splitText(pools, "|"),
              (TextList{runtime::gbk("一号池"), runtime::gbk("二号池")}));
}

TEST(TextParts, MiddleLeftRightClipToTheText) {
    EXPECT_EQ(runtime::middleText("abcdef", 5, 10), "ef");
    EXPECT_EQ(runtime::middleText("abcdef", 2, 3), "bcd");
    EXPECT_EQ(runtime::middleText("abc", 0, 2), "");
    EXPECT_EQ(runtime::middleText("abc", 4, 1), "");
    EXPECT_EQ(runtime::middleText("abc", 1, 0), "");
    EXPECT_EQ(runtime::middleText("abc", 1, -1), "");
    EXPECT_EQ(runtime::middleText("abc", 3, 2147483647), "c");
    EXPECT_EQ(runtime::leftText("abc", 2), "ab");
    EXPECT_EQ(runtime::leftText("abc", 9), "abc");
    EXPECT_EQ(runtime::leftText("abc", -1), "");
    EXPECT_EQ(runtime::rightText("abc", 2), "bc");
    EXPECT_EQ(runtime::rightText("abc", 9), "abc");
    EXPECT_EQ(runtime::rightText("abc", 0), "");
}

TEST(TextReplace, EveryOccurrenceAtCharacterStarts) {
    EXPECT_EQ(runtime::replaceText("a-b-c", "-", "+-+"), "a+-+b+-+c");
    EXPECT_EQ(runtime::replaceText("aaaa", "aa", "a"), "aa");
    EXPECT_EQ(runtime::replaceText("abc", "", "x"), "abc");
    EXPECT_EQ(runtime::replaceText("abc", "abc", ""), "");
    const Text text = runtime::gbk("中文");
    EXPECT_EQ(runtime::replaceText(text, "\xD0\xCE", "!"), text);
}

TEST(TextConversion, BytesAndNumbersToText) {
    EXPECT_EQ(runtime::toText(ByteArray{'o', 'k', 0, 'x'}), "ok");
    EXPECT_EQ(runtime::toText(ByteArray{'o', 'k'}), "ok");
    EXPECT_EQ(runtime::toText(ByteArray{}), "");
    EXPECT_EQ(runtime::toText(-42LL), "-42");
    EXPECT_EQ(runtime::toText(1048576LL), "1048576");
    EXPECT_EQ(runtime::toBytes("a\xB0"), (ByteArray{'a', 0xB0}));
}

TEST(TextConversion, ConcatenationOfTextsAndArrays) {
    EXPECT_EQ(runtime::concat({"http://", "host", "/path"}), "http://host/path");
    const ByteArray a{1, 2};
    const ByteArray empty;
    const ByteArray b{3};
    EXPECT_EQ(runtime::concatBytes({&a, nullptr, &empty, &b}), (ByteArray{1, 2, 3}));
    EXPECT_TRUE(runtime::concatBytes({nullptr, &empty}).empty());
}

} // namespace

namespace {

// Random GBK-ish bytes: ASCII, separators, lead bytes and lone halves at any place.
runtime::Text randomText(std::mt19937& random, std::size_t maxLength) {
    static constexpr char kAlphabet[] = {'a', 'B', '|', '-', '\x81', '\xB0', '\xA1', '\x7C', 'A'};
    std::uniform_int_distribution<std::size_t> length(0, maxLength);
    std::uniform_int_distribution<std::size_t> pick(0, sizeof kAlphabet - 1);
    runtime::Text text(length(random), ' ');
    for (char& c : text) {
        c = kAlphabet[pick(random)];
    }
    return text;
}

std::vector<std::size_t> characterStarts(std::string_view text) {
    std::vector<std::size_t> starts;
    for (std::size_t i = 0; i < text.size(); i += (text[i] & 0x80) != 0 ? 2 : 1) {
        starts.push_back(i);
    }
    return starts;
}

TEST(TextProperties, RandomBytesKeepTheInvariants) {
    std::mt19937 random(20240601);
    for (int round = 0; round < 20000; ++round) {
        const Text text = randomText(random, 12);
        const Text part = randomText(random, 3);
        const int found = runtime::findText(text, part);
        if (!part.empty() && found != -1) {
            const auto at = static_cast<std::size_t>(found - 1);
            ASSERT_EQ(text.substr(at, part.size()), part);
            const auto starts = characterStarts(text);
            ASSERT_NE(std::find(starts.begin(), starts.end(), at), starts.end()) << text;
            const int next = runtime::findText(text, part, found + 1);
            ASSERT_TRUE(next == -1 || next > found);
        }
        if (part.empty()) {
            continue;
        }
        const TextList pieces = runtime::splitText(text, part);
        Text joined;
        for (std::size_t i = 0; i < pieces.size(); ++i) {
            joined += (i > 0 ? part : Text()) + pieces[i];
        }
        // Only a single trailing separator may be lost.
        ASSERT_TRUE(joined == text || joined + part == text) << text << " / " << part;
        ASSERT_EQ(runtime::replaceText(text, part, part), text);
        if (found == -1) {
            ASSERT_EQ(pieces.size(), text.empty() ? 0U : 1U);
        }
    }
}

} // namespace
