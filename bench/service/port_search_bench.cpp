// Search over the last port query of 30 pools holding 100,000 ports together, as a keystroke
// runs it: each prefix of a typed text searched anew. Prints the time per keystroke and the
// number of matches.
#include "runtime/codepage.h"
#include "service/port_search.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

namespace {

constexpr int kPools = 30;
constexpr int kPorts = 100000;

std::vector<service::PoolPorts> makePools() {
    std::vector<service::PoolPorts> pools(kPools);
    const runtime::Text statuses[] = {runtime::gbk("未做TG"), runtime::gbk("已做GG"),
                                      runtime::gbk("注册超时"), "OK"};
    for (int pool = 0; pool < kPools; ++pool) {
        pools[pool].pool = runtime::gbk("卡池") + std::to_string(pool);
    }
    for (int port = 0; port < kPorts; ++port) {
        service::PoolPorts& pool = pools[port % kPools];
        pool.rows.add(pool.pool + "." + std::to_string(port), statuses[port % 4],
                      "2026-12-10 12:00:00");
    }
    return pools;
}

} // namespace

int main() {
    const std::vector<service::PoolPorts> pools = makePools();
    const runtime::Text typed[] = {runtime::gbk("未做tg"), runtime::gbk("卡池17.99"), "ok"};
    for (const runtime::Text& text : typed) {
        // Each keystroke: one more character of the text (a GBK character is two bytes).
        for (std::size_t length = 1; length <= text.size(); ++length) {
            const std::string_view prefix = std::string_view(text).substr(0, length);
            const auto start = std::chrono::steady_clock::now();
            const std::vector<service::PortMatch> matches = service::searchPorts(pools, prefix);
            const double ms =
                std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
                    .count();
            std::printf("%-12s %7zu matches  %6.2f ms\n", runtime::gbkToUtf8(prefix).c_str(),
                        matches.size(), ms);
        }
    }
    return 0;
}
