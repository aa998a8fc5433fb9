#include "runtime/codepage.h"
#include "runtime/controls.h"
#include "runtime/state.h"
#include "service/operations.h"

namespace service {

void markPoolsWithNewTasks(runtime::Window& window) {
    const runtime::Text reply = queryPorts(runtime::userKey());
    const runtime::Text mark = runtime::gbk("有新任务，请处理");
    const int count = window.rowCount(controls::kDeviceList);
    for (int row = 0; row < count; ++row) {
        if (runtime::findText(reply, window.cellText(controls::kDeviceList, row, 0)) != -1) {
            window.setCellText(controls::kDeviceList, row, 1, mark);
        }
    }
}

} // namespace service
