// Prints: sequential GETs through the engine against a running service (pooldesk-sim), each
// call with its own connection as the engine makes them. Built for every platform, so the
// same figure comes from libcurl on Linux and from WinHTTP on Windows (or under Wine).
//
//   http_engine_throughput_bench <url> [requests]   (default 1000)

#include "http/engine.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>

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
    int answered = 0;
    const auto start = std::chrono::steady_clock::now();
    for (int i = 0; i < requests; ++i) {
        answered += http::HttpRequestEngine(url).empty() ? 0 : 1;
    }
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    std::printf("engine over %s: %d GETs (%d answered, first status \"%s\") in %.2f s: "
                "%.0f requests/s\n",
                transport, requests, answered, status.c_str(), seconds, requests / seconds);
    return answered == requests ? 0 : 1;
}
