// The command line, including the real executable taking a screenshot on the offscreen platform.
#include "app/command_line.h"

#include <QImage>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace app {
namespace {

QStringList args(std::initializer_list<const char*> items) {
    QStringList list{QStringLiteral("pooldesk")};
    for (const char* item : items) {
        list << QString::fromUtf8(item);
    }
    return list;
}

TEST(CommandLineTest, Options) {
    const CommandLine none = parseCommandLine(args({}));
    EXPECT_FALSE(none.endpoints);
    EXPECT_TRUE(none.screenshotFile.isEmpty());
    EXPECT_TRUE(none.error.isEmpty());

    const CommandLine both = parseCommandLine(
        args({"--endpoints", "netherlands=127.0.0.1:8080", "--screenshot=/tmp/a.png"}));
    EXPECT_EQ(both.endpoints, "netherlands=127.0.0.1:8080");
    EXPECT_EQ(both.screenshotFile, QStringLiteral("/tmp/a.png"));

    EXPECT_TRUE(parseCommandLine(args({"--help"})).showHelp);
    EXPECT_FALSE(parseCommandLine(args({"--endpoints"})).error.isEmpty()); // value missing
    EXPECT_FALSE(parseCommandLine(args({"--bogus"})).error.isEmpty());
}

// The client on this run's platform: offscreen unless one is named (windows under Wine).
QProcessEnvironment offscreen() {
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    if (!environment.contains(QStringLiteral("QT_QPA_PLATFORM"))) {
        environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    }
    return environment;
}

TEST(CommandLineTest, ScreenshotSavesTheWindowAndQuits) {
    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    const QString file = folder.filePath(QStringLiteral("shot.png"));
    QProcess process;
    process.setProcessEnvironment(offscreen());
    process.start(QStringLiteral(POOLDESK_EXECUTABLE),
                  {QStringLiteral("--endpoints"), QStringLiteral("netherlands=127.0.0.1:9"),
                   QStringLiteral("--screenshot"), file});
    ASSERT_TRUE(process.waitForFinished(60000));
    EXPECT_EQ(process.exitCode(), 0) << process.readAllStandardError().toStdString();
    const QImage image(file);
    ASSERT_FALSE(image.isNull());
    EXPECT_EQ(image.size() / image.devicePixelRatio(), QSize(1158, 694));
}

TEST(CommandLineTest, HelpAndBadArguments) {
    QProcess help;
    help.setProcessEnvironment(offscreen());
    help.start(QStringLiteral(POOLDESK_EXECUTABLE), {QStringLiteral("--help")});
    ASSERT_TRUE(help.waitForFinished(60000));
    EXPECT_EQ(help.exitCode(), 0);
    EXPECT_TRUE(help.readAllStandardOutput().contains("--screenshot"));

    QProcess bad;
    bad.setProcessEnvironment(offscreen());
    bad.start(QStringLiteral(POOLDESK_EXECUTABLE), {QStringLiteral("--bogus")});
    ASSERT_TRUE(bad.waitForFinished(60000));
    EXPECT_EQ(bad.exitCode(), 2);
}

} // namespace
} // namespace app
