#include "runtime/codepage.h"
#include "runtime/controls.h"
#include "service/port_search.h"
#include "service/port_search_view.h"
#include "test_support/memory_window.h"

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

// 刷新's query kept per pool, searched into the port list with each result's pool, and the
// selected pool's own ports shown back.
TEST(PortSearchTest, ResultsReplaceThePortListAndThePoolsOwnPortsComeBack) {
    Snapshot snapshot;
    snapshot.addPools({"A1", gbk("深圳")});
    PortRows everyPool;
    everyPool.add("A1.01", gbk("未做TG"), "12:00");
    everyPool.add(gbk("深圳.7"), gbk("未做TG"), "12:01");
    everyPool.add("A1.02", gbk("已做GG"), "12:02");
    everyPool.add("C3.01", gbk("未做TG"), "12:03"); // no listed pool
    rememberEveryPoolsPorts(snapshot, everyPool);

    runtime::MemoryWindow window;
    for (const Text& pool : snapshot.pools()) {
        window.appendRow(controls::kDeviceList, pool);
    }
    window.setSelectedRow(controls::kDeviceList, 0);
    showSearchResults(window, snapshot, "tg");
    ASSERT_EQ(window.rowCount(controls::kPortList), 2);
    EXPECT_EQ(window.cellText(controls::kPortList, 0, 0), "A1.01");
    EXPECT_EQ(window.cellText(controls::kPortList, 1, 0), gbk("深圳.7"));
    EXPECT_EQ(window.cellText(controls::kPortList, 1, 1), gbk("未做TG"));
    EXPECT_EQ(window.cellText(controls::kPortList, 1, kSearchPoolColumn), gbk("深圳"));
    EXPECT_EQ(window.text(controls::kPortCountLabel), gbk("端口数量：2"));

    showSelectedPoolPorts(window, snapshot);
    ASSERT_EQ(window.rowCount(controls::kPortList), 2);
    EXPECT_EQ(window.cellText(controls::kPortList, 1, 0), "A1.02");
    EXPECT_EQ(window.cellText(controls::kPortList, 1, kSearchPoolColumn), "");
    EXPECT_EQ(window.text(controls::kPortCountLabel), gbk("端口数量：2"));
}

} // namespace
} // namespace service
