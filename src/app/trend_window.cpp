#include "app/trend_window.h"

#include "app/qt_text.h"
#include "runtime/codepage.h"
#include "runtime/profile_file.h"

#include <QBuffer>
#include <QButtonGroup>
#include <QCheckBox>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>
#include <QVBoxLayout>

namespace app {

namespace {

constexpr int kPollMs = 2000;
// Even with nothing stored, the span moves on with the clock about once a minute.
constexpr int kPollsBetweenMoves = 30;

struct SpanChoice {
    TrendSpan span;
    const char* caption;
};
constexpr std::array<SpanChoice, 4> kSpanChoices{{{TrendSpan::SixHours, "6小时"},
                                                  {TrendSpan::OneDay, "24小时"},
                                                  {TrendSpan::SevenDays, "7天"},
                                                  {TrendSpan::ThirtyDays, "30天"}}};

// A file name proposed for the picture: the pool's name without what a file name cannot hold.
QString proposedPngName(const runtime::Text& pool) {
    QString name = toQString(pool);
    for (const QChar bad : QStringLiteral("\\/:*?\"<>|")) {
        name.replace(bad, QLatin1Char('_'));
    }
    return fromUtf8("趋势-") + name + QStringLiteral(".png");
}

} // namespace

std::chrono::seconds trendSpanLength(TrendSpan span) {
    using namespace std::chrono;
    switch (span) {
    case TrendSpan::SixHours:
        return hours(6);
    case TrendSpan::OneDay:
        return hours(24);
    case TrendSpan::SevenDays:
        return days(7);
    case TrendSpan::ThirtyDays:
        return days(30);
    }
    return hours(24);
}

TrendWindow::TrendWindow(QWidget* parent, TrendWindowOptions options)
    : QWidget(parent, Qt::Window), m_options(std::move(options)), m_reader(m_options.historyPath),
      m_chart(new TrendChart(this)), m_spans(new QButtonGroup(this)), m_poll(new QTimer(this)) {
    setAttribute(Qt::WA_DeleteOnClose);
    // A window does not take its parent's font by itself: the main window's names the Chinese
    // families (Wine's default font has no Chinese glyphs).
    setAttribute(Qt::WA_WindowPropagation);
    if (parent != nullptr) {
        setFont(parent->font());
    }
    setWindowTitle(fromUtf8("趋势 - ") + toQString(m_options.pool));
    resize(960, 560);

    auto* top = new QHBoxLayout;
    for (const SpanChoice& choice : kSpanChoices) {
        auto* button = new QRadioButton(fromUtf8(choice.caption), this);
        m_spans->addButton(button, static_cast<int>(choice.span));
        top->addWidget(button);
    }
    m_spans->button(static_cast<int>(m_span))->setChecked(true);
    connect(m_spans, &QButtonGroup::idClicked, this,
            [this](int id) { setSpan(static_cast<TrendSpan>(id)); });
    top->addStretch();
    auto* exportButton = new QPushButton(fromUtf8("导出PNG…"), this);
    connect(exportButton, &QPushButton::clicked, this, &TrendWindow::exportPng);
    top->addWidget(exportButton);

    auto* counters = new QHBoxLayout;
    for (std::size_t counter = 0; counter < trend::kCounterCount; ++counter) {
        auto* box = new QCheckBox(fromUtf8(trend::kCounterNames.at(counter)), this);
        box->setChecked(std::ranges::find(trend::kDefaultCounters, counter) !=
                        trend::kDefaultCounters.end());
        connect(box, &QCheckBox::toggled, this, &TrendWindow::showCheckedCounters);
        m_counterBoxes.at(counter) = box;
        counters->addWidget(box);
    }
    counters->addStretch();

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addLayout(counters);
    layout->addWidget(m_chart, 1);

    m_poll->setInterval(kPollMs);
    connect(m_poll, &QTimer::timeout, this, &TrendWindow::lookForNewPasses);
    m_poll->start();
    m_reader.changed();
    reload();
}

void TrendWindow::showCheckedCounters() {
    std::vector<std::size_t> shown;
    for (std::size_t counter = 0; counter < trend::kCounterCount; ++counter) {
        if (m_counterBoxes.at(counter)->isChecked()) {
            shown.push_back(counter);
        }
    }
    m_chart->setCounters(std::move(shown));
}

void TrendWindow::setSpan(TrendSpan span) {
    m_span = span;
    if (QAbstractButton* button = m_spans->button(static_cast<int>(span))) {
        button->setChecked(true);
    }
    reload();
}

void TrendWindow::reload() {
    m_quietPolls = 0;
    const trend::Clock::time_point to = m_options.now();
    const trend::Clock::time_point from = to - trendSpanLength(m_span);
    auto rows = m_reader.points(m_options.pool, from, to);
    if (!rows) {
        // One line per outage, not one every two seconds.
        if (rows.error() != m_lastError && m_options.log) {
            m_options.log(runtime::concat(
                {runtime::gbk("趋势：无法读取历史记录 "), runtime::utf8ToGbk(rows.error())}));
        }
        m_lastError = rows.error();
        return;
    }
    m_lastError.clear();
    m_chart->setRows(std::move(*rows), from, to);
}

void TrendWindow::lookForNewPasses() {
    if (m_reader.changed() || ++m_quietPolls >= kPollsBetweenMoves) {
        reload();
    }
}

bool TrendWindow::savePng(const QString& file) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    const bool encoded = m_chart->grab().save(&buffer, "PNG");
    const runtime::Text shown = toGbk(file);
    const bool written =
        encoded && runtime::replaceProfileFile(filePathOf(file), bytes.toStdString()) ==
                       runtime::ProfileReplaceResult::Replaced;
    if (m_options.log) {
        m_options.log(written ? runtime::concat({runtime::gbk("导出PNG："), shown})
                              : runtime::concat({runtime::gbk("导出PNG失败：无法写入 "), shown,
                                                 runtime::gbk("（原有文件未改动）")}));
    }
    return written;
}

void TrendWindow::exportPng() {
    const QString file = QFileDialog::getSaveFileName(
        this, fromUtf8("导出PNG"), proposedPngName(m_options.pool), fromUtf8("PNG 图片 (*.png)"));
    if (!file.isEmpty()) {
        savePng(file);
    }
}

std::vector<TrendWindow*> trendWindowsOf(QWidget& mainWindow) {
    // Our widgets have no meta-object of their own (no moc), so findChildren<TrendWindow*> would
    // match any widget: look at the type itself.
    std::vector<TrendWindow*> open;
    for (QObject* child : mainWindow.children()) {
        if (auto* window = dynamic_cast<TrendWindow*>(child)) {
            open.push_back(window);
        }
    }
    return open;
}

TrendWindow* openTrendWindow(QWidget& mainWindow, TrendWindowOptions options) {
    for (TrendWindow* open : trendWindowsOf(mainWindow)) {
        if (open->pool() == options.pool) {
            open->raise();
            open->activateWindow();
            return open;
        }
    }
    auto* window = new TrendWindow(&mainWindow, std::move(options));
    window->show();
    return window;
}

} // namespace app
