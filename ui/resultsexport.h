#pragma once
// "Export Results…": the results of the last completed calculation as a CSV file of a header
// row and one row, in exactly the columns and texts that `trophex-cli batch` writes for the
// same lake: the batch engine's own header and row writer, with its number format (full stop
// and comma, whatever the locale) and the model units its column names state.

#include "model/calculation.h"
#include "model/inputs.h"
#include "ui/exportfile.h"

#include <QObject>
#include <QString>

#include <string>

class QMenu;

namespace trophex::ui {

class TMainForm;
class UserDialogs;

// The file's text: the header row and the lake's row, each ending in "\n".
std::string exportedResults(const InputTexts& inputs, const CalculationOutcome& outcome);

class ResultsExport : public QObject {
public:
    // Adds "Export Results…" after the items of the menu and keeps each completed
    // calculation of the window.
    ResultsExport(TMainForm& mainForm, QMenu& menu, UserDialogs& dialogs);

    void exportResults();

private:
    TMainForm& mainForm_;
    UserDialogs& dialogs_;
    ExportFile file_;          // where the results go
    std::string lastResults_;  // the file's text for the last completed calculation
};

}  // namespace trophex::ui
