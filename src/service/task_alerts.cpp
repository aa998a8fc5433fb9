#include "service/task_alerts.h"

#include "service/port_search_view.h"

#include "runtime/codepage.h"
#include "runtime/controls.h"
#include "service/operations.h"
#include "service/pool_membership.h"

#include <algorithm>

namespace service {

PendingByPool pendingByPool(const PortRows& ports, const std::vector<Text>& pools) {
    PendingByPool pending;
    for (const Text& pool : pools) {
        for (std::size_t index = 0; index < ports.size(); ++index) {
            const std::string_view port = ports.at(index).name;
            if (portBelongsToPool(port, pool)) {
                pending[pool].emplace(port);
            }
        }
    }
    return pending;
}

std::vector<PoolGain> gainedPorts(const PendingByPool& before, const PendingByPool& now) {
    std::vector<PoolGain> gains;
    for (const auto& [pool, ports] : now) {
        const auto earlier = before.find(pool);
        std::size_t count = ports.size();
        if (earlier != before.end()) {
            count = static_cast<std::size_t>(std::ranges::count_if(
                ports, [&](const Text& port) { return !earlier->second.contains(port); }));
        }
        if (count > 0) {
            gains.push_back({pool, count});
        }
    }
    return gains;
}

std::vector<PoolGain> NewTaskComparison::next(std::optional<PendingByPool> check) {
    const std::lock_guard lock(m_mutex);
    if (!check) {
        return {};
    }
    std::vector<PoolGain> gains =
        m_lastGood ? gainedPorts(*m_lastGood, *check) : std::vector<PoolGain>();
    m_lastGood = std::move(check);
    return gains;
}

Text gainsText(const std::vector<PoolGain>& gains) {
    Text text;
    for (const PoolGain& gain : gains) {
        if (!text.empty()) {
            text += runtime::gbk("，");
        }
        text += runtime::concat({gain.pool, runtime::gbk(" 新增 "),
                                 runtime::toText(static_cast<long long>(gain.count)),
                                 runtime::gbk(" 个端口")});
    }
    return text;
}

std::vector<PoolGain> checkForNewTasks(Session& session, NewTaskComparison& comparison) {
    runtime::Window& window = session.window();
    const Read<PortRows> ports = readPendingPorts(session);
    if (!ports) {
        window.writeLine(controls::kLogPanel,
                         requestFailedLine(runtime::gbk("自动检查新任务"), ports.error()));
        return comparison.next(std::nullopt);
    }
    showNewTaskMarks(window, *ports);
    rememberEveryPoolsPorts(session.snapshot(), *ports);
    std::vector<PoolGain> gains =
        comparison.next(pendingByPool(*ports, session.snapshot().pools()));
    if (!gains.empty()) {
        window.writeLine(controls::kLogPanel, gainsText(gains));
    }
    return gains;
}

} // namespace service
