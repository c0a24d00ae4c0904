#include "ui/resultscopy.h"

#include "model/results.h"
#include "ui/dialogs.h"
#include "ui/mainform.h"
#include "ui/stringgrid.h"

#include <QAction>
#include <QClipboard>
#include <QGuiApplication>
#include <QMenu>
#include <QMimeData>

namespace trophex::ui {

namespace {

// The columns and rows under the titles that the selection covers, or all of them.
QTableWidgetSelectionRange bodyRange(const StringGrid& grid)
{
    const QList<QTableWidgetSelectionRange> ranges = grid.selectedRanges();
    if (ranges.isEmpty())
        return QTableWidgetSelectionRange(1, 1, grid.rowCount() - 1, grid.columnCount() - 1);
    return ranges.front();
}

QString unitShown(const TMainForm& mainForm, const ResultSpec& spec)
{
    if (const std::optional<OutputResult> selector = selectorOf(spec.result))
        return mainForm.controlText(QString::fromLatin1(outputSelectorName(*selector)));
    return QString::fromLatin1(spec.unit);
}

}  // namespace

CellRows gridCells(const StringGrid& grid)
{
    const QTableWidgetSelectionRange range = bodyRange(grid);
    CellRows rows;
    QStringList header{grid.cell(0, 0)};
    for (int column = range.leftColumn(); column <= range.rightColumn(); ++column)
        header << grid.cell(column, 0);
    rows << header;
    for (int row = range.topRow(); row <= range.bottomRow(); ++row) {
        QStringList cells{grid.cell(0, row)};
        for (int column = range.leftColumn(); column <= range.rightColumn(); ++column)
            cells << grid.cell(column, row);
        rows << cells;
    }
    return rows;
}

CellRows windowResults(const TMainForm& mainForm)
{
    CellRows rows{{QStringLiteral("Result"), QStringLiteral("Value"), QStringLiteral("Unit")}};
    for (const ResultSpec& spec : resultTable())
        rows << QStringList{QString::fromLatin1(spec.label), mainForm.shownResult(spec), unitShown(mainForm, spec)};
    return rows;
}

QString tabSeparated(const CellRows& rows)
{
    QString text;
    for (const QStringList& row : rows)
        text += row.join(QLatin1Char('\t')) + QLatin1Char('\n');
    return text;
}

QString htmlTable(const CellRows& rows)
{
    QString html = QStringLiteral("<table>");
    for (const QStringList& row : rows) {
        html += QLatin1String("<tr>");
        for (const QString& cell : row)
            html += QLatin1String("<td>") + cell.toHtmlEscaped() + QLatin1String("</td>");
        html += QLatin1String("</tr>");
    }
    return html + QLatin1String("</table>");
}

void copyToClipboard(const CellRows& rows)
{
    auto* data = new QMimeData;
    data->setText(tabSeparated(rows));
    data->setHtml(htmlTable(rows));
    QGuiApplication::clipboard()->setMimeData(data);
}

ResultsCopy::ResultsCopy(TMainForm& mainForm, QMenu& menu, UserDialogs& dialogs)
    : QObject(&mainForm), mainForm_(mainForm), dialogs_(dialogs)
{
    menu.addSeparator();
    QAction* copyAll = menu.addAction(tr("Cop&y Results"));
    copyAll->setObjectName(QStringLiteral("CopyResults1"));
    connect(copyAll, &QAction::triggered, this, &ResultsCopy::copyResults);
    offerGridCopy(mainForm_.ChlrStringGrid());
    offerGridCopy(mainForm_.CompStringGrid());
}

void ResultsCopy::offerGridCopy(StringGrid& grid)
{
    auto* copy = new QAction(tr("&Copy"), &grid);
    copy->setObjectName(grid.objectName() + QStringLiteral("Copy"));
    copy->setShortcut(QKeySequence::Copy);
    copy->setShortcutContext(Qt::WidgetShortcut);
    connect(copy, &QAction::triggered, this, [&grid] { copyToClipboard(gridCells(grid)); });
    auto* copyAll = new QAction(tr("Cop&y Results"), &grid);
    connect(copyAll, &QAction::triggered, this, &ResultsCopy::copyResults);
    grid.addActions({copy, copyAll});
    grid.setContextMenuPolicy(Qt::ActionsContextMenu);
}

void ResultsCopy::copyResults()
{
    if (mainForm_.ResultsReady() != 1) {
        dialogs_.showError(&mainForm_, tr("There's nothing to copy!"));
        return;
    }
    copyToClipboard(windowResults(mainForm_));
}

}  // namespace trophex::ui
