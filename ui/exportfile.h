#pragma once
// Saving results into a file of the user's choice (a table, a picture): the save dialog,
// the replace question, and a write that replaces the file only once it is complete, with
// a failure shown in the error box as the file's name and the reason.

#include <QString>
#include <QStringList>

#include <functional>
#include <optional>

class QIODevice;
class QWidget;

namespace trophex::ui {

class UserDialogs;

class ExportFile {
public:
    // caption and filters: the save dialog's title and choices, e.g. "CSV table (*.csv)".
    // acceptName may refuse a chosen name, after saying why.
    ExportFile(UserDialogs& dialogs, QWidget& parent, QString caption, QStringList filters,
               std::function<bool(const QString& fileName)> acceptName = {});

    // The file to write, asked for starting at the name chosen last; empty when the user
    // cancelled, the name was refused, or an existing file is to be kept.
    QString choose();

    // Writes the file through write, which returns the reason when it fails; false after
    // showing a failure.
    bool write(const QString& fileName, const std::function<std::optional<QString>(QIODevice&)>& writeTo);

private:
    UserDialogs& dialogs_;
    QWidget& parent_;  // owner of the dialogs
    QString caption_;
    QStringList filters_;
    std::function<bool(const QString&)> acceptName_;
    QString lastName_;  // file last chosen
};

}  // namespace trophex::ui
