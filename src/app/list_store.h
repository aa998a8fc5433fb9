#pragma once
// The rows of one list view, owned by the list and changed at once from any thread. The view
// does not see a change when it happens: the store keeps a journal of what changed since the
// view last caught up, and the view replays it at frame rate (list_model.h).

#include "runtime/caption_index.h"
#include "runtime/row_texts.h"
#include "runtime/text.h"

#include <functional>
#include <mutex>
#include <string_view>
#include <vector>

namespace app {

class ListStore final {
public:
    struct Change {
        enum class Kind { Append, Remove, Reset };
        Kind kind;
        int row;   // Remove: the removed row
        int count; // Append: rows added at the end
    };
    struct Pending {
        std::vector<Change> structure;
        bool cellsChanged = false;
        int rowCount = 0;
    };

    explicit ListStore(int columnCount);

    // Called (outside the lock, on the changing thread) when a change arrives while nothing was
    // pending: the owner schedules the view's catch-up.
    void setOnFirstChange(std::function<void()> callback);

    int columnCount() const { return m_columnCount; }
    int rowCount() const;
    runtime::Text cell(int row, int column) const;
    // Rows firstRow.. of those that exist, at most count, `columns` cells each (missing ones
    // empty), read under one lock.
    runtime::RowTexts rows(int firstRow, int count, int columns) const;
    void setCell(int row, int column, std::string_view text);
    int checkState(int row) const;
    void setCheckState(int row, int state);
    bool isGreyed(int row) const;
    void setGreyed(int row, bool greyed);
    int appendRow(std::string_view caption);
    void deleteRow(int row);
    void deleteAll();
    // First row whose caption matches ignoring ASCII case, or -1; without scanning the rows.
    int findRow(std::string_view caption) const;

    // The journal since the last call, emptied.
    Pending takePending();

private:
    struct Row {
        std::vector<runtime::Text> cells;
        int checkState = 0;
        bool greyed = false;
    };

    bool validCell(int row, int column) const;
    // Records the change; true when it is the first since the last takePending.
    bool noteStructure(Change change);
    bool noteCells();
    void notify(bool first) const;

    const int m_columnCount;
    mutable std::mutex m_mutex;
    std::vector<Row> m_rows;
    mutable runtime::CaptionIndex m_captions; // built by the first findRow
    Pending m_pending;
    bool m_dirty = false;
    std::function<void()> m_onFirstChange;
};

} // namespace app
