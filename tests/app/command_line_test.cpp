// The command line, including the real executable taking a screenshot on the offscreen platform.
#include "app/command_line.h"

#include <QDir>
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
    EXPECT_EQ(both.screenshotFile, QDir::current().absoluteFilePath(QStringLiteral("/tmp/a.png")));

    EXPECT_TRUE(parseCommandLine(args({"--help"})).showHelp);
    EXPECT_TRUE(parseCommandLine(args({"--version"})).showVersion);
    EXPECT_FALSE(parseCommandLine(args({"--endpoints"})).error.isEmpty()); // value missing
    EXPECT_FALSE(parseCommandLine(args({"--bogus"})).error.isEmpty());
    EXPECT_FALSE(parseCommandLine(args({"stray"})).error.isEmpty());
    // Qt's own options, with their values, are the Qt application's.
    const CommandLine qt = parseCommandLine(
        args({"-platform", "offscreen", "-reverse", "--screenshot", "s.png", "-style", "fusion"}));
    EXPECT_TRUE(qt.error.isEmpty()) << qt.error.toStdString();
    EXPECT_EQ(qt.screenshotFile, QDir::current().absoluteFilePath(QStringLiteral("s.png")));
}

// The client on this run's platform: offscreen unless one is named (windows under Wine).
QProcessEnvironment offscreen() {
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    if (!environment.contains(QStringLiteral("QT_QPA_PLATFORM"))) {
        environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    }
    return environment;
}

// A relative name is the starting folder's, although the program moves to its own folder.
TEST(CommandLineTest, ScreenshotSavesTheWindowAndQuits) {
    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    QProcess process;
    process.setProcessEnvironment(offscreen());
    process.setWorkingDirectory(folder.path());
    process.start(QStringLiteral(POOLDESK_EXECUTABLE),
                  {QStringLiteral("--endpoints"), QStringLiteral("netherlands=127.0.0.1:9"),
                   QStringLiteral("--screenshot"), QStringLiteral("shot.png")});
    ASSERT_TRUE(process.waitForFinished(60000));
    EXPECT_EQ(process.exitCode(), 0) << process.readAllStandardError().toStdString();
    const QImage image(folder.filePath(QStringLiteral("shot.png")));
    ASSERT_FALSE(image.isNull());
    EXPECT_EQ(image.size() / image.devicePixelRatio(), QSize(1158, 694));
}

// Answered before any window exists: on Linux the environment names no display at all.
TEST(CommandLineTest, HelpVersionAndBadOptionsNeedNoDisplay) {
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
#ifndef _WIN32
    for (const char* name : {"QT_QPA_PLATFORM", "DISPLAY", "WAYLAND_DISPLAY"}) {
        environment.remove(QString::fromLatin1(name));
    }
#endif
    struct Case {
        const char* argument;
        int exitCode;
        const char* stdoutHolds;
        const char* stderrHolds;
    };
    for (const Case& c : {Case{"--help", 0, "--screenshot FILE", ""},
                          Case{"--version", 0, "pooldesk " POOLDESK_VERSION, ""},
                          Case{"--bogus", 2, "", "unknown or incomplete argument: --bogus"}}) {
        QProcess process;
        process.setProcessEnvironment(environment);
        process.start(QStringLiteral(POOLDESK_EXECUTABLE), {QString::fromLatin1(c.argument)});
        ASSERT_TRUE(process.waitForFinished(60000)) << c.argument;
        EXPECT_EQ(process.exitStatus(), QProcess::NormalExit) << c.argument;
        EXPECT_EQ(process.exitCode(), c.exitCode) << c.argument;
        EXPECT_TRUE(process.readAllStandardOutput().contains(c.stdoutHolds)) << c.argument;
        EXPECT_TRUE(process.readAllStandardError().contains(c.stderrHolds)) << c.argument;
    }
}

} // namespace
} // namespace app
