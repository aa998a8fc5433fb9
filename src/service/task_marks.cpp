#include "runtime/codepage.h"
#include "runtime/controls.h"
#include "service/operations.h"
#include "service/pool_membership.h"
#include "service/port_search_view.h"

#include <algorithm>

namespace service {

void markPoolsWithNewTasks(Session& session) {
    runtime::Window& window = session.window();
    const Read<PortRows> ports = readPendingPorts(session);
    if (!ports) {
        window.writeLine(controls::kLogPanel,
                         requestFailedLine(runtime::gbk("标记新任务"), ports.error()));
        return;
    }
    showNewTaskMarks(window, *ports);
    rememberEveryPoolsPorts(session.snapshot(), *ports);
}

void showNewTaskMarks(runtime::Window& window, const PortRows& ports) {
    const runtime::Text mark = runtime::gbk("有新任务，请处理");
    const int count = window.rowCount(controls::kDeviceList);
    for (int row = 0; row < count; ++row) {
        const Text pool = window.cellText(controls::kDeviceList, row, 0);
        bool pending = false;
        for (std::size_t index = 0; index < ports.size() && !pending; ++index) {
            pending = portBelongsToPool(ports.at(index).name, pool);
        }
        if (pending) {
            window.setCellText(controls::kDeviceList, row, 1, mark);
        }
    }
}

} // namespace service
