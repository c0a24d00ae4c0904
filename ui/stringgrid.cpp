#include "ui/stringgrid.h"

#include <QHeaderView>

namespace trophex::ui {

namespace {

// A disabled widget keeps the colours of an enabled one, so that its texts read as well.
void keepEnabledColours(QWidget* widget)
{
    QPalette palette = widget->palette();
    for (int role = 0; role < QPalette::NColorRoles; ++role) {
        const auto r = static_cast<QPalette::ColorRole>(role);
        palette.setColor(QPalette::Disabled, r, palette.color(QPalette::Active, r));
    }
    widget->setPalette(palette);
}

}  // namespace

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
    setSelectionMode(QAbstractItemView::NoSelection);
    setFocusPolicy(Qt::NoFocus);
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
            }
            setItem(row, column, item);
        }
    }
    for (int column = 0; column < columns; ++column)
        setColumnWidth(column, columnWidth);

    const int frame = 2 * frameWidth();
    setFixedSize(columns * columnWidth + frame, rows * rowHeight + frame);
    setEnabled(false);
    keepEnabledColours(this);
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

}  // namespace trophex::ui
