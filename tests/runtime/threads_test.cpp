#include "runtime/threads.h"
#include "runtime/worker_owner.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <future>
#include <mutex>
#include <stdexcept>
#include <stop_token>
#include <thread>

namespace {

using namespace std::chrono_literals;

TEST(Workers, RunTheRoutineWithItsArgument) {
    std::promise<std::int32_t> seen;
    auto result = seen.get_future();
    runtime::WorkerOwner owner;
    ASSERT_TRUE(owner.start([&seen](std::int32_t value) { seen.set_value(value); }, 42));
    ASSERT_EQ(result.wait_for(10s), std::future_status::ready);
    EXPECT_EQ(result.get(), 42);
    EXPECT_FALSE(owner.start(nullptr));
}

TEST(Workers, AThrowingRoutineEndsOnlyItsOwnThreadWithOneLine) {
    std::promise<void> thrown;
    auto done = thrown.get_future();
    testing::internal::CaptureStderr();
    runtime::WorkerOwner owner;
    ASSERT_TRUE(owner.start([&thrown](std::int32_t) {
        thrown.set_value();
        throw std::runtime_error("bad reply");
    }));
    ASSERT_EQ(done.wait_for(10s), std::future_status::ready);
    std::this_thread::sleep_for(200ms); // let the throw happen; an escape would abort here
    EXPECT_EQ(testing::internal::GetCapturedStderr(),
              "pooldesk: a worker ended on an error: bad reply\n");
    std::promise<int> after;
    auto result = after.get_future();
    ASSERT_TRUE(owner.start([&after](std::int32_t value) { after.set_value(value); }, 7));
    ASSERT_EQ(result.wait_for(10s), std::future_status::ready);
    EXPECT_EQ(result.get(), 7);
}

// Our workers wait on stop tokens (condition waits, stops passed on to requests) and are ended
// by request_stop() from another thread; a stop request racing the removal of the callback it
// runs once hung for good under Windows' C++ runtime within about a hundred rounds.
TEST(Workers, AStopRacingAStopTokenWaitEndsEveryTime) {
    constexpr int kRounds = 1500;
    std::atomic<int> rounds{0};
    std::thread watchdog([&rounds] {
        auto progressed = std::chrono::steady_clock::now();
        for (int last = 0; rounds != kRounds;) {
            std::this_thread::sleep_for(100ms);
            if (rounds != last) {
                last = rounds;
                progressed = std::chrono::steady_clock::now();
            } else if (std::chrono::steady_clock::now() - progressed > 10s) {
                // A hung join cannot be undone: say so and end instead of hanging the suite.
                std::fprintf(stderr, "a stop request hung after %d rounds\n", last);
                std::_Exit(1);
            }
        }
    });
    for (int round = 0; round < kRounds; ++round) {
        std::mutex mutex;
        std::condition_variable_any changed;
        std::jthread waiter([&](std::stop_token stop) {
            std::unique_lock lock(mutex);
            while (!changed.wait_for(lock, stop, 50us, [] { return false; }) &&
                   !stop.stop_requested()) {
            }
        });
        std::this_thread::sleep_for(std::chrono::microseconds(round % 100));
        waiter.request_stop();
        waiter.join();
        rounds = round + 1;
    }
    watchdog.join();
    EXPECT_EQ(rounds, kRounds);
}

TEST(Locks, HandlesAreDistinctAndNeverZero) {
    const runtime::LockHandle first = runtime::createLock();
    const runtime::LockHandle second = runtime::createLock();
    EXPECT_NE(first, 0U);
    EXPECT_NE(second, 0U);
    EXPECT_NE(first, second);
}

TEST(Locks, ReentrantOnOneThreadAndExclusiveAcrossThreads) {
    const runtime::LockHandle lock = runtime::createLock();
    runtime::enterLock(lock);
    runtime::enterLock(lock);
    std::atomic<bool> entered{false};
    std::thread other([&] {
        runtime::enterLock(lock);
        entered = true;
        runtime::leaveLock(lock);
    });
    runtime::leaveLock(lock);
    std::this_thread::sleep_for(50ms);
    EXPECT_FALSE(entered) << "one leave must not release a lock entered twice";
    runtime::leaveLock(lock);
    other.join();
    EXPECT_TRUE(entered);
}

TEST(Locks, UnknownHandlesAndForeignLeavesAreIgnored) {
    runtime::enterLock(0);
    runtime::leaveLock(0);
    runtime::leaveLock(0xFFFFFFFFU);
    runtime::enterLock(0xFFFFFFFFU);

    const runtime::LockHandle lock = runtime::createLock();
    runtime::leaveLock(lock); // never entered
    runtime::enterLock(lock);
    std::thread intruder([lock] { runtime::leaveLock(lock); });
    intruder.join();
    std::atomic<bool> entered{false};
    std::thread other([&] {
        runtime::enterLock(lock);
        entered = true;
        runtime::leaveLock(lock);
    });
    std::this_thread::sleep_for(50ms);
    EXPECT_FALSE(entered) << "a thread that does not hold the lock cannot release it";
    runtime::leaveLock(lock);
    other.join();
    EXPECT_TRUE(entered);
}

TEST(Locks, SerialiseWorkersAroundSharedData) {
    const runtime::LockHandle lock = runtime::createLock();
    long long counter = 0; // guarded only by the lock under test
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t) {
        threads.emplace_back([&] {
            for (int i = 0; i < 20000; ++i) {
                runtime::enterLock(lock);
                runtime::enterLock(lock);
                ++counter;
                runtime::leaveLock(lock);
                runtime::leaveLock(lock);
            }
        });
    }
    for (auto& thread : threads) {
        thread.join();
    }
    EXPECT_EQ(counter, 80000);
}

TEST(RunDirectory, IsTheExecutablesFolderWithoutTrailingSeparator) {
    const auto folder = runtime::runDirectory().native();
    ASSERT_FALSE(folder.empty());
    EXPECT_NE(folder.back(), '/');
    EXPECT_NE(folder.back(), '\\');
#ifdef _WIN32
    constexpr const char* kExecutable = "runtime_threads_test.exe";
#else
    constexpr const char* kExecutable = "runtime_threads_test";
#endif
    EXPECT_TRUE(std::filesystem::exists(runtime::runDirectory() / kExecutable));
}

} // namespace
