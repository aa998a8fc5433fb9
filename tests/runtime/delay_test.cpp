#include "runtime/delay.h"

#include <gtest/gtest.h>

#ifdef _WIN32
#include <windows.h>
#endif

#include <atomic>
#include <chrono>
#include <thread>

namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

// A pump for the thread that creates it; it records how it is driven and really sleeps.
class RecordingPump final : public runtime::EventPump {
public:
    bool isPumpThread() const override { return std::this_thread::get_id() == m_thread; }
    void processPendingEvents() override { ++m_passes; }
    void waitAndProcessEvents(std::chrono::milliseconds timeout) override {
        ++m_waits;
        if (timeout > m_longestWait) {
            m_longestWait = timeout;
        }
        std::this_thread::sleep_for(std::min<std::chrono::milliseconds>(timeout, 10ms));
    }

    std::thread::id m_thread = std::this_thread::get_id();
    std::atomic<int> m_passes{0};
    std::atomic<int> m_waits{0};
    std::chrono::milliseconds m_longestWait{0};
};

class PumpInstalled : public ::testing::Test {
protected:
    void TearDown() override { runtime::installEventPump(nullptr); }
};

TEST(ResponsiveDelay, WithoutAPumpSleepsAboutTheTime) {
    const auto start = Clock::now();
    EXPECT_TRUE(runtime::responsiveDelay(100));
    EXPECT_GE(Clock::now() - start, 100ms);
}

TEST(ResponsiveDelay, UnitCodesScaleTheAmount) {
    const auto start = Clock::now();
    EXPECT_TRUE(runtime::responsiveDelay(0, 3));
    EXPECT_TRUE(runtime::responsiveDelay(-5, 1));
    EXPECT_TRUE(runtime::responsiveDelay(30, 7)); // unknown code: milliseconds
    EXPECT_LT(Clock::now() - start, 5s);
    const auto second = Clock::now();
    EXPECT_TRUE(runtime::responsiveDelay(1, 1));
    EXPECT_GE(Clock::now() - second, 1s);
}

TEST_F(PumpInstalled, OnThePumpThreadTheDelayDrivesThePump) {
    RecordingPump pump;
    runtime::installEventPump(&pump);
    const auto start = Clock::now();
    EXPECT_TRUE(runtime::responsiveDelay(100));
    EXPECT_GE(Clock::now() - start, 100ms);
    EXPECT_GE(pump.m_waits.load(), 5); // sleeps in short slices, keeps dispatching
    EXPECT_LE(pump.m_longestWait, 100ms);
    runtime::processPendingEvents();
    EXPECT_EQ(pump.m_passes.load(), 1);
}

TEST_F(PumpInstalled, OtherThreadsSleepWithoutTouchingThePump) {
    RecordingPump pump;
    runtime::installEventPump(&pump);
    std::thread worker([] {
        runtime::responsiveDelay(20);
        runtime::processPendingEvents();
    });
    worker.join();
    EXPECT_EQ(pump.m_waits.load(), 0);
    EXPECT_EQ(pump.m_passes.load(), 0);
}

TEST(NativeEvents, APassSaysWhetherItDispatchedAnythingSoEmptyQueuesEndTheRequestsPasses) {
    std::thread worker([] {
        EXPECT_FALSE(runtime::processPendingEvents()) << "nothing waits on a fresh thread";
#ifdef _WIN32
        ASSERT_TRUE(PostThreadMessageW(GetCurrentThreadId(), WM_APP, 0, 0));
        EXPECT_TRUE(runtime::processPendingEvents());
        EXPECT_FALSE(runtime::processPendingEvents());
#endif
    });
    worker.join();
}

} // namespace
