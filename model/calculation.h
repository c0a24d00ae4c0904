#pragma once
// One whole calculation, from the 31 input texts to every text the results show.
//
// A calculation is all or nothing: it works on a state of its own, and its caller takes
// the new state and texts only when it completed. A failed calculation yields its message
// and nothing else.

#include "model/chlorophyll.h"
#include "model/inputs.h"
#include "model/modelstate.h"
#include "model/numberformat.h"
#include "model/outputunits.h"
#include "model/predictions.h"
#include "model/tsi.h"

#include <array>
#include <string>

namespace trophex {

inline constexpr const char* InvalidInputMessage = "Invalid Input Parameter!";

// Header cells of the two result grids.
inline constexpr std::array<const char*, 6> CompGridColumnTitles = {"Variable",  "Observed", "Predicted",
                                                                    "Std Error", "Residual", "T-test"};
inline constexpr std::array<const char*, 3> CompGridRowTitles = {"TP (ug/L)", "Chlr a (ug/L)", "Secchi (m)"};
inline constexpr std::array<const char*, 5> ChlrGridColumnTitles = {"ppb", "Observed", "Case A", "Case B",
                                                                    "Case C"};
inline constexpr std::array<const char*, 4> ChlrGridRowTitles = {"10", "20", "30", "60"};

struct ResultTexts {
    std::array<std::string, 6> outputs;  // result boxes of the "Output" page, by OutputResult
    PredictionTexts predictions;         // PhosRetEditBox and the CompStringGrid cells
    ChlrTexts frequencies;               // ChlrStringGrid cells
    TsiTexts tsi;                        // the four index boxes

    const std::string& output(OutputResult r) const { return outputs[static_cast<int>(r)]; }
};

// The results that are not kept in the model state, as numbers.
struct CalculationResults {
    Predictions predictions;      // PhosRet and the CompStringGrid values
    ChlrFrequencies frequencies;  // ChlrStringGrid values, percent
    TsiValues tsi;                // the four indices
};

struct CalculationOutcome {
    std::string error;           // empty when the calculation completed
    ModelState state;            // meaningful only when it completed
    CalculationResults results;  // meaningful only when it completed
    ResultTexts texts;           // meaningful only when it completed

    bool ok() const { return error.empty(); }
};

// The balance, predictions, frequencies and indices; FloatFault on a fault.
CalculationResults CalculateResults(ModelState& state);

// Every result text of a completed calculation.
ResultTexts formatResults(const ModelState& state, const CalculationResults& results, const NumberFormat& format);

// CalculateResults, then formatResults.
ResultTexts Calculate(ModelState& state, const NumberFormat& format);

// The result boxes of the "Output" page, in model units.
std::array<std::string, 6> OutputResults(const ModelState& state, const NumberFormat& format);

// The input stage and the calculation, without texts: outcome.texts stays empty.
CalculationOutcome evaluateInputs(const InputTexts& texts);

// evaluateInputs, then formatResults when it completed.
CalculationOutcome runCalculation(const InputTexts& texts, const NumberFormat& format);

}  // namespace trophex
