#include "app/list_store.h"

#include "runtime/text.h"

#include <algorithm>
#include <utility>

namespace app {
namespace {

// Past this many structural changes the view resets instead of replaying them one by one.
constexpr std::size_t kJournalLimit = 256;

} // namespace

ListStore::ListStore(int columnCount) : m_columnCount(columnCount) {}

void ListStore::setOnFirstChange(std::function<void()> callback) {
    std::lock_guard lock(m_mutex);
    m_onFirstChange = std::move(callback);
}

int ListStore::rowCount() const {
    std::lock_guard lock(m_mutex);
    return static_cast<int>(m_rows.size());
}

bool ListStore::validCell(int row, int column) const {
    return row >= 0 && row < static_cast<int>(m_rows.size()) && column >= 0 &&
           column < m_columnCount;
}

runtime::Text ListStore::cell(int row, int column) const {
    std::lock_guard lock(m_mutex);
    if (!validCell(row, column)) {
        return {};
    }
    return m_rows[static_cast<std::size_t>(row)].cells[static_cast<std::size_t>(column)];
}

runtime::RowTexts ListStore::rows(int firstRow, int count, int columns) const {
    runtime::RowTexts result(columns);
    std::lock_guard lock(m_mutex);
    if (firstRow < 0 || firstRow >= static_cast<int>(m_rows.size()) || count <= 0 || columns <= 0) {
        return result;
    }
    const auto first = static_cast<std::size_t>(firstRow);
    const std::size_t end =
        first + std::min(static_cast<std::size_t>(count), m_rows.size() - first);
    std::size_t bytes = 0;
    for (std::size_t row = first; row < end; ++row) {
        for (const runtime::Text& cell : m_rows[row].cells) {
            bytes += cell.size();
        }
    }
    result.reserve(end - first, bytes);
    for (std::size_t row = first; row < end; ++row) {
        const auto& cells = m_rows[row].cells;
        for (int column = 0; column < columns; ++column) {
            result.addCell(column < m_columnCount
                               ? std::string_view(cells[static_cast<std::size_t>(column)])
                               : std::string_view{});
        }
    }
    return result;
}

void ListStore::setCell(int row, int column, std::string_view text) {
    bool first = false;
    {
        std::lock_guard lock(m_mutex);
        if (!validCell(row, column)) {
            return;
        }
        runtime::Text& cell =
            m_rows[static_cast<std::size_t>(row)].cells[static_cast<std::size_t>(column)];
        if (column == 0) {
            m_captions.captionChanged(cell, text);
        }
        cell = text;
        first = noteCells();
    }
    notify(first);
}

int ListStore::checkState(int row) const {
    std::lock_guard lock(m_mutex);
    if (!validCell(row, 0)) {
        return 0;
    }
    return m_rows[static_cast<std::size_t>(row)].checkState;
}

void ListStore::setCheckState(int row, int state) {
    bool first = false;
    {
        std::lock_guard lock(m_mutex);
        if (!validCell(row, 0)) {
            return;
        }
        m_rows[static_cast<std::size_t>(row)].checkState = state != 0 ? 1 : 0;
        first = noteCells();
    }
    notify(first);
}

bool ListStore::isGreyed(int row) const {
    std::lock_guard lock(m_mutex);
    return validCell(row, 0) && m_rows[static_cast<std::size_t>(row)].greyed;
}

void ListStore::setGreyed(int row, bool greyed) {
    bool first = false;
    {
        std::lock_guard lock(m_mutex);
        if (!validCell(row, 0)) {
            return;
        }
        Row& target = m_rows[static_cast<std::size_t>(row)];
        // The statistics watch restates every row's mark on each pass; only a change is news
        // for the view.
        if (target.greyed == greyed) {
            return;
        }
        target.greyed = greyed;
        first = noteCells();
    }
    notify(first);
}

int ListStore::appendRow(std::string_view caption) {
    bool first = false;
    int index = 0;
    {
        std::lock_guard lock(m_mutex);
        Row row;
        row.cells.resize(static_cast<std::size_t>(m_columnCount));
        if (m_columnCount > 0) {
            row.cells[0] = caption;
        }
        m_rows.push_back(std::move(row));
        index = static_cast<int>(m_rows.size()) - 1;
        if (m_columnCount > 0) {
            m_captions.appended(static_cast<std::size_t>(index), caption);
        }
        first = noteStructure({Change::Kind::Append, index, 1});
    }
    notify(first);
    return index;
}

void ListStore::deleteRow(int row) {
    bool first = false;
    {
        std::lock_guard lock(m_mutex);
        if (row < 0 || row >= static_cast<int>(m_rows.size())) {
            return;
        }
        const runtime::Text caption =
            m_columnCount > 0 ? std::move(m_rows[static_cast<std::size_t>(row)].cells[0])
                              : runtime::Text{};
        m_rows.erase(m_rows.begin() + row);
        m_captions.removed(static_cast<std::size_t>(row), m_rows.size(), caption);
        first = noteStructure({Change::Kind::Remove, row, 1});
    }
    notify(first);
}

void ListStore::deleteAll() {
    bool first = false;
    {
        std::lock_guard lock(m_mutex);
        m_rows.clear();
        m_captions.cleared();
        first = noteStructure({Change::Kind::Reset, 0, 0});
    }
    notify(first);
}

int ListStore::findRow(std::string_view caption) const {
    std::lock_guard lock(m_mutex);
    if (m_columnCount <= 0) {
        return -1;
    }
    return m_captions.find(caption, m_rows.size(), [this](std::size_t row) -> std::string_view {
        return m_rows[row].cells[0];
    });
}

ListStore::Pending ListStore::takePending() {
    std::lock_guard lock(m_mutex);
    Pending taken = std::exchange(m_pending, Pending{});
    taken.rowCount = static_cast<int>(m_rows.size());
    m_dirty = false;
    return taken;
}

bool ListStore::noteStructure(Change change) {
    auto& journal = m_pending.structure;
    const bool resetPending = !journal.empty() && journal.front().kind == Change::Kind::Reset;
    if (change.kind == Change::Kind::Reset || journal.size() >= kJournalLimit) {
        journal.assign(1, {Change::Kind::Reset, 0, 0});
    } else if (resetPending) {
        // The reset publishes the final row count, which already includes this change.
    } else if (change.kind == Change::Kind::Append && !journal.empty() &&
               journal.back().kind == Change::Kind::Append) {
        journal.back().count += change.count;
    } else {
        journal.push_back(change);
    }
    return !std::exchange(m_dirty, true);
}

bool ListStore::noteCells() {
    m_pending.cellsChanged = true;
    return !std::exchange(m_dirty, true);
}

void ListStore::notify(bool first) const {
    if (!first) {
        return;
    }
    std::function<void()> callback;
    {
        std::lock_guard lock(m_mutex);
        callback = m_onFirstChange;
    }
    if (callback) {
        callback();
    }
}

} // namespace app
