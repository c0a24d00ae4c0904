// The desktop program: creates the windows and runs the event loop until the main window
// closes or Exit is chosen. It takes no arguments and keeps no settings.

#include "model/numberformat.h"
#include "ui/dialogs.h"
#include "ui/helpviewer.h"
#include "ui/startup.h"

#include <QApplication>

int main(int argc, char* argv[])
{
    QApplication application(argc, argv);
    const trophex::NumberFormat format = trophex::NumberFormat::fromSystemLocale();
    trophex::ui::QtUserDialogs dialogs;
    const trophex::ui::TrophexWindows windows =
        trophex::ui::createWindows(dialogs, format, trophex::ui::defaultHelpDirs());
    return application.exec();
}
