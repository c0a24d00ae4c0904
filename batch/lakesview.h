#pragma once
// An assessed table of lakes as a reader sees it: one row per lake with its input row
// number, name, status, key inputs, trophic class, every result text and, when the table
// was assessed with a target, the columns of the load response; sorted by any column,
// filtered by status, ecoregion, trophic class and target status, and counted in a summary
// line. The cells are read from the batch's compact result table when asked for, so that a
// million lakes need nothing per cell. Sorting and filtering rearrange a list of lake
// numbers; the table itself never changes. Every shell that shows a table of lakes (the
// window, the browser page) shows it through this.

#include "batch/csv.h"
#include "batch/resulttable.h"
#include "arithmetic/numberformat.h"

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace trophex::batch {

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

// A filter's choices in list order: what each says and the value it lets through.
using FilterChoices = std::vector<std::pair<std::string, int>>;
FilterChoices statusFilterChoices();
FilterChoices ecoregionFilterChoices();
FilterChoices trophicClassFilterChoices();
FilterChoices goalFilterChoices();

// Counts of the rows shown.
struct LakesSummary {
    std::size_t shown = 0;                  // rows that pass the filter
    std::size_t lakes = 0;                  // rows of the whole table
    std::size_t calculated = 0;             // rows shown that were calculated
    std::size_t failed = 0;                 // rows shown that were not
    std::array<std::size_t, 4> perClass{};  // rows shown in each TrophicClass
    std::array<std::size_t, 3> perGoal{};   // rows shown with each GoalStatus of the load response
};

enum class ColumnKind { RowNumber, Name, Input, TrophicClass, Result, Status };

struct LakesColumn {
    ColumnKind kind;    // where its text comes from
    int source;         // the Input of the value, or the field of the result row
    int unit;           // the Input of the value's unit, or -1
    std::string title;  // as the header shows it
    std::string tip;    // what the header says of it on demand
    bool numbers;       // it shows numbers, aligned to the right
};

enum class SortOrder { Ascending, Descending };

// The choice of the target selector of a table that has no load response columns.
inline constexpr const char* NoTargetText = "No target";
// The selector's suggestions: one of each form of target, to be chosen or edited.
inline constexpr std::array<const char*, 6> TargetSuggestions = {"ecoregion", "tp=20",  "chla=10",
                                                                 "secchi=2",  "tsi=50", "freq=20:10"};

// A count with the thousands separator of the format: 1,000,000.
std::string countText(std::size_t count, const NumberFormat& format);

// A reason from the batch ("the header has no ecoregion column") as a sentence of its own.
std::string reasonSentence(std::string reason);

class LakesView {
public:
    // Shows a newly assessed table, in input order, with the filter kept.
    void setTable(std::shared_ptr<const ResultTable> table);
    const ResultTable* table() const { return table_.get(); }
    // The same, for work on another thread that must keep it.
    const std::shared_ptr<const ResultTable>& sharedTable() const { return table_; }

    const std::vector<LakesColumn>& columns() const { return columns_; }
    // The column that shows the batch's result column of this name, or -1.
    int columnOfResult(const std::string& batchColumn) const;
    static constexpr int StatusColumn = 2;

    void setFilter(const LakesFilter& filter);
    const LakesFilter& filter() const { return filter_; }
    const LakesSummary& summary() const { return summary_; }
    // "1 lake: ...", "3 of 5 lakes shown: 2 calculated, 1 failed; oligotrophic 1, ..." with the format's
    // thousands separator.
    std::string summaryText(const NumberFormat& format) const;

    // Rows that pass the filter, in the order sorted by.
    std::size_t rowCount() const { return view_.size(); }
    // The lake (its place in the input, from 0) that a row shows.
    std::size_t lakeAt(std::size_t row) const { return view_[row]; }
    // The row that shows the lake; -1 when the filter hides it.
    int rowOfLake(std::size_t lake) const;

    // Sorts every lake by the column's texts, numbers by value (inputs by their size whatever
    // their unit); empty and "NA" cells go last, ties in input order.
    void sort(int column, SortOrder order);
    // The same in two steps, so that a window can put the lakes in order on another thread:
    // every lake in the column's order, worked out on a copy of the view (it reads cells
    // through the view's buffers, which are not shared between threads), then shown.
    std::vector<std::uint32_t> sortedOrder(int column, SortOrder order) const;
    void showOrder(std::vector<std::uint32_t> order);

    // A cell's text, by lake and column.
    std::string cellText(std::size_t lake, int column) const;
    // The lake's 31 input texts, as the batch read them.
    InputTexts inputTexts(std::size_t lake) const;
    // By column: the longest text any lake of the table shows in it, filtered out or not, for
    // the status and the inputs with their units, whose widths vary most; empty for the
    // other columns.
    std::vector<std::string> longestTexts() const;
    // The rows (of those shown) as tab-separated lines under the columns' titles, each cell as
    // the table shows it (quoted where it holds a tab, a quote or a line end).
    std::string rowsAsText(const std::vector<std::size_t>& rows) const;

private:
    void defineColumns();
    // The title, told apart from a column defined before that has it already.
    std::string distinctTitle(const std::string& title) const;
    // The text a column sorts by: a value without its unit, else the cell's text.
    std::string_view sortText(std::size_t lake, int column) const;
    // The factor that brings a value of the column into the model's unit, so that values in
    // different units sort by size: 1 for a column without units, NaN for a unit not known.
    double unitFactor(std::size_t lake, int column) const;
    // Whether the calculated lakes show numbers (or "NA") in the result field.
    bool showsNumbers(std::size_t field) const;
    // Lakes by the column's numbers when every cell that is not empty shows one, else by texts.
    std::vector<std::uint32_t> sortedByText(int column, SortOrder order) const;
    void applyFilter();
    bool passes(std::size_t lake) const;
    const InputTexts& inputsOf(std::size_t lake) const;
    const CsvRecord& resultsOf(std::size_t lake) const;

    std::shared_ptr<const ResultTable> table_;  // the lakes, or null before any
    std::vector<LakesColumn> columns_;          // in display order
    std::vector<std::uint32_t> order_;          // every lake, in the order sorted by
    std::vector<std::uint32_t> view_;           // those that pass the filter
    LakesFilter filter_;
    LakesSummary summary_;

    // The lake whose texts were read last: a view asks for a row's cells one after another.
    mutable std::optional<std::size_t> inputsLake_;
    mutable InputTexts inputs_;
    mutable CsvRecord record_;
    mutable std::optional<std::size_t> resultsLake_;
    mutable CsvRecord results_;
};

}  // namespace trophex::batch
