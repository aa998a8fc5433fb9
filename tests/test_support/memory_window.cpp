#include "test_support/memory_window.h"

#include <algorithm>
#include <cstdint>

namespace runtime {

MemoryWindow::~MemoryWindow() {
    m_workers.stopAndWait();
}

bool MemoryWindow::startWorker(WorkerRoutine routine, std::int32_t argument) {
    return m_workers.start(std::move(routine), argument);
}

namespace {

using Lock = std::scoped_lock<std::recursive_mutex>;

template <class T> bool isRowOf(const std::vector<T>& rows, int row) {
    return row >= 0 && static_cast<std::size_t>(row) < rows.size();
}

} // namespace

MemoryWindow::Control& MemoryWindow::control(std::string_view name) {
    auto found = m_controls.find(name);
    if (found == m_controls.end()) {
        found = m_controls.emplace(std::string(name), Control{}).first;
    }
    return found->second;
}

MemoryWindow::List& MemoryWindow::list(std::string_view name) {
    auto found = m_lists.find(name);
    if (found == m_lists.end()) {
        found = m_lists.emplace(std::string(name), List{}).first;
    }
    return found->second;
}

Text MemoryWindow::text(std::string_view control) {
    const Lock lock(m_mutex);
    return this->control(control).text;
}

void MemoryWindow::setText(std::string_view control, std::string_view text) {
    const Lock lock(m_mutex);
    this->control(control).text = Text(text);
}

bool MemoryWindow::isChecked(std::string_view control) {
    const Lock lock(m_mutex);
    return this->control(control).checked;
}

void MemoryWindow::setLeft(std::string_view control, int left) {
    const Lock lock(m_mutex);
    this->control(control).left = left;
}

void MemoryWindow::setVisible(std::string_view control, bool visible) {
    const Lock lock(m_mutex);
    this->control(control).visible = visible;
}

void MemoryWindow::setDisabled(std::string_view control, bool disabled) {
    const Lock lock(m_mutex);
    Control& target = this->control(control);
    if (disabled && !target.disabled) {
        ++target.disableCount;
    }
    target.disabled = disabled;
}

void MemoryWindow::writeLine(std::string_view control, std::string_view line) {
    const Lock lock(m_mutex);
    this->control(control).lines.emplace_back(line);
}

int MemoryWindow::selectedRow(std::string_view list) {
    const Lock lock(m_mutex);
    return this->list(list).selectedRow;
}

int MemoryWindow::rowCount(std::string_view list) {
    const Lock lock(m_mutex);
    return static_cast<int>(this->list(list).rows.size());
}

Text MemoryWindow::cellText(std::string_view list, int row, int column) {
    const Lock lock(m_mutex);
    const List& target = this->list(list);
    if (!isRowOf(target.rows, row) || column < 0 ||
        (target.columnCount > 0 && column >= target.columnCount)) {
        return {};
    }
    const auto& cells = target.rows[static_cast<std::size_t>(row)].cells;
    return static_cast<std::size_t>(column) < cells.size() ? cells[static_cast<std::size_t>(column)]
                                                           : Text{};
}

RowTexts MemoryWindow::rowTexts(std::string_view list, int firstRow, int count, int columns) {
    const Lock lock(m_mutex);
    const List& target = this->list(list);
    RowTexts rows(columns);
    if (!isRowOf(target.rows, firstRow) || count <= 0 || columns <= 0) {
        return rows;
    }
    const std::size_t first = static_cast<std::size_t>(firstRow);
    const std::size_t end =
        first + std::min(static_cast<std::size_t>(count), target.rows.size() - first);
    const std::size_t readable =
        target.columnCount > 0 ? static_cast<std::size_t>(target.columnCount) : SIZE_MAX;
    for (std::size_t row = first; row < end; ++row) {
        const auto& cells = target.rows[row].cells;
        for (std::size_t column = 0; column < static_cast<std::size_t>(columns); ++column) {
            rows.addCell(column < cells.size() && column < readable
                             ? std::string_view(cells[column])
                             : std::string_view{});
        }
    }
    return rows;
}

void MemoryWindow::setCellText(std::string_view list, int row, int column, std::string_view text) {
    const Lock lock(m_mutex);
    List& target = this->list(list);
    if (!isRowOf(target.rows, row) || column < 0 ||
        (target.columnCount > 0 && column >= target.columnCount)) {
        return;
    }
    auto& cells = target.rows[static_cast<std::size_t>(row)].cells;
    if (static_cast<std::size_t>(column) >= cells.size()) {
        cells.resize(static_cast<std::size_t>(column) + 1);
    }
    if (column == 0) {
        target.captions.captionChanged(cells.front(), text);
    }
    cells[static_cast<std::size_t>(column)] = Text(text);
}

int MemoryWindow::checkState(std::string_view list, int row) {
    const Lock lock(m_mutex);
    const List& target = this->list(list);
    return isRowOf(target.rows, row) ? target.rows[static_cast<std::size_t>(row)].checkState : 0;
}

void MemoryWindow::setCheckState(std::string_view list, int row, int state) {
    const Lock lock(m_mutex);
    List& target = this->list(list);
    if (isRowOf(target.rows, row)) {
        target.rows[static_cast<std::size_t>(row)].checkState = state != 0 ? 1 : 0;
    }
}

int MemoryWindow::appendRow(std::string_view list, std::string_view caption) {
    const Lock lock(m_mutex);
    List& target = this->list(list);
    target.rows.push_back(Row{{Text(caption)}, 0, false});
    const std::size_t row = target.rows.size() - 1;
    target.captions.appended(row, caption);
    return static_cast<int>(row);
}

void MemoryWindow::deleteRow(std::string_view list, int row) {
    const Lock lock(m_mutex);
    List& target = this->list(list);
    if (!isRowOf(target.rows, row)) {
        return;
    }
    const Text caption = std::move(target.rows[static_cast<std::size_t>(row)].cells.front());
    target.rows.erase(target.rows.begin() + row);
    target.captions.removed(static_cast<std::size_t>(row), target.rows.size(), caption);
    if (target.selectedRow == row) {
        target.selectedRow = -1;
    } else if (target.selectedRow > row) {
        --target.selectedRow;
    }
}

void MemoryWindow::deleteAllRows(std::string_view list) {
    const Lock lock(m_mutex);
    List& target = this->list(list);
    target.rows.clear();
    target.captions.cleared();
    target.selectedRow = -1;
}

int MemoryWindow::findRow(std::string_view list, std::string_view caption) {
    const Lock lock(m_mutex);
    List& target = this->list(list);
    return target.captions.find(
        caption, target.rows.size(),
        [&target](std::size_t row) -> std::string_view { return target.rows[row].cells.front(); });
}

void MemoryWindow::setRowGreyed(std::string_view list, int row, bool greyed) {
    const Lock lock(m_mutex);
    List& target = this->list(list);
    if (isRowOf(target.rows, row)) {
        target.rows[static_cast<std::size_t>(row)].greyed = greyed;
    }
}

bool MemoryWindow::putOnClipboard(std::string_view text) {
    const Lock lock(m_mutex);
    if (!m_clipboardAvailable) {
        return false;
    }
    m_clipboard = Text(text);
    return true;
}

Text MemoryWindow::inputBox(std::string_view prompt) {
    const Lock lock(m_mutex);
    m_inputPrompts.emplace_back(prompt);
    if (m_inputAnswers.empty()) {
        return {};
    }
    Text answer = std::move(m_inputAnswers.front());
    m_inputAnswers.erase(m_inputAnswers.begin());
    return answer;
}

void MemoryWindow::popUpMenu(std::string_view menuRoot) {
    const Lock lock(m_mutex);
    m_poppedMenus.emplace_back(menuRoot);
}

void MemoryWindow::setChecked(std::string_view control, bool checked) {
    const Lock lock(m_mutex);
    this->control(control).checked = checked;
}

void MemoryWindow::setSelectedRow(std::string_view list, int row) {
    const Lock lock(m_mutex);
    List& target = this->list(list);
    target.selectedRow = isRowOf(target.rows, row) ? row : -1;
}

void MemoryWindow::setColumnCount(std::string_view list, int columns) {
    const Lock lock(m_mutex);
    this->list(list).columnCount = std::max(columns, 0);
}

int MemoryWindow::left(std::string_view control) {
    const Lock lock(m_mutex);
    return this->control(control).left;
}

bool MemoryWindow::isVisible(std::string_view control) {
    const Lock lock(m_mutex);
    return this->control(control).visible;
}

bool MemoryWindow::isDisabled(std::string_view control) {
    const Lock lock(m_mutex);
    return this->control(control).disabled;
}

bool MemoryWindow::isRowGreyed(std::string_view list, int row) {
    const Lock lock(m_mutex);
    const List& target = this->list(list);
    return isRowOf(target.rows, row) && target.rows[static_cast<std::size_t>(row)].greyed;
}

std::vector<Text> MemoryWindow::lines(std::string_view canvas) {
    const Lock lock(m_mutex);
    return this->control(canvas).lines;
}

int MemoryWindow::disableCount(std::string_view control) {
    const Lock lock(m_mutex);
    return this->control(control).disableCount;
}

Text MemoryWindow::clipboard() {
    const Lock lock(m_mutex);
    return m_clipboard;
}

void MemoryWindow::setClipboardAvailable(bool available) {
    const Lock lock(m_mutex);
    m_clipboardAvailable = available;
}

void MemoryWindow::queueInputBoxAnswer(std::string_view answer) {
    const Lock lock(m_mutex);
    m_inputAnswers.emplace_back(answer);
}

std::vector<Text> MemoryWindow::inputBoxPrompts() {
    const Lock lock(m_mutex);
    return m_inputPrompts;
}

std::vector<std::string> MemoryWindow::poppedMenus() {
    const Lock lock(m_mutex);
    return m_poppedMenus;
}

} // namespace runtime
