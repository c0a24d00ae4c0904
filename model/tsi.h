#pragma once
// Carlson's trophic state indices of the observed water quality.

#include "model/modelstate.h"
#include "model/numberformat.h"

#include <array>
#include <string>

namespace trophex {

Real48 CalcPTSI(const ModelState& state);  // total phosphorus index
Real48 CalcCTSI(const ModelState& state);  // chlorophyll-a index
Real48 CalcSTSI(const ModelState& state);  // Secchi depth index

struct TsiValues {
    Real48 AvgTSI;     // average of the three unrounded indices
    Real48 PhosTSI;    // total phosphorus index
    Real48 ChlrATSI;   // chlorophyll-a index
    Real48 SecchiTSI;  // Secchi depth index
};

// The three indices and their average. FloatFault for a zero or negative observed value.
TsiValues CalcTSIs(const ModelState& state);

// The texts of the four index boxes, in chart row order (average, phosphorus,
// chlorophyll a, Secchi depth). FloatFault as CalcTSIs.
std::array<std::string, 4> OutputTSI(const ModelState& state, const NumberFormat& format);

}  // namespace trophex
