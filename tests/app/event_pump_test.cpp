// The responsive delay on the GUI thread keeps the window's events flowing.
#include "test_support/window_fixture.h"

#include "runtime/delay.h"

#include <QElapsedTimer>
#include <QTimer>

#include <atomic>
#include <thread>

namespace app::testing {
namespace {

using ResponsiveDelayTest = WindowTest;

TEST_F(ResponsiveDelayTest, DelayOnTheGuiThreadDeliversAQueuedCallFromAWorker) {
    QElapsedTimer clock;
    clock.start();
    std::atomic<qint64> deliveredAt{-1};
    std::thread worker([&] {
        QMetaObject::invokeMethod(
            &mainWindow(), [&] { deliveredAt = clock.elapsed(); }, Qt::QueuedConnection);
    });
    EXPECT_TRUE(runtime::responsiveDelay(100));
    const qint64 waited = clock.elapsed();
    worker.join();
    EXPECT_GE(deliveredAt.load(), 0) << "not delivered during the delay";
    EXPECT_LT(deliveredAt.load(), waited);
    EXPECT_GE(waited, 100);
}

TEST_F(ResponsiveDelayTest, BlockingCallFromAWorkerIsServedDuringTheDelay) {
    std::atomic<bool> served{false};
    std::thread worker([&] {
        window().setText("标签1", "from worker"); // a blocking queued call onto the GUI thread
        served = true;
    });
    runtime::responsiveDelay(100);
    EXPECT_TRUE(served);
    worker.join();
    EXPECT_EQ(window().text("标签1"), "from worker");
}

class PaintCounter final : public QObject {
public:
    int paints = 0;
    bool eventFilter(QObject*, QEvent* event) override {
        paints += event->type() == QEvent::Paint ? 1 : 0;
        return false;
    }
};

TEST_F(ResponsiveDelayTest, TimersAndRepaintsRunDuringTheDelay) {
    int fired = 0;
    QTimer::singleShot(10, &mainWindow(), [&] { ++fired; });
    PaintCounter counter;
    QWidget* canvas = mainWindow().control("画板1");
    canvas->installEventFilter(&counter);
    canvas->update();
    runtime::responsiveDelay(100);
    EXPECT_EQ(fired, 1);
    EXPECT_GE(counter.paints, 1);
}

} // namespace
} // namespace app::testing
