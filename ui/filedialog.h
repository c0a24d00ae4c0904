#pragma once
// The program's file dialogs: the open and save dialogs of data files, and those that other
// dialogs open (the print dialog's output file). They are Qt's own file dialog, never the
// desktop's, so that what they do is the same everywhere: they list and complete names, and
// describe files by what the file system says (folder or file, the name's extension). They
// never open a file to guess its type, since a pipe, a device or a file under /proc can
// block a reader for good.

#include <QFileDialog>
#include <QFileIconProvider>

#include "ui/dialogs.h"

namespace trophex::ui {

// Icons and type names from a file's kind and name alone.
class NameOnlyIconProvider : public QFileIconProvider {
public:
    using QFileIconProvider::icon;
    QIcon icon(const QFileInfo& info) const override;
    QString type(const QFileInfo& info) const override;
};

// Makes every file dialog of the application Qt's own, and gives each, before it first shows,
// the icon provider above: also those that Qt's own dialogs create and run themselves.
void describeFilesByNameInEveryFileDialog();

class DataFileDialog : public QFileDialog {
    Q_OBJECT

public:
    // Starts with lastName chosen, when there is one, and lists the files the filter names.
    DataFileDialog(QWidget* parent, AcceptMode mode, const QString& lastName,
                   const QString& filter = QString::fromLatin1(DataFileFilter));

    // Runs the dialog: the chosen file, or an empty name when the user cancels.
    QString chooseFile();
};

}  // namespace trophex::ui
