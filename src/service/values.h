#pragma once
// What the service tells, as values the operations hand on: the window only shows them, and the
// app keeps the last ones it showed (Snapshot). Texts are GBK.

#include "runtime/row_texts.h"
#include "runtime/state.h"
#include "runtime/text.h"
#include "service/requests.h"
#include "service/stats_record.h"

#include <chrono>
#include <expected>
#include <string_view>
#include <vector>

namespace service {

using runtime::Text;

// A port with pending work, from one "name|status-time" line of the port query.
struct PortRow {
    Text name;
    Text status; // percent-decoded, the part before the first "-"
    Text time;   // the part after it; empty when the status has no "-"
    bool operator==(const PortRow&) const = default;
};

// Port rows in one block of text: a listing of a million ports would otherwise cost three
// allocations a row, twice (the listing and the snapshot of it).
class PortRows final {
public:
    struct View {
        std::string_view name;
        std::string_view status;
        std::string_view time;
    };

    void add(std::string_view name, std::string_view status, std::string_view time) {
        for (const std::string_view cell : {name, status, time}) {
            m_cells += cell;
            m_ends.push_back(m_cells.size());
        }
    }
    std::size_t size() const { return m_ends.size() / 3; }
    bool empty() const { return m_ends.empty(); }
    View at(std::size_t row) const { return {cell(row * 3), cell(row * 3 + 1), cell(row * 3 + 2)}; }
    std::vector<PortRow> toVector() const {
        std::vector<PortRow> rows;
        rows.reserve(size());
        for (std::size_t row = 0; row < size(); ++row) {
            const View view = at(row);
            rows.push_back({Text(view.name), Text(view.status), Text(view.time)});
        }
        return rows;
    }

private:
    std::string_view cell(std::size_t index) const {
        const std::size_t start = index == 0 ? 0 : m_ends[index - 1];
        return std::string_view(m_cells).substr(start, m_ends[index] - start);
    }

    Text m_cells;
    std::vector<std::size_t> m_ends;
};

// A slot of a pool in which no card was detected.
struct SlotRow {
    Text slot;
    bool operator==(const SlotRow&) const = default;
};

// A pool's statistics record as its row shows it: the eleven cells after the pool's name.
struct PoolStatistics {
    Text pool;
    StatsCells cells;
    std::chrono::system_clock::time_point readAt;
};

// What came of lighting a port's LED: lit, or the reply of the last try that was not.
struct LedOutcome {
    Text port;
    runtime::LedDuration duration = runtime::LedDuration::TenMinutes;
    bool lit = false;
    Reply lastReply; // of the last try
};

// The port rows a deletion reports (name, status, time), as the list showed them when the
// operator started it: a port listing may rebuild the list while the requests run.
struct DeletionBatch {
    runtime::RowTexts rows{3};
};

// A request that did not succeed, or a successful reply that could not be read: the reply as it
// came, which requestFailedLine turns into the operator's line.
using ReadFailure = Reply;
template <typename Value> using Read = std::expected<Value, ReadFailure>;

} // namespace service
