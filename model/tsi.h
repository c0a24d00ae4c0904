#pragma once
// Carlson's trophic state indices of the observed water quality.

#include "model/modelstate.h"
#include "arithmetic/numberformat.h"

#include <array>
#include <string>

namespace trophex {

// Carlson's three indices of a total phosphorus (ug/L), a chlorophyll a (ug/L) and a
// Secchi depth (m); FloatFault for a value of zero or less. The values come as doubles,
// which every Real48 is and which travel in registers.
Real48 phosphorusTsi(double tp);
Real48 chlorophyllTsi(double chlrA);
Real48 secchiTsi(double secchi);
// The average of the three unrounded indices.
Real48 averageTsi(Real48 phos, Real48 chlrA, Real48 secchi);

// The total phosphorus, ug/L, whose index is tsi: the phosphorus index turned around.
double phosphorusOfTsi(double tsi);

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
