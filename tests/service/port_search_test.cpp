#include "runtime/codepage.h"
#include "service/port_search.h"

#include <gtest/gtest.h>

namespace service {
namespace {

using runtime::gbk;

TEST(PortSearchTest, MatchesWholeCharactersAndFoldsAsciiOnly) {
    struct Case {
        const char* what;
        Text haystack;
        Text needle;
        bool found;
    };
    // 啊 is B0 A1: "啊啊" holds the bytes A1 B0 across its two characters.
    const Case cases[] = {
        {"plain", "A1.01", "a1.0", true},
        {"upper needle", "port-ab", "PORT-AB", true},
        {"GBK status", gbk("未做TG"), gbk("做t"), true},
        {"trail byte then lead byte is not a character", gbk("啊啊"), Text("\xA1\xB0"), false},
        {"needle ending in half a character", gbk("啊"), Text("\xB0"), false},
        {"needle starting on a trail byte", gbk("啊"), Text("\xA1"), false},
        {"trail byte in A-Z is not folded", "\x81\x41", "\x81\x61", false},
        {"trail byte in A-Z matches itself", "x\x81\x41", "\x81\x41", true},
        {"empty needle", "", "", true},
        {"longer needle", "A1", "A1.0", false},
        {"not there", gbk("已做TG"), gbk("未做"), false},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(containsFolded(c.haystack, c.needle), c.found) << c.what;
    }
}

TEST(PortSearchTest, SearchesNameAndStatusOfEveryPoolInOrder) {
    std::vector<PoolPorts> pools(2);
    pools[0].pool = gbk("甲1");
    pools[0].rows.add(gbk("甲1.01"), gbk("未做TG"), "12:00");
    pools[0].rows.add(gbk("甲1.02"), gbk("已做GG"), "tg"); // the time is not searched
    pools[1].pool = "B2";
    pools[1].rows.add("B2.01", gbk("已做TG"), "12:01");
    pools[1].rows.add("b2.tg", "", "");

    const std::vector<PortMatch> matches = searchPorts(pools, "tg");
    ASSERT_EQ(matches.size(), 3U);
    EXPECT_EQ(matches[0].pool, 0U);
    EXPECT_EQ(matches[0].row, 0U);
    EXPECT_EQ(matches[1].pool, 1U);
    EXPECT_EQ(matches[1].row, 0U);
    EXPECT_EQ(matches[2].row, 1U);
    EXPECT_TRUE(searchPorts(pools, gbk("丙")).empty());
}

} // namespace
} // namespace service
