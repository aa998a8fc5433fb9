#include "runtime/codepage.h"
#include "runtime/controls.h"
#include "runtime/threads.h"
#include "script/script_json.h"
#include "service/operations.h"
#include "service/requests.h"
#include "service/text_between.h"

namespace service {

namespace {

// The device list is asked about each name as it stands then (rows the operator's other
// commands add or remove meanwhile count), and finds it without scanning. The filter box is read
// once, when the first new name needs it: a read waits for the window's thread, and one refresh
// applies one filter to all its pools.
void addNewPools(runtime::Window& window, const TextList& names) {
    Text filter;
    bool filterRead = false;
    for (const Text& name : names) {
        if (name == "," || window.findRow(controls::kDeviceList, name) >= 0) {
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
    }
}

} // namespace

void refreshPools(runtime::Window& window) {
    script::ScriptJson json;
    TextList names;
    window.writeLine(controls::kLogPanel, runtime::gbk("刷新中....."));
    window.setVisible(controls::kBusyPicture, true);

    const Text key = window.text(controls::kKeyBox);
    const Reply reply = getText(
        serviceUrl(runtime::concat({"/sinterface/getDev?uKey=", urlValue(key)})), ReplySize::List);
    if (!reply.succeeded()) {
        window.writeLine(controls::kLogPanel,
                         requestFailedLine(runtime::gbk("刷新卡池列表"), reply));
    }

    json.clear();
    const bool readable = reply.succeeded() && json.load(reply.body);
    if (reply.succeeded() && !readable) {
        // The operator learns that the list could not be read, not only that nothing came.
        window.writeLine(controls::kLogPanel, requestFailedLine(runtime::gbk("刷新卡池列表"),
                                                                unreadableReplyText(reply)));
    }
    if (readable && json.getJsonText("ret") == "0") {
        const Text inner = textBetween(reply.body, "[", "]");
        allTextsBetween(inner, "\"", "\"", names);
        addNewPools(window, names);
    }

    window.startWorker([&window](std::int32_t) { watchPoolStatistics(window); });
    window.writeLine(controls::kLogPanel, runtime::gbk("刷新完成"));
    window.setVisible(controls::kBusyPicture, false);
}

} // namespace service
