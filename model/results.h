#pragma once
// Every result a calculation shows, in one table: what it is, which control shows it, the
// batch column it goes to, its label, its number pattern and its unit. Every shell (the
// window, the report, the runner, the batch) iterates this table, so a new result is one
// more row here.

#include "arithmetic/numberformat.h"
#include "model/outputunits.h"

#include <array>
#include <optional>
#include <string>
#include <vector>

namespace trophex {

// In the order of the table: the batch's column order.
enum class Result {
    OutVol,
    WatLoad,
    ResTime,
    PhosLoad,
    AvgInTP,
    CVtp,
    PhosRet,
    TPObserved,
    TPPredicted,
    TPStdError,
    TPResidual,
    TPTtest,
    ChlrAObserved,
    ChlrAPredicted,
    ChlrAStdError,
    ChlrAResidual,
    ChlrATtest,
    SechiObserved,
    SechiPredicted,
    SechiStdError,
    SechiResidual,
    SechiTtest,
    Over10Observed,
    Over10CaseA,
    Over10CaseB,
    Over10CaseC,
    Over20Observed,
    Over20CaseA,
    Over20CaseB,
    Over20CaseC,
    Over30Observed,
    Over30CaseA,
    Over30CaseB,
    Over30CaseC,
    Over60Observed,
    Over60CaseA,
    Over60CaseB,
    Over60CaseC,
    AvgTSI,
    PhosTSI,
    ChlrATSI,
    SecchiTSI,
};

inline constexpr int ResultCount = 42;

// Where the window shows a result.
enum class ResultPage {
    Output,       // a box of the "Output" page
    Predictions,  // a cell of CompStringGrid
    ChlrA,        // a cell of ChlrStringGrid
    Tsi,          // an index box of the "TSI" page
};

struct ResultSpec {
    Result result;           // which result
    ResultPage page;         // where the window shows it
    const char* control;     // object name of its box, or of its grid
    int gridColumn;          // its cell in the grid, whose titles are row and column 0; 0 for a box
    int gridRow;             // likewise
    const char* batchColumn; // column name of the batch output
    const char* label;       // what a reader calls it
    NumberPattern pattern;   // how it is shown in its model unit
    const char* unit;        // its model unit; empty for none
    const char* zeroText;    // shown instead of an exact zero ("NA"), or nullptr
};

const std::array<ResultSpec, ResultCount>& resultTable();
inline const ResultSpec& resultSpec(Result r)
{
    return resultTable()[static_cast<int>(r)];
}

// The result that a unit selector re-expresses, and the selector of a result, if any.
Result resultOf(OutputResult selector);
std::optional<OutputResult> selectorOf(Result r);

// Every result as a number in its model unit, exactly as the model computed it.
struct ResultValues {
    std::array<Extended, ResultCount> values{};

    Extended& operator[](Result r) { return values[static_cast<int>(r)]; }
    Extended operator[](Result r) const { return values[static_cast<int>(r)]; }
};

// Every result as the window shows it.
struct ResultTexts {
    std::array<std::string, ResultCount> texts;

    std::string& operator[](Result r) { return texts[static_cast<int>(r)]; }
    const std::string& operator[](Result r) const { return texts[static_cast<int>(r)]; }
};

// The text of a result in its model unit.
std::string resultText(const ResultSpec& desc, Extended value, const NumberFormat& format);

ResultTexts formatResults(const ResultValues& values, const NumberFormat& format);

// The texts of a grid's result cells (ResultPage::Predictions or ChlrA), row by row, without
// the title row and column.
using GridTexts = std::vector<std::vector<std::string>>;
GridTexts gridTexts(ResultPage grid, const ResultTexts& texts);

// Header cells of the two result grids.
inline constexpr std::array<const char*, 6> CompGridColumnTitles = {"Variable",  "Observed", "Predicted",
                                                                    "Std Error", "Residual", "T-test"};
inline constexpr std::array<const char*, 3> CompGridRowTitles = {"TP (ug/L)", "Chlr a (ug/L)", "Secchi (m)"};
inline constexpr std::array<const char*, 5> ChlrGridColumnTitles = {"ppb", "Observed", "Case A", "Case B",
                                                                    "Case C"};
inline constexpr std::array<const char*, 4> ChlrGridRowTitles = {"10", "20", "30", "60"};

}  // namespace trophex
