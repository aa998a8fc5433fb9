#include "runtime/codepage.h"
#include "runtime/controls.h"
#include "test_support/find_row_checks.h"
#include "test_support/memory_window.h"

#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <utility>
#include <vector>

namespace {

using runtime::MemoryWindow;
using runtime::Text;

constexpr auto kList = controls::kPortList;

TEST(MemoryWindowLists, RowsAppendFindAndShiftUp) {
    MemoryWindow window;
    EXPECT_EQ(window.findRow(kList, "x"), -1);
    EXPECT_EQ(window.rowCount(kList), 0);
    EXPECT_EQ(window.appendRow(kList, "Pool-A"), 0);
    EXPECT_EQ(window.appendRow(kList, runtime::gbk("二号")), 1);
    EXPECT_EQ(window.appendRow(kList, "pool-a"), 2);
    EXPECT_EQ(window.findRow(kList, "POOL-A"), 0);
    EXPECT_EQ(window.findRow(kList, runtime::gbk("二号")), 1);
    EXPECT_EQ(window.findRow(kList, "Pool"), -1); // whole text only

    window.setCellText(kList, 1, 2, "c2");
    window.setCheckState(kList, 2, 1);
    window.setSelectedRow(kList, 2);
    window.deleteRow(kList, 0);
    EXPECT_EQ(window.rowCount(kList), 2);
    EXPECT_EQ(window.cellText(kList, 0, 2), "c2");
    EXPECT_EQ(window.cellText(kList, 0, 1), "");
    EXPECT_EQ(window.checkState(kList, 1), 1);
    EXPECT_EQ(window.selectedRow(kList), 1);
    window.deleteAllRows(kList);
    EXPECT_EQ(window.rowCount(kList), 0);
    EXPECT_EQ(window.selectedRow(kList), -1);
}

TEST(MemoryWindowLists, FindRowFollowsEveryChangeOfTheCaptions) {
    MemoryWindow window;
    testsupport::expectFindRowFollowsRowChanges(window, kList);
}

TEST(MemoryWindowLists, MissingRowsAndColumnsReadEmptyAndTakeNoWrites) {
    MemoryWindow window;
    window.appendRow(kList, "a");
    window.setColumnCount(kList, 3);
    for (const int row : {-1, 1, 1000}) {
        window.setCellText(kList, row, 0, "x");
        window.setCheckState(kList, row, 1);
        window.deleteRow(kList, row);
        EXPECT_EQ(window.cellText(kList, row, 0), "");
        EXPECT_EQ(window.checkState(kList, row), 0);
    }
    window.setCellText(kList, 0, 3, "beyond");
    window.setCellText(kList, 0, -1, "negative");
    EXPECT_EQ(window.cellText(kList, 0, 3), "");
    EXPECT_EQ(window.cellText(kList, 0, -1), "");
    EXPECT_EQ(window.rowCount(kList), 1);
    EXPECT_EQ(window.cellText(kList, 0, 0), "a");
    window.setSelectedRow(kList, 5);
    EXPECT_EQ(window.selectedRow(kList), -1);
}

// Every cell of a read, row by row.
std::vector<std::vector<std::string>> cellsOf(const runtime::RowTexts& rows) {
    std::vector<std::vector<std::string>> cells(rows.rows());
    for (std::size_t row = 0; row < rows.rows(); ++row) {
        for (int column = 0; column < rows.columns(); ++column) {
            cells[row].emplace_back(rows.cell(row, column));
        }
    }
    return cells;
}

TEST(MemoryWindowLists, RowTextsReadsExistingRowsWithMissingCellsEmpty) {
    MemoryWindow window;
    window.setColumnCount(kList, 3);
    for (const char* caption : {"a", "b", "c"}) {
        const int row = window.appendRow(kList, caption);
        window.setCellText(kList, row, 1, runtime::concat({caption, "1"}));
        window.setCellText(kList, row, 2, runtime::concat({caption, "2"}));
    }
    using Cells = std::vector<std::vector<std::string>>;
    const runtime::RowTexts tail = window.rowTexts(kList, 1, 5, 4);
    EXPECT_EQ(cellsOf(tail), (Cells{{"b", "b1", "b2", ""}, {"c", "c1", "c2", ""}}));
    EXPECT_EQ(tail.cell(2, 0), "") << "a row not read";
    EXPECT_EQ(tail.cell(0, -1), "");
    EXPECT_EQ(cellsOf(window.rowTexts(kList, 0, 2, 1)), (Cells{{"a"}, {"b"}}));
    for (const auto& [first, count] : {std::pair{-1, 3}, {3, 1}, {1000, 1}, {0, 0}, {0, -2}}) {
        EXPECT_TRUE(window.rowTexts(kList, first, count, 3).empty()) << first << "," << count;
    }
    EXPECT_TRUE(window.rowTexts(kList, 0, 3, 0).empty());
    EXPECT_TRUE(window.rowTexts(controls::kDeviceList, 0, 10, 3).empty());

    // Without a fixed column count, only the cells written read back.
    MemoryWindow open;
    open.appendRow(kList, "x");
    open.setCellText(kList, 0, 5, "far");
    EXPECT_EQ(cellsOf(open.rowTexts(kList, 0, 1, 7)), (Cells{{"x", "", "", "", "", "far", ""}}));
}

TEST(MemoryWindowControls, StateAndTestHooks) {
    MemoryWindow window;
    EXPECT_TRUE(window.isVisible(controls::kBusyPicture));
    window.setDisabled(kList, true);
    window.setDisabled(kList, true);
    window.setDisabled(kList, false);
    window.setDisabled(kList, true);
    EXPECT_EQ(window.disableCount(kList), 2);
    EXPECT_TRUE(window.isDisabled(kList));

    window.writeLine(controls::kLogPanel, "one");
    window.writeLine(controls::kLogPanel, "two");
    EXPECT_EQ(window.lines(controls::kLogPanel), (std::vector<Text>{"one", "two"}));

    window.setClipboardAvailable(false);
    EXPECT_FALSE(window.putOnClipboard("x"));
    window.setClipboardAvailable(true);
    EXPECT_TRUE(window.putOnClipboard("y"));
    EXPECT_EQ(window.clipboard(), "y");

    window.queueInputBoxAnswer("first");
    EXPECT_EQ(window.inputBox("p1"), "first");
    EXPECT_EQ(window.inputBox("p2"), "");
    EXPECT_EQ(window.inputBoxPrompts(), (std::vector<Text>{"p1", "p2"}));
}

TEST(MemoryWindowLists, AppendsFromManyThreadsGetDistinctIndexes) {
    MemoryWindow window;
    std::vector<std::thread> workers;
    std::vector<std::vector<int>> indexes(4);
    for (int t = 0; t < 4; ++t) {
        workers.emplace_back([&, t] {
            for (int i = 0; i < 500; ++i) {
                const int row = window.appendRow(kList, "r");
                window.setCellText(kList, row, 1, std::to_string(t));
                indexes[static_cast<std::size_t>(t)].push_back(row);
            }
        });
    }
    for (auto& worker : workers) {
        worker.join();
    }
    ASSERT_EQ(window.rowCount(kList), 2000);
    for (int t = 0; t < 4; ++t) {
        for (const int row : indexes[static_cast<std::size_t>(t)]) {
            EXPECT_EQ(window.cellText(kList, row, 1), std::to_string(t));
        }
    }
}

} // namespace
