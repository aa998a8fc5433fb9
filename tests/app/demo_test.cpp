// pooldesk --demo: the real client starts the simulator beside it, signs in with the demo key
// for its screenshot (exit code 0 only once the pools are listed) and stops the simulator.
#include <QImage>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

TEST(DemoTest, SignsInAgainstTheBundledSimulator) {
#if defined(__SANITIZE_THREAD__)
    // Seen: the client process under ThreadSanitizer stops (exit code 66) on a race it reports
    // in runtime::LiveWaitSignal between finish() and the predicate of waitFor(), both under the
    // signal's mutex; the tool does not see the wait re-take the mutex. Not the demo's code.
    GTEST_SKIP() << "ThreadSanitizer stops the client on its report of LiveWaitSignal's "
                    "condition-variable wait (both sides hold the mutex)";
#endif
    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    const QString file = folder.filePath(QStringLiteral("demo.png"));
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    if (!environment.contains(QStringLiteral("QT_QPA_PLATFORM"))) {
        environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    }
    QProcess process;
    process.setProcessEnvironment(environment);
    process.start(QStringLiteral(POOLDESK_EXECUTABLE),
                  {QStringLiteral("--demo"), QStringLiteral("--screenshot"), file});
    ASSERT_TRUE(process.waitForFinished(90000));
    EXPECT_EQ(process.exitCode(), 0) << process.readAllStandardError().toStdString();
    EXPECT_FALSE(QImage(file).isNull());
}

} // namespace
