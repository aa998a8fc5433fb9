#include "service/port_search_view.h"

#include "runtime/controls.h"
#include "service/operations.h"
#include "service/pool_membership.h"
#include "service/port_search.h"

#include <chrono>

namespace service {

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
        const int row = appendPortRow(window, pool.rows.at(match.row));
        window.setCellText(controls::kPortList, row, kSearchPoolColumn, pool.pool);
    }
    showPortCount(window);
}

void endPortSearch(runtime::Window& window) {
    window.setText(controls::kSearchBox, {});
}

void showSelectedPoolPorts(runtime::Window& window, const Snapshot& snapshot) {
    const int selected = window.selectedRow(controls::kDeviceList);
    window.deleteAllRows(controls::kPortList);
    if (selected >= 0) {
        if (const auto query =
                snapshot.portQuery(window.cellText(controls::kDeviceList, selected, 0))) {
            for (std::size_t index = 0; index < query->rows.size(); ++index) {
                appendPortRow(window, query->rows.at(index));
            }
        }
    }
    showPortCount(window);
}

} // namespace service
