#include "app/main_window.h"

#include "app/bindings.h"
#include "app/busy_picture.h"
#include "app/creation_handler.h"
#include "app/event_pump.h"
#include "app/history_settings.h"
#include "app/layout.h"
#include "app/menus.h"
#include "app/operator_aids.h"
#include "app/qt_text.h"
#include "app/qt_window.h"
#include "app/settings.h"
#include "history/history_writer.h"
#include "runtime/controls.h"

#include <QAbstractButton>
#include <QAction>
#include <QCloseEvent>
#include <QLineEdit>
#include <QMenu>

#include <cstdio>
#include <cstdlib>

namespace app {

struct MainWindow::Parts {
    MainWindowOptions options;
    ScopedEventPump pump;
    std::unique_ptr<QtWindow> facade;
    Menus menus;
    std::function<void()> endSession;
    std::function<runtime::Text()> signedInKey;
};

MainWindow::MainWindow(MainWindowOptions options) : m_parts(std::make_unique<Parts>()) {
    m_parts->options = std::move(options);
    if (m_parts->options.settingsFile.empty()) {
        m_parts->options.settingsFile = defaultSettingsFile();
    }
    QFont font = this->font();
    font.setFamilies({QStringLiteral("WenQuanYi Micro Hei"), QStringLiteral("Microsoft YaHei"),
                      QStringLiteral("SimSun")});
    font.setPointSize(9);
    setFont(font);
    setWindowTitle(QStringLiteral("PoolDesk"));

    m_parts->facade = std::make_unique<QtWindow>(*this, buildLayout(*this));
    m_parts->pump.pump().attachWindow(dynamic_cast<BusyPicture*>(control(controls::kBusyPicture)),
                                      control(kCancelWaitButton));
    m_parts->menus = buildMenus(*this);
    m_parts->facade->setMenus(m_parts->menus);

    // The statistics history beside pz.ini; its file is opened with the first pass stored.
    const std::string& settingsFile = m_parts->options.settingsFile;
    auto historyWriter = std::make_shared<history::HistoryWriter>(history::HistoryWriter::Options{
        .store = {.path = historyFileBeside(settingsFile),
                  .log =
                      [](const std::string& line) {
                          std::fprintf(stderr, "pooldesk: %s\n", line.c_str());
                      },
                  .maxPages = 0},
        .keepDays = readHistoryDays(settingsFile)});
    ServiceActions actions = serviceActions(std::move(historyWriter));
    addOperatorAids(*this, *m_parts->facade, m_parts->menus, actions,
                    {.settingsFile = settingsFile,
                     .recordLightings = !m_parts->options.ledWorker,
                     .useTray = m_parts->options.useTray});
    if (m_parts->options.ledWorker) {
        actions.lightPortLed = m_parts->options.ledWorker;
    }
    m_parts->endSession = actions.endSession;
    m_parts->signedInKey = actions.signedInKey;
    bindEvents(*this, {*m_parts->facade, m_parts->menus, std::move(actions),
                       m_parts->options.settingsFile});

    std::array<QAbstractButton*, kRouteChoices.size()> routeButtons{};
    for (std::size_t i = 0; i < kRouteChoices.size(); ++i) {
        routeButtons[i] = qobject_cast<QAbstractButton*>(control(kRouteChoices[i].radio));
    }
    runCreationHandler({*m_parts->facade, *qobject_cast<QLineEdit*>(control(controls::kFilterBox)),
                        *control(controls::kShapeBox), m_parts->options.settingsFile,
                        m_parts->options.startOverlay, routeButtons});
}

MainWindow::~MainWindow() {
    // Before any widget goes: the signed-in session ends and the workers acting on the window
    // stop first.
    if (m_parts->endSession) {
        m_parts->endSession();
    }
    m_parts->facade->stopWorkers();
}

runtime::Window& MainWindow::window() {
    return *m_parts->facade;
}

QtWindow& MainWindow::qtWindow() {
    return *m_parts->facade;
}

QWidget* MainWindow::control(std::string_view name) const {
    const auto& widgets = m_parts->facade->controls().widgets;
    const auto found = widgets.find(name);
    return found == widgets.end() ? nullptr : found->second;
}

QMenu* MainWindow::menu(std::string_view root) const {
    return m_parts->facade->menu(root);
}

QAction* MainWindow::menuItem(std::string_view root, std::string_view caption) const {
    QMenu* found = menu(root);
    return found ? found->findChild<QAction*>(fromUtf8(caption)) : nullptr;
}

void MainWindow::syncViews() {
    m_parts->facade->syncViews();
}

runtime::Text MainWindow::signedInKey() const {
    return m_parts->signedInKey ? m_parts->signedInKey() : runtime::Text();
}

const std::string& MainWindow::settingsFile() const {
    return m_parts->options.settingsFile;
}

void MainWindow::closeEvent(QCloseEvent* event) {
    // An unwritable pz.ini must not keep the window open.
    if (!saveKeyOnClose(*m_parts->facade, m_parts->options.settingsFile)) {
        std::fprintf(stderr, "pooldesk: could not save the key to %s\n",
                     m_parts->options.settingsFile.c_str());
    }
    event->accept();
    if (m_parts->options.exitOnClose) {
        // Workers are not waited for: the process end stops them.
        std::fflush(nullptr);
        std::_Exit(0);
    }
}

} // namespace app
