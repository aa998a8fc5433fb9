#pragma once
// The cells of consecutive list rows, row-major in one block: reading thousands of rows costs a
// few allocations instead of one or more per cell.

#include "runtime/text.h"

#include <cstddef>
#include <string_view>
#include <vector>

namespace runtime {

class RowTexts final {
public:
    RowTexts() = default;
    explicit RowTexts(int columns)
        : m_columns(columns > 0 ? static_cast<std::size_t>(columns) : 0) {}

    void reserve(std::size_t rows, std::size_t cellBytes) {
        m_ends.reserve(rows * m_columns);
        m_cells.reserve(cellBytes);
    }
    // Cells are added row by row, `columns` to a row.
    void addCell(std::string_view cell) {
        m_cells += cell;
        m_ends.push_back(m_cells.size());
    }

    int columns() const { return static_cast<int>(m_columns); }
    std::size_t rows() const { return m_columns == 0 ? 0 : m_ends.size() / m_columns; }
    bool empty() const { return rows() == 0; }
    // Empty for a row or column that was not read.
    std::string_view cell(std::size_t row, int column) const {
        if (row >= rows() || column < 0 || static_cast<std::size_t>(column) >= m_columns) {
            return {};
        }
        const std::size_t index = row * m_columns + static_cast<std::size_t>(column);
        const std::size_t start = index == 0 ? 0 : m_ends[index - 1];
        return std::string_view(m_cells).substr(start, m_ends[index] - start);
    }

private:
    std::size_t m_columns = 0;
    Text m_cells;
    std::vector<std::size_t> m_ends;
};

} // namespace runtime
