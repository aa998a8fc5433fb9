// Prints: sequential GETs through the engine against a running service (pooldesk-sim), each
// call with its own connection as the engine makes them, and the same GETs by a bare loop over
// the platform's HTTP library (the floor). Built for every platform, so the same figures come
// from libcurl on Linux and from WinHTTP on Windows (or under Wine).
//
//   http_engine_throughput_bench <url> [requests]   (default 1000)

#include "../service/bare_client.h"
#include "http/engine.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>

namespace {

double secondsOf(const std::function<void()>& work) {
    const auto start = std::chrono::steady_clock::now();
    work();
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s <url> [requests]\n", argv[0]);
        return 2;
    }
    const std::string url = argv[1];
    const int requests = argc > 2 ? std::atoi(argv[2]) : 1000;
#ifdef _WIN32
    const char* transport = "WinHTTP";
#else
    const char* transport = "libcurl";
#endif
    http::Text status;
    http::HttpRequestEngine(url, 0, {}, nullptr, nullptr, {}, nullptr, false, {}, {}, {}, {}, {}, 0,
                            nullptr, &status); // warm-up, and the reply's status
    // Engine and floor take turns in blocks, so a change in the machine's load while the
    // benchmark runs weighs on both alike.
    constexpr int kBlocks = 10;
    bench::BareClient bare;
    int answered = 0;
    int bareAnswered = 0;
    double engineSeconds = 0;
    double bareSeconds = 0;
    for (int block = 0; block < kBlocks; ++block) {
        const int count = requests / kBlocks + (block < requests % kBlocks ? 1 : 0);
        engineSeconds += secondsOf([&] {
            for (int i = 0; i < count; ++i) {
                answered += http::HttpRequestEngine(url).empty() ? 0 : 1;
            }
        });
        bareSeconds += secondsOf([&] {
            for (int i = 0; i < count; ++i) {
                bareAnswered += bare.request(url, nullptr).empty() ? 0 : 1;
            }
        });
    }
    std::printf("engine over %s: %d GETs (%d answered, first status \"%s\") in %.2f s: "
                "%.0f requests/s\n",
                transport, requests, answered, status.c_str(), engineSeconds,
                requests / engineSeconds);
    std::printf("%s: %d GETs (%d answered) in %.2f s: %.0f requests/s\n", bench::kFloorName,
                requests, bareAnswered, bareSeconds, requests / bareSeconds);
    std::printf("engine / floor throughput: %.2f (target >= 0.85)\n", bareSeconds / engineSeconds);
#ifdef _WIN32
    bench::BareAsyncClient bareAsync;
    int asyncAnswered = 0;
    const double asyncSeconds = secondsOf([&] {
        for (int i = 0; i < requests; ++i) {
            asyncAnswered += bareAsync.request(url, nullptr).empty() ? 0 : 1;
        }
    });
    std::printf("%s: %d GETs (%d answered) in %.2f s: %.0f "
                "requests/s; engine / this floor: %.2f\n",
                bench::kAsyncFloorName, requests, asyncAnswered, asyncSeconds,
                requests / asyncSeconds, asyncSeconds / engineSeconds);
#endif
    return answered == requests && bareAnswered == requests ? 0 : 1;
}
