// Prints: sequential GETs through the engine against a running service (pooldesk-sim), each
// call with its own connection as the engine makes them, and the same GETs by a bare loop over
// the platform's HTTP library (the floor). Built for every platform, so the same figures come
// from libcurl on Linux and from WinHTTP on Windows (or under Wine).
//
//   http_engine_throughput_bench <url> [requests]   (default 1000)

#include "../service/bare_client.h"
#include "http/engine.h"
#include "url_bench_args.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace {

double secondsOf(const std::function<void()>& work) {
    const auto start = std::chrono::steady_clock::now();
    work();
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

} // namespace

int main(int argc, char** argv) {
    const std::optional<bench::UrlBenchArgs> args = bench::urlBenchArgs(argc, argv, 1000);
    if (!args) {
        return 2;
    }
    const std::string& url = args->url;
    const int requests = args->requests;
#ifdef _WIN32
    const char* transport = "WinHTTP";
#else
    const char* transport = "libcurl";
#endif
    http::Text status;
    http::HttpRequestEngine(url, 0, {}, nullptr, nullptr, {}, nullptr, false, {}, {}, {}, {}, {}, 0,
                            nullptr, &status); // warm-up, and the reply's status
    // Engine and floors take turns in blocks, so a change in the machine's load while the
    // benchmark runs weighs on all alike.
    struct Contender {
        std::function<bool()> request;
        int answered = 0;
        double seconds = 0;
    };
    bench::BareClient bare;
    Contender engine{[&] { return !http::HttpRequestEngine(url).empty(); }};
    Contender floor{[&] { return !bare.request(url, nullptr).empty(); }};
    std::vector<Contender*> contenders{&engine, &floor};
#ifdef _WIN32
    bench::BareAsyncClient bareAsync;
    Contender asyncFloor{[&] { return !bareAsync.request(url, nullptr).empty(); }};
    contenders.push_back(&asyncFloor);
#endif
    constexpr int kBlocks = 10;
    for (int block = 0; block < kBlocks; ++block) {
        const int count = requests / kBlocks + (block < requests % kBlocks ? 1 : 0);
        for (Contender* contender : contenders) {
            contender->seconds += secondsOf([&] {
                for (int i = 0; i < count; ++i) {
                    contender->answered += contender->request() ? 1 : 0;
                }
            });
        }
    }
    std::printf("engine over %s: %d GETs (%d answered, first status \"%s\") in %.2f s: "
                "%.0f requests/s\n",
                transport, requests, engine.answered, status.c_str(), engine.seconds,
                requests / engine.seconds);
    std::printf("%s: %d GETs (%d answered) in %.2f s: %.0f requests/s\n", bench::kFloorName,
                requests, floor.answered, floor.seconds, requests / floor.seconds);
    std::printf("engine / floor throughput: %.2f (target >= 0.85)\n",
                floor.seconds / engine.seconds);
#ifdef _WIN32
    std::printf("%s: %d GETs (%d answered) in %.2f s: %.0f "
                "requests/s; engine / this floor: %.2f\n",
                bench::kAsyncFloorName, requests, asyncFloor.answered, asyncFloor.seconds,
                requests / asyncFloor.seconds, asyncFloor.seconds / engine.seconds);
#endif
    return engine.answered == requests && floor.answered == requests ? 0 : 1;
}
