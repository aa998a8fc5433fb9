#include "app/csv_export.h"

#include "app/qt_text.h"
#include "runtime/codepage.h"
#include "runtime/controls.h"
#include "runtime/profile_file.h"

#include <QFileDialog>

#include <vector>

namespace app {

namespace {

constexpr int kRowsPerBlock = 1000;

const QString kUtf8Filter = QStringLiteral("CSV UTF-8 (*.csv)");
const QString kGbkFilter = QStringLiteral("CSV GBK (*.csv)");

} // namespace

runtime::CsvWriter csvOfList(ListModel& list, runtime::CsvEncoding encoding,
                             bool withGreyedColumn) {
    const ListStore& store = list.store();
    const int columns = store.columnCount();
    const runtime::Text greyedCaption = runtime::gbk("已过期");
    const runtime::Text yes = runtime::gbk("是");
    std::vector<runtime::Text> captions;
    for (int column = 0; column < columns; ++column) {
        captions.push_back(
            toGbk(list.headerData(column, Qt::Horizontal, Qt::DisplayRole).toString()));
    }
    if (withGreyedColumn) {
        captions.push_back(greyedCaption);
    }
    runtime::CsvWriter csv(encoding);
    std::vector<std::string_view> fields(captions.begin(), captions.end());
    csv.addRow(fields);
    // Read a block at a time: a copy of the whole list would cost as much memory as the file.
    const int total = store.rowCount();
    for (int first = 0; first < total; first += kRowsPerBlock) {
        const runtime::RowTexts block = store.rows(first, kRowsPerBlock, columns);
        for (std::size_t row = 0; row < block.rows(); ++row) {
            fields.clear();
            for (int column = 0; column < columns; ++column) {
                fields.push_back(block.cell(row, column));
            }
            if (withGreyedColumn) {
                const bool greyed = store.isGreyed(first + static_cast<int>(row));
                fields.push_back(greyed ? std::string_view(yes) : std::string_view());
            }
            const std::size_t before = csv.bytes().size();
            csv.addRow(fields);
            if (first == 0 && row == 0) {
                // Sized once from the first row, so the buffer is not copied as it grows.
                const auto perRow = csv.bytes().size() - before;
                csv.reserve(csv.bytes().size() +
                            perRow * static_cast<std::size_t>(total) * 11 / 10);
            }
        }
    }
    return csv;
}

runtime::Text writeCsvFile(const std::filesystem::path& path, const std::string& bytes,
                           std::size_t rows) {
    const runtime::Text shownPath = toGbk(QString::fromStdU16String(path.u16string()));
    if (runtime::replaceProfileFile(path, bytes) != runtime::ProfileReplaceResult::Replaced) {
        return runtime::concat({runtime::gbk("导出CSV失败：无法写入 "), shownPath,
                                runtime::gbk("（原有文件未改动）")});
    }
    return runtime::concat({runtime::gbk("导出CSV："),
                            runtime::toText(static_cast<long long>(rows)),
                            runtime::gbk(" 行已写入 "), shownPath});
}

void exportListAsCsv(QWidget& parent, runtime::Window& window, ListModel& list,
                     bool withGreyedColumn) {
    QString filter = kUtf8Filter;
    const QString file =
        QFileDialog::getSaveFileName(&parent, QStringLiteral("导出CSV"), QString(),
                                     kUtf8Filter + QStringLiteral(";;") + kGbkFilter, &filter);
    if (file.isEmpty()) {
        return;
    }
    const auto encoding =
        filter == kGbkFilter ? runtime::CsvEncoding::Gbk : runtime::CsvEncoding::Utf8WithBom;
    const runtime::CsvWriter csv = csvOfList(list, encoding, withGreyedColumn);
    window.writeLine(controls::kLogPanel,
                     writeCsvFile(filePathOf(file), csv.bytes(), csv.rows() - 1));
}

} // namespace app
