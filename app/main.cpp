// The desktop program: creates the windows and runs the event loop until the main window
// closes or Exit is chosen. It takes no arguments and keeps no settings.

#include "model/numberformat.h"
#include "ui/application.h"
#include "ui/dialogs.h"
#include "ui/helpviewer.h"
#include "ui/startup.h"

#include <cstdio>

namespace {

// Without a display, and without a platform chosen explicitly, the windowing library
// would abort; say what is missing instead.
bool displayAvailable()
{
    return !qEnvironmentVariableIsEmpty("DISPLAY") || !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY") ||
           !qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM");
}

}  // namespace

int main(int argc, char* argv[])
{
    if (!displayAvailable()) {
        std::fputs("trophex needs a graphical display, and none is set (DISPLAY and WAYLAND_DISPLAY are empty).\n",
                   stderr);
        return 1;
    }
    trophex::ui::QtUserDialogs dialogs;
    trophex::ui::TrophexApplication application(argc, argv, dialogs);
    const trophex::NumberFormat format = trophex::NumberFormat::fromSystemLocale();
    const trophex::ui::TrophexWindows windows =
        trophex::ui::createWindows(dialogs, format, trophex::ui::defaultHelpDirs());
    return application.exec();
}
