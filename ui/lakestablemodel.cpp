#include "ui/lakestablemodel.h"

#include <QBrush>
#include <QColor>
#include <QCursor>
#include <QGuiApplication>

namespace trophex::ui {

LakesTableModel::LakesTableModel(QObject* parent) : QAbstractTableModel(parent) {}

void LakesTableModel::setTable(std::shared_ptr<const batch::ResultTable> table)
{
    beginResetModel();
    view_.setTable(std::move(table));
    endResetModel();
}

void LakesTableModel::setFilter(const LakesFilter& filter)
{
    beginResetModel();
    view_.setFilter(filter);
    endResetModel();
}

int LakesTableModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(view_.rowCount());
}

int LakesTableModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(view_.columns().size());
}

QVariant LakesTableModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || !view_.table())
        return {};
    const std::size_t lake = lakeAt(index.row());
    const batch::LakesColumn& column = view_.columns()[static_cast<std::size_t>(index.column())];
    switch (role) {
    case Qt::DisplayRole:
    case Qt::ToolTipRole:
        return QString::fromStdString(cellText(lake, index.column()));
    case Qt::TextAlignmentRole:
        if (column.numbers)
            return QVariant::fromValue(Qt::AlignRight | Qt::AlignVCenter);
        return QVariant::fromValue(Qt::AlignLeft | Qt::AlignVCenter);
    case Qt::BackgroundRole:
        if (!view_.table()->calculated(lake))
            return QBrush(QColor(255, 226, 222));
        return {};
    case Qt::ForegroundRole:
        if (!view_.table()->calculated(lake) && column.kind == batch::ColumnKind::Status)
            return QBrush(QColor(160, 0, 0));
        return {};
    default:
        return {};
    }
}

QVariant LakesTableModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || section < 0 || section >= columnCount())
        return QAbstractTableModel::headerData(section, orientation, role);
    const batch::LakesColumn& c = view_.columns()[static_cast<std::size_t>(section)];
    if (role == Qt::DisplayRole)
        return QString::fromStdString(c.title);
    if (role == Qt::ToolTipRole && !c.tip.empty())
        return QString::fromStdString(c.tip);
    return {};
}

void LakesTableModel::sort(int column, Qt::SortOrder order)
{
    if (!view_.table() || column < 0 || column >= columnCount())
        return;
    QGuiApplication::setOverrideCursor(Qt::WaitCursor);
    beginResetModel();
    view_.sort(column, order == Qt::AscendingOrder ? batch::SortOrder::Ascending : batch::SortOrder::Descending);
    endResetModel();
    QGuiApplication::restoreOverrideCursor();
}

}  // namespace trophex::ui
