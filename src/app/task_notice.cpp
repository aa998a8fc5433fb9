#include "app/task_notice.h"

#include "app/qt_text.h"

#include <QApplication>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QStyle>
#include <QSystemTrayIcon>
#include <QToolButton>

namespace app {

namespace {

// Over the log panel's right half, clear of the busy animation, above everything else.
constexpr QRect kNoticeGeometry{480, 524, 556, 30};
constexpr int kBalloonMs = 15000;

} // namespace

TaskNotice::TaskNotice(QWidget& window, std::function<void(const runtime::Text& pool)> showPool,
                       bool useTray)
    : QObject(&window), m_window(window), m_showPool(std::move(showPool)), m_useTray(useTray) {}

void TaskNotice::show(const std::vector<service::PoolGain>& gains) {
    if (gains.empty()) {
        return;
    }
    m_gains = gains;
    ++m_shownCount;
    QApplication::alert(&m_window);
    m_shownInTray = m_useTray && QSystemTrayIcon::isSystemTrayAvailable();
    if (!m_shownInTray) {
        showInWindow(gains);
        return;
    }
    if (m_tray == nullptr) {
        m_tray = new QSystemTrayIcon(this);
        const QIcon icon = m_window.windowIcon();
        m_tray->setIcon(icon.isNull()
                            ? m_window.style()->standardIcon(QStyle::SP_MessageBoxInformation)
                            : icon);
        m_tray->setToolTip(QStringLiteral("PoolDesk"));
        // The balloon names every pool; a click on it shows the first.
        connect(m_tray, &QSystemTrayIcon::messageClicked, this, [this] {
            if (!m_gains.empty()) {
                m_showPool(m_gains.front().pool);
            }
        });
    }
    m_tray->show();
    m_tray->showMessage(fromUtf8("新任务"), toQString(service::gainsText(gains)),
                        QSystemTrayIcon::Information, kBalloonMs);
}

void TaskNotice::showInWindow(const std::vector<service::PoolGain>& gains) {
    if (m_notice == nullptr) {
        m_notice = new QFrame(&m_window);
        m_notice->setObjectName(fromUtf8(kTaskNotice));
        m_notice->setFrameShape(QFrame::StyledPanel);
        m_notice->setAutoFillBackground(true);
        QPalette palette = m_notice->palette();
        palette.setColor(QPalette::Window, QColor(0xFF, 0xF4, 0xCE));
        m_notice->setPalette(palette);
        m_notice->setGeometry(kNoticeGeometry);
        auto* layout = new QHBoxLayout(m_notice);
        layout->setContentsMargins(8, 2, 2, 2);
        m_text = new QLabel(m_notice);
        m_text->setObjectName(fromUtf8(kTaskNoticeText));
        m_text->setTextFormat(Qt::RichText);
        m_text->setTextInteractionFlags(Qt::LinksAccessibleByMouse | Qt::LinksAccessibleByKeyboard);
        layout->addWidget(m_text, 1);
        auto* close = new QToolButton(m_notice);
        close->setText(QStringLiteral("\u00D7"));
        close->setAutoRaise(true);
        close->setToolTip(fromUtf8("关闭"));
        layout->addWidget(close);
        connect(close, &QToolButton::clicked, m_notice, &QWidget::hide);
        // Each pool is a link to its ports.
        connect(m_text, &QLabel::linkActivated, this, [this](const QString& link) {
            bool ok = false;
            const auto index = static_cast<std::size_t>(link.toUInt(&ok));
            if (ok && index < m_gains.size()) {
                m_notice->hide();
                m_showPool(m_gains[index].pool);
            }
        });
    }
    QString html;
    for (std::size_t index = 0; index < gains.size(); ++index) {
        if (index > 0) {
            html += fromUtf8("，");
        }
        html += QStringLiteral("<a href=\"%1\">%2</a>")
                    .arg(index)
                    .arg(toQString(service::gainsText({gains[index]})).toHtmlEscaped());
    }
    m_text->setText(html);
    m_text->setToolTip(fromUtf8("点击卡池查看其待处理端口"));
    m_notice->show();
    m_notice->raise();
}

} // namespace app
