#pragma once
// One whole calculation, from the 31 input texts to every text the results show.
//
// A calculation is all or nothing: it works on a state of its own, and its caller takes
// the new state and texts only when it completed. A failed calculation yields its error
// and nothing else.

#include "model/errors.h"
#include "model/inputs.h"
#include "model/modelstate.h"
#include "model/numberformat.h"
#include "model/results.h"

namespace trophex {

struct CalculationOutcome {
    Error error;          // no error when the calculation completed
    ModelState state;     // meaningful only when it completed
    ResultValues values;  // meaningful only when it completed
    ResultTexts texts;    // meaningful only when it completed

    bool ok() const { return !error.failed(); }
};

// The balance, predictions, frequencies and indices; FloatFault on a fault.
ResultValues CalculateResults(ModelState& state);

// The input stage and the calculation, without texts: outcome.texts stays empty.
CalculationOutcome evaluateInputs(const InputTexts& texts);

// evaluateInputs, then formatResults when it completed.
CalculationOutcome runCalculation(const InputTexts& texts, const NumberFormat& format);

}  // namespace trophex
