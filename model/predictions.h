#pragma once
// Predicted phosphorus, chlorophyll a and Secchi depth with their error variances,
// residuals against the observed values and t statistics.

#include "model/modelstate.h"

#include <array>

namespace trophex {

struct PredictionRow {
    long double observed;    // in model units
    long double predicted;   // in model units
    long double stdError;    // prediction times the square root of its log variance
    long double residual10;  // ln(observed / predicted) times 1/2.303
    long double ttest;       // residual over its standard deviation
};

struct Predictions {
    double PhosRet = 0;               // phosphorus retention coefficient, fraction
    std::array<PredictionRow, 3> rows;  // TP, chlorophyll a, Secchi depth
};

// Writes PredChlrA and VarChlrA into the state; FloatFault where the inputs allow no result.
Predictions CalcVarConc(ModelState& state);

}  // namespace trophex
