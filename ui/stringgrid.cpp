#include "ui/stringgrid.h"

#include <QHeaderView>
#include <QKeyEvent>

namespace trophex::ui {

StringGrid::StringGrid(int columns, int rows, int columnWidth, int rowHeight, QWidget* parent)
    : QTableWidget(rows, columns, parent)
{
    horizontalHeader()->hide();
    verticalHeader()->hide();
    horizontalHeader()->setMinimumSectionSize(1);
    verticalHeader()->setMinimumSectionSize(1);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setSelectionMode(QAbstractItemView::ContiguousSelection);
    // Tab leaves the grid, as it leaves every other control; the arrows move between cells.
    setTabKeyNavigation(false);
    setWordWrap(false);

    const QColor titleBackground = palette().color(QPalette::Button);
    QFont titleFont = font();
    titleFont.setBold(true);
    for (int row = 0; row < rows; ++row) {
        setRowHeight(row, rowHeight);
        for (int column = 0; column < columns; ++column) {
            auto* item = new QTableWidgetItem;
            item->setTextAlignment(Qt::AlignCenter);
            if (row == 0 || column == 0) {
                item->setBackground(titleBackground);
                item->setFont(titleFont);
                item->setFlags(Qt::ItemIsEnabled);
            } else {
                item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
            }
            setItem(row, column, item);
        }
    }
    for (int column = 0; column < columns; ++column)
        setColumnWidth(column, columnWidth);

    const int frame = 2 * frameWidth();
    setFixedSize(columns * columnWidth + frame, rows * rowHeight + frame);
}

QString StringGrid::cell(int column, int row) const
{
    return item(row, column)->text();
}

void StringGrid::setCell(int column, int row, const QString& text)
{
    item(row, column)->setText(text);
}

void StringGrid::clearBody()
{
    for (int row = 1; row < rowCount(); ++row)
        for (int column = 1; column < columnCount(); ++column)
            setCell(column, row, QString());
}

void StringGrid::keyPressEvent(QKeyEvent* event)
{
    const bool switchesPages = event->modifiers().testFlag(Qt::ControlModifier) &&
                               (event->key() == Qt::Key_Tab || event->key() == Qt::Key_Backtab);
    if (switchesPages) {
        event->ignore();
        return;
    }
    QTableWidget::keyPressEvent(event);
}

}  // namespace trophex::ui
