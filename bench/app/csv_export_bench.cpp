// 导出CSV of 100,000 listed ports: the time to turn the list into CSV and write the file, and the
// memory the export takes at its peak next to the bytes it writes (Linux: /proc).
//
//   pooldesk_bench_app_csv_export [--rows 100000] [--runs 5]

#include "../offscreen_platform.h"
#include "../process_memory.h"
#include "../service/bench_args.h"
#include "app/csv_export.h"
#include "runtime/codepage.h"

#include <QApplication>
#include <QDir>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

int main(int argc, char** argv) {
    benchsupport::offscreenUnlessNamed();
    QApplication application(argc, argv);
    const int rows = benchargs::sizeOption(argc, argv, "rows", 100000);
    const int runs = benchargs::sizeOption(argc, argv, "runs", 5);

    app::ListModel list(
        QStringList{QStringLiteral("端口名"), QStringLiteral("状态"), QStringLiteral("时间")}, true,
        nullptr);
    const std::string status = runtime::gbk("未做TG");
    for (int i = 0; i < rows; ++i) {
        const int row = list.store().appendRow(runtime::gbk("卡池") + std::to_string(i / 100) +
                                               "." + std::to_string(i % 100));
        list.store().setCell(row, 1, status);
        list.store().setCell(row, 2, "2024-05-01 12:00:00");
    }
    const std::filesystem::path file =
        std::filesystem::path(QDir::tempPath().toStdString()) / "pooldesk-bench-export.csv";

    std::vector<double> times;
    std::size_t bytes = 0;
    long peakKilobytes = 0;
    for (int run = 0; run < runs; ++run) {
        const long before = benchsupport::residentKilobytes();
        benchsupport::resetPeakResident();
        const auto start = std::chrono::steady_clock::now();
        {
            const runtime::CsvWriter csv =
                app::csvOfList(list, runtime::CsvEncoding::Utf8WithBom, false);
            app::writeCsvFile(file, csv.bytes(), csv.rows() - 1);
            bytes = csv.bytes().size();
        }
        times.push_back(
            std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
                .count());
        peakKilobytes = std::max(peakKilobytes, benchsupport::peakResidentKilobytes() - before);
    }
    std::filesystem::remove(file);
    std::sort(times.begin(), times.end());
    std::printf("CSV export of %d listed ports (UTF-8), median of %d runs: %.1f ms "
                "(target <= 1000 ms)\n",
                rows, runs, times[times.size() / 2]);
    std::printf("bytes written %zu; peak memory added by the export %ld kB = %.2fx the bytes "
                "(target <= 1.5x)\n",
                bytes, peakKilobytes, peakKilobytes * 1024.0 / static_cast<double>(bytes));
    return 0;
}
