#include "runtime/state.h"

#include <gtest/gtest.h>

#include <thread>
#include <vector>

namespace {

TEST(ProcessState, StartsWithTheFixedNumbersAndAnEmptyMaskList) {
    runtime::initProcessState();
    runtime::registerStateAtExit();
    runtime::registerStateAtExit(); // once only; a second call is harmless
    EXPECT_EQ(runtime::codePage.load(), 936);
    EXPECT_EQ(runtime::uploadChunkSize.load(), 1048576);
    EXPECT_TRUE(runtime::maskListSnapshot().empty());
    runtime::appendMask(7);
    runtime::appendMask(9);
    EXPECT_EQ(runtime::maskListSnapshot(), (std::vector<std::uintptr_t>{7, 9}));
    runtime::initProcessState();
    EXPECT_TRUE(runtime::maskListSnapshot().empty());
}

// Readers must only ever see whole values while the window thread writes.
TEST(ProcessState, ReadersSeeWholeValuesWhileTheWindowThreadWrites) {
    runtime::initProcessState();
    runtime::ledMode = 1;
    std::atomic<bool> done{false};
    std::atomic<int> torn{0};
    std::vector<std::thread> readers;
    for (int r = 0; r < 3; ++r) {
        readers.emplace_back([&] {
            while (!done) {
                const auto masks = runtime::maskListSnapshot();
                for (std::size_t i = 0; i < masks.size(); ++i) {
                    if (masks[i] != i * 100) {
                        ++torn;
                    }
                }
                const int mode = runtime::ledMode.load();
                if (mode != 1 && mode != 2) {
                    ++torn;
                }
            }
        });
    }
    for (int i = 0; i < 20000; ++i) {
        runtime::ledMode = i % 2 + 1;
        if (i % 100 == 0) {
            runtime::appendMask(static_cast<std::uintptr_t>(i));
        }
    }
    done = true;
    for (auto& reader : readers) {
        reader.join();
    }
    EXPECT_EQ(torn.load(), 0);
    EXPECT_EQ(runtime::maskListSnapshot().size(), 200U);
}

} // namespace
