#include "runtime/codepage.h"
#include "runtime/controls.h"
#include "service/operations.h"
#include "service/port_search_view.h"

namespace service {

void listUnseatedSlots(Session& session) {
    runtime::Window& window = session.window();
    const int selected = window.selectedRow(controls::kDeviceList);
    const Text pool = selected < 0 ? Text() : window.cellText(controls::kDeviceList, selected, 0);

    const Read<std::vector<SlotRow>> slots = readUnseatedSlots(session, pool);
    if (!slots) {
        window.writeLine(controls::kLogPanel,
                         requestFailedLine(runtime::gbk("查看没插好端口"), slots.error()));
        return; // the list keeps what it showed
    }
    endPortSearch(window);
    window.deleteAllRows(controls::kPortList);
    const Text hint = runtime::gbk("未检测到卡，请检查此端口插卡状态！");
    for (const SlotRow& slot : *slots) {
        const int row = window.appendRow(controls::kPortList, slot.slot);
        window.setCellText(controls::kPortList, row, 1, hint);
    }
}

} // namespace service
