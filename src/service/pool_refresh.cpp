#include "runtime/codepage.h"
#include "runtime/controls.h"
#include "service/operations.h"

namespace service {

namespace {

// The pools not listed yet (case ignored) that pass the filter, appended to both lists in the
// reply's order; returns them.
std::vector<Text> addNewPools(runtime::Window& window, const std::vector<Text>& names) {
    std::vector<Text> added;
    for (const Text& name : names) {
        if (name == "," || window.findRow(controls::kDeviceList, name) >= 0) {
            continue;
        }
        const Text filter = window.text(controls::kFilterBox);
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
