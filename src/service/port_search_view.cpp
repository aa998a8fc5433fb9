#include "service/port_search_view.h"

#include "runtime/codepage.h"
#include "runtime/controls.h"
#include "service/pool_membership.h"
#include "service/port_search.h"

#include <chrono>

namespace service {

namespace {

void showCount(runtime::Window& window) {
    window.setText(
        controls::kPortCountLabel,
        runtime::concat({runtime::gbk("端口数量："), runtime::toText(static_cast<long long>(
                                                         window.rowCount(controls::kPortList)))}));
}

void appendPort(runtime::Window& window, const PortRows::View& port) {
    const int row = window.appendRow(controls::kPortList, port.name);
    window.setCellText(controls::kPortList, row, 1, port.status);
    window.setCellText(controls::kPortList, row, 2, port.time);
}

} // namespace

void rememberEveryPoolsPorts(Snapshot& snapshot, const PortRows& ports) {
    const auto readAt = std::chrono::system_clock::now();
    for (const Text& pool : snapshot.pools()) {
        PortRows own;
        for (std::size_t index = 0; index < ports.size(); ++index) {
            const PortRows::View port = ports.at(index);
            if (portBelongsToPool(port.name, pool)) {
                own.add(port.name, port.status, port.time);
            }
        }
        snapshot.setPortQuery(pool, {.rows = std::move(own), .readAt = readAt});
    }
}

void showSearchResults(runtime::Window& window, const Snapshot& snapshot, std::string_view needle) {
    std::vector<PoolPorts> pools;
    for (Text& pool : snapshot.pools()) {
        if (auto query = snapshot.portQuery(pool)) {
            pools.push_back({std::move(pool), std::move(query->rows)});
        }
    }
    window.deleteAllRows(controls::kPortList);
    for (const PortMatch& match : searchPorts(pools, needle)) {
        const PoolPorts& pool = pools[match.pool];
        appendPort(window, pool.rows.at(match.row));
        window.setCellText(controls::kPortList, window.rowCount(controls::kPortList) - 1,
                           kSearchPoolColumn, pool.pool);
    }
    showCount(window);
}

void showSelectedPoolPorts(runtime::Window& window, const Snapshot& snapshot) {
    const int selected = window.selectedRow(controls::kDeviceList);
    window.deleteAllRows(controls::kPortList);
    if (selected >= 0) {
        if (const auto query =
                snapshot.portQuery(window.cellText(controls::kDeviceList, selected, 0))) {
            for (std::size_t index = 0; index < query->rows.size(); ++index) {
                appendPort(window, query->rows.at(index));
            }
        }
    }
    showCount(window);
}

} // namespace service
