#include "overlay/mask_overlay.h"
#include "runtime/state.h"
#include "runtime/threads.h"

#include <QApplication>
#include <QDeadlineTimer>
#include <QPointer>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QWidget>
#include <QWindow>

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <memory>
#include <thread>

namespace {

using overlay::OverlayHandle;

bool inMaskList(OverlayHandle handle) {
    const auto list = runtime::maskListSnapshot();
    return std::find(list.begin(), list.end(), handle) != list.end();
}

quintptr handleProperty(const QObject* window) {
    return window->property(overlay::hWndProperty).value<quintptr>();
}

bool isHooked(const QObject* window) {
    return window->property(overlay::procProperty).isValid();
}

// Runs deferred deletions so a removed overlay window is really gone.
void settle() {
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QCoreApplication::processEvents();
}

// A shown main window with a panel holding the target, as the shape box sits in the window.
class MaskOverlayTest : public testing::Test {
protected:
    void SetUp() override {
        m_main = std::make_unique<QWidget>();
        m_main->setGeometry(100, 120, 400, 300);
        m_panel = new QWidget(m_main.get());
        m_panel->setGeometry(10, 10, 200, 200);
        m_target = new QWidget(m_panel);
        m_target->setGeometry(5, 5, 50, 50);
        m_main->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(m_main.get()));
    }
    void TearDown() override {
        m_main.reset();
        settle();
    }

    QRect clientArea() const { return QRect(m_main->mapToGlobal(QPoint(0, 0)), m_main->size()); }

    std::unique_ptr<QWidget> m_main;
    QWidget* m_panel = nullptr;
    QWidget* m_target = nullptr;
};

TEST_F(MaskOverlayTest, CoversTheTopLevelClientAreaAsAnInputTransparentTintedToolWindow) {
    const OverlayHandle handle = overlay::showOverlay(m_target);
    ASSERT_NE(handle, 0u);
    QWidget* window = overlay::overlayWindow(handle);
    ASSERT_NE(window, nullptr);

    EXPECT_TRUE(window->isWindow());
    EXPECT_TRUE(window->isVisible());
    EXPECT_EQ(window->parentWidget(), m_main.get());
    EXPECT_EQ(window->geometry(), clientArea());
    EXPECT_NEAR(window->windowOpacity(), 150.0 / 255.0, 0.01);
    const Qt::WindowFlags flags = window->windowFlags();
    EXPECT_TRUE(flags.testFlag(Qt::FramelessWindowHint));
    EXPECT_TRUE(flags.testFlag(Qt::WindowTransparentForInput));
    EXPECT_TRUE(flags.testFlag(Qt::WindowDoesNotAcceptFocus));
    EXPECT_EQ(window->windowType(), Qt::Tool);
    EXPECT_TRUE(window->testAttribute(Qt::WA_TransparentForMouseEvents));
    EXPECT_TRUE(window->testAttribute(Qt::WA_ShowWithoutActivating));
    EXPECT_FALSE(window->isActiveWindow());

    const QImage face = window->grab().toImage();
    EXPECT_EQ(face.pixelColor(face.width() / 2, face.height() / 2), QColor(Qt::black));

    EXPECT_EQ(handleProperty(m_target), handle);
    EXPECT_TRUE(isHooked(m_target));
    EXPECT_TRUE(isHooked(m_panel));
    EXPECT_TRUE(isHooked(m_main.get()));
    EXPECT_EQ(window->property(overlay::rgnProperty).value<quintptr>(), 0u);
    EXPECT_TRUE(window->property(overlay::blurProperty).isValid());
    EXPECT_TRUE(window->property(overlay::brushProperty).isValid());
    EXPECT_TRUE(inMaskList(handle));
}

