#include "service/stats_record.h"

#include "runtime/codepage.h"

#include <gtest/gtest.h>

namespace {

using runtime::gbk;
using service::statsCells;
using service::statsFieldValue;
using service::statsPercent;

const runtime::Text kPercentSign = "\xA3\xA5";

TEST(StatsRecord, FillsEveryCellInColumnOrder) {
    const auto cells = statsCells("100-0-5-80-15-60-3-8-40-20-10-5");
    ASSERT_TRUE(cells.has_value());
    const service::StatsCells expected{
        "100",
        "80",
        "15",
        "5",
        "40  50" + kPercentSign,
        "10  12" + kPercentSign,
        "20  25" + kPercentSign,
        "5  6" + kPercentSign,
        "3",
        "60",
        "8  10" + kPercentSign,
    };
    EXPECT_EQ(*cells, expected);
}

TEST(StatsRecord, RejectsNotFoundPagesAndWrongFieldCounts) {
    EXPECT_FALSE(statsCells(""));
    EXPECT_FALSE(statsCells("1-2-3-4-5-6-7-8-9-10-11"));
    EXPECT_FALSE(statsCells("1-2-3-4-5-6-7-8-9-10-11-12-13"));
    EXPECT_FALSE(statsCells("<p>This is a 404 Not Found page</p>1-2-3-4-5-6-7-8-9-10-11-12"));
    EXPECT_FALSE(statsCells("1-2-3-4-5-6-7-8-9-10-11-12 a 404 Not"));
    // A trailing separator leaves no extra piece; an inner empty field is a piece.
    EXPECT_TRUE(statsCells("1-2-3-4-5-6-7-8-9-10-11-12-"));
    EXPECT_FALSE(statsCells("1-2-3-4-5-6-7-8-9-10--11-12"));
    // A lower-case marker is an ordinary text.
    EXPECT_TRUE(statsCells("1-2-3-4-5-6-7-8-9-10-11-a 404 not"));
}

TEST(StatsRecord, ReadsFieldsLikeAtoiAfterFullWidthMapping) {
    EXPECT_EQ(statsFieldValue("80"), 80);
    EXPECT_EQ(statsFieldValue("  \t12abc"), 12);
    EXPECT_EQ(statsFieldValue("-7"), -7);
    EXPECT_EQ(statsFieldValue("+7"), 7);
    EXPECT_EQ(statsFieldValue("abc"), 0);
    EXPECT_EQ(statsFieldValue(""), 0);
    EXPECT_EQ(statsFieldValue("- 7"), 0);
    EXPECT_EQ(statsFieldValue(gbk("８０")), 80);
    EXPECT_EQ(statsFieldValue(gbk("　　４２")), 42);
    EXPECT_EQ(statsFieldValue(gbk("－３")), -3);
    EXPECT_EQ(statsFieldValue(gbk("９个")), 9);
    EXPECT_EQ(statsFieldValue(gbk("个9")), 0);
    EXPECT_EQ(statsFieldValue("99999999999999"), 2147483647);
    EXPECT_EQ(statsFieldValue("-99999999999999"), -2147483647 - 1);
}

TEST(StatsRecord, PercentCountsNearIntegersAsTheNextOne) {
    EXPECT_EQ(statsPercent(29, 100), 29); // 28.999999999999996 in double
    EXPECT_EQ(statsPercent(57, 100), 57); // 56.99999999999999
    EXPECT_EQ(statsPercent(10, 80), 12);
    EXPECT_EQ(statsPercent(1, 3), 33);
    EXPECT_EQ(statsPercent(2, 3), 66);
    EXPECT_EQ(statsPercent(160, 80), 200);
    EXPECT_EQ(statsPercent(2147483647, 1), 214748364700);
}

TEST(StatsRecord, NoNumberBaseShowsZeroPercentNeverInfOrNan) {
    const auto cells = statsCells("100-0-5-0-15-60-3-8-40-0-10-5");
    ASSERT_TRUE(cells.has_value());
    EXPECT_EQ((*cells)[4], "40  0" + kPercentSign);
    EXPECT_EQ((*cells)[6], "0  0" + kPercentSign);
    EXPECT_EQ((*cells)[10], "8  0" + kPercentSign);
}

TEST(StatsRecord, KeepsFieldTextButComputesFromItsValue) {
    const auto cells = statsCells(gbk("１００-0-5-８０-15-60-3-8-４０-20-10-5"));
    ASSERT_TRUE(cells.has_value());
    EXPECT_EQ((*cells)[0], gbk("１００"));
    EXPECT_EQ((*cells)[1], gbk("８０"));
    EXPECT_EQ((*cells)[4], gbk("４０") + "  50" + kPercentSign);
}

} // namespace
