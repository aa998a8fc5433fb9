#include "app/port_commands.h"

#include "app/qt_text.h"
#include "runtime/controls.h"
#include "runtime/delay.h"
#include "runtime/state.h"
#include "runtime/threads.h"

#include <QStringList>

namespace app {

namespace {

// LED workers start this far apart, so their requests do not reach the service at once.
constexpr std::chrono::milliseconds kBetweenWorkers{100};

} // namespace

void setAllPortsChecked(runtime::Window& window, int state) {
    const int rows = window.rowCount(controls::kPortList);
    for (int row = 0; row < rows; ++row) {
        window.setCheckState(controls::kPortList, row, state);
    }
}

runtime::Text portListText(runtime::Window& window) {
    runtime::Text result;
    const int rows = window.rowCount(controls::kPortList);
    for (int row = 0; row < rows; ++row) {
        result += window.cellText(controls::kPortList, row, 0);
        result += "----";
        result += window.cellText(controls::kPortList, row, 1);
        result += "\r\n";
    }
    return result;
}

QString pulledOutQuestion(runtime::Window& window) {
    const int rows = window.rowCount(controls::kPortList);
    if (rows == 0) {
        return {};
    }
    QStringList pools;
    const runtime::RowTexts names = window.rowTexts(controls::kPortList, 0, rows, 1);
    for (std::size_t row = 0; row < names.rows(); ++row) {
        const std::string_view port = names.cell(row, 0);
        const QString pool = toQString(port.substr(0, port.find('.')));
        if (!pools.contains(pool)) {
            pools.append(pool);
        }
    }
    return QStringLiteral("将向服务报告 %1 个端口已拔出（%2），继续？")
        .arg(rows)
        .arg(pools.join(QStringLiteral("、")));
}

bool copyAllPorts(runtime::Window& window) {
    return window.putOnClipboard(portListText(window));
}

int lightCheckedPorts(runtime::Window& window, runtime::LedDuration duration,
                      const LedWorker& worker) {
    runtime::setLedDuration(duration);
    if (!worker) {
        return 0;
    }
    int started = 0;
    const int rows = window.rowCount(controls::kPortList);
    for (int row = 0; row < rows; ++row) {
        if (window.checkState(controls::kPortList, row) != 1) {
            continue;
        }
        // A worker that cannot be started is skipped; the loop goes on.
        if (window.startWorker([&window, worker](std::int32_t index) { worker(window, index); },
                               row)) {
            ++started;
        }
        runtime::responsiveDelay(kBetweenWorkers);
    }
    return started;
}

} // namespace app
