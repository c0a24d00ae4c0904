#include "ui/resultsexport.h"

#include "batch/batchtable.h"
#include "ui/dialogs.h"
#include "ui/mainform.h"

#include <QAction>
#include <QDir>
#include <QFileInfo>
#include <QMenu>
#include <QSaveFile>

namespace trophex::ui {

namespace {

const QStringList CsvFilters = {QStringLiteral("CSV table (*.csv)")};

// Writes the text into the file, replacing it only once it is complete; the reason when
// that fails.
std::optional<QString> writeText(const QString& fileName, const std::string& text)
{
    QSaveFile file(fileName);
    if (!file.open(QIODevice::WriteOnly))
        return file.errorString();
    if (file.write(text.data(), qint64(text.size())) != qint64(text.size())) {
        const QString error = file.errorString();
        file.cancelWriting();
        return error;
    }
    if (!file.commit())
        return file.errorString();
    return std::nullopt;
}

}  // namespace

std::string exportedResults(const InputTexts& inputs, const CalculationOutcome& outcome)
{
    CalculationOutcome batchOutcome = outcome;
    batchOutcome.texts = formatResults(outcome.values, NumberFormat{});
    std::string text;
    batch::appendResultHeader(text);
    text += '\n';
    batch::appendResultRow(text, inputs[Input::NameEditBox], batchOutcome, batch::ResultStyle::Display);
    text += '\n';
    return text;
}

ResultsExport::ResultsExport(TMainForm& mainForm, QMenu& menu, UserDialogs& dialogs)
    : QObject(&mainForm), mainForm_(mainForm), dialogs_(dialogs)
{
    QAction* action = menu.addAction(tr("E&xport Results\u2026"));
    action->setObjectName(QStringLiteral("ExportResults1"));
    connect(action, &QAction::triggered, this, &ResultsExport::exportResults);
    connect(&mainForm_, &TMainForm::calculationCompleted, this,
            [this](const InputTexts& inputs, const CalculationOutcome& outcome) {
                lastResults_ = exportedResults(inputs, outcome);
            });
}

void ResultsExport::exportResults()
{
    if (mainForm_.ResultsReady() != 1) {
        dialogs_.showError(&mainForm_, tr("There's nothing to export!"));
        return;
    }
    const QString name = dialogs_.exportFileName(&mainForm_, lastName_, CsvFilters);
    if (name.isEmpty())
        return;
    lastName_ = name;
    if (QFileInfo::exists(name) && !dialogs_.confirmReplace(&mainForm_, name))
        return;
    if (const std::optional<QString> error = writeText(name, lastResults_))
        dialogs_.showError(&mainForm_, QStringLiteral("%1\n%2").arg(QDir::toNativeSeparators(name), *error));
}

}  // namespace trophex::ui
