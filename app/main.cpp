// The desktop program: creates the windows, opens the data file named on the command line
// once the start-up screen has gone, and runs the event loop until the main window closes
// or Exit is chosen. The only setting it keeps is the File menu's list of recent files.

#include "arithmetic/numberformat.h"
#include "ui/application.h"
#include "ui/commandline.h"
#include "ui/dialogs.h"
#include "ui/helpviewer.h"
#include "ui/startup.h"

#include <QSettings>

#include <cstdio>

namespace {

// Without a display, and without a platform chosen explicitly, the windowing library
// would abort; say what is missing instead.
bool displayAvailable()
{
    return !qEnvironmentVariableIsEmpty("DISPLAY") || !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY") ||
           !qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM");
}

// The arguments as given, before the windowing library has taken its own.
QStringList rawArguments(int argc, char* argv[])
{
    QStringList arguments;
    for (int i = 1; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    return arguments;
}

// Answers --help and --version, which need no display; true when one was asked.
bool answeredWithoutWindows(const trophex::ui::CommandLine& line)
{
    if (line.help)
        std::printf("%s\n  Opens the model-run file FILE.tpx once the start-up screen has gone.\n",
                    trophex::ui::ProgramUsage);
    else if (line.version)
        std::puts("trophex 1.0");
    return line.help || line.version;
}

}  // namespace

int main(int argc, char* argv[])
{
    if (answeredWithoutWindows(trophex::ui::parseCommandLine(rawArguments(argc, argv))))
        return 0;
    if (!displayAvailable()) {
        std::fputs("trophex needs a graphical display, and none is set (DISPLAY and WAYLAND_DISPLAY are empty).\n",
                   stderr);
        return 1;
    }
    trophex::ui::QtUserDialogs dialogs;
    trophex::ui::TrophexApplication application(argc, argv, dialogs);
    QGuiApplication::setDesktopFileName(QStringLiteral("org.trophex.Trophex"));
    const trophex::ui::CommandLine commandLine = trophex::ui::parseCommandLine(application.arguments().mid(1));
    for (const QString& warning : commandLine.warnings)
        std::fprintf(stderr, "%s\n", qPrintable(warning));

    const trophex::NumberFormat format = trophex::NumberFormat::fromSystemLocale();
    const QString name = QStringLiteral("trophex");
    QSettings settings(QSettings::IniFormat, QSettings::UserScope, name, name);
    const trophex::ui::TrophexWindows windows =
        trophex::ui::createWindows(dialogs, format, trophex::ui::defaultHelpDirs(), settings);
    trophex::ui::openWhenStartupEnds(windows, commandLine.file);
    return application.exec();
}
