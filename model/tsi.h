#pragma once
// Carlson's trophic state indices of the observed water quality.

#include "model/modelstate.h"
#include "model/numberformat.h"

#include <string>

namespace trophex {

Real48 CalcPTSI(const ModelState& state);  // total phosphorus index
Real48 CalcCTSI(const ModelState& state);  // chlorophyll-a index
Real48 CalcSTSI(const ModelState& state);  // Secchi depth index

struct TsiTexts {
    std::string AvgTSI;     // AvgTSIeditBox
    std::string PhosTSI;    // PhosTSIeditBox
    std::string ChlrATSI;   // ChlrATSIeditBox
    std::string SecchiTSI;  // SecchiTSIeditBox
};

// The four indices as whole numbers, the average taken of the unrounded indices.
// FloatFault for a zero or negative observed value.
TsiTexts OutputTSI(const ModelState& state, const NumberFormat& format);

}  // namespace trophex
