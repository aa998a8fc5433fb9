#include "app/qt_window.h"

#include "app/busy_picture.h"
#include "app/list_model.h"
#include "app/log_canvas.h"
#include "app/qt_text.h"
#include "overlay/gui_call.h"

#include <QAbstractButton>
#include <QClipboard>
#include <QCoreApplication>
#include <QCursor>
#include <QGroupBox>
#include <QGuiApplication>
#include <QInputDialog>
#include <QItemSelectionModel>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QTimer>
#include <QTreeView>

namespace app {
namespace {

template <typename Map>
auto lookUp(const Map& map, std::string_view name) -> typename Map::mapped_type {
    const auto found = map.find(name);
    return found == map.end() ? nullptr : found->second;
}

} // namespace

QtWindow::QtWindow(QWidget& window, Controls controls)
    : m_window(window), m_controls(std::move(controls)) {}

QtWindow::~QtWindow() {
    stopWorkers();
}

bool QtWindow::startWorker(runtime::WorkerRoutine routine, std::int32_t argument) {
    return m_workers.start(std::move(routine), argument);
}

void QtWindow::stopWorkers() {
    // A worker may be waiting for the GUI thread to run one of its calls: keep serving them.
    const bool onGuiThread = overlay::onGuiThreadNow();
    m_workers.stopAndWait([onGuiThread] {
        if (onGuiThread) {
            QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
        }
    });
}

void QtWindow::setMenus(std::map<std::string, QMenu*, std::less<>> menus) {
    m_menus = std::move(menus);
}

QWidget* QtWindow::widget(std::string_view name) const {
    return lookUp(m_controls.widgets, name);
}

ListModel* QtWindow::list(std::string_view name) const {
    return lookUp(m_controls.lists, name);
}

QMenu* QtWindow::menu(std::string_view root) const {
    return lookUp(m_menus, root);
}

runtime::Text QtWindow::text(std::string_view control) {
    QWidget* target = widget(control);
    if (!target) {
        return {};
    }
    const QString value = overlay::callOnGuiThread([target]() -> QString {
        if (auto* edit = qobject_cast<QLineEdit*>(target)) {
            return edit->text();
        }
        if (auto* label = qobject_cast<QLabel*>(target)) {
            return label->text();
        }
        if (auto* button = qobject_cast<QAbstractButton*>(target)) {
            return button->text();
        }
        if (auto* group = qobject_cast<QGroupBox*>(target)) {
            return group->title();
        }
        return {};
    });
    return toGbk(value);
}

void QtWindow::setText(std::string_view control, std::string_view text) {
    QWidget* target = widget(control);
    if (!target) {
        return;
    }
    const QString value = toQString(text);
    overlay::callOnGuiThread([target, &value] {
        if (auto* edit = qobject_cast<QLineEdit*>(target)) {
            edit->setText(value);
        } else if (auto* label = qobject_cast<QLabel*>(target)) {
            label->setText(value);
        } else if (auto* button = qobject_cast<QAbstractButton*>(target)) {
            button->setText(value);
        } else if (auto* group = qobject_cast<QGroupBox*>(target)) {
            group->setTitle(value);
        }
    });
}

bool QtWindow::isChecked(std::string_view control) {
    auto* button = qobject_cast<QAbstractButton*>(widget(control));
    if (!button) {
        return false;
    }
    return overlay::callOnGuiThread([button] { return button->isChecked(); });
}

void QtWindow::setLeft(std::string_view control, int left) {
    QWidget* target = widget(control);
    if (!target) {
        return;
    }
    overlay::callOnGuiThread([target, left] { target->move(left, target->y()); });
}

void QtWindow::setVisible(std::string_view control, bool visible) {
    QWidget* target = widget(control);
    if (!target) {
        return;
    }
    overlay::callOnGuiThread([target, visible] {
        // The busy animation is held by whoever shows it, not switched.
        if (auto* busy = dynamic_cast<BusyPicture*>(target)) {
            visible ? busy->hold() : busy->release();
        } else {
            target->setVisible(visible);
        }
    });
}

void QtWindow::setDisabled(std::string_view control, bool disabled) {
    QWidget* target = widget(control);
    if (!target) {
        return;
    }
    overlay::callOnGuiThread([target, disabled] { target->setDisabled(disabled); });
}

void QtWindow::writeLine(std::string_view control, std::string_view line) {
    if (LogCanvas* canvas = lookUp(m_controls.canvases, control)) {
        canvas->writeLine(toQString(line));
    }
}

int QtWindow::selectedRow(std::string_view list) {
    ListModel* model = this->list(list);
    QTreeView* view = lookUp(m_controls.views, list);
    if (!model || !view) {
        return -1;
    }
    return overlay::callOnGuiThread([model, view] {
        model->catchUp();
        const QModelIndexList rows = view->selectionModel()->selectedRows();
        return rows.isEmpty() ? -1 : rows.front().row();
    });
}

int QtWindow::rowCount(std::string_view list) {
    ListModel* model = this->list(list);
    return model ? model->store().rowCount() : 0;
}

runtime::Text QtWindow::cellText(std::string_view list, int row, int column) {
    ListModel* model = this->list(list);
    return model ? model->store().cell(row, column) : runtime::Text{};
}

runtime::RowTexts QtWindow::rowTexts(std::string_view list, int firstRow, int count, int columns) {
    ListModel* model = this->list(list);
    return model ? model->store().rows(firstRow, count, columns) : runtime::RowTexts(columns);
}

void QtWindow::setCellText(std::string_view list, int row, int column, std::string_view text) {
    if (ListModel* model = this->list(list)) {
        model->store().setCell(row, column, text);
    }
}

int QtWindow::checkState(std::string_view list, int row) {
    ListModel* model = this->list(list);
    return model ? model->store().checkState(row) : 0;
}

void QtWindow::setCheckState(std::string_view list, int row, int state) {
    if (ListModel* model = this->list(list)) {
        model->store().setCheckState(row, state);
    }
}

int QtWindow::appendRow(std::string_view list, std::string_view caption) {
    ListModel* model = this->list(list);
    return model ? model->store().appendRow(caption) : -1;
}

void QtWindow::deleteRow(std::string_view list, int row) {
    if (ListModel* model = this->list(list)) {
        model->store().deleteRow(row);
    }
}

void QtWindow::deleteAllRows(std::string_view list) {
    if (ListModel* model = this->list(list)) {
        model->store().deleteAll();
    }
}

int QtWindow::findRow(std::string_view list, std::string_view caption) {
    ListModel* model = this->list(list);
    return model ? model->store().findRow(caption) : -1;
}

void QtWindow::setRowGreyed(std::string_view list, int row, bool greyed) {
    if (ListModel* model = this->list(list)) {
        model->store().setGreyed(row, greyed);
    }
}

bool QtWindow::putOnClipboard(std::string_view text) {
    const QString value = toQString(text);
    return overlay::callOnGuiThread([&value] {
        QClipboard* clipboard = QGuiApplication::clipboard();
        if (!clipboard) {
            return false;
        }
        clipboard->clear();
        clipboard->setText(value);
        return clipboard->text() == value;
    });
}

runtime::Text QtWindow::inputBox(std::string_view prompt) {
    const QString label = toQString(prompt);
    const QString answer = overlay::callOnGuiThread([this, &label] {
        QInputDialog dialog(&m_window);
        dialog.setWindowTitle(QString());
        dialog.setInputMode(QInputDialog::TextInput);
        dialog.setLabelText(label);
        dialog.setTextValue(QString());
        dialog.setFont(m_window.font());
        {
            std::lock_guard lock(m_inputMutex);
            m_lastInputPrompt = label;
            if (!m_inputAnswers.empty()) {
                std::optional<QString> queued = std::move(m_inputAnswers.front());
                m_inputAnswers.pop_front();
                QTimer::singleShot(0, &dialog, [&dialog, queued] {
                    if (queued) {
                        dialog.setTextValue(*queued);
                        dialog.accept();
                    } else {
                        dialog.reject();
                    }
                });
            }
        }
        return dialog.exec() == QDialog::Accepted ? dialog.textValue() : QString();
    });
    return toGbk(answer);
}

bool QtWindow::confirm(const QString& question) {
    return overlay::callOnGuiThread([this, &question] {
        QMessageBox box(QMessageBox::Question, QString(), question,
                        QMessageBox::Yes | QMessageBox::No, &m_window);
        box.setDefaultButton(QMessageBox::Yes);
        box.setEscapeButton(QMessageBox::No);
        box.setFont(m_window.font());
        {
            std::lock_guard lock(m_inputMutex);
            m_lastConfirmationQuestion = question;
            if (!m_confirmationAnswers.empty()) {
                const bool yes = m_confirmationAnswers.front();
                m_confirmationAnswers.pop_front();
                // Answered the way the operator would: a key pressed in the open box.
                QTimer::singleShot(0, &box, [&box, yes] {
                    QWidget* target = box.focusWidget() ? box.focusWidget() : &box;
                    const int key = yes ? Qt::Key_Return : Qt::Key_Escape;
                    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
                    QCoreApplication::sendEvent(target, &press);
                });
            }
        }
        return box.exec() == QMessageBox::Yes;
    });
}

void QtWindow::answerNextConfirmation(bool yes) {
    std::lock_guard lock(m_inputMutex);
    m_confirmationAnswers.push_back(yes);
}

QString QtWindow::lastConfirmationQuestion() const {
    std::lock_guard lock(m_inputMutex);
    return m_lastConfirmationQuestion;
}

void QtWindow::popUpMenu(std::string_view menuRoot) {
    QMenu* root = menu(menuRoot);
    if (!root) {
        return;
    }
    // popup(), not exec(): a worker that asks for a menu must not wait for the operator.
    overlay::callOnGuiThread([root] { root->popup(QCursor::pos() + QPoint(3, 3)); });
}

void QtWindow::syncViews() {
    for (const auto& [name, model] : m_controls.lists) {
        model->catchUp();
    }
}

void QtWindow::answerNextInputBox(std::optional<QString> answer) {
    std::lock_guard lock(m_inputMutex);
    m_inputAnswers.push_back(std::move(answer));
}

QString QtWindow::lastInputPrompt() const {
    std::lock_guard lock(m_inputMutex);
    return m_lastInputPrompt;
}

QStringList QtWindow::canvasLines(std::string_view canvas) const {
    LogCanvas* target = lookUp(m_controls.canvases, canvas);
    return target ? target->lines() : QStringList{};
}

} // namespace app
