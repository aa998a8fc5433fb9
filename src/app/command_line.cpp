#include "app/command_line.h"

namespace app {

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
        } else if (auto endpoints = value(QStringLiteral("--endpoints"))) {
            result.endpoints = endpoints->toStdString();
        } else if (auto file = value(QStringLiteral("--screenshot"))) {
            result.screenshotFile = *file;
        } else {
            result.error = QStringLiteral("unknown or incomplete argument: ") + argument;
            return result;
        }
    }
    return result;
}

QString commandLineHelp() {
    return QStringLiteral(
        "Usage: pooldesk [--endpoints TEXT] [--screenshot FILE]\n"
        "\n"
        "  --endpoints TEXT   route endpoints and statistics server, e.g.\n"
        "                     "
        "malaysia=HOST[:PORT],netherlands=HOST:PORT,hongkong=HOST:PORT,stats=HOST:PORT\n"
        "                     (overrides the POOLDESK_ENDPOINTS environment variable)\n"
        "  --screenshot FILE  save the window as PNG once it is shown, then quit\n"
        "  --help             show this help\n");
}

} // namespace app
