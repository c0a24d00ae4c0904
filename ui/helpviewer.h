#pragma once
// The help viewer: a window of its own that shows a topic of the help file "trxhelp.hlp"
// by its context number. It is not modal; the windows stay usable while it is open.

#include <QStringList>
#include <QWidget>

class QTextBrowser;

namespace trophex::ui {

class UserDialogs;

inline constexpr const char* HelpFileName = "trxhelp.hlp";
inline constexpr int MainWindowHelpContext = 0;
inline constexpr int CalibrationHelpContext = 100;
inline constexpr int LoadResponseHelpContext = 200;

// Where the help file is looked for by a program in programDir: beside it (a build tree),
// then in the data folder of the installation it belongs to.
QStringList helpDirsFor(const QString& programDir);
// The folders of the running program.
QStringList defaultHelpDirs();

// The help file's path in the first folder that holds it; empty when none does.
QString findHelpFile(const QStringList& dirs);

class HelpViewer : public QWidget {
public:
    HelpViewer(UserDialogs& dialogs, QStringList helpDirs);

    // Shows the topic of the context number; reports a missing help file in an error box
    // over the requesting window.
    void showTopic(int context, QWidget* requester);

    QTextBrowser* browser() const { return browser_; }

private:
    UserDialogs& dialogs_;
    QStringList helpDirs_;
    QTextBrowser* browser_;
    bool shownBefore_ = false;  // centred on the screen only the first time
};

}  // namespace trophex::ui
