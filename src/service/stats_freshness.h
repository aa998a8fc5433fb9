#pragma once
// What the statistics watch remembers of each pool between its passes: when the pool's record
// was last read and how many passes in a row it could not be. A pool is stale from its second
// failed pass on; its row then shows the time of its last good record and is greyed, and the
// log panel hears about it once per outage. Keyed by pool name, as rows come and go between
// passes.

#include "runtime/text.h"

#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <string_view>

namespace service {

// The local time of day now, "HH:MM:SS".
runtime::Text localTimeOfDay();

class StatsFreshness final {
public:
    // Passes in a row without a good record after which a pool's row is marked stale.
    static constexpr int kStaleAfterFailures = 2;

    // clock gives the time of day a good record is stamped with.
    explicit StatsFreshness(std::function<runtime::Text()> clock = localTimeOfDay);

    // A good record of pool was read. Returns the line for the log panel when that ends an
    // outage.
    std::optional<runtime::Text> recordRead(std::string_view pool);
    // The record of pool could not be read this pass, for reason (GBK). Returns the line for
    // the log panel when this failure makes the pool stale.
    std::optional<runtime::Text> readFailed(std::string_view pool, std::string_view reason);

    bool isStale(std::string_view pool) const;
    // What the row's time column shows: the time of the last good record, or that there never
    // was one.
    runtime::Text shownTime(std::string_view pool) const;

    // Ends a pass: pools whose rows it did not meet are forgotten, so that a pool listed again
    // later starts afresh and the state does not grow with every pool ever listed.
    void endPass();

private:
    struct Pool {
        std::optional<runtime::Text> lastGoodTime;
        int failedPasses = 0;
        std::uint64_t seenInPass = 0;
    };

    Pool& meet(std::string_view pool);

    std::function<runtime::Text()> m_clock;
    std::map<std::string, Pool, std::less<>> m_pools;
    std::uint64_t m_pass = 1;
};

} // namespace service
