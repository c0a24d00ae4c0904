#pragma once
// Shared helpers of the window tests: dialogs answered from a script, the program's windows
// created as at start-up, the worked example lake, and snapshots of everything a
// calculation can change.

#include "ui/dialogs.h"
#include "ui/startup.h"

#include <QImage>
#include <QMap>
#include <QSettings>
#include <QStringList>
#include <QTemporaryDir>

#include <deque>

class QComboBox;
class QLineEdit;
class QWidget;

namespace trophex::ui::testing {

// Answers every dialog from queued answers, so that no test blocks on a modal window. An
// empty file name stands for a cancelled dialog; a dialog with no queued answer is cancelled.
// The dialogs of data files and of CSV tables take their answers from the same queues.
class ScriptedDialogs : public UserDialogs {
public:
    std::deque<QString> openNames;       // answers of the open dialog
    std::deque<QString> saveNames;       // answers of the save dialog
    std::deque<QString> exportNames;     // answers of the export dialog
    QStringList exportCaptions;          // the caption of each export dialog
    QList<QStringList> exportFilters;    // the filters each export dialog offered
    QStringList exportStartNames;        // the name each export dialog started with
    std::deque<bool> replaceAnswers;     // answers of the replace question
    QStringList openStartNames;          // the name each open dialog started with
    QStringList saveStartNames;          // the name each save dialog started with
    QStringList replaceQuestions;        // the file each replace question named
    QStringList errors;                  // every error message shown
    std::deque<bool> printAnswers;       // answers of the print dialog
    int printDialogs = 0;                // how often the print dialog was shown
    int printerSetups = 0;               // how often the printer setup dialog was shown

    QString openFileName(QWidget* parent, const QString& lastName) override;
    QString saveFileName(QWidget* parent, const QString& lastName) override;
    QString exportFileName(QWidget* parent, const QString& caption, const QString& lastName,
                           const QStringList& filters) override;
    QString openTableName(QWidget* parent, const QString& lastName) override;
    QString saveTableName(QWidget* parent, const QString& lastName) override;
    bool confirmReplace(QWidget* parent, const QString& fileName) override;
    void showError(QWidget* parent, const QString& message) override;
    bool confirmPrint(QWidget* parent, QPrinter& printer) override;
    void setUpPrinter(QWidget* parent, QPrinter& printer) override;
};

// The help folder of the source tree, which holds the help file.
QString sourceHelpDir();
// A file of the source tree, by its path from the top folder.
QString sourcePath(const char* relative);

// A file's bytes; a file that cannot be read or written ends the test program.
QByteArray readBytes(const QString& path);
void writeBytes(const QString& path, const QByteArray& bytes);

// A settings store of the test's own, never the user's: in a fresh folder unless a file is
// named.
struct TestSettings {
    QTemporaryDir folder;  // holds the store when no file is named
    QSettings store;       // INI file

    explicit TestSettings(const QString& file = {});
};

// The windows as the program creates them, with the start-up screen still showing.
struct Program {
    TestSettings settings;
    ScriptedDialogs dialogs;
    TrophexWindows windows;
    TMainForm& main;

    explicit Program(const QStringList& helpDirs = {sourceHelpDir()}, const QString& settingsFile = {},
                     const NumberFormat& format = {});
    // Ends the start-up screen as its timer would.
    void endStartupScreen();
};

QLineEdit* editBox(QWidget* window, const char* name);
QComboBox* selector(QWidget* window, const char* name);

// Chooses a list item of a selector the way a user does: opens the list and clicks it.
void chooseFromList(QComboBox* selector, const QString& item);
// Replaces a selector's text by typing, one edit per key.
void typeInto(QComboBox* selector, const QString& text);

// 10 km2 of watershed, 1 km2 of lake 5 m deep, TP 30 ug/L, chlorophyll a 10 ug/L, Secchi
// depth 2 m, alkalinity 1 meq/L, with the "NLF" calibration set.
void enterWorkedExample(TMainForm& main);

void showPage(TMainForm& main, const QString& caption);

// Everything a calculation may change: every edit box and selector text of the main window,
// every grid cell, the chart as shown, the results-ready flag and the model's results.
struct Snapshot {
    QMap<QString, QString> texts;  // by object name; grid cells as "Grid[column,row]"
    QImage chart;                  // the chart surface as drawn on screen
    int resultsReady = 0;          // ResultsReady
    QStringList modelResults;      // balance and prediction results of the model state

    bool operator==(const Snapshot& other) const;
};
Snapshot snapshot(TMainForm& main);

}  // namespace trophex::ui::testing
