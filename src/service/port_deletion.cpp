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

// The first `count` rows read leave the list. They are expected at the top, in order, but a port
// listing running meanwhile may have rebuilt the list, so each one is checked, never assumed.
void removeRows(runtime::Window& window, const std::vector<PortRow>& rows, std::size_t count) {
    if (count == 0) {
        return;
    }
    const int listed = window.rowCount(controls::kPortList);
    bool wholeList = static_cast<std::size_t>(listed) == count;
    for (std::size_t i = 0; wholeList && i < count; ++i) {
        wholeList = sameRow(window, static_cast<int>(i), rows[i]);
    }
    if (wholeList) {
        window.deleteAllRows(controls::kPortList);
        return;
    }
    int searchFrom = 0;
    for (std::size_t i = 0; i < count; ++i) {
        const int rowCount = window.rowCount(controls::kPortList);
        for (int row = searchFrom; row < rowCount; ++row) {
            if (sameRow(window, row, rows[i])) {
                window.deleteRow(controls::kPortList, row);
                searchFrom = row;
                break;
            }
        }
    }
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

// Every request carries all lines read so far, so a non-empty reply confirms every row read so
// far. Rows stay listed until the operation ends: then the confirmed ones leave, and after a
// failed request the others stay in place, checks included.
void deletePortsInBatches(runtime::Window& window) {
    window.setDisabled(controls::kPortList, true);
    Text body;
    Text firstName;
    std::vector<PortRow> read;
    std::size_t confirmed = 0;

    const auto send = [&]() {
        const Reply reply = sendDeleteBatch(body);
        if (reply.body.empty()) {
            removeRows(window, read, confirmed);
            window.writeLine(controls::kLogPanel,
                             requestFailedLine(runtime::gbk("已拔出清除"), reply.status));
            window.setDisabled(controls::kPortList, false);
            return false;
        }
        confirmed = read.size();
        return true;
    };

    for (;;) {
        Text name;
        bool listEnded = false;
        for (int taken = 0; taken < kBatchRows; ++taken) {
            const int row = static_cast<int>(read.size());
            name = window.cellText(controls::kPortList, row, 0);
            if (firstName.empty()) {
                firstName = name;
            }
            if (name.empty()) {
                listEnded = true;
                if (!send()) {
                    return;
                }
                break;
            }
            PortRow port{name, window.cellText(controls::kPortList, row, 1),
                         window.cellText(controls::kPortList, row, 2)};
            body += port.name;
            body += '|';
            body += percentEncode(runtime::concat({port.status, "-", port.time}));
            body += "\r\n";
            read.push_back(std::move(port));
        }
        if (!send()) {
            return;
        }
        if (listEnded) {
            break;
        }
    }
    removeRows(window, read, confirmed);
    clearPoolMark(window, firstName);
    window.setDisabled(controls::kPortList, false);
}

} // namespace service
