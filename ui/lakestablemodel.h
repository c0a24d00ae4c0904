#pragma once
// The rows of an assessed table of lakes as a Qt item model, over the engine's view of the
// table (batch/lakesview.h): its columns, cell texts, sorting, filters and summary.

#include "batch/lakesview.h"
#include "batch/resulttable.h"

#include <QAbstractTableModel>

#include <memory>
#include <string>

namespace trophex::ui {

using batch::AnyValue;
using batch::LakesFilter;
using batch::LakesSummary;
using batch::NoValue;
using batch::StatusFilter;

class LakesTableModel : public QAbstractTableModel {
    Q_OBJECT

public:
    explicit LakesTableModel(QObject* parent = nullptr);

    // Shows a newly assessed table, in input order, with the filter kept.
    void setTable(std::shared_ptr<const batch::ResultTable> table);
    const batch::ResultTable* table() const { return view_.table(); }
    const batch::LakesView& lakes() const { return view_; }

    void setFilter(const LakesFilter& filter);
    const LakesFilter& filter() const { return view_.filter(); }
    const LakesSummary& summary() const { return view_.summary(); }

    // The lake (its place in the input, from 0) that a row of the model shows.
    std::size_t lakeAt(int row) const { return view_.lakeAt(static_cast<std::size_t>(row)); }
    // The row of the model that shows the lake; -1 when the filter hides it.
    int rowOfLake(std::size_t lake) const { return view_.rowOfLake(lake); }
    // The column that shows the batch's result column of this name, or -1.
    int columnOfResult(const std::string& batchColumn) const { return view_.columnOfResult(batchColumn); }
    static constexpr int StatusColumn = batch::LakesView::StatusColumn;

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    // Sorts every lake by the column's texts, numbers by value; empty and "NA" cells go last.
    void sort(int column, Qt::SortOrder order = Qt::AscendingOrder) override;

    // A cell's text, by lake and column.
    std::string cellText(std::size_t lake, int column) const { return view_.cellText(lake, column); }

private:
    batch::LakesView view_;
};

}  // namespace trophex::ui
