#pragma once
// The Window facade: every operation the service code performs on the main window, addressed
// by layout name (controls.h). Callable from any thread; each call acts on the window at once
// and a read after a write sees it. Texts are GBK. Rows and columns are 0-based; an operation on
// a row, column or control that does not exist reads as empty / 0 / -1 and writes nothing.

#include "runtime/row_texts.h"
#include "runtime/text.h"
#include "runtime/threads.h"

#include <algorithm>

#include <string_view>

namespace runtime {

class Window {
public:
    virtual ~Window() = default;

    // Starts a worker that acts on this window. The window owns its workers: before it goes it
    // asks them to stop and waits for them.
    virtual bool startWorker(WorkerRoutine routine, std::int32_t argument = 0) = 0;

    // Edit boxes and labels.
    virtual Text text(std::string_view control) = 0;
    virtual void setText(std::string_view control, std::string_view text) = 0;
    // Radio buttons: true when checked.
    virtual bool isChecked(std::string_view control) = 0;
    virtual void setLeft(std::string_view control, int left) = 0;
    virtual void setVisible(std::string_view control, bool visible) = 0;
    virtual void setDisabled(std::string_view control, bool disabled) = 0;
    // Canvas: one new line below the previous one, scrolling up when it would not fit.
    virtual void writeLine(std::string_view control, std::string_view line) = 0;

    // List views.
    virtual int selectedRow(std::string_view list) = 0;
    virtual int rowCount(std::string_view list) = 0;
    virtual Text cellText(std::string_view list, int row, int column) = 0;
    // Rows firstRow.. of those that exist, at most count, each with `columns` cells (cells the
    // list does not have read empty); nothing when firstRow < 0 or columns <= 0. Reading many
    // rows this way costs one look-up and a few allocations instead of some per cell.
    virtual RowTexts rowTexts(std::string_view list, int firstRow, int count, int columns) {
        RowTexts rows(columns);
        if (firstRow < 0 || count <= 0 || columns <= 0) {
            return rows;
        }
        const int end = firstRow + std::min(count, rowCount(list) - firstRow);
        for (int row = firstRow; row < end; ++row) {
            for (int column = 0; column < columns; ++column) {
                rows.addCell(cellText(list, row, column));
            }
        }
        return rows;
    }
    virtual void setCellText(std::string_view list, int row, int column, std::string_view text) = 0;
    virtual int checkState(std::string_view list, int row) = 0;
    virtual void setCheckState(std::string_view list, int row, int state) = 0;
    // Adds a row whose column 0 is caption; returns its index.
    virtual int appendRow(std::string_view list, std::string_view caption) = 0;
    virtual void deleteRow(std::string_view list, int row) = 0;
    virtual void deleteAllRows(std::string_view list) = 0;
    // First row whose column 0 equals caption as a whole, ASCII case ignored; -1 when none.
    virtual int findRow(std::string_view list, std::string_view caption) = 0;
    // A greyed row draws its text in the disabled colour: what it shows is out of date. The mark
    // belongs to the row, so it leaves with the row; new rows start ungreyed.
    virtual void setRowGreyed(std::string_view list, int row, bool greyed) = 0;

    // Empties the clipboard and stores text as plain text; false when it cannot be opened.
    virtual bool putOnClipboard(std::string_view text) = 0;
    // Modal prompt with an edit field; the typed text, or empty when cancelled.
    virtual Text inputBox(std::string_view prompt) = 0;
    // Pops the menu root ("c" or "c1") up at the cursor, offset +3, +3.
    virtual void popUpMenu(std::string_view menuRoot) = 0;
};

} // namespace runtime
