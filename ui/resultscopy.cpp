#include "ui/resultscopy.h"

#include "model/results.h"
#include "ui/dialogs.h"
#include "ui/loadresponsepage.h"
#include "ui/mainform.h"
#include "ui/stringgrid.h"

#include <QAction>
#include <QClipboard>
#include <QGuiApplication>
#include <QMenu>
#include <QMimeData>
#include <QTableWidget>

#include <algorithm>

namespace trophex::ui {

namespace {

// The columns and rows under the titles that the selection covers, or all of them. The
// titles are copied once, above and beside the cells, so a selection that takes them in too
// (Ctrl+A) copies as if it stopped at them.
QTableWidgetSelectionRange bodyRange(const StringGrid& grid)
{
    const QList<QTableWidgetSelectionRange> ranges = grid.selectedRanges();
    if (ranges.isEmpty())
        return QTableWidgetSelectionRange(1, 1, grid.rowCount() - 1, grid.columnCount() - 1);
    const QTableWidgetSelectionRange& range = ranges.front();
    return QTableWidgetSelectionRange(std::max(range.topRow(), 1), std::max(range.leftColumn(), 1),
                                      range.bottomRow(), range.rightColumn());
}

QString unitShown(const TMainForm& mainForm, const ResultSpec& desc)
{
    if (const std::optional<OutputResult> selector = selectorOf(desc.result))
        return mainForm.controlText(QString::fromLatin1(outputSelectorName(*selector)));
    return QString::fromLatin1(desc.unit);
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

CellRows tableCells(const QTableWidget& table)
{
    if (table.rowCount() == 0)
        return {};
    const QList<QTableWidgetSelectionRange> ranges = table.selectedRanges();
    const QTableWidgetSelectionRange range = ranges.isEmpty()
                                                 ? QTableWidgetSelectionRange(0, 0, table.rowCount() - 1,
                                                                              table.columnCount() - 1)
                                                 : ranges.front();
    CellRows rows;
    QStringList header;
    for (int column = range.leftColumn(); column <= range.rightColumn(); ++column)
        header << table.horizontalHeaderItem(column)->text().replace(QLatin1Char('\n'), QLatin1Char(' '));
    rows << header;
    for (int row = range.topRow(); row <= range.bottomRow(); ++row) {
        QStringList cells;
        for (int column = range.leftColumn(); column <= range.rightColumn(); ++column)
            cells << (table.item(row, column) ? table.item(row, column)->text() : QString());
        rows << cells;
    }
    return rows;
}

CellRows windowResults(const TMainForm& mainForm)
{
    CellRows rows{{QStringLiteral("Result"), QStringLiteral("Value"), QStringLiteral("Unit")}};
    for (const ResultSpec& desc : resultTable())
        rows << QStringList{QString::fromLatin1(desc.label), mainForm.shownResult(desc), unitShown(mainForm, desc)};
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
    offerTableCopy(mainForm_.LoadResponsePage().table());
}

QAction* ResultsCopy::addCopy(QWidget& view, std::function<CellRows()> cells)
{
    auto* copy = new QAction(tr("&Copy"), &view);
    copy->setObjectName(view.objectName() + QStringLiteral("Copy"));
    copy->setShortcut(QKeySequence::Copy);
    copy->setShortcutContext(Qt::WidgetShortcut);
    connect(copy, &QAction::triggered, this, [this, cells = std::move(cells)] {
        const CellRows rows = cells();
        if (rows.isEmpty())
            dialogs_.showError(&mainForm_, tr("There's nothing to copy!"));
        else
            copyToClipboard(rows);
    });
    view.addAction(copy);
    view.setContextMenuPolicy(Qt::ActionsContextMenu);
    return copy;
}

void ResultsCopy::offerGridCopy(StringGrid& grid)
{
    addCopy(grid, [&grid] { return gridCells(grid); });
    auto* copyAll = new QAction(tr("Cop&y Results"), &grid);
    connect(copyAll, &QAction::triggered, this, &ResultsCopy::copyResults);
    grid.addAction(copyAll);
}

void ResultsCopy::offerTableCopy(QTableWidget& table)
{
    addCopy(table, [&table] { return tableCells(table); });
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
