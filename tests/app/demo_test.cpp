// pooldesk --demo: the real client starts the simulator beside it, signs in with the demo key
// for its screenshot (exit code 0 only once the pools are listed) and stops the simulator.
#include <QImage>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

TEST(DemoTest, SignsInAgainstTheBundledSimulator) {
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
