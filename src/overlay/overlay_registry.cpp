#include "overlay/overlay_registry.h"

#include <algorithm>

namespace overlay::detail {

namespace {

// Walks target's parent chain up to its top-level window; never calls into `window`, which
// may be in the middle of its destruction.
bool isWithin(const QWidget* target, const QObject* window) {
    for (const QWidget* w = target; w != nullptr; w = w->parentWidget()) {
        if (w == window) {
            return true;
        }
        if (w->isWindow()) {
            return false;
        }
    }
    return false;
}

} // namespace

OverlayRegistry& OverlayRegistry::instance() {
    static OverlayRegistry registry;
    return registry;
}

OverlayHandle OverlayRegistry::add(QWidget* window, QWidget* target) {
    const OverlayHandle handle = m_nextHandle++;
    m_records.push_back(OverlayRecord{handle, window, target});
    return handle;
}

const OverlayRecord* OverlayRegistry::find(OverlayHandle handle) const {
    const auto it = std::find_if(m_records.begin(), m_records.end(),
                                 [handle](const OverlayRecord& r) { return r.handle == handle; });
    return it == m_records.end() ? nullptr : &*it;
}

std::optional<OverlayRecord> OverlayRegistry::take(OverlayHandle handle) {
    const auto it = std::find_if(m_records.begin(), m_records.end(),
                                 [handle](const OverlayRecord& r) { return r.handle == handle; });
    if (it == m_records.end()) {
        return std::nullopt;
    }
    OverlayRecord record = *it;
    m_records.erase(it);
    return record;
}

void OverlayRegistry::forgetWindow(OverlayHandle handle) {
    for (OverlayRecord& record : m_records) {
        if (record.handle == handle) {
            record.window = nullptr;
        }
    }
}

OverlayHandle OverlayRegistry::handleOf(const QObject* target) const {
    for (const OverlayRecord& record : m_records) {
        if (record.target == target) {
            return record.handle;
        }
    }
    return 0;
}

std::vector<OverlayHandle> OverlayRegistry::handlesWithin(const QObject* window) const {
    std::vector<OverlayHandle> handles;
    for (const OverlayRecord& record : m_records) {
        if (isWithin(record.target, window)) {
            handles.push_back(record.handle);
        }
    }
    return handles;
}

} // namespace overlay::detail
