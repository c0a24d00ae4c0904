#pragma once
// The cause of a floating-point fault, told from the step of the calculation that met it and
// the model state at that moment: the input (or the state of the lake) whose value made the
// arithmetic fail, for the second line of the fault's message.

#include "model/errors.h"
#include "model/modelstate.h"

namespace trophex {

// The steps of a calculation after the input stage, in the order they run.
enum class CalculationStep {
    Balance,         // water and phosphorus balance
    ChiaudaniVighi,  // phosphorus from alkalinity and depth
    Predictions,     // predictions and significance tests
    Frequencies,     // chlorophyll-a interval frequencies
    Indices,         // trophic state indices
};

// The fault's error with its cause, where the state tells it.
Error faultError(ErrorCode fault, CalculationStep step, const ModelState& state);

}  // namespace trophex
