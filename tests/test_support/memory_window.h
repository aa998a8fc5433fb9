#pragma once
// An in-memory Window for headless tests of the service layer. Thread-safe; every control
// exists as soon as it is named. Test hooks read what the service wrote and prepare answers.

#include "runtime/caption_index.h"
#include "runtime/window.h"
#include "runtime/worker_owner.h"

#include <map>
#include <mutex>
#include <string>
#include <vector>

namespace runtime {

class MemoryWindow final : public Window {
public:
    MemoryWindow() = default;
    // Stops the workers started against it and waits for them.
    ~MemoryWindow() override;
    MemoryWindow(const MemoryWindow&) = delete;
    MemoryWindow& operator=(const MemoryWindow&) = delete;

    bool startWorker(WorkerRoutine routine, std::int32_t argument = 0) override;
    Text text(std::string_view control) override;
    void setText(std::string_view control, std::string_view text) override;
    bool isChecked(std::string_view control) override;
    void setLeft(std::string_view control, int left) override;
    void setVisible(std::string_view control, bool visible) override;
    void setDisabled(std::string_view control, bool disabled) override;
    void writeLine(std::string_view control, std::string_view line) override;

    int selectedRow(std::string_view list) override;
    int rowCount(std::string_view list) override;
    Text cellText(std::string_view list, int row, int column) override;
    RowTexts rowTexts(std::string_view list, int firstRow, int count, int columns) override;
    void setCellText(std::string_view list, int row, int column, std::string_view text) override;
    int checkState(std::string_view list, int row) override;
    void setCheckState(std::string_view list, int row, int state) override;
    int appendRow(std::string_view list, std::string_view caption) override;
    void deleteRow(std::string_view list, int row) override;
    void deleteAllRows(std::string_view list) override;
    int findRow(std::string_view list, std::string_view caption) override;
    void setRowGreyed(std::string_view list, int row, bool greyed) override;

    bool putOnClipboard(std::string_view text) override;
    Text inputBox(std::string_view prompt) override;
    void popUpMenu(std::string_view menuRoot) override;

    // Test hooks.
    void setChecked(std::string_view control, bool checked);
    void setSelectedRow(std::string_view list, int row);
    // Gives the list a fixed number of columns, as a real list view has; cells beyond it read
    // empty and take no writes. Without it any column >= 0 can be written.
    void setColumnCount(std::string_view list, int columns);
    int left(std::string_view control);
    bool isVisible(std::string_view control); // controls start visible
    bool isDisabled(std::string_view control);
    bool isRowGreyed(std::string_view list, int row);
    std::vector<Text> lines(std::string_view canvas);
    // Number of times the control went from enabled to disabled.
    int disableCount(std::string_view control);
    Text clipboard();
    void setClipboardAvailable(bool available);
    // The next inputBox calls answer these texts in order (then empty); prompts are recorded.
    void queueInputBoxAnswer(std::string_view answer);
    std::vector<Text> inputBoxPrompts();
    std::vector<std::string> poppedMenus();

private:
    struct Control {
        Text text;
        bool checked = false;
        int left = 0;
        bool visible = true;
        bool disabled = false;
        int disableCount = 0;
        std::vector<Text> lines;
    };
    struct Row {
        std::vector<Text> cells;
        int checkState = 0;
        bool greyed = false;
    };
    struct List {
        std::vector<Row> rows;
        int selectedRow = -1;
        int columnCount = 0; // 0: not fixed
        CaptionIndex captions;
    };

    Control& control(std::string_view name);
    List& list(std::string_view name);

    std::recursive_mutex m_mutex;
    std::map<std::string, Control, std::less<>> m_controls;
    std::map<std::string, List, std::less<>> m_lists;
    Text m_clipboard;
    bool m_clipboardAvailable = true;
    std::vector<Text> m_inputAnswers;
    std::vector<Text> m_inputPrompts;
    std::vector<std::string> m_poppedMenus;
    // Last, so that the workers stop before anything they use goes.
    WorkerOwner m_workers;
};

} // namespace runtime
