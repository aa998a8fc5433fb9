#pragma once
// The client's command line: --endpoints TEXT, --screenshot FILE, --help.

#include <QString>
#include <QStringList>

#include <optional>
#include <string>

namespace app {

struct CommandLine {
    std::optional<std::string> endpoints;
    QString screenshotFile;
    bool showHelp = false;
    QString error; // non-empty when the arguments are not understood
};

CommandLine parseCommandLine(const QStringList& arguments);
QString commandLineHelp();

} // namespace app
