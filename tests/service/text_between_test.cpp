#include "runtime/codepage.h"
#include "service/text_between.h"

#include <gmock/gmock.h>

namespace {

using runtime::gbk;
using service::allTextsBetween;
using service::textBetween;
using testing::ElementsAre;
using testing::IsEmpty;

TEST(TextBetween, FindsTheFirstPairFromTheStart) {
    EXPECT_EQ(textBetween("x[a]b[c]", "[", "]"), "a");
    EXPECT_EQ(textBetween("x[a]b[c]", "[", "]", 4), "c");
    EXPECT_EQ(textBetween("[]", "[", "]"), "");
    EXPECT_EQ(textBetween("a]b[c", "[", "]"), "");
    EXPECT_EQ(textBetween("abc", "[", "]"), "");
    EXPECT_EQ(textBetween("[abc", "[", "]"), "");
    EXPECT_EQ(textBetween("", "[", "]"), "");
    EXPECT_EQ(textBetween("[a]", "", "]"), "");
}

TEST(TextBetween, QuoteTokenAndCase) {
    EXPECT_EQ(textBetween(R"({"iccid":"89"})", gbk("iccid#引号:#引号"), gbk("#引号")), "89");
    EXPECT_EQ(textBetween("<B>x</b>", "<b>", "</B>", 1, true), "x");
    EXPECT_EQ(textBetween("<B>x</b>", "<b>", "</B>"), "");
}

TEST(TextBetween, MarkersMatchOnlyAtCharacterStarts) {
    // "乚" is 0x81 0x5D: its second byte is "]".
    EXPECT_EQ(textBetween(gbk("[\"乚A\"]"), "[", "]"), gbk("\"乚A\""));
}

TEST(AllTextsBetween, RightMarkerIsFoundAgainAsTheNextLeftMarker) {
    runtime::TextList out{"old"};
    EXPECT_EQ(allTextsBetween(R"("a","b")", "\"", "\"", out), 3);
    EXPECT_THAT(out, ElementsAre("a", ",", "b"));
}

TEST(AllTextsBetween, Options) {
    runtime::TextList out;
    EXPECT_EQ(allTextsBetween("<a><bb><ccc>", "<", ">", out, false, 0, "(", ")", true, true), 3);
    EXPECT_THAT(out, ElementsAre("<(a)>", "<(bb)>", "<(ccc)>"));
    // Only pieces shorter than the maximum are kept.
    allTextsBetween("<a><bb><ccc>", "<", ">", out, false, 3);
    EXPECT_THAT(out, ElementsAre("a", "bb"));
    allTextsBetween("<a><B>", "<", ">", out, false, 0, {}, {}, false, false, 4);
    EXPECT_THAT(out, ElementsAre("B"));
    allTextsBetween("X1yx2Y", "x", "y", out, true);
    EXPECT_THAT(out, ElementsAre("1", "2"));
}

TEST(AllTextsBetween, MissingOrEmptyMarkersGiveNothing) {
    runtime::TextList out{"old"};
    EXPECT_EQ(allTextsBetween("abc", "<", ">", out), 0);
    EXPECT_THAT(out, IsEmpty());
    EXPECT_EQ(allTextsBetween("<abc", "<", ">", out), 0);
    EXPECT_EQ(allTextsBetween("abc", "", "c", out), 0);
    EXPECT_EQ(allTextsBetween("abc", "a", "", out), 0);
}

TEST(AllTextsBetween, SlotRecordsKeepTheirLeftMarker) {
    runtime::TextList out;
    allTextsBetween(R"([{"slot":"1","iccid":""},{"slot":"2"}])", R"({"slot":)", "}", out, false, 0,
                    {}, {}, true);
    EXPECT_THAT(out, ElementsAre(R"({"slot":"1","iccid":"")", R"({"slot":"2")"));
}

} // namespace
