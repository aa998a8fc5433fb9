#include "runtime/codepage.h"
#include "runtime/controls.h"
#include "service/operations.h"

namespace service {

namespace {

// The pools not listed yet (case ignored) that pass the filter, appended to both lists in the
// reply's order; returns them. The device list is asked about each name as it stands then (rows
// the operator's other commands add or remove meanwhile count), and finds it without scanning.
// The filter box is read once, when the first new name needs it: a read waits for the window's
// thread, and one refresh applies one filter to all its pools.
std::vector<Text> addNewPools(runtime::Window& window, const std::vector<Text>& names) {
    std::vector<Text> added;
    Text filter;
    bool filterRead = false;
    for (const Text& name : names) {
        if (window.findRow(controls::kDeviceList, name) >= 0) {
            continue;
        }
        if (!filterRead) {
            filter = window.text(controls::kFilterBox);
            filterRead = true;
        }
        if (!filter.empty() && runtime::findText(name, filter) < 0) {
            continue;
        }
        window.appendRow(controls::kDeviceList, name);
        window.appendRow(controls::kPoolSummaryList, name);
        added.push_back(name);
    }
    return added;
}

} // namespace

void refreshPools(Session& session) {
    runtime::Window& window = session.window();
    window.writeLine(controls::kLogPanel, runtime::gbk("刷新中....."));
    window.setVisible(controls::kBusyPicture, true);

    const Read<std::vector<Text>> names = readPoolNames(session);
    if (names) {
        session.snapshot().addPools(addNewPools(window, *names));
    } else {
        // Also when the list could not be read: the operator learns that, not only that nothing
        // came.
        window.writeLine(controls::kLogPanel,
                         requestFailedLine(runtime::gbk("刷新卡池列表"), names.error()));
    }

    session.startWorker([](Session& watching) { watchPoolStatistics(watching); });
    window.writeLine(controls::kLogPanel, runtime::gbk("刷新完成"));
    window.setVisible(controls::kBusyPicture, false);
}

} // namespace service
