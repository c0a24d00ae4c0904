#pragma once
// The rows of an assessed table of lakes as a Qt item model: one row per lake with its input
// row number, name, status, key inputs, trophic class, every result text and, when the table
// was assessed with a target, the columns of the load response. The cells
// are read from the batch's compact result table when the view asks for them, so that a
// million lakes need no item per cell. Sorting and filtering rearrange a list of row
// numbers; the table itself never changes.

#include "batch/resulttable.h"
#include "arithmetic/numberformat.h"

#include <QAbstractTableModel>
#include <QColor>

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

namespace trophex::ui {

// What a filter lets through: everything, or the rows with one value.
inline constexpr int AnyValue = -2;
// The value of a row without an ecoregion or a trophic class.
inline constexpr int NoValue = -1;

enum class StatusFilter { All, Calculated, Failed };

struct LakesFilter {
    StatusFilter status = StatusFilter::All;  // by whether the lake was calculated
    int ecoregion = AnyValue;                 // an Ecoregion, NoValue or AnyValue
    int trophicClass = AnyValue;              // a TrophicClass, NoValue or AnyValue
    int goal = AnyValue;                      // a GoalStatus of the load response, NoValue or AnyValue
};

// Counts of the rows shown.
struct LakesSummary {
    std::size_t shown = 0;                // rows that pass the filter
    std::size_t lakes = 0;                // rows of the whole table
    std::size_t calculated = 0;           // rows shown that were calculated
    std::size_t failed = 0;               // rows shown that were not
    std::array<std::size_t, 4> perClass{};  // rows shown in each TrophicClass
    std::array<std::size_t, 3> perGoal{};   // rows shown with each GoalStatus of the load response
};

class LakesTableModel : public QAbstractTableModel {
    Q_OBJECT

public:
    explicit LakesTableModel(QObject* parent = nullptr);

    // Shows a newly assessed table, in input order, with the filter kept.
    void setTable(std::shared_ptr<const batch::ResultTable> table);
    const batch::ResultTable* table() const { return cells_.table.get(); }
    // The same, for work on another thread that must keep it.
    const std::shared_ptr<const batch::ResultTable>& sharedTable() const { return cells_.table; }

    void setFilter(const LakesFilter& filter);
    const LakesFilter& filter() const { return filter_; }
    const LakesSummary& summary() const { return summary_; }

    // The lake (its place in the input, from 0) that a row of the model shows.
    std::size_t lakeAt(int row) const { return view_[static_cast<std::size_t>(row)]; }
    // The row of the model that shows the lake; -1 when the filter hides it.
    int rowOfLake(std::size_t lake) const;
    // The column that shows the batch's result column of this name, or -1.
    int columnOfResult(const std::string& batchColumn) const;
    static constexpr int StatusColumn = 2;

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
    std::string cellText(std::size_t lake, int column) const { return cells_.text(lake, column); }
    // By column: the longest text any lake of the table shows in it, filtered out or not, for
    // the status and the inputs with their units, whose widths vary most; empty for the
    // other columns.
    std::vector<std::string> longestTexts() const;
    // The rows of the model as tab-separated lines under the columns' titles, each cell as the
    // view shows it (quoted where it holds a tab, a quote or a line end).
    std::string rowsAsText(const std::vector<int>& rows) const;

signals:
    // A sort has started, or has ended with its rows on show.
    void sortStarted();
    void sorted();

private:
    enum class ColumnKind { RowNumber, Name, Input, TrophicClass, Result, Status };
    struct Column {
        ColumnKind kind;  // where its text comes from
        int source;       // the Input of the value, or the field of the result row
        int unit;         // the Input of the value's unit, or -1
        QString title;    // as the header shows it
        QString tip;      // the header's tool tip
        bool numbers;     // it shows numbers, aligned to the right
    };

    void defineColumns();
    // The title, told apart from a column defined before that has it already.
    QString distinctTitle(const QString& title) const;
    // The texts of the lakes' cells. It keeps those of the lake read last, as the view asks
    // for a row's cells one after another; a sort works on a copy of its own on its thread.
    class Cells {
    public:
        std::shared_ptr<const batch::ResultTable> table;  // the lakes, or null before any
        std::vector<Column> columns;                       // in display order

        std::string text(std::size_t lake, int column) const;
        // Every lake in the order of the column's cells.
        std::vector<std::uint32_t> sorted(int column, Qt::SortOrder order) const;
        const batch::CsvRecord& resultsOf(std::size_t lake) const;
        // Drops the texts kept, for a new table.
        void forget();

    private:
        // The text a column sorts by: a value without its unit, else the cell's text.
        std::string_view sortText(std::size_t lake, int column) const;
        // The factor that brings a value of the column into the model's unit, so that values in
        // different units sort by size: 1 for a column without units, NaN for a unit not known.
        double unitFactor(std::size_t lake, int column) const;
        // Lakes by the column's numbers when every cell that is not empty shows one, else by texts.
        std::vector<std::uint32_t> sortedByText(int column, Qt::SortOrder order) const;
        const InputTexts& inputsOf(std::size_t lake) const;

        // The lake whose texts were read last.
        mutable std::optional<std::size_t> inputsLake_;
        mutable InputTexts inputs_;
        mutable batch::CsvRecord record_;
        mutable std::optional<std::size_t> resultsLake_;
        mutable batch::CsvRecord results_;
    };

    // Whether the calculated lakes show numbers (or "NA") in the result field.
    bool showsNumbers(std::size_t field) const;
    void applyFilter();
    bool passes(std::size_t lake) const;
    // Shows the lakes in the order a sort gave.
    void showOrder(std::vector<std::uint32_t> order);

    Cells cells_;                        // the table and its columns
    std::vector<std::uint32_t> order_;   // every lake, in the order sorted by
    std::vector<std::uint32_t> view_;    // those that pass the filter
    LakesFilter filter_;
    LakesSummary summary_;
    std::uint64_t sortGeneration_ = 0;   // of the latest sort or table; an older sort's order is void
    int sortsUnderWay_ = 0;              // sorts started whose order has not come back
};

}  // namespace trophex::ui
