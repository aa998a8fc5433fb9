#pragma once
// The hook on a target and its ancestors: an event filter that lays the overlays inside the
// window out again when the window moves, and removes them when the window is destroyed.
// Nothing else is acted on (resizes included). GUI thread only.

#include <QMetaObject>
#include <QObject>
#include <QWidget>

#include <unordered_map>

namespace overlay::detail {

class CoveredWindowHook final : public QObject {
public:
    // The process's hook, owned by the application object; nullptr without one.
    static CoveredWindowHook* instance();

    // A window that is already hooked is left alone.
    void hook(QWidget* window);
    // dying: the window is being destroyed, so only the bookkeeping is dropped.
    void unhook(QWidget* window, bool dying);
    bool isHooked(const QObject* window) const { return m_hooked.contains(window); }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    explicit CoveredWindowHook(QObject* parent);
    void onDestroyed(QObject* window);

    std::unordered_map<const QObject*, QMetaObject::Connection> m_hooked;
};

} // namespace overlay::detail
