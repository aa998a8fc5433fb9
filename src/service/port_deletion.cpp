#include "runtime/codepage.h"
#include "runtime/controls.h"
#include "runtime/state.h"
#include "service/codec.h"
#include "service/operations.h"
#include "service/requests.h"

#include <vector>

namespace service {

using runtime::Text;

namespace {

constexpr int kBatchRows = 500;

struct PortRow {
    Text name;
    Text status;
    Text time;
};

Reply sendDeleteBatch(std::string_view body) {
    return postText(
        serviceUrl(runtime::concat({"/sinterface/port/deleteBatch?ukey=", runtime::userKey()})),
        body);
}

bool sameRow(runtime::Window& window, int row, const PortRow& port) {
    return window.cellText(controls::kPortList, row, 0) == port.name &&
           window.cellText(controls::kPortList, row, 1) == port.status &&
           window.cellText(controls::kPortList, row, 2) == port.time;
}

// Rows confirmed by the service leave the list. They are expected at the top, in order; a port
// listing running meanwhile may have rebuilt the list, so each one is looked for, never assumed.
void removeConfirmed(runtime::Window& window, std::vector<PortRow>& confirmed) {
    int searchFrom = 0;
    for (const PortRow& port : confirmed) {
        const int count = window.rowCount(controls::kPortList);
        for (int row = searchFrom; row < count; ++row) {
            if (sameRow(window, row, port)) {
                window.deleteRow(controls::kPortList, row);
                searchFrom = row;
                break;
            }
        }
    }
    confirmed.clear();
}

void clearPoolMark(runtime::Window& window, std::string_view firstName) {
    const runtime::TextList pieces = runtime::splitText(firstName, ".");
    if (pieces.size() < 2) {
        return;
    }
    const int row = window.findRow(controls::kDeviceList, pieces[0]);
    if (row >= 0) {
        window.setCellText(controls::kDeviceList, row, 1, {});
    }
}

} // namespace

// Every request carries all lines read so far, so a non-empty reply confirms every row read
// so far. Rows stay listed until then: a failed request leaves them in place, checks included.
void deletePortsInBatches(runtime::Window& window) {
    window.setDisabled(controls::kPortList, true);
    Text body;
    Text firstName;
    std::vector<PortRow> unconfirmed;

    const auto send = [&]() {
        const Reply reply = sendDeleteBatch(body);
        if (reply.body.empty()) {
            window.writeLine(controls::kLogPanel,
                             requestFailedLine(runtime::gbk("已拔出清除"), reply.status));
            return false;
        }
        removeConfirmed(window, unconfirmed);
        return true;
    };

    for (;;) {
        Text name;
        bool listEnded = false;
        for (int taken = 0; taken < kBatchRows; ++taken) {
            const int row = static_cast<int>(unconfirmed.size());
            name = window.cellText(controls::kPortList, row, 0);
            if (firstName.empty()) {
                firstName = name;
            }
            if (name.empty()) {
                listEnded = true;
                if (!send()) {
                    window.setDisabled(controls::kPortList, false);
                    return;
                }
                break;
            }
            PortRow port{name, window.cellText(controls::kPortList, row, 1),
                         window.cellText(controls::kPortList, row, 2)};
            body += runtime::concat({port.name, "|",
                                     percentEncode(runtime::concat({port.status, "-", port.time})),
                                     "\r\n"});
            unconfirmed.push_back(std::move(port));
        }
        if (!send()) {
            window.setDisabled(controls::kPortList, false);
            return;
        }
        if (listEnded) {
            break;
        }
    }
    clearPoolMark(window, firstName);
    window.setDisabled(controls::kPortList, false);
}

} // namespace service
