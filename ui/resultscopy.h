#pragma once
// Copying results to the clipboard as a spreadsheet takes them: tab-separated rows, the
// first one a header, the texts exactly as the window shows them. An HTML table of the same
// cells goes along, which spreadsheets and word processors paste as cells at once.
//
// Ctrl+C (or "Copy" in its context menu) on a result grid, or on the table of the "Load
// Response" page, copies its selected cells, or all of them when none is selected; "Copy
// Results" copies every result of the window.

#include <QList>
#include <QObject>
#include <QStringList>

#include <functional>

class QAction;
class QMenu;
class QTableWidget;
class QWidget;

namespace trophex::ui {

class StringGrid;
class TMainForm;
class UserDialogs;

using CellRows = QList<QStringList>;

// The selected cells of a grid, or all when none is selected, under the titles of their
// columns and each beside the title of its row.
CellRows gridCells(const StringGrid& grid);

// The selected cells of a table whose titles are its column headings, or all when none is
// selected, under their titles on one line each; nothing for a table without rows.
CellRows tableCells(const QTableWidget& table);

// A header "Result", "Value", "Unit", then each result of the window, in the order of the
// batch columns: its label, its text and its unit as the window shows them.
CellRows windowResults(const TMainForm& mainForm);

QString tabSeparated(const CellRows& rows);
QString htmlTable(const CellRows& rows);
void copyToClipboard(const CellRows& rows);

class ResultsCopy : public QObject {
public:
    // Adds "Copy Results" after the items of the menu, and the copy commands to both grids.
    ResultsCopy(TMainForm& mainForm, QMenu& menu, UserDialogs& dialogs);

    void copyResults();

private:
    // "Copy" on Ctrl+C and in the context menu of the view, named after it.
    QAction* addCopy(QWidget& view, std::function<CellRows()> cells);
    void offerGridCopy(StringGrid& grid);
    void offerTableCopy(QTableWidget& table);

    TMainForm& mainForm_;
    UserDialogs& dialogs_;
};

}  // namespace trophex::ui
