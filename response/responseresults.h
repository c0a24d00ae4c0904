#pragma once
// Every result of a load response, in two tables: the lake's answer (mode, target, loads,
// goal, back-calculated stream phosphorus) and the values of one point of the curve. Each
// row says what the result is called in the JSON output, in the batch table and for a
// reader, with its unit and number pattern. The window, the runner, the batch and the
// report iterate these tables; the texts a reader sees are built here too.

#include "response/loadresponse.h"
#include "arithmetic/numberformat.h"

#include <array>
#include <optional>
#include <string>
#include <variant>
#include <vector>

namespace trophex {

// In the order of the table: the JSON output's order and the batch's column order.
enum class ResponseField {
    Mode,
    TargetKind,
    TargetValue,
    TargetText,
    TargetBound,
    WatershedLoad,
    AtmosphericLoad,
    TotalLoad,
    Status,
    Obstacle,
    Reduction,
    AllowableLoad,
    AllowableWatershedLoad,
    AnswerSecchiToBottom,
    AnswerIndexOutsideScale,
    ImpliedStreamP,
    TPTtest,
    PoorFit,
    OtherModeStatus,
};

inline constexpr int ResponseFieldCount = 19;

struct ResponseFieldSpec {
    ResponseField field;      // which result
    const char* jsonGroup;    // the JSON object that holds it ("target", "loads", "result"); "" at the top
    const char* jsonKey;      // its key there
    bool jsonOmitsNone;       // a field without value is left out of the JSON rather than null
    const char* batchColumn;  // its column in the batch output, or nullptr
    const char* label;        // what a reader calls it
    NumberPattern pattern;    // how a number is shown
    const char* unit;         // its unit; empty for none
};

const std::array<ResponseFieldSpec, ResponseFieldCount>& responseFieldTable();

// A result: none (null, "NA"), a number in its unit, a text, or a flag.
using FieldValue = std::variant<std::monostate, double, std::string, bool>;

// The texts of numbers are in the format given (targetText holds numbers).
FieldValue responseFieldValue(const LoadResponse& response, ResponseField field, const NumberFormat& format);

// A result as a table shows it: numbers by the field's pattern (loads with three significant
// digits below 100 kg/yr), flags "true" or "false", none "NA".
std::string responseFieldDisplayText(const FieldValue& value, ResponseField field, const NumberFormat& format);

// A load as a reader sees it: whole kilograms, grouped, from 100 kg/yr up, and below that
// with as many decimals as keep three significant digits (at most nine decimals).
std::string loadNumberText(double load, const NumberFormat& format);

// In the order of the table: the keys of a curve point in the JSON output.
enum class CurveColumn {
    ReductionPct,
    Load,
    TP,
    TPLow,
    TPHigh,
    ChlrA,
    ChlrALow,
    ChlrAHigh,
    Secchi,
    SecchiLow,
    SecchiHigh,
    TsiTP,
    TsiChlrA,
    TsiSecchi,
    TsiAverage,
    Over10,
    Over20,
    Over30,
    Over60,
};

inline constexpr int CurveColumnCount = 19;

struct CurveColumnSpec {
    CurveColumn column;     // which value
    const char* jsonKey;    // its key in a JSON curve point
    const char* heading;    // its heading in a table
    const char* unit;       // its unit; empty for none
    NumberPattern pattern;  // how a table shows it
    bool tabled;            // a column of the table of the page, the report and the readable page
};

const std::array<CurveColumnSpec, CurveColumnCount>& curveColumnTable();

// The value of a point; none where the point has no values (reduction and load always have one).
std::optional<double> curveValue(const ResponsePoint& point, CurveColumn column);

// The flags of a curve point in the JSON output, after its values.
enum class CurveFlag {
    SecchiToBottom,  // the Secchi depth passes the lake's mean depth
    OutsideScale,    // an index of the point lies outside Carlson's scale of 0 to 100
};
struct CurveFlagSpec {
    CurveFlag flag;       // which
    const char* jsonKey;  // its key in a JSON curve point
};
const std::array<CurveFlagSpec, 2>& curveFlagTable();
// None where the point has no values.
std::optional<bool> curveFlag(const LoadResponse& response, const ResponsePoint& point, CurveFlag flag);

// The table a reader sees: the tabled columns (and, for a frequency target, the frequency
// over its bound) at cuts of 0, 10, ..., 100 %. "NA" where a point has no values; a Secchi
// depth past the mean depth reads "to the bottom", an average index outside Carlson's scale
// "below 0" or "above 100".
struct ResponseTable {
    std::vector<std::string> headings;           // with the unit in brackets
    std::vector<std::vector<std::string>> rows;  // 11 rows, cuts of 0 to 100 %
};
inline constexpr int TableEvery = 10;  // curve steps between rows of the table
ResponseTable responseTable(const LoadResponse& response, const NumberFormat& format);

// How the side of a chart is scaled.
enum class ChartScale {
    FromZero,  // from nothing up: concentrations and depths
    Free,      // around the values, within Carlson's scale of 0 to 100: indices
    Percent,   // 0 to 100: frequencies
};

// The variable the target is set on, as the chart draws it against the cut.
struct ChartSeries {
    std::string title;                      // the variable with its unit, "TP (ug/L)"
    ChartScale scale = ChartScale::FromZero;  // how the side is scaled
    bool banded = false;                    // whether points carry a 90 % band
    bool risesWithCut = false;              // Secchi depth grows as the load falls
    std::vector<double> percent;            // the cut, % of the watershed load, at each point
    std::vector<std::optional<Band>> values;  // the value (and band) at each point; none without values
    std::optional<double> bottom;           // Secchi depth: the lake's mean depth, where values stop
    double target = 0;                      // the target's value in the variable's unit
    std::optional<double> answerPercent;    // the cut that meets the target, when one does
};
ChartSeries chartSeries(const LoadResponse& response, const NumberFormat& format);

// The answer in sentences a manager can read aloud: the load now, what the target needs,
// and the stream phosphorus that explains the observed phosphorus; when the model does not
// explain the observed phosphorus, a warning that says so, why it may be, and what each
// mode answers, in place of the last.
std::vector<std::string> responseAnswer(const LoadResponse& response, const NumberFormat& format);

// "anchored to observed values" or "model predictions".
const char* responseModeDescription(ResponseMode mode);

// A choice of the target selector of a load response page, in list order.
struct TargetChoice {
    TargetKind kind;                       // what the goal is set on
    const char* caption;                   // the selector's text
    const char* comparison;                // before the value
    const char* unit;                      // after the value
    const char* firstValue;                // the value offered until the user types one
    std::vector<const char*> suggestions;  // the value list's items
};
const std::array<TargetChoice, 6>& targetChoices();

// The chlorophyll a levels offered for a frequency target, the one offered first and the
// words between the level and the percentage.
const std::array<const char*, 4>& frequencyBoundSuggestions();
inline constexpr const char* FirstFrequencyBound = "20";
inline constexpr const char* FrequencyBoundUnit = "ug/L at most";

// The target text of a choice with the value (and, for a frequency, the level) typed:
// "tp=20", "freq=20:10", "ecoregion".
std::string targetChoiceText(TargetKind kind, const std::string& value, const std::string& bound);

// What a load response page says before there is a calculation.
inline constexpr const char* ResponseBeforeCalculation =
    "Calculate, or open a data file, to see what a cut of the lake's phosphorus load buys.";

}  // namespace trophex
