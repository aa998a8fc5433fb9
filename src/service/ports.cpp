#include "runtime/codepage.h"
#include "runtime/controls.h"
#include "runtime/state.h"
#include "service/codec.h"
#include "service/operations.h"
#include "service/pool_membership.h"
#include "service/requests.h"

namespace service {

namespace {

Text selectedPoolName(runtime::Window& window) {
    const int row = window.selectedRow(controls::kDeviceList);
    return row < 0 ? Text() : window.cellText(controls::kDeviceList, row, 0);
}

} // namespace

Reply queryPorts(std::string_view key) {
    return getText(serviceUrl(runtime::concat({"/sinterface/port/get?ukey=", urlValue(key)})),
                   ReplySize::List);
}

std::vector<Text> portNamesOf(std::string_view reply) {
    std::vector<Text> names;
    for (const Text& line : runtime::splitText(reply, "\r\n")) {
        const runtime::TextList fields = runtime::splitText(line, "|");
        if (fields.size() >= 2) {
            names.push_back(fields[0]);
        }
    }
    return names;
}

void listPorts(runtime::Window& window) {
    window.setDisabled(controls::kPortList, true);
    const Text pool = selectedPoolName(window);

    const Reply reply = queryPorts(runtime::userKey());
    if (!reply.succeeded()) {
        // The ports listed before, their check marks and their count stay as they were.
        window.writeLine(controls::kLogPanel,
                         requestFailedLine(runtime::gbk("查看最新任务"), reply));
        window.setDisabled(controls::kPortList, false);
        return;
    }
    window.deleteAllRows(controls::kPortList);
    for (const Text& line : runtime::splitText(reply.body, "\r\n")) {
        const runtime::TextList fields = runtime::splitText(line, "|");
        if (fields.size() < 2 || !portBelongsToPool(fields[0], pool)) {
            continue;
        }
        const int row = window.appendRow(controls::kPortList, fields[0]);
        const runtime::TextList pieces = runtime::splitText(percentDecode(fields[1]), "-");
        // A status without "-" leaves the time empty; an empty status leaves both empty.
        window.setCellText(controls::kPortList, row, 1, pieces.empty() ? Text() : pieces[0]);
        window.setCellText(controls::kPortList, row, 2, pieces.size() < 2 ? Text() : pieces[1]);
    }

    window.setDisabled(controls::kPortList, false);
    window.setText(
        controls::kPortCountLabel,
        runtime::concat({runtime::gbk("端口数量："), runtime::toText(static_cast<long long>(
                                                         window.rowCount(controls::kPortList)))}));
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
