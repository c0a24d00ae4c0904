#include "ui/resultsexport.h"

#include "batch/batchtable.h"
#include "ui/dialogs.h"
#include "ui/mainform.h"
#include "ui/widgets.h"

#include <QAction>
#include <QIODevice>
#include <QMenu>

namespace trophex::ui {

namespace {

const QStringList CsvFilters = {QStringLiteral("CSV table (*.csv)")};

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
    : QObject(&mainForm), mainForm_(mainForm), dialogs_(dialogs), file_(dialogs, mainForm, tr("Export Results"), CsvFilters)
{
    QAction* action = addBeforeClosingItem(menu, tr("E&xport Results\u2026"));
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
    const QString name = file_.choose();
    if (name.isEmpty())
        return;
    file_.write(name, [this](QIODevice& device) -> std::optional<QString> {
        const auto size = qint64(lastResults_.size());
        if (device.write(lastResults_.data(), size) != size)
            return device.errorString();
        return std::nullopt;
    });
}

}  // namespace trophex::ui
