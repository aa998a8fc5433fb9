#include "app/port_search_box.h"

#include "app/qt_text.h"
#include "runtime/controls.h"
#include "service/port_search_view.h"

#include <QKeyEvent>
#include <QTimer>
#include <QTreeView>

#include <memory>

namespace app {

namespace {

constexpr int kTypingPauseMs = 200;

// Escape in the box empties it and brings the pool's ports back.
class EscapeClears final : public QObject {
public:
    EscapeClears(QLineEdit& box, QTimer& pause) : QObject(&box), m_box(box), m_pause(pause) {}

protected:
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::KeyPress &&
            static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape && !m_box.text().isEmpty()) {
            m_box.clear();
            m_pause.start();
            return true;
        }
        return false;
    }

private:
    QLineEdit& m_box;
    QTimer& m_pause;
};

} // namespace

void bindPortSearch(QLineEdit& box, QtWindow& window, std::function<service::Session*()> session) {
    auto* pause = new QTimer(&box);
    pause->setSingleShot(true);
    pause->setInterval(kTypingPauseMs);
    box.installEventFilter(new EscapeClears(box, *pause));
    QTreeView* ports = window.controls().views.at(std::string(controls::kPortList));
    // The operator's edits search; a listing that empties the box (endPortSearch) only ends the
    // search: the list is already the pool's, so a search still waiting must not replace it.
    auto edited = std::make_shared<bool>(false);
    QObject::connect(&box, &QLineEdit::textEdited, pause, [pause, edited] {
        *edited = true;
        pause->start();
    });
    QObject::connect(&box, &QLineEdit::textChanged, pause,
                     [pause, edited, ports](const QString& text) {
                         if (text.isEmpty() && !*edited) {
                             ports->setColumnHidden(service::kSearchPoolColumn, true);
                             pause->stop();
                         }
                         *edited = false;
                     });
    QObject::connect(pause, &QTimer::timeout, &box,
                     [&box, &window, ports, session = std::move(session)] {
                         service::Session* signedIn = session ? session() : nullptr;
                         if (signedIn == nullptr) {
                             return;
                         }
                         const runtime::Text needle = toGbk(box.text());
                         ports->setColumnHidden(service::kSearchPoolColumn, needle.empty());
                         if (needle.empty()) {
                             service::showSelectedPoolPorts(window, signedIn->snapshot());
                         } else {
                             service::showSearchResults(window, signedIn->snapshot(), needle);
                         }
                     });
}

} // namespace app
