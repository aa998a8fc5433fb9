// 导出CSV on the real window's lists: what the file holds, and a failed write.
#include "app/csv_export.h"
#include "runtime/codepage.h"
#include "runtime/controls.h"
#include "test_support/window_fixture.h"

#include <filesystem>
#include <fstream>
#include <sstream>

namespace app::testing {
namespace {

using runtime::gbk;

std::string contentOf(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

class CsvExportTest : public WindowTest {
protected:
    ListModel& statisticsList() {
        return *mainWindow().qtWindow().controls().lists.at(
            std::string(controls::kPoolSummaryList));
    }
    std::filesystem::path folder() const { return m_folder.path().toStdString(); }
};

TEST_F(CsvExportTest, StatisticsRowsWithTheirTimeAndGreyedState) {
    for (const char* pool : {"A1", "=B2"}) {
        const int row = window().appendRow(controls::kPoolSummaryList, gbk(pool));
        window().setCellText(controls::kPoolSummaryList, row, 1, "7");
        window().setCellText(controls::kPoolSummaryList, row, 12, "12:00:05");
    }
    window().setRowGreyed(controls::kPoolSummaryList, 1, true);

    const runtime::CsvWriter csv =
        csvOfList(statisticsList(), runtime::CsvEncoding::Utf8WithBom, true);
    const std::filesystem::path file = folder() / "statistics.csv";
    EXPECT_EQ(writeCsvFile(file, csv.bytes(), csv.rows() - 1),
              gbk("导出CSV：2 行已写入 ") + gbk(file.string()));

    std::istringstream lines(contentOf(file));
    std::string header, first, second;
    std::getline(lines, header);
    std::getline(lines, first);
    std::getline(lines, second);
    EXPECT_TRUE(header.starts_with("\xEF\xBB\xBF")) << header;
    EXPECT_TRUE(header.ends_with(",已过期\r")) << header;
    EXPECT_EQ(first, "A1,7,,,,,,,,,,,12:00:05,\r");
    EXPECT_EQ(second, "'=B2,7,,,,,,,,,,,12:00:05,是\r");
}

TEST_F(CsvExportTest, AFailedWriteLeavesTheEarlierFileAndSaysSo) {
    const std::filesystem::path file = folder() / "ports.csv";
    std::ofstream(file, std::ios::binary) << "earlier";
    using std::filesystem::perms;
    std::filesystem::permissions(file, perms::owner_read | perms::group_read | perms::others_read);
    const runtime::Text line = writeCsvFile(file, "new", 1);
    EXPECT_TRUE(line.starts_with(gbk("导出CSV失败："))) << line;
    EXPECT_EQ(contentOf(file), "earlier");
    std::filesystem::permissions(file, perms::owner_write, std::filesystem::perm_options::add);
    // No folder to write the file in.
    const runtime::Text missing = writeCsvFile(folder() / "missing" / "ports.csv", "new", 1);
    EXPECT_TRUE(missing.starts_with(gbk("导出CSV失败："))) << missing;
}

} // namespace
} // namespace app::testing
