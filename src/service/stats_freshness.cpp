#include "service/stats_freshness.h"

#include "runtime/codepage.h"

#include <chrono>
#include <cstdio>
#include <ctime>
#include <mutex>

namespace service {

using runtime::gbk;
using runtime::Text;

Text localTimeOfDay() {
    const std::time_t now = std::chrono::system_clock::to_time_t(std::chrono::system_clock::now());
    // std::localtime shares one buffer between callers (the watch may run on several threads),
    // and looks at the time zone on every call: a pass stamps hundreds of records within the same
    // second, so the text is made once per second.
    static std::mutex cacheMutex;
    static std::time_t cachedSecond = -1;
    static char cachedText[16] = {};
    const std::lock_guard lock(cacheMutex);
    if (now != cachedSecond) {
        const std::tm local = *std::localtime(&now);
        std::snprintf(cachedText, sizeof cachedText, "%02d:%02d:%02d", local.tm_hour, local.tm_min,
                      local.tm_sec);
        cachedSecond = now;
    }
    return cachedText;
}

StatsFreshness::StatsFreshness(std::function<Text()> clock) : m_clock(std::move(clock)) {}

StatsFreshness::Pool& StatsFreshness::meet(std::string_view pool) {
    auto found = m_pools.find(pool);
    if (found == m_pools.end()) {
        found = m_pools.emplace(std::string(pool), Pool{}).first;
    }
    return found->second;
}

std::optional<Text> StatsFreshness::recordRead(std::string_view pool) {
    Pool& state = meet(pool);
    const bool wasStale = state.failedPasses >= kStaleAfterFailures;
    state.lastGoodTime = m_clock();
    state.failedPasses = 0;
    state.seenInPass = m_pass;
    if (!wasStale) {
        return std::nullopt;
    }
    return runtime::concat(
        {gbk("卡池 "), pool, gbk(" 的统计已恢复，显示的是 "), *state.lastGoodTime, gbk(" 的数据")});
}

std::optional<Text> StatsFreshness::readFailed(std::string_view pool, std::string_view reason) {
    Pool& state = meet(pool);
    // A pool listed twice fails once per pass, not once per row, and is reported once.
    const bool firstRowThisPass = state.seenInPass != m_pass;
    state.seenInPass = m_pass;
    if (!firstRowThisPass) {
        return std::nullopt;
    }
    if (++state.failedPasses != kStaleAfterFailures) {
        return std::nullopt;
    }
    const Text shown =
        state.lastGoodTime
            ? runtime::concat({gbk("显示的仍是 "), *state.lastGoodTime, gbk(" 的数据")})
            : gbk("还从未读到过数据");
    return runtime::concat({gbk("卡池 "), pool, gbk(" 的统计已连续 "),
                            runtime::toText(state.failedPasses), gbk(" 次读取失败（"), reason,
                            gbk("），"), shown});
}

bool StatsFreshness::isStale(std::string_view pool) const {
    const auto found = m_pools.find(pool);
    return found != m_pools.end() && found->second.failedPasses >= kStaleAfterFailures;
}

Text StatsFreshness::shownTime(std::string_view pool) const {
    const auto found = m_pools.find(pool);
    if (found == m_pools.end() || !found->second.lastGoodTime) {
        return gbk("从未读到");
    }
    return *found->second.lastGoodTime;
}

void StatsFreshness::endPass() {
    std::erase_if(m_pools, [this](const auto& entry) { return entry.second.seenInPass != m_pass; });
    ++m_pass;
}

} // namespace service
