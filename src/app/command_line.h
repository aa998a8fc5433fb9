#pragma once
// The client's command line: --endpoints TEXT, --screenshot FILE, --help, --version. It is read
// before the Qt application exists, so that --help and a bad option never touch the display.

#include <QString>
#include <QStringList>

#include <optional>
#include <string>

namespace app {

struct CommandLine {
    std::optional<std::string> endpoints;
    QString screenshotFile; // absolute: a relative name is taken from the starting folder
    bool showHelp = false;
    bool showVersion = false;
    QString error; // non-empty when the arguments are not understood
};

// arguments[0] is the program. Qt's own single-dash options (-platform NAME, -style NAME, ...)
// are left for the Qt application.
CommandLine parseCommandLine(const QStringList& arguments);
QString commandLineHelp();
// "pooldesk 0.1.0"
QString versionLine();
// The program's arguments as the operator typed them (on Windows from the wide command line,
// whatever the ANSI code page).
QStringList programArguments(int argc, char** argv);

} // namespace app
