#pragma once
// The rows of an assessed table of lakes as a Qt item model, over the engine's view of the
// table (batch/lakesview.h): its columns, cell texts, sorting, filters and summary.

#include "batch/lakesview.h"
#include "batch/resulttable.h"

#include <QAbstractTableModel>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

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
    // The same, for work on another thread that must keep it.
    const std::shared_ptr<const batch::ResultTable>& sharedTable() const { return view_.sharedTable(); }
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
    // The lakes are put in order on a thread of the pool, so that a million of them leave the
    // window responsive; the rows change when the order is ready (sorted()), and a later
    // sort or table makes an earlier sort's order void.
    void sort(int column, Qt::SortOrder order = Qt::AscendingOrder) override;
    // Whether a sort is under way.
    bool sorting() const { return sortsUnderWay_ > 0; }

    // A cell's text, by lake and column.
    std::string cellText(std::size_t lake, int column) const { return view_.cellText(lake, column); }
    // By column: the longest text of the status and the inputs (batch::LakesView::longestTexts).
    std::vector<std::string> longestTexts() const { return view_.longestTexts(); }
    // The rows of the model as tab-separated lines under the columns' titles.
    std::string rowsAsText(const std::vector<int>& rows) const;

signals:
    // A sort has started, or has ended with its rows on show.
    void sortStarted();
    void sorted();

private:
    // Shows the lakes in the order a sort gave.
    void showOrder(std::vector<std::uint32_t> order);

    batch::LakesView view_;
    std::uint64_t sortGeneration_ = 0;  // of the latest sort or table; an older sort's order is void
    int sortsUnderWay_ = 0;             // sorts started whose order has not come back
};

}  // namespace trophex::ui
