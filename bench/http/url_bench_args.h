#pragma once
// The command line of the benchmarks that send GETs to a running service: <url> [requests].

#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>

namespace bench {

struct UrlBenchArgs {
    std::string url;
    int requests = 0;
};

// The URL and the number of GETs (defaultRequests when absent); a usage line and nothing when
// the URL is missing.
inline std::optional<UrlBenchArgs> urlBenchArgs(int argc, char** argv, int defaultRequests) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s <url> [requests]\n", argv[0]);
        return std::nullopt;
    }
    return UrlBenchArgs{argv[1], argc > 2 ? std::atoi(argv[2]) : defaultRequests};
}

} // namespace bench
