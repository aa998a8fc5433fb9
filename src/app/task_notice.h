#pragma once
// How the operator learns that pools gained ports: the window's taskbar entry flashes
// (QApplication::alert) and a tray balloon names the pools where a system tray exists; where
// none does (a bare virtual display, some Wine set-ups), a notice in the window, which stays
// until it is clicked or closed and keeps the window usable meanwhile. Clicking either raises the
// window with the pool selected and its pending ports listed (showPool).

#include "service/task_alerts.h"

#include <QObject>

#include <functional>
#include <vector>

class QFrame;
class QLabel;
class QSystemTrayIcon;
class QWidget;

namespace app {

// The notice's layout name (objectName); its text label is kTaskNoticeText.
inline constexpr std::string_view kTaskNotice = "新任务提醒";
inline constexpr std::string_view kTaskNoticeText = "新任务提醒文字";

class TaskNotice final : public QObject {
public:
    // useTray: whether to use the system tray when one exists (tests pass false).
    TaskNotice(QWidget& window, std::function<void(const runtime::Text& pool)> showPool,
               bool useTray = true);

    void show(const std::vector<service::PoolGain>& gains);
    // True when the last notice went to the tray balloon.
    bool shownInTray() const { return m_shownInTray; }
    // How many notices were shown.
    int shownCount() const { return m_shownCount; }

private:
    void showInWindow(const std::vector<service::PoolGain>& gains);

    QWidget& m_window;
    std::function<void(const runtime::Text&)> m_showPool;
    bool m_useTray;
    bool m_shownInTray = false;
    int m_shownCount = 0;
    std::vector<service::PoolGain> m_gains;
    QSystemTrayIcon* m_tray = nullptr;
    QFrame* m_notice = nullptr;
    QLabel* m_text = nullptr;
};

} // namespace app
