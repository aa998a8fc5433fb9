// 20,000 rows appended to the port list the way the port listing does it (a row, then two
// cells), from a worker through the facade, against the same rows appended on the GUI thread:
// through the facade, and straight into a standard item model. Each time runs until the view
// shows every row.
#include "app/main_window.h"
#include "runtime/controls.h"
#include "runtime/state.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QStandardItemModel>
#include <QTemporaryDir>
#include <QTreeView>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <string>
#include <thread>
#include <vector>

namespace {

constexpr int kRows = 20000;
constexpr int kRuns = 3;
constexpr auto kList = controls::kPortList;

void fill(runtime::Window& window) {
    for (int i = 0; i < kRows; ++i) {
        const int row = window.appendRow(kList, "port-" + std::to_string(i));
        window.setCellText(kList, row, 1, "status");
        window.setCellText(kList, row, 2, "2024-01-01 12:00:00");
    }
}

void waitForView(QAbstractItemModel* model) {
    while (model->rowCount() < kRows) {
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    }
    QCoreApplication::processEvents(); // the repaint
}

double fromWorker(app::MainWindow& mainWindow, QAbstractItemModel* model) {
    QElapsedTimer clock;
    clock.start();
    std::atomic<bool> done{false};
    std::thread worker([&] {
        fill(mainWindow.window());
        done = true;
    });
    while (!done) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    }
    worker.join();
    waitForView(model);
    return static_cast<double>(clock.nsecsElapsed()) / 1e6;
}

double onGuiThread(app::MainWindow& mainWindow, QAbstractItemModel* model) {
    QElapsedTimer clock;
    clock.start();
    fill(mainWindow.window());
    waitForView(model);
    return static_cast<double>(clock.nsecsElapsed()) / 1e6;
}

double standardModel(QWidget& parent) {
    QTreeView view(&parent);
    view.setGeometry(400, 32, 720, 432);
    view.setUniformRowHeights(true);
    view.setRootIsDecorated(false);
    QStandardItemModel model(0, 3);
    view.setModel(&model);
    view.show();
    QCoreApplication::processEvents();
    QElapsedTimer clock;
    clock.start();
    for (int i = 0; i < kRows; ++i) {
        auto* caption = new QStandardItem(QStringLiteral("port-%1").arg(i));
        caption->setCheckable(true);
        model.appendRow({caption, new QStandardItem(QStringLiteral("status")),
                         new QStandardItem(QStringLiteral("2024-01-01 12:00:00"))});
    }
    QCoreApplication::processEvents();
    return static_cast<double>(clock.nsecsElapsed()) / 1e6;
}

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    runtime::initProcessState();
    QTemporaryDir folder;
    app::MainWindow mainWindow(
        {.settingsFile = folder.filePath(QStringLiteral("pz.ini")).toStdString(),
         .startOverlay = false,
         .exitOnClose = false});
    mainWindow.show();
    mainWindow.control(controls::kSignInPanel)->move(1999, 0); // the list in view, as after sign-in
    QCoreApplication::processEvents();
    QAbstractItemModel* model = static_cast<QTreeView*>(mainWindow.control(kList))->model();

    std::vector<double> worker;
    std::vector<double> gui;
    std::vector<double> standard;
    for (int run = 0; run < kRuns; ++run) {
        worker.push_back(fromWorker(mainWindow, model));
        mainWindow.window().deleteAllRows(kList);
        mainWindow.syncViews();
        gui.push_back(onGuiThread(mainWindow, model));
        mainWindow.window().deleteAllRows(kList);
        mainWindow.syncViews();
        standard.push_back(standardModel(mainWindow));
    }
    const double w = median(worker);
    const double g = median(gui);
    const double s = median(standard);
    std::printf("%d rows (append + 2 cells each) into the shown port list, median of %d runs:\n",
                kRows, kRuns);
    std::printf("  from a worker through the facade:        %8.1f ms\n", w);
    std::printf("  on the GUI thread through the facade:    %8.1f ms\n", g);
    std::printf("  on the GUI thread, QStandardItemModel:   %8.1f ms\n", s);
    std::printf("  ratio worker / GUI-thread facade:        %8.2f\n", w / g);
    std::printf("  ratio worker / GUI-thread standard model: %7.2f  (target <= 3)\n", w / s);
    return 0;
}
