#pragma once
// "导出CSV…": a list as the operator sees it (its column captions, its rows; for the statistics
// list also whether each row is greyed as out of date), written as CSV to a file the operator
// picks. The file is written beside its place and moved there, so a failed write leaves an
// earlier file as it was.

#include "app/list_model.h"
#include "runtime/csv.h"
#include "runtime/window.h"

#include <QWidget>

#include <filesystem>
#include <string>

namespace app {

// The list's captions and rows, a block of rows at a time; with withGreyedColumn a last column
// "已过期" says "是" for a greyed row.
runtime::CsvWriter csvOfList(ListModel& list, runtime::CsvEncoding encoding, bool withGreyedColumn);

// Writes the bytes to path; the log line that says how it went (GBK).
runtime::Text writeCsvFile(const std::filesystem::path& path, const std::string& bytes,
                           std::size_t rows);

// Asks where to (UTF-8 with a byte order mark by default, GBK as a choice), writes the list and
// says so in the log panel; nothing when the operator cancels.
void exportListAsCsv(QWidget& parent, runtime::Window& window, ListModel& list,
                     bool withGreyedColumn);

} // namespace app
