#pragma once
// A read-only table of texts with one fixed title row and one fixed title column.
// Cells are addressed as (column, row), row 0 and column 0 being the titles. The user can
// select a rectangle of the cells under the titles, for copying, but edit none.

#include <QTableWidget>

namespace trophex::ui {

class StringGrid : public QTableWidget {
public:
    StringGrid(int columns, int rows, int columnWidth, int rowHeight, QWidget* parent);

    QString cell(int column, int row) const;
    void setCell(int column, int row, const QString& text);

    // Empties every cell outside the title row and column.
    void clearBody();

protected:
    // Ctrl+Tab and Ctrl+Shift+Tab go on to the pages around the grid, which switch with them;
    // the grid itself would take them as moves between its cells.
    void keyPressEvent(QKeyEvent* event) override;
};

}  // namespace trophex::ui
