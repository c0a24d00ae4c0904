#pragma once
// The modal questions and messages the windows put to the user. The windows reach them only
// through this interface, so that a test can answer them without a dialog ever blocking.

#include "ui/printcommand.h"

#include <QString>
#include <QStringList>

class QPrinter;
class QWidget;

namespace trophex::ui {

inline constexpr const char* DataFileFilter = "TRPHEX (*.tpx)";  // spelled as the program always has
inline constexpr const char* TableFileFilter = "CSV tables (*.csv);;All files (*)";

class UserDialogs {
public:
    virtual ~UserDialogs() = default;

    // The file chosen in the open or save dialog, which starts with lastName; empty when
    // the user cancels. No extension is added to a name typed without one.
    virtual QString openFileName(QWidget* parent, const QString& lastName) = 0;
    virtual QString saveFileName(QWidget* parent, const QString& lastName) = 0;
    // The same for CSV tables of lakes.
    virtual QString openTableName(QWidget* parent, const QString& lastName) = 0;
    virtual QString saveTableName(QWidget* parent, const QString& lastName) = 0;

    // The file chosen in a save dialog for something other than a data file (a picture, a
    // table), with the caption given and offering the filters ("PNG image (*.png)"); empty
    // when the user cancels. A name typed without an extension gets the one of the filter
    // chosen.
    virtual QString exportFileName(QWidget* parent, const QString& caption, const QString& lastName,
                                   const QStringList& filters) = 0;

    // Whether the existing file may be replaced.
    virtual bool confirmReplace(QWidget* parent, const QString& fileName) = 0;

    // A modal box with the error icon, the caption "Error" and one OK button.
    virtual void showError(QWidget* parent, const QString& message) = 0;

    // The print dialog on the kept printer; true when the user confirmed.
    virtual bool confirmPrint(QWidget* parent, QPrinter& printer) = 0;
    // The printer setup dialog on the kept printer.
    virtual void setUpPrinter(QWidget* parent, QPrinter& printer) = 0;
};

// The print dialog of a window's UserDialogs, as the Print commands ask for it.
class UserPrintDialog : public PrintDialogRunner {
public:
    UserPrintDialog(UserDialogs& dialogs, QWidget* parent) : dialogs_(dialogs), parent_(parent) {}
    bool confirm(QPrinter& printer) override { return dialogs_.confirmPrint(parent_, printer); }

private:
    UserDialogs& dialogs_;  // the dialogs of the window
    QWidget* parent_;       // owner of the modal dialog
};

// The platform's file dialogs and message boxes.
class QtUserDialogs : public UserDialogs {
public:
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

}  // namespace trophex::ui
