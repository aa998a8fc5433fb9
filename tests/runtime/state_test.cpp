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

TEST(ProcessState, TextsAreReplacedWhole) {
    runtime::setRouteHost("nl.example:8080");
    runtime::setUserKey("key-1");
    EXPECT_EQ(runtime::routeHost(), "nl.example:8080");
    EXPECT_EQ(runtime::userKey(), "key-1");
    runtime::setUserKey("");
    EXPECT_EQ(runtime::userKey(), "");
}

// Readers must only ever see one of the values written, never a torn or freed one.
TEST(ProcessState, ReadersSeeWholeValuesWhileTheWindowThreadWrites) {
    const std::string shortKey = "k";
    const std::string longKey(4096, 'K');
    runtime::setUserKey(shortKey);
    runtime::setRouteHost(shortKey);
    std::atomic<bool> done{false};
    std::atomic<int> torn{0};
    std::vector<std::thread> readers;
    for (int r = 0; r < 3; ++r) {
        readers.emplace_back([&] {
            while (!done) {
                const auto key = runtime::userKey();
                const auto host = runtime::routeHost();
                if ((key != shortKey && key != longKey) || (host != shortKey && host != longKey)) {
                    ++torn;
                }
                runtime::maskListSnapshot();
                (void)runtime::ledMode.load();
            }
        });
    }
    for (int i = 0; i < 20000; ++i) {
        runtime::setUserKey(i % 2 == 0 ? longKey : shortKey);
        runtime::setRouteHost(i % 2 == 0 ? shortKey : longKey);
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
