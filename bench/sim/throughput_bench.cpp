// Figures for pooldesk-sim: small requests per second over a new loopback connection each,
// and the time to build a 20,000-port pending list.
#include "runtime/codepage.h"
#include "sim/generator.h"
#include "sim/replies.h"
#include "sim/simulator.h"
#include "sim/state.h"

#include <curl/curl.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <string>
#include <thread>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

double msSince(Clock::time_point start) {
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

std::size_t collect(char* data, std::size_t size, std::size_t count, void* out) {
    static_cast<std::string*>(out)->append(data, size * count);
    return size * count;
}

// count GETs of url, each on a fresh connection; the number that came back with status 200.
int fetchMany(const std::string& url, int count) {
    CURL* curl = curl_easy_init();
    std::string body;
    curl_easy_setopt(curl, CURLOPT_URL, url.c_str());
    curl_easy_setopt(curl, CURLOPT_FRESH_CONNECT, 1L);
    curl_easy_setopt(curl, CURLOPT_FORBID_REUSE, 1L);
    curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, collect);
    curl_easy_setopt(curl, CURLOPT_WRITEDATA, &body);
    int ok = 0;
    for (int i = 0; i < count; ++i) {
        body.clear();
        long status = 0;
        if (curl_easy_perform(curl) == CURLE_OK &&
            curl_easy_getinfo(curl, CURLINFO_RESPONSE_CODE, &status) == CURLE_OK && status == 200 &&
            !body.empty()) {
            ++ok;
        }
    }
    curl_easy_cleanup(curl);
    return ok;
}

void requestsPerSecond(int port, int clients, int perClient) {
    const auto url =
        "http://127.0.0.1:" + std::to_string(port) + "/sinterface/getUserInfo?ukey=demo-key";
    std::atomic<int> ok{0};
    const auto start = Clock::now();
    std::vector<std::thread> threads;
    for (int c = 0; c < clients; ++c) {
        threads.emplace_back([&] { ok += fetchMany(url, perClient); });
    }
    for (auto& t : threads) {
        t.join();
    }
    const double ms = msSince(start);
    std::printf("small requests, new connection each, %d client thread(s): %d/%d ok in %.0f ms = "
                "%.0f requests/s\n",
                clients, ok.load(), clients * perClient, ms, ok.load() * 1000.0 / ms);
}

} // namespace

int main() {
    curl_global_init(CURL_GLOBAL_DEFAULT);
    sim::Simulator simulator(sim::Options{.servicePorts = {0}, .demo = true});
    if (!simulator.start()) {
        std::fprintf(stderr, "cannot start: %s\n", simulator.error().c_str());
        return 1;
    }
    const int port = simulator.servicePorts().at(0);
    fetchMany("http://127.0.0.1:" + std::to_string(port) + "/sinterface/getUserInfo?ukey=x", 200);
    requestsPerSecond(port, 1, 20000);
    requestsPerSecond(port, 2, 10000);

    // 20,000 pending ports: state generation, the reply text, and the reply over HTTP.
    sim::ServiceState state;
    auto start = Clock::now();
    sim::generateState(state, "big", 200, 100, 42);
    const double generateMs = msSince(start);
    auto& pending = state.user("big").pending;
    pending.clear();
    const auto& statuses = sim::taskStatuses();
    for (const auto& pool : state.user("big").pools) {
        for (const auto& slot : pool.slots) {
            pending.push_back({slot.slot, statuses[pending.size() % statuses.size()], "12:34"});
        }
    }
    std::vector<double> replyMs;
    std::size_t replyBytes = 0;
    for (int i = 0; i < 20; ++i) {
        start = Clock::now();
        replyBytes = sim::portsReply(pending).size();
        replyMs.push_back(msSince(start));
    }
    std::sort(replyMs.begin(), replyMs.end());
    std::printf("generate 200 pools x 100 ports: %.1f ms\n", generateMs);
    std::printf("pending list of %zu ports (%zu bytes): median %.2f ms, worst %.2f ms of 20\n",
                pending.size(), replyBytes, replyMs[replyMs.size() / 2], replyMs.back());

    for (const auto& task : pending) {
        simulator.addPendingPort("big", task.port, task.status, task.time);
    }
    const auto url = "http://127.0.0.1:" + std::to_string(port) + "/sinterface/port/get?ukey=big";
    std::vector<double> httpMs;
    for (int i = 0; i < 20; ++i) {
        start = Clock::now();
        fetchMany(url, 1);
        httpMs.push_back(msSince(start));
    }
    std::sort(httpMs.begin(), httpMs.end());
    std::printf("GET of that pending list over loopback: median %.2f ms, worst %.2f ms of 20\n",
                httpMs[httpMs.size() / 2], httpMs.back());
    simulator.stop();
    curl_global_cleanup();
    return 0;
}
