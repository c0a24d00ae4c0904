#pragma once
// The program's windows, created in start-up order: the main window (disabled), the About
// box shown at once as the start-up screen, and the Calibrate dialog, hidden and filled
// with the defaults of the ecoregion the main window shows.

#include "arithmetic/numberformat.h"

#include <QStringList>

#include <memory>

class QSettings;

namespace trophex::ui {

class HelpViewer;
class RecentFiles;
class TAboutBox;
class TCalibrateForm;
class TMainForm;
class UserDialogs;

// Destroyed in reverse order: the dialogs, which refer to the main window, go first; the
// help viewer and the recent files, which the main window refers to, go last.
struct TrophexWindows {
    std::unique_ptr<HelpViewer> Help;               // the help viewer, hidden until asked for
    std::unique_ptr<RecentFiles> Recent;            // the File menu's recent files, in the settings store
    std::unique_ptr<TMainForm> MainForm;            // the application's main window
    std::unique_ptr<TAboutBox> AboutBox;            // start-up screen and About window
    std::unique_ptr<TCalibrateForm> CalibrateForm;  // the calibration set

    TrophexWindows();
    TrophexWindows(TrophexWindows&&) noexcept;
    ~TrophexWindows();
};

// The main window also takes dropped data files and lists the recent files of the store.
TrophexWindows createWindows(UserDialogs& dialogs, const NumberFormat& format, const QStringList& helpDirs,
                             QSettings& settings);

// Opens the data file as Open would, once the start-up screen has gone; nothing for an
// empty name.
void openWhenStartupEnds(const TrophexWindows& windows, const QString& fileName);

}  // namespace trophex::ui
