#include "app/led_panel.h"

#include "app/qt_text.h"
#include "overlay/gui_call.h"
#include "runtime/codepage.h"
#include "runtime/worker_owner.h"
#include "service/operations.h"
#include "service/pool_membership.h"

#include <QDateTime>
#include <QHeaderView>
#include <QMenu>
#include <QPushButton>
#include <QTreeWidget>

#include <algorithm>

namespace app {

namespace {

enum Column { kPort, kPool, kDuration, kStartedAt, kTimeLeft, kResult };

// The pool a port belongs to among the session's pools; the part of its name before the first
// "." when none claims it.
runtime::Text poolOf(const service::Session& session, std::string_view port) {
    for (const runtime::Text& pool : session.snapshot().pools()) {
        if (!pool.empty() && service::portBelongsToPool(port, pool)) {
            return pool;
        }
    }
    return runtime::Text(port.substr(0, std::min(port.find('.'), port.size())));
}

QString timeLeftText(std::chrono::system_clock::duration left) {
    const auto seconds = std::chrono::ceil<std::chrono::seconds>(left).count();
    return QStringLiteral("%1:%2")
        .arg(seconds / 60, 2, 10, QLatin1Char('0'))
        .arg(seconds % 60, 2, 10, QLatin1Char('0'));
}

} // namespace

std::chrono::seconds ledDurationLength(runtime::LedDuration duration) {
    return duration == runtime::LedDuration::TwentyMinutes ? std::chrono::minutes(20)
                                                           : std::chrono::minutes(10);
}

LedPanel::LedPanel(QWidget* page, SessionSource session)
    : QWidget(page), m_session(std::move(session)),
      m_clock([] { return std::chrono::system_clock::now(); }), m_list(new QTreeWidget(this)),
      m_clearAll(new QPushButton(fromUtf8(kLedClearAll), this)) {
    setGeometry(page->rect());
    m_list->setObjectName(fromUtf8(kLedList));
    m_list->setGeometry(16, 32, 1096, 392);
    m_list->setHeaderLabels({fromUtf8("端口"), fromUtf8("卡池"), fromUtf8("时长"),
                             fromUtf8("开始时间"), fromUtf8("剩余时间"), fromUtf8("结果")});
    m_list->setRootIsDecorated(false);
    m_list->setUniformRowHeights(true);
    m_list->setAllColumnsShowFocus(true);
    m_list->setSelectionMode(QAbstractItemView::SingleSelection);
    m_list->setContextMenuPolicy(Qt::CustomContextMenu);
    m_list->header()->setStretchLastSection(true);
    for (const auto& [column, width] : {std::pair{kPort, 155},
                                        {kPool, 120},
                                        {kDuration, 80},
                                        {kStartedAt, 100},
                                        {kTimeLeft, 90}}) {
        m_list->header()->resizeSection(column, width);
    }
    connect(m_list, &QWidget::customContextMenuRequested, this, &LedPanel::popUpRowMenu);

    m_clearAll->setObjectName(fromUtf8(kLedClearAll));
    m_clearAll->setGeometry(992, 432, 120, 24);
    m_clearAll->setToolTip(fromUtf8("只清空这张提醒列表，不发送任何请求：服务没有熄灯的命令，"
                                    "灯会亮到各自的时长结束"));
    connect(m_clearAll, &QPushButton::clicked, this, &LedPanel::clearAll);

    connect(&m_ticker, &QTimer::timeout, this, &LedPanel::tick);
    m_ticker.start(1000);
}

void LedPanel::setClock(Clock clock) {
    m_clock = std::move(clock);
}

LedWorker LedPanel::worker() {
    return [this](runtime::Window& window, int row) {
        service::Session* session = service::Session::of(window);
        if (session == nullptr) {
            return;
        }
        const auto startedAt = m_clock();
        const service::LedOutcome outcome = service::lightPortLed(*session, row);
        if (!outcome.lit && runtime::stopRequested()) {
            return; // ended with its session or window: it neither lit nor failed
        }
        record({.port = outcome.port,
                .pool = poolOf(*session, outcome.port),
                .duration = outcome.duration,
                .startedAt = startedAt,
                .lit = outcome.lit,
                .result =
                    outcome.lit ? runtime::gbk("点亮成功") : service::ledFailureReason(outcome)});
    };
}

void LedPanel::record(LedLighting lighting) {
    const auto keep = [this](LedLighting kept) {
        // The latest lighting of a port is the one its LED follows.
        const auto same = std::ranges::find(m_lightings, kept.port, &LedLighting::port);
        if (same != m_lightings.end()) {
            *same = std::move(kept);
            show(static_cast<std::size_t>(same - m_lightings.begin()));
        } else {
            m_lightings.push_back(std::move(kept));
            new QTreeWidgetItem(m_list);
            show(m_lightings.size() - 1);
        }
    };
    if (overlay::onGuiThreadNow()) {
        keep(std::move(lighting));
        return;
    }
    // The workers end before the window's widgets go; the guard covers a panel gone anyway.
    overlay::postToGuiThread(this, [keep, kept = std::move(lighting)] { keep(kept); });
}

bool LedPanel::relight(int row) {
    const std::shared_ptr<service::Session> session = m_session ? m_session() : nullptr;
    if (!session || row < 0 || row >= static_cast<int>(m_lightings.size())) {
        return false;
    }
    const LedLighting& lighting = m_lightings[static_cast<std::size_t>(row)];
    return session->startWorker([this, port = lighting.port, pool = lighting.pool,
                                 duration = lighting.duration](service::Session& on) {
        const auto startedAt = m_clock();
        const service::LedOutcome outcome = service::lightNamedPort(on, port, duration);
        if (!outcome.lit && runtime::stopRequested()) {
            return;
        }
        record({.port = port,
                .pool = pool,
                .duration = duration,
                .startedAt = startedAt,
                .lit = outcome.lit,
                .result =
                    outcome.lit ? runtime::gbk("点亮成功") : service::ledFailureReason(outcome)});
    });
}

void LedPanel::remove(int row) {
    if (row < 0 || row >= static_cast<int>(m_lightings.size())) {
        return;
    }
    m_lightings.erase(m_lightings.begin() + row);
    delete m_list->takeTopLevelItem(row);
}

void LedPanel::clearAll() {
    m_lightings.clear();
    m_list->clear();
}

void LedPanel::tick() {
    const auto now = m_clock();
    for (int row = static_cast<int>(m_lightings.size()) - 1; row >= 0; --row) {
        const LedLighting& lighting = m_lightings[static_cast<std::size_t>(row)];
        const auto left = lighting.startedAt + ledDurationLength(lighting.duration) - now;
        if (left <= std::chrono::system_clock::duration::zero()) {
            remove(row);
        } else if (lighting.lit) {
            m_list->topLevelItem(row)->setText(kTimeLeft, timeLeftText(left));
        }
    }
}

void LedPanel::show(std::size_t index) {
    const LedLighting& lighting = m_lightings[index];
    QTreeWidgetItem* item = m_list->topLevelItem(static_cast<int>(index));
    item->setText(kPort, toQString(lighting.port));
    item->setText(kPool, toQString(lighting.pool));
    item->setText(kDuration, lighting.duration == runtime::LedDuration::TwentyMinutes
                                 ? fromUtf8("20分钟")
                                 : fromUtf8("10分钟"));
    item->setText(kStartedAt, QDateTime::fromMSecsSinceEpoch(
                                  std::chrono::duration_cast<std::chrono::milliseconds>(
                                      lighting.startedAt.time_since_epoch())
                                      .count())
                                  .toString(QStringLiteral("HH:mm:ss")));
    item->setText(kTimeLeft, lighting.lit
                                 ? timeLeftText(lighting.startedAt +
                                                ledDurationLength(lighting.duration) - m_clock())
                                 : QStringLiteral("-"));
    item->setText(kResult, toQString(lighting.result));
}

void LedPanel::popUpRowMenu(const QPoint& at) {
    QTreeWidgetItem* item = m_list->itemAt(at);
    if (item == nullptr) {
        return;
    }
    const int row = m_list->indexOfTopLevelItem(item);
    QMenu menu(this);
    QAction* again = menu.addAction(fromUtf8("重新点亮"));
    again->setEnabled(m_session && m_session() != nullptr);
    QAction* forget = menu.addAction(fromUtf8("移除"));
    QAction* chosen = menu.exec(m_list->viewport()->mapToGlobal(at) + QPoint(3, 3));
    if (chosen == again) {
        relight(row);
    } else if (chosen == forget) {
        remove(row);
    }
}

} // namespace app
