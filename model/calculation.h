#pragma once
// One whole calculation, from the 31 input texts to every text the results show.
//
// A calculation is all or nothing: it works on a state of its own, and its caller takes
// the new state and texts only when it completed. A failed calculation yields its error
// and nothing else: which input could not be read, or which fault ended it and, where the
// model can tell, the input that caused the fault.

#include "model/errors.h"
#include "model/faultcause.h"
#include "model/inputs.h"
#include "model/modelstate.h"
#include "arithmetic/numberformat.h"
#include "model/results.h"

namespace trophex {

struct CalculationOutcome {
    Error error;          // no error when the calculation completed
    ModelState state;     // meaningful only when it completed
    ResultValues values;  // meaningful only when it completed
    ResultTexts texts;    // meaningful only when it completed

    bool ok() const { return !error.failed(); }
};

// A calculation that completed, with the texts it read: what the window shows, and what
// its report prints, until the next one completes.
struct CompletedRun {
    InputTexts inputs;    // the texts the calculation read
    ModelState state;     // its model state
    ResultTexts results;  // its results in their model units
};

// The balance, predictions, frequencies and indices; FloatFault on a fault, with step
// telling which step met it.
ResultValues CalculateResults(ModelState& state, CalculationStep& step);

// The input stage and the calculation, without texts: outcome.texts stays empty.
CalculationOutcome evaluateInputs(const InputTexts& texts);

// evaluateInputs, then formatResults when it completed.
CalculationOutcome runCalculation(const InputTexts& texts, const NumberFormat& format);

}  // namespace trophex
