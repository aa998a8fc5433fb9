// Prints: sequential GETs on loopback (a new connection each) through the engine and through a
// bare libcurl loop in the same run, and the peak memory of one 50 MB reply.
//
//   http_engine_bench [requests]            (default 2000)
//   http_engine_bench --peak <url> <bytes>  (internal: one request in a fresh process)

#include "http/engine.h"

#include <curl/curl.h>
#include <httplib.h>

#include <chrono>
#include <cstdio>
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>
#include <thread>

namespace {

using Clock = std::chrono::steady_clock;

constexpr std::size_t kLargeReply = 50U * 1024 * 1024;

// Resident and peak resident set of this process in bytes, from /proc.
std::size_t procStatusBytes(const std::string& key) {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.starts_with(key + ":")) {
            std::istringstream fields(line.substr(key.size() + 1));
            std::size_t kilobytes = 0;
            fields >> kilobytes;
            return kilobytes * 1024;
        }
    }
    return 0;
}

std::size_t collect(char* data, std::size_t size, std::size_t count, void* body) {
    static_cast<std::string*>(body)->append(data, size * count);
    return size * count;
}

// The baseline: one easy handle per request, the reply collected into a string.
bool bareCurlGet(const std::string& url) {
    CURL* easy = curl_easy_init();
    std::string body;
    curl_easy_setopt(easy, CURLOPT_URL, url.c_str());
    curl_easy_setopt(easy, CURLOPT_WRITEFUNCTION, &collect);
    curl_easy_setopt(easy, CURLOPT_WRITEDATA, &body);
    curl_easy_setopt(easy, CURLOPT_NOSIGNAL, 1L);
    const bool ok = curl_easy_perform(easy) == CURLE_OK && !body.empty();
    curl_easy_cleanup(easy);
    return ok;
}

bool engineGet(const std::string& url) {
    return !http::HttpRequestEngine(url).empty();
}

template <typename Get> double requestsPerSecond(Get get, const std::string& url, int count) {
    const auto start = Clock::now();
    for (int i = 0; i < count; ++i) {
        if (!get(url)) {
            std::cerr << "request failed: " << url << '\n';
            std::exit(1);
        }
    }
    return count / std::chrono::duration<double>(Clock::now() - start).count();
}

int peakChild(const std::string& url, bool keepBytes) {
    curl_global_init(CURL_GLOBAL_DEFAULT);
    const std::size_t before = procStatusBytes("VmRSS");
    runtime::ByteArray bytes;
    http::Text status;
    const http::Text text =
        http::HttpRequestEngine(url, 0, {}, nullptr, nullptr, {}, nullptr, false, {}, {}, {}, {},
                                {}, 0, nullptr, &status, keepBytes ? &bytes : nullptr);
    const std::size_t peak = procStatusBytes("VmHWM");
    if (text.size() != kLargeReply) {
        std::cerr << "short reply: " << text.size() << " bytes, " << status << '\n';
        return 1;
    }
    std::cout << (peak - before) << '\n';
    return 0;
}

std::string runPeakChild(const char* self, const std::string& url, bool keepBytes) {
    const std::string command =
        std::string(self) + " --peak '" + url + "' " + (keepBytes ? "1" : "0");
    FILE* pipe = popen(command.c_str(), "r");
    char line[64] = {};
    const bool read = pipe != nullptr && std::fgets(line, sizeof(line), pipe) != nullptr;
    if (pipe != nullptr) {
        pclose(pipe);
    }
    return read ? std::string(line) : std::string();
}

} // namespace

int main(int argc, char** argv) {
    if (argc == 4 && std::string(argv[1]) == "--peak") {
        return peakChild(argv[2], std::string(argv[3]) == "1");
    }
    const int requests = argc > 1 ? std::stoi(argv[1]) : 2000;

    httplib::Server server;
    server.Get("/small", [](const httplib::Request&, httplib::Response& response) {
        response.set_content("{\"ret\":0,\"data\":\"pool-01|pool-02|pool-03\"}", "text/plain");
    });
    const std::string large(kLargeReply, 'x');
    server.Get("/large", [&large](const httplib::Request&, httplib::Response& response) {
        response.set_content_provider(
            large.size(), "application/octet-stream",
            [&large](std::size_t offset, std::size_t length, httplib::DataSink& sink) {
                return sink.write(large.data() + offset, std::min<std::size_t>(length, 1 << 20));
            });
    });
    const int port = server.bind_to_any_port("127.0.0.1");
    std::thread serving([&server] { server.listen_after_bind(); });
    const std::string base = "http://127.0.0.1:" + std::to_string(port);

    curl_global_init(CURL_GLOBAL_DEFAULT);
    for (const bool keepBytes : {false, true}) {
        const std::string growth = runPeakChild(argv[0], base + "/large", keepBytes);
        const double ratio = growth.empty() ? 0.0 : std::stod(growth) / kLargeReply;
        std::printf("50 MB reply%s: peak memory growth %.1f MB = %.2f x the reply (target <= 3)\n",
                    keepBytes ? " with responseBytes" : "", ratio * kLargeReply / 1048576.0, ratio);
    }

    // Warm up, then alternate blocks so both loops meet the same machine load.
    requestsPerSecond(engineGet, base + "/small", 50);
    requestsPerSecond(bareCurlGet, base + "/small", 50);
    constexpr int kRounds = 4;
    double engineTotal = 0;
    double curlTotal = 0;
    for (int round = 0; round < kRounds; ++round) {
        engineTotal += requestsPerSecond(engineGet, base + "/small", requests / kRounds);
        curlTotal += requestsPerSecond(bareCurlGet, base + "/small", requests / kRounds);
    }
    const double engineRate = engineTotal / kRounds;
    const double curlRate = curlTotal / kRounds;
    std::printf("sequential GETs, new connection each, %d per loop:\n", requests);
    std::printf("  engine      %8.0f requests/s\n", engineRate);
    std::printf("  bare curl   %8.0f requests/s\n", curlRate);
    std::printf("  engine / bare curl = %.3f (target >= 0.85)\n", engineRate / curlRate);

    const auto start = Clock::now();
    const http::Text big = http::HttpRequestEngine(base + "/large");
    const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
    std::printf("50 MB reply through the engine: %.2f s (%.0f MB/s)\n", seconds,
                big.size() / 1048576.0 / seconds);

    const auto bareStart = Clock::now();
    bareCurlGet(base + "/large");
    const double bareSeconds = std::chrono::duration<double>(Clock::now() - bareStart).count();
    std::printf("50 MB reply through bare curl: %.2f s (%.0f MB/s)\n", bareSeconds,
                kLargeReply / 1048576.0 / bareSeconds);

    server.stop();
    serving.join();
    return 0;
}
