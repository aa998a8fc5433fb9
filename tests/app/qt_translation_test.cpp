// Qt's own texts in the window's dialogs and menus, with Qt's Chinese translation loaded from
// where the client finds it (beside the executable on Windows, Qt's folder on Linux).
#include "test_support/window_fixture.h"

#include "app/qt_translation.h"
#include "runtime/codepage.h"
#include "runtime/controls.h"

#include <QApplication>
#include <QDialogButtonBox>
#include <QInputDialog>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>
#include <QTranslator>

#include <functional>
#include <memory>

namespace app::testing {
namespace {

QString qtText(const char* context, const char* source) {
    return QCoreApplication::translate(context, source);
}

// Waits for the next modal dialog of type T, hands it to look, then closes it.
template <typename T> void whenDialogOpens(std::function<void(T&)> look) {
    auto poll = std::make_shared<std::function<void()>>();
    *poll = [look = std::move(look), poll]() mutable {
        if (auto* dialog = qobject_cast<T*>(QApplication::activeModalWidget())) {
            look(*dialog);
            dialog->reject();
            *poll = nullptr; // breaks the cycle
            return;
        }
        QTimer::singleShot(10, qApp, *poll);
    };
    QTimer::singleShot(0, qApp, *poll);
}

class QtTranslationTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(m_folder.isValid());
        // As at start-up: the translation first, then the window.
        m_translation = installQtTranslation();
        ASSERT_NE(m_translation, nullptr)
            << "no qtbase_zh_CN.qm in " << qPrintable(qtTranslationFolder());
        m_window = openWindow(m_folder.filePath(QStringLiteral("pz.ini")).toStdString());
    }
    void TearDown() override {
        m_window.reset();
        m_translation.reset();
    }
    QTemporaryDir m_folder;
    std::unique_ptr<QTranslator> m_translation;
    std::unique_ptr<MainWindow> m_window;
};

TEST_F(QtTranslationTest, DialogsAndTheLineEditMenuCarryQtsChineseTexts) {
    const QString yes = qtText("QPlatformTheme", "&Yes");
    const QString no = qtText("QPlatformTheme", "&No");
    const QString ok = qtText("QPlatformTheme", "OK");
    const QString cancel = qtText("QPlatformTheme", "Cancel");
    // Translated at all: none of them is still Qt's English source text.
    EXPECT_NE(yes, QStringLiteral("&Yes"));
    EXPECT_NE(cancel, QStringLiteral("Cancel"));

    QStringList confirmationButtons;
    whenDialogOpens<QMessageBox>([&](QMessageBox& box) {
        confirmationButtons = {box.button(QMessageBox::Yes)->text(),
                               box.button(QMessageBox::No)->text()};
    });
    EXPECT_FALSE(m_window->qtWindow().confirm(QStringLiteral("确定？")));
    EXPECT_EQ(confirmationButtons, (QStringList{yes, no}));

    QStringList promptButtons;
    whenDialogOpens<QInputDialog>([&](QInputDialog& dialog) {
        auto* buttons = dialog.findChild<QDialogButtonBox*>();
        ASSERT_NE(buttons, nullptr);
        promptButtons = {buttons->button(QDialogButtonBox::Ok)->text(),
                         buttons->button(QDialogButtonBox::Cancel)->text()};
    });
    EXPECT_EQ(m_window->window().inputBox(runtime::gbk("关键词")), "");
    EXPECT_EQ(promptButtons, (QStringList{ok, cancel}));

    auto* keyBox = qobject_cast<QLineEdit*>(m_window->control(controls::kKeyBox));
    ASSERT_NE(keyBox, nullptr);
    const std::unique_ptr<QMenu> menu(keyBox->createStandardContextMenu());
    QStringList menuTexts;
    for (const QAction* action : menu->actions()) {
        if (!action->isSeparator()) {
            menuTexts << action->text().section(QLatin1Char('\t'), 0, 0);
        }
    }
    for (const char* source : {"&Undo", "Cu&t", "&Copy", "&Paste", "Select All"}) {
        EXPECT_TRUE(menuTexts.contains(qtText("QLineEdit", source))) << source;
    }
}

TEST_F(QtTranslationTest, AFolderWithoutTheFileInstallsNothing) {
    QTemporaryDir empty;
    EXPECT_EQ(installQtTranslation(empty.path()), nullptr);
}

} // namespace
} // namespace app::testing
