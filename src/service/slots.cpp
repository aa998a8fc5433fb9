#include "runtime/codepage.h"
#include "runtime/controls.h"
#include "runtime/state.h"
#include "service/operations.h"
#include "service/requests.h"
#include "service/text_between.h"

namespace service {

void listUnseatedSlots(runtime::Window& window) {
    const int selected = window.selectedRow(controls::kDeviceList);
    const Text pool = selected < 0 ? Text() : window.cellText(controls::kDeviceList, selected, 0);

    const Reply reply = getText(
        serviceUrl(runtime::concat({"/sinterface/getSlotInfo?uKey=", urlValue(runtime::userKey()),
                                    "&slot=", urlValue(pool)})),
        ReplySize::List);
    if (!reply.succeeded()) {
        window.writeLine(controls::kLogPanel,
                         requestFailedLine(runtime::gbk("查看没插好端口"), reply));
        return; // the list keeps what it showed
    }
    window.deleteAllRows(controls::kPortList);

    TextList records;
    allTextsBetween(reply.body, "{\"slot\":", "}", records, false, 0, {}, {}, true);
    const Text hint = runtime::gbk("未检测到卡，请检查此端口插卡状态！");
    for (const Text& record : records) {
        const Text iccid = textBetween(record, "iccid\":\"", "\"");
        const Text slot = textBetween(record, "slot\":\"", "\"");
        if (slot.empty() || !iccid.empty()) {
            continue;
        }
        const int row = window.appendRow(controls::kPortList, slot);
        window.setCellText(controls::kPortList, row, 1, hint);
    }
}

} // namespace service
