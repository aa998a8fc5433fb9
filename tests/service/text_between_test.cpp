#include "runtime/codepage.h"
#include "service/text_between.h"

#include <gmock/gmock.h>

namespace {

using runtime::gbk;
using service::allTextsBetween;
using service::textBetween;
using testing::ElementsAre;

TEST(TextBetween, FirstPairFromTheStart) {
    EXPECT_EQ(textBetween("x[a]b[c]", "[", "]"), "a");
    EXPECT_EQ(textBetween("x[a]b[c]", "[", "]", 4), "c");
    EXPECT_EQ(textBetween("a]b[c", "[", "]"), "");
    EXPECT_EQ(textBetween(R"({"iccid":"89"})", gbk("iccid#引号:#引号"), gbk("#引号")), "89");
    EXPECT_EQ(textBetween("<B>x</b>", "<b>", "</B>", 1, true), "x");
    EXPECT_EQ(textBetween("<B>x</b>", "<b>", "</B>"), "");
    // "乚" is 0x81 0x5D: its second byte is no "]".
    EXPECT_EQ(textBetween(gbk("[\"乚A\"]"), "[", "]"), gbk("\"乚A\""));
}

TEST(AllTextsBetween, RightMarkerIsFoundAgainAsTheNextLeftMarker) {
    runtime::TextList out{"old"};
    EXPECT_EQ(allTextsBetween(R"("a","b")", "\"", "\"", out), 3);
    EXPECT_THAT(out, ElementsAre("a", ",", "b"));
}

TEST(AllTextsBetween, Options) {
    runtime::TextList out;
    allTextsBetween("<a><bb><ccc>", "<", ">", out, false, 0, "(", ")", true, true);
    EXPECT_THAT(out, ElementsAre("<(a)>", "<(bb)>", "<(ccc)>"));
    allTextsBetween("<a><bb><ccc>", "<", ">", out, false, 3); // only pieces shorter than 3
    EXPECT_THAT(out, ElementsAre("a", "bb"));
    allTextsBetween("<a><B>", "<", ">", out, false, 0, {}, {}, false, false, 4);
    EXPECT_THAT(out, ElementsAre("B"));
    // An empty marker would match at the same place for ever.
    EXPECT_EQ(allTextsBetween("abc", "", "c", out), 0);
    EXPECT_EQ(allTextsBetween("<abc", "<", ">", out), 0);
}

} // namespace
