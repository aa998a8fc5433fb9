#include "runtime/codepage.h"
#include "runtime/controls.h"
#include "service/operations.h"
#include "service/port_search_view.h"

namespace service {

namespace {

Text selectedPoolName(runtime::Window& window) {
    const int row = window.selectedRow(controls::kDeviceList);
    return row < 0 ? Text() : window.cellText(controls::kDeviceList, row, 0);
}

} // namespace

int appendPortRow(runtime::Window& window, const PortRows::View& port) {
    const int row = window.appendRow(controls::kPortList, port.name);
    window.setCellText(controls::kPortList, row, 1, port.status);
    window.setCellText(controls::kPortList, row, 2, port.time);
    return row;
}

void showPortCount(runtime::Window& window) {
    window.setText(
        controls::kPortCountLabel,
        runtime::concat({runtime::gbk("端口数量："), runtime::toText(static_cast<long long>(
                                                         window.rowCount(controls::kPortList)))}));
}

void listPorts(Session& session) {
    runtime::Window& window = session.window();
    window.setDisabled(controls::kPortList, true);
    const Text pool = selectedPoolName(window);

    Read<PortRows> ports = readPendingPorts(session, pool);
    if (!ports) {
        // The ports listed before, their check marks and their count stay as they were.
        window.writeLine(controls::kLogPanel,
                         requestFailedLine(runtime::gbk("查看最新任务"), ports.error()));
        window.setDisabled(controls::kPortList, false);
        return;
    }
    endPortSearch(window);
    window.deleteAllRows(controls::kPortList);
    for (std::size_t index = 0; index < ports->size(); ++index) {
        appendPortRow(window, ports->at(index));
    }
    session.snapshot().setPortQuery(
        pool, {.rows = std::move(*ports), .readAt = std::chrono::system_clock::now()});

    window.setDisabled(controls::kPortList, false);
    showPortCount(window);
}

void checkPortsByKeyword(runtime::Window& window) {
    const Text keyword = window.inputBox(runtime::gbk("输入状态关键词，例如未做TG"));
    if (keyword.empty()) {
        return;
    }
    const int count = window.rowCount(controls::kPortList);
    for (int row = 0; row < count; ++row) {
        if (runtime::findText(window.cellText(controls::kPortList, row, 1), keyword) >= 0) {
            window.setCheckState(controls::kPortList, row, 1);
        }
    }
}

} // namespace service
