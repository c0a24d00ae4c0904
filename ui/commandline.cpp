#include "ui/commandline.h"

namespace trophex::ui {

namespace {

bool isOption(const QString& argument)
{
    return argument.size() > 1 && argument.startsWith(QLatin1Char('-'));
}

}  // namespace

CommandLine parseCommandLine(const QStringList& arguments)
{
    CommandLine line;
    bool onlyFiles = false;
    for (const QString& argument : arguments) {
        if (!onlyFiles && argument == QLatin1String("--")) {
            onlyFiles = true;
        } else if (!onlyFiles && (argument == QLatin1String("--help") || argument == QLatin1String("-h"))) {
            line.help = true;
        } else if (!onlyFiles && argument == QLatin1String("--version")) {
            line.version = true;
        } else if (!onlyFiles && isOption(argument)) {
            line.warnings << QStringLiteral("trophex: unknown option %1 ignored (%2)")
                                 .arg(argument, QLatin1String(ProgramUsage));
        } else if (argument.isEmpty()) {
            line.warnings << QStringLiteral("trophex: empty file name ignored");
        } else if (line.file.isEmpty()) {
            line.file = argument;
        } else {
            line.warnings << QStringLiteral("trophex: opens one file at a time; \"%1\" ignored").arg(argument);
        }
    }
    return line;
}

}  // namespace trophex::ui