TEST_F(MaskOverlayTest, SecondRequestForTheSameTargetRemovesTheFirst) {
    const OverlayHandle first = overlay::showOverlay(m_target);
    QPointer<QWidget> firstWindow = overlay::overlayWindow(first);
    const OverlayHandle second = overlay::showOverlay(m_target);
    settle();

    ASSERT_NE(second, 0u);
    EXPECT_NE(second, first);
    EXPECT_TRUE(firstWindow.isNull());
    EXPECT_EQ(overlay::overlayWindow(first), nullptr);
    ASSERT_NE(overlay::overlayWindow(second), nullptr);
    EXPECT_TRUE(overlay::overlayWindow(second)->isVisible());
    EXPECT_EQ(handleProperty(m_target), second);
    EXPECT_TRUE(isHooked(m_main.get()));
    EXPECT_TRUE(inMaskList(first));
    EXPECT_TRUE(inMaskList(second));
}

TEST_F(MaskOverlayTest, StaleHandlePropertyIsOverwritten) {
    const OverlayHandle removed = overlay::showOverlay(m_target);
    overlay::removeOverlay(removed);
    for (const quintptr stale : {quintptr{removed}, quintptr{0xDEADBEEF}}) {
        m_target->setProperty(overlay::hWndProperty, QVariant::fromValue(stale));
        const OverlayHandle handle = overlay::showOverlay(m_target);
        ASSERT_NE(handle, 0u);
        EXPECT_NE(handle, stale);
        EXPECT_EQ(handleProperty(m_target), handle);
        EXPECT_NE(overlay::overlayWindow(handle), nullptr);
    }
}

TEST_F(MaskOverlayTest, FollowsMovesOfTheWindowButNotResizes) {
    const OverlayHandle handle = overlay::showOverlay(m_target);
    QWidget* window = overlay::overlayWindow(handle);
    ASSERT_NE(window, nullptr);
    const QSize coveredSize = window->size();

    m_main->move(m_main->pos() + QPoint(60, 40));
    QCoreApplication::processEvents();
    EXPECT_EQ(window->pos(), m_main->mapToGlobal(QPoint(0, 0)));

    m_main->resize(600, 450);
    QCoreApplication::processEvents();
    EXPECT_EQ(window->size(), coveredSize);
    EXPECT_EQ(window->pos(), m_main->mapToGlobal(QPoint(0, 0)));
}

TEST_F(MaskOverlayTest, DestroyingTheTargetRemovesTheOverlayAndUnhooksItsChain) {
    const OverlayHandle handle = overlay::showOverlay(m_target);
    QPointer<QWidget> window = overlay::overlayWindow(handle);
    delete m_target;
    settle();

    EXPECT_TRUE(window.isNull());
    EXPECT_EQ(overlay::overlayWindow(handle), nullptr);
    EXPECT_FALSE(isHooked(m_panel));
    EXPECT_FALSE(isHooked(m_main.get()));
    // A removed overlay is not resurrected by later moves or removals.
    m_main->move(m_main->pos() + QPoint(5, 5));
    overlay::removeOverlay(handle);
    overlay::layoutOverlay(handle);
    EXPECT_EQ(overlay::overlayWindow(handle), nullptr);
}

TEST_F(MaskOverlayTest, WindowsStayHookedWhileAnotherOverlayInsideThemLives) {
    auto* sibling = new QWidget(m_panel);
    const OverlayHandle doomed = overlay::showOverlay(m_target);
    const OverlayHandle kept = overlay::showOverlay(sibling);
    ASSERT_NE(doomed, 0u);
    ASSERT_NE(kept, 0u);

    delete m_target;
    settle();
    EXPECT_EQ(overlay::overlayWindow(doomed), nullptr);
    EXPECT_TRUE(isHooked(m_panel));
    EXPECT_TRUE(isHooked(m_main.get()));

    QWidget* window = overlay::overlayWindow(kept);
    ASSERT_NE(window, nullptr);
    m_main->move(m_main->pos() + QPoint(30, 30));
    QCoreApplication::processEvents();
    EXPECT_EQ(window->pos(), m_main->mapToGlobal(QPoint(0, 0)));

    overlay::removeOverlay(kept);
    EXPECT_FALSE(isHooked(sibling));
    EXPECT_FALSE(isHooked(m_panel));
    EXPECT_FALSE(isHooked(m_main.get()));
    EXPECT_FALSE(sibling->property(overlay::hWndProperty).isValid());
}

