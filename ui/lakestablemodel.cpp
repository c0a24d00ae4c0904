#include "ui/lakestablemodel.h"

#include <QBrush>
#include <QColor>
#include <QFutureWatcher>
#include <QtConcurrent/QtConcurrentRun>

namespace trophex::ui {

LakesTableModel::LakesTableModel(QObject* parent) : QAbstractTableModel(parent) {}

void LakesTableModel::setTable(std::shared_ptr<const batch::ResultTable> table)
{
    beginResetModel();
    ++sortGeneration_;
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

std::string LakesTableModel::rowsAsText(const std::vector<int>& rows) const
{
    return view_.rowsAsText(std::vector<std::size_t>(rows.begin(), rows.end()));
}

void LakesTableModel::sort(int column, Qt::SortOrder order)
{
    if (!view_.table() || column < 0 || column >= columnCount())
        return;
    const std::uint64_t generation = ++sortGeneration_;
    if (sortsUnderWay_++ == 0)
        emit sortStarted();
    auto* watcher = new QFutureWatcher<std::vector<std::uint32_t>>(this);
    connect(watcher, &QFutureWatcherBase::finished, this, [this, watcher, generation] {
        watcher->deleteLater();
        if (generation == sortGeneration_)
            showOrder(watcher->result());
        if (--sortsUnderWay_ == 0)
            emit sorted();
    });
    const batch::SortOrder sortOrder =
        order == Qt::AscendingOrder ? batch::SortOrder::Ascending : batch::SortOrder::Descending;
    // The copy keeps the table alive and reads its texts on the pool's thread alone.
    watcher->setFuture(
        QtConcurrent::run([lakes = view_, column, sortOrder] { return lakes.sortedOrder(column, sortOrder); }));
}

void LakesTableModel::showOrder(std::vector<std::uint32_t> order)
{
    beginResetModel();
    view_.showOrder(std::move(order));
    endResetModel();
}

}  // namespace trophex::ui
