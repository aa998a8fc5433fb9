#pragma once
// The log panel: each line is written below the previous one, after the local time it was
// written at ("HH:MM:SS "); when the next line would not fit, the text scrolls up by a line.
// Lines may be written from any thread.

#include <QString>
#include <QStringList>
#include <QWidget>

#include <atomic>
#include <deque>
#include <mutex>

namespace app {

class LogCanvas final : public QWidget {
public:
    // Lines kept beyond what the panel shows, for nothing but a look back in tests and tools.
    static constexpr std::size_t kKeptLines = 2000;

    explicit LogCanvas(QWidget* parent);

    void writeLine(const QString& line);
    // The lines as written, without their times.
    QStringList lines() const;
    // The lines the panel shows now, top to bottom, each after its time.
    QStringList visibleLines() const;
    int visibleLineCount() const;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    struct Line {
        QString time;
        QString text;
    };

    mutable std::mutex m_mutex;
    std::deque<Line> m_lines;
    std::atomic<bool> m_repaintQueued{false};
    // Set on the GUI thread from the font; read by any thread.
    std::atomic<int> m_lineHeight{1};
};

} // namespace app
