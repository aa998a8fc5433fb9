#include "app/command_line.h"

#include <QFileInfo>

#include <array>

#ifdef _WIN32
#include <windows.h>

#include <shellapi.h>
#endif

namespace app {

namespace {

// Qt's own options that take a value; the Qt application reads and removes them.
constexpr std::array kQtOptionsWithValue{
    "-platform",    "-platformpluginpath", "-platformtheme", "-plugin",     "-qwindowgeometry",
    "-qwindowicon", "-qwindowtitle",       "-style",         "-stylesheet", "-session",
    "-display",     "-geometry",           "-title",         "-name",       "-qmljsdebugger"};

bool isQtOption(const QString& argument) {
    return argument.size() > 1 && argument[0] == QLatin1Char('-') &&
           argument[1] != QLatin1Char('-') && argument != QLatin1String("-h");
}

bool qtOptionTakesValue(const QString& argument) {
    for (const char* option : kQtOptionsWithValue) {
        if (argument == QLatin1String(option)) {
            return true;
        }
    }
    return false;
}

} // namespace

CommandLine parseCommandLine(const QStringList& arguments) {
    CommandLine result;
    for (qsizetype i = 1; i < arguments.size(); ++i) {
        const QString& argument = arguments[i];
        const auto value = [&](const QString& name) -> std::optional<QString> {
            const QString prefix = name + QLatin1Char('=');
            if (argument.startsWith(prefix)) {
                return argument.mid(prefix.size());
            }
            if (argument == name && i + 1 < arguments.size()) {
                return arguments[++i];
            }
            return std::nullopt;
        };
        if (argument == QLatin1String("--help") || argument == QLatin1String("-h")) {
            result.showHelp = true;
        } else if (argument == QLatin1String("--version")) {
            result.showVersion = true;
        } else if (isQtOption(argument)) {
            i += qtOptionTakesValue(argument) && i + 1 < arguments.size() ? 1 : 0;
        } else if (auto endpoints = value(QStringLiteral("--endpoints"))) {
            result.endpoints = endpoints->toStdString();
        } else if (auto file = value(QStringLiteral("--screenshot"))) {
            // Absolute now: the program moves to its own folder before it saves the picture.
            result.screenshotFile = file->isEmpty() ? *file : QFileInfo(*file).absoluteFilePath();
        } else {
            result.error = QStringLiteral("unknown or incomplete argument: ") + argument;
            return result;
        }
    }
    return result;
}

QString commandLineHelp() {
    return QStringLiteral(
        "Usage: pooldesk [--demo] [--endpoints TEXT] [--screenshot FILE] [--help] [--version]\n"
        "\n"
        "  --demo             start the bundled simulator, point the client at it with its demo\n"
        "                     key filled in, and stop it when the window closes\n"
        "  --endpoints TEXT   route endpoints and statistics server, e.g.\n"
        "                     "
        "malaysia=HOST[:PORT],netherlands=HOST:PORT,hongkong=HOST:PORT,stats=HOST:PORT\n"
        "                     (overrides the POOLDESK_ENDPOINTS environment variable)\n"
        "  --screenshot FILE  save the window as PNG once it is shown, then quit\n"
        "  --help             show this help\n"
        "  --version          show the version\n");
}

QString versionLine() {
    return QStringLiteral("pooldesk " POOLDESK_VERSION "\n");
}

QStringList programArguments(int argc, char** argv) {
    QStringList arguments;
#ifdef _WIN32
    int count = 0;
    if (wchar_t** wide = CommandLineToArgvW(GetCommandLineW(), &count)) {
        for (int i = 0; i < count; ++i) {
            arguments << QString::fromWCharArray(wide[i]);
        }
        LocalFree(wide);
        return arguments;
    }
#endif
    for (int i = 0; i < argc; ++i) {
        arguments << QString::fromLocal8Bit(argv[i]);
    }
    return arguments;
}

} // namespace app
