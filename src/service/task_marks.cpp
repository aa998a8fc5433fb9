#include "runtime/codepage.h"
#include "runtime/controls.h"
#include "runtime/state.h"
#include "service/operations.h"
#include "service/pool_membership.h"
#include "service/requests.h"

#include <algorithm>

namespace service {

void markPoolsWithNewTasks(runtime::Window& window) {
    const Reply reply = queryPorts(runtime::userKey());
    if (!reply.succeeded()) {
        window.writeLine(controls::kLogPanel, requestFailedLine(runtime::gbk("标记新任务"), reply));
        return;
    }
    const std::vector<Text> ports = portNamesOf(reply.body);
    const runtime::Text mark = runtime::gbk("有新任务，请处理");
    const int count = window.rowCount(controls::kDeviceList);
    for (int row = 0; row < count; ++row) {
        const Text pool = window.cellText(controls::kDeviceList, row, 0);
        if (std::any_of(ports.begin(), ports.end(),
                        [&](const Text& port) { return portBelongsToPool(port, pool); })) {
            window.setCellText(controls::kDeviceList, row, 1, mark);
        }
    }
}

} // namespace service
