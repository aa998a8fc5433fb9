#pragma once
// One table for every Window implementation: findRow finds the first row of a caption (ASCII
// letters folded, two-byte characters exact) after each kind of change to the captions.

#include "runtime/window.h"

#include <gtest/gtest.h>

#include <functional>
#include <string_view>
#include <utility>
#include <vector>

namespace testsupport {

inline void expectFindRowFollowsRowChanges(runtime::Window& window, std::string_view list) {
    struct Step {
        const char* change;
        std::function<void()> apply;
        std::vector<std::pair<const char*, int>> found; // caption sought, row expected
    };
    const auto append = [&](const char* caption) { window.appendRow(list, caption); };
    const std::vector<Step> steps = {
        {"appended before any look-up", [&] { append("Pool-A"); }, {{"pool-a", 0}, {"Pool", -1}}},
        {"appended after a look-up, a duplicate among them",
         [&] {
             append("B");
             append("pool-a");
             append("C");
             append("\x8a\x61"); // a two-byte character whose trail byte is 'a'
         },
         {{"POOL-A", 0}, {"c", 3}, {"\x8a\x61", 4}, {"\x8a\x41", -1}}},
        {"first row deleted: the duplicate comes first",
         [&] { window.deleteRow(list, 0); },
         {{"b", 0}, {"pool-a", 1}, {"c", 2}, {"\x8a\x61", 3}}},
        {"last row deleted", [&] { window.deleteRow(list, 3); }, {{"\x8a\x61", -1}, {"C", 2}}},
        {"a caption rewritten",
         [&] { window.setCellText(list, 0, 0, "Renamed"); },
         {{"b", -1}, {"renamed", 0}, {"pool-a", 1}}},
        {"renamed into a duplicate of an earlier row, then that row deleted",
         [&] {
             window.setCellText(list, 2, 0, "POOL-a");
             window.deleteRow(list, 1);
         },
         {{"c", -1}, {"pool-a", 1}}},
        {"another column written",
         [&] { window.setCellText(list, 0, 1, "pool-a"); },
         {{"pool-a", 1}, {"renamed", 0}}},
        {"out-of-range changes",
         [&] {
             window.deleteRow(list, 5);
             window.setCellText(list, 7, 0, "x");
         },
         {{"x", -1}, {"pool-a", 1}}},
        {"all rows deleted, then one appended",
         [&] {
             window.deleteAllRows(list);
             append("x");
         },
         {{"renamed", -1}, {"pool-a", -1}, {"X", 0}}},
    };
    for (const Step& step : steps) {
        step.apply();
        for (const auto& [caption, row] : step.found) {
            EXPECT_EQ(window.findRow(list, caption), row) << step.change << ": " << caption;
        }
    }
}

} // namespace testsupport
