#include "ui/startup.h"

#include "ui/aboutbox.h"
#include "ui/calibrateform.h"
#include "ui/filedialog.h"
#include "ui/helpviewer.h"
#include "ui/mainform.h"
#include "ui/widgets.h"

#include <QWindow>

namespace trophex::ui {

TrophexWindows::TrophexWindows() = default;
TrophexWindows::TrophexWindows(TrophexWindows&&) noexcept = default;
TrophexWindows::~TrophexWindows() = default;

namespace {

// Keeps a secondary window above the main window on desktops that stack windows.
void stayAbove(QWidget& window, QWidget& mainWindow)
{
    window.winId();
    window.windowHandle()->setTransientParent(mainWindow.windowHandle());
}

}  // namespace

TrophexWindows createWindows(UserDialogs& dialogs, const NumberFormat& format, const QStringList& helpDirs)
{
    installFontSubstitutes();
    describeFilesByNameInEveryFileDialog();
    TrophexWindows windows;
    windows.Help = std::make_unique<HelpViewer>(dialogs, helpDirs);
    windows.MainForm = std::make_unique<TMainForm>(dialogs, format, *windows.Help);
    windows.MainForm->show();
    windows.AboutBox = std::make_unique<TAboutBox>(*windows.MainForm);
    windows.CalibrateForm = std::make_unique<TCalibrateForm>(*windows.MainForm, *windows.Help);
    windows.MainForm->attachWindows(*windows.AboutBox, *windows.CalibrateForm);
    stayAbove(*windows.AboutBox, *windows.MainForm);
    stayAbove(*windows.CalibrateForm, *windows.MainForm);
    return windows;
}

}  // namespace trophex::ui
