#pragma once
// The program's windows, created in start-up order: the main window (disabled), the About
// box shown at once as the start-up screen, and the Calibrate dialog, hidden and filled
// with the defaults of the ecoregion the main window shows.

#include "model/numberformat.h"

#include <QStringList>

#include <memory>

namespace trophex::ui {

class HelpViewer;
class TAboutBox;
class TCalibrateForm;
class TMainForm;
class UserDialogs;

// Destroyed in reverse order: the dialogs, which refer to the main window, go first.
struct TrophexWindows {
    std::unique_ptr<HelpViewer> Help;               // the help viewer, hidden until asked for
    std::unique_ptr<TMainForm> MainForm;            // the application's main window
    std::unique_ptr<TAboutBox> AboutBox;            // start-up screen and About window
    std::unique_ptr<TCalibrateForm> CalibrateForm;  // the calibration set

    TrophexWindows();
    TrophexWindows(TrophexWindows&&) noexcept;
    ~TrophexWindows();
};

TrophexWindows createWindows(UserDialogs& dialogs, const NumberFormat& format, const QStringList& helpDirs);

}  // namespace trophex::ui
