// A stop ends the platform transport's request at once, whatever phase it waits in.
#include "http/request.h"
#include "test_support/test_server.h"

#include <gtest/gtest.h>

#include <chrono>
#include <stop_token>
#include <string>
#include <thread>

namespace {

using namespace std::chrono_literals;
using http::testing::RawServer;
using http::testing::TestServer;

// The request runs with a 30 s time-out; a stop comes after 300 ms.
std::chrono::steady_clock::duration stoppedAfter(const std::string& url, http::Result& result) {
    std::stop_source stop;
    const auto start = std::chrono::steady_clock::now();
    std::jthread stopper([&stop] {
        std::this_thread::sleep_for(300ms);
        stop.request_stop();
    });
    result =
        http::performOnThisThread({.url = url, .timeoutSeconds = 30, .stop = stop.get_token()});
    return std::chrono::steady_clock::now() - start;
}

TEST(RequestStopTest, StopEndsTheWaitForTheResponseAndForTheBody) {
    RawServer silent{"", false};
    TestServer server;
    for (const std::string& url : {silent.url("/"), server.url("/trickle?interval=200")}) {
        http::Result result;
        const auto took = stoppedAfter(url, result);
        EXPECT_LT(took, 3s) << url << ": not the 30 s time-out";
        EXPECT_TRUE(result.failure.has_value()) << url;
        EXPECT_LT(result.body.size(), 1000U) << url;
    }
    // The next request on a fresh handle is not answered by the stopped one's.
    http::Result next = http::performOnThisThread({.url = server.url("/echo/next")});
    EXPECT_EQ(next.body, "GET /echo/next|");
}

} // namespace
