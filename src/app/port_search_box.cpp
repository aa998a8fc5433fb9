#include "app/port_search_box.h"

#include "app/qt_text.h"
#include "runtime/controls.h"
#include "service/port_search_view.h"

#include <QKeyEvent>
#include <QTimer>
#include <QTreeView>

namespace app {

namespace {

constexpr int kTypingPauseMs = 200;

// Escape in the box empties it (which brings the pool's ports back).
class EscapeClears final : public QObject {
public:
    explicit EscapeClears(QLineEdit& box) : QObject(&box), m_box(box) {}

protected:
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::KeyPress &&
            static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape && !m_box.text().isEmpty()) {
            m_box.clear();
            return true;
        }
        return false;
    }

private:
    QLineEdit& m_box;
};

} // namespace

void bindPortSearch(QLineEdit& box, QtWindow& window, std::function<service::Session*()> session) {
    auto* pause = new QTimer(&box);
    pause->setSingleShot(true);
    pause->setInterval(kTypingPauseMs);
    box.installEventFilter(new EscapeClears(box));
    QObject::connect(&box, &QLineEdit::textChanged, pause, [pause] { pause->start(); });
    QObject::connect(pause, &QTimer::timeout, &box, [&box, &window, session = std::move(session)] {
        service::Session* signedIn = session ? session() : nullptr;
        if (signedIn == nullptr) {
            return;
        }
        QTreeView* ports = window.controls().views.at(std::string(controls::kPortList));
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