TEST_F(MaskOverlayTest, DestroyingTheCoveredWindowTakesItsOverlaysAlong) {
    const OverlayHandle inner = overlay::showOverlay(m_target);
    const OverlayHandle outer = overlay::showOverlay(m_main.get());
    QPointer<QWidget> innerWindow = overlay::overlayWindow(inner);
    QPointer<QWidget> outerWindow = overlay::overlayWindow(outer);
    m_main.reset();
    settle();

    EXPECT_TRUE(innerWindow.isNull());
    EXPECT_TRUE(outerWindow.isNull());
    EXPECT_EQ(overlay::overlayWindow(inner), nullptr);
    EXPECT_EQ(overlay::overlayWindow(outer), nullptr);
}

TEST_F(MaskOverlayTest, ClicksReachTheControlUnderTheOverlay) {
    auto* button = new QPushButton(QStringLiteral("OK"), m_main.get());
    button->setGeometry(250, 200, 100, 40);
    button->show();
    ASSERT_NE(overlay::showOverlay(m_target), 0u);
    QSignalSpy clicks(button, &QPushButton::clicked);

    // Click where the window system says the point lies: the overlay, where the platform does
    // not honour input transparency, else the main window itself.
    const QPoint screenPoint = button->mapToGlobal(button->rect().center());
    QWindow* hit = QGuiApplication::topLevelAt(screenPoint);
    ASSERT_NE(hit, nullptr);
    QTest::mouseClick(hit, Qt::LeftButton, {}, hit->mapFromGlobal(screenPoint));
    EXPECT_EQ(clicks.count(), 1);
}

TEST_F(MaskOverlayTest, SomethingThatIsNotAWidgetGivesZeroAndChangesNothing) {
    const std::size_t masks = runtime::maskListSnapshot().size();
    const qsizetype windows = QApplication::topLevelWidgets().size();
    QPointer<QWidget> gone = new QWidget;
    QWidget* dangling = gone.data();
    delete gone.data();
    int notAWidget = 0;

    EXPECT_EQ(overlay::showOverlay(nullptr), 0u);
    EXPECT_EQ(overlay::showOverlay(dangling), 0u);
    EXPECT_EQ(overlay::maskShapeBox(reinterpret_cast<QWidget*>(&notAWidget)), 0u);
    EXPECT_EQ(notAWidget, 0);
    EXPECT_EQ(runtime::maskListSnapshot().size(), masks);
    EXPECT_EQ(QApplication::topLevelWidgets().size(), windows);
    EXPECT_FALSE(isHooked(m_main.get()));
}

TEST_F(MaskOverlayTest, OverlayFromAWorkerGoesAwayWhenTheWorkerEnds) {
    std::atomic<OverlayHandle> handle{0};
    std::atomic<bool> done{false};
    const std::jthread worker([&] {
        handle = overlay::maskShapeBox(m_target);
        done = true;
    });
    const QDeadlineTimer deadline(10000);
    while (!done && !deadline.hasExpired()) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    }
    ASSERT_TRUE(done);
    ASSERT_NE(handle.load(), 0u);
    EXPECT_TRUE(inMaskList(handle));

    while (overlay::overlayWindow(handle) != nullptr && !deadline.hasExpired()) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    }
    EXPECT_EQ(overlay::overlayWindow(handle), nullptr);
    EXPECT_FALSE(m_target->property(overlay::hWndProperty).isValid());
    EXPECT_FALSE(isHooked(m_main.get()));
}

TEST_F(MaskOverlayTest, OverlayFromTheGuiThreadOutlivesOtherThreads) {
    const OverlayHandle handle = overlay::showOverlay(m_target);
    std::atomic<bool> done{false};
    const std::jthread worker([&] {
        overlay::layoutOverlay(handle);
        done = true;
    });
    const QDeadlineTimer deadline(10000);
    while (!done && !deadline.hasExpired()) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    }
    QTest::qWait(50);
    EXPECT_NE(overlay::overlayWindow(handle), nullptr);
}

} // namespace

int main(int argc, char** argv) {
    // ctest lists the tests by running this binary without the test environment.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QApplication app(argc, argv);
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
