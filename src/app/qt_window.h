#pragma once
// The Qt implementation of runtime::Window. List rows live in each list's store and change at
// once from any thread (the view follows at frame rate); what lives only in widgets (captions,
// edit texts, visibility, selection, menus, dialogs, clipboard) is reached on the GUI thread, by
// a direct call there or a blocking queued call from a worker.

#include "app/layout.h"
#include "runtime/window.h"
#include "runtime/worker_owner.h"

#include <QString>
#include <QStringList>

#include <deque>
#include <map>
#include <mutex>
#include <optional>
#include <string>

class QMenu;

namespace app {

class QtWindow final : public runtime::Window {
public:
    QtWindow(QWidget& window, Controls controls);
    ~QtWindow() override;
    QtWindow(const QtWindow&) = delete;
    QtWindow& operator=(const QtWindow&) = delete;

    bool startWorker(runtime::WorkerRoutine routine, std::int32_t argument = 0) override;
    // Asks the workers started against the window to stop and waits for them, serving their
    // calls to the GUI thread meanwhile; the window's owner calls it before its widgets go.
    void stopWorkers();

    void setMenus(std::map<std::string, QMenu*, std::less<>> menus);

    runtime::Text text(std::string_view control) override;
    void setText(std::string_view control, std::string_view text) override;
    bool isChecked(std::string_view control) override;
    void setLeft(std::string_view control, int left) override;
    void setVisible(std::string_view control, bool visible) override;
    void setDisabled(std::string_view control, bool disabled) override;
    void writeLine(std::string_view control, std::string_view line) override;

    int selectedRow(std::string_view list) override;
    int rowCount(std::string_view list) override;
    runtime::Text cellText(std::string_view list, int row, int column) override;
    runtime::RowTexts rowTexts(std::string_view list, int firstRow, int count,
                               int columns) override;
    void setCellText(std::string_view list, int row, int column, std::string_view text) override;
    int checkState(std::string_view list, int row) override;
    void setCheckState(std::string_view list, int row, int state) override;
    int appendRow(std::string_view list, std::string_view caption) override;
    void deleteRow(std::string_view list, int row) override;
    void deleteAllRows(std::string_view list) override;
    int findRow(std::string_view list, std::string_view caption) override;
    void setRowGreyed(std::string_view list, int row, bool greyed) override;

    bool putOnClipboard(std::string_view text) override;
    runtime::Text inputBox(std::string_view prompt) override;
    void popUpMenu(std::string_view menuRoot) override;

    const Controls& controls() const { return m_controls; }
    QMenu* menu(std::string_view root) const;

    // Brings every list view up to date now (GUI thread).
    void syncViews();
    // The next input box is answered with this text (nullopt cancels it) as soon as it opens.
    void answerNextInputBox(std::optional<QString> answer);
    // The prompt of the last input box opened.
    QString lastInputPrompt() const;

    // Asks the operator a yes/no question on the GUI thread; Enter answers yes, Escape no.
    bool confirm(const QString& question);
    // The next question is answered as soon as it opens, by Enter (true) or Escape (false).
    void answerNextConfirmation(bool yes);
    QString lastConfirmationQuestion() const;
    QStringList canvasLines(std::string_view canvas) const;

private:
    QWidget* widget(std::string_view name) const;
    ListModel* list(std::string_view name) const;

    QWidget& m_window;
    const Controls m_controls;
    std::map<std::string, QMenu*, std::less<>> m_menus;
    mutable std::mutex m_inputMutex;
    std::deque<std::optional<QString>> m_inputAnswers;
    QString m_lastInputPrompt;
    std::deque<bool> m_confirmationAnswers;
    QString m_lastConfirmationQuestion;
    // Last, so that the workers stop before anything they use goes.
    runtime::WorkerOwner m_workers;
};

} // namespace app
