#include "runtime/codepage.h"
#include "runtime/controls.h"
#include "service/codec.h"
#include "service/operations.h"
#include "service/requests.h"

#include <algorithm>
#include <map>
#include <optional>
#include <vector>

namespace service {

using runtime::Text;

namespace {

constexpr int kBatchRows = 500;

constexpr int kColumns = 3; // name, status, time

Reply sendDeleteBatch(const Session& session, std::string_view body) {
    return postText(
        serviceUrl(session.routeHost(), runtime::concat({"/sinterface/port/deleteBatch?ukey=",
                                                         urlValue(session.key())})),
        body, ReplySize::Short);
}

bool sameRow(runtime::Window& window, int row, const runtime::RowTexts& rows, std::size_t index) {
    for (int column = 0; column < kColumns; ++column) {
        if (window.cellText(controls::kPortList, row, column) != rows.cell(index, column)) {
            return false;
        }
    }
    return true;
}

// The first `count` rows of the batch leave the list. They are expected at the top, in order, but
// a port listing running meanwhile may have rebuilt the list, so each one is checked, never
// assumed.
void removeRows(runtime::Window& window, const runtime::RowTexts& rows, std::size_t count) {
    if (count == 0) {
        return;
    }
    const int listed = window.rowCount(controls::kPortList);
    bool wholeList = static_cast<std::size_t>(listed) == count;
    // Checked a batch at a time: one copy of the whole list would touch fresh memory for every
    // row, where a batch-sized one is reused.
    for (std::size_t first = 0; wholeList && first < count; first += kBatchRows) {
        const runtime::RowTexts current =
            window.rowTexts(controls::kPortList, static_cast<int>(first), kBatchRows, kColumns);
        wholeList = current.rows() == std::min<std::size_t>(kBatchRows, count - first);
        for (std::size_t i = 0; wholeList && i < current.rows(); ++i) {
            for (int column = 0; wholeList && column < kColumns; ++column) {
                wholeList = current.cell(i, column) == rows.cell(first + i, column);
            }
        }
    }
    if (wholeList) {
        window.deleteAllRows(controls::kPortList);
        return;
    }
    int searchFrom = 0;
    for (std::size_t i = 0; i < count; ++i) {
        const int rowCount = window.rowCount(controls::kPortList);
        for (int row = searchFrom; row < rowCount; ++row) {
            if (sameRow(window, row, rows, i)) {
                window.deleteRow(controls::kPortList, row);
                searchFrom = row;
                break;
            }
        }
    }
}

// The pool a port is listed under: the part of its name before the first "."; a name without
// "." names no pool.
std::optional<std::string_view> namedPool(std::string_view port) {
    const std::size_t dot = port.find('.');
    return dot == std::string_view::npos ? std::nullopt : std::optional(port.substr(0, dot));
}

// A pool's mark goes once every one of its listed rows was confirmed: a pool's own list loses it
// when the whole list was reported, search results span several pools and each pool goes by its
// own rows.
void clearMarksOfReportedPools(runtime::Window& window, const runtime::RowTexts& rows,
                               std::size_t listed, std::size_t confirmed) {
    std::map<std::string_view, std::size_t, std::less<>> lastRowOfPool;
    for (std::size_t index = 0; index < listed; ++index) {
        if (const std::optional<std::string_view> pool = namedPool(rows.cell(index, 0))) {
            lastRowOfPool.insert_or_assign(*pool, index);
        }
    }
    for (const auto& [pool, lastRow] : lastRowOfPool) {
        if (lastRow < confirmed) {
            const int row = window.findRow(controls::kDeviceList, pool);
            if (row >= 0) {
                window.setCellText(controls::kDeviceList, row, 1, {});
            }
        }
    }
}

// The confirmed rows are no longer pending: their pools' marks go where every row of the pool was
// confirmed, and the snapshot forgets them, so a search does not find them again before 刷新.
void forgetReportedPorts(Session& session, const runtime::RowTexts& rows, std::size_t listed,
                         std::size_t confirmed) {
    clearMarksOfReportedPools(session.window(), rows, listed, confirmed);
    if (confirmed > 0) {
        session.snapshot().forgetPorts(rows, confirmed);
    }
}

// Every port was confirmed by an earlier request; the repeat that followed failed.
Text repeatFailedLine(std::size_t confirmed, const Reply& reply) {
    return runtime::concat(
        {runtime::gbk("已拔出清除："), runtime::toText(static_cast<long long>(confirmed)),
         runtime::gbk(" 个端口均已上报，之后重复的上报请求失败："), failureText(reply)});
}

} // namespace

DeletionBatch readDeletionBatch(runtime::Window& window) {
    return {
        window.rowTexts(controls::kPortList, 0, window.rowCount(controls::kPortList), kColumns)};
}

// Every request carries all lines taken so far, so a request that succeeded (a complete 2xx
// answer, whatever its body) confirms every row taken so far. Rows stay listed until the
// operation ends: then the confirmed ones leave, and after a failed request the others stay in
// place, checks included. The rows are taken kBatchRows at a time; a row without a name ends them
// as the end of the list does, and the end of the rows is reported twice.
void reportPulledPorts(Session& session, const DeletionBatch& batch) {
    runtime::Window& window = session.window();
    const runtime::RowTexts& rows = batch.rows;
    window.setDisabled(controls::kPortList, true);
    Text body;
    Text statusAndTime;     // one buffer for every row's "status-time"
    std::size_t listed = 0; // the rows up to the first one without a name
    while (listed < rows.rows() && !rows.cell(listed, 0).empty()) {
        ++listed;
    }
    std::size_t taken = 0;
    std::size_t confirmed = 0;
    bool listEnded = false;

    const auto send = [&]() {
        const Reply reply = sendDeleteBatch(session, body);
        if (reply.succeeded()) {
            confirmed = taken;
            return true;
        }
        removeRows(window, rows, confirmed);
        forgetReportedPorts(session, rows, listed, confirmed);
        if (listEnded && confirmed == taken && confirmed > 0) {
            // Only a repeat of lines already confirmed failed: every port was reported, and the
            // marks of their pools went above.
            window.writeLine(controls::kLogPanel, repeatFailedLine(confirmed, reply));
        } else {
            window.writeLine(controls::kLogPanel,
                             requestFailedLine(runtime::gbk("已拔出清除"), reply));
        }
        window.setDisabled(controls::kPortList, false);
        return false;
    };

    for (;;) {
        const std::size_t batchEnd = taken + static_cast<std::size_t>(kBatchRows);
        while (taken < batchEnd) {
            const std::string_view name = rows.cell(taken, 0); // empty past the last row
            if (name.empty()) {
                listEnded = true;
                if (!send()) {
                    return;
                }
                break;
            }
            const std::string_view status = rows.cell(taken, 1);
            const std::string_view time = rows.cell(taken, 2);
            body += name;
            body += '|';
            statusAndTime.assign(status);
            statusAndTime += '-';
            statusAndTime += time;
            body += percentEncode(statusAndTime);
            body += "\r\n";
            if (taken == 0) {
                // Sized once from the first row, so the body does not grow by copying into
                // fresh memory again and again.
                body.reserve(body.size() * rows.rows());
            }
            ++taken;
        }
        // When the rows ended inside the batch, its request went already: this repeats it, as the
        // service has always seen it.
        if (!send()) {
            return;
        }
        if (listEnded) {
            break;
        }
    }
    removeRows(window, rows, confirmed);
    forgetReportedPorts(session, rows, listed, confirmed);
    window.setDisabled(controls::kPortList, false);
}

void deletePortsInBatches(Session& session) {
    reportPulledPorts(session, readDeletionBatch(session.window()));
}

} // namespace service
