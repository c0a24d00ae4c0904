#pragma once
// The steady-state annual water and phosphorus balance of the lake.

#include "model/extended.h"
#include "model/modelstate.h"

namespace trophex {

// Outflow, volume, areal water load, residence time, phosphorus load and average
// inflow phosphorus from the inputs and calibration variables.
void CalculateBalance(ModelState& state);

// Chiaudani/Vighi phosphorus from alkalinity and depth; 0 when alkalinity is 0.
void CalcCVconc(ModelState& state);

// 1/2.303: the model's base-10 logarithm factor (not the exact 1/ln 10).
inline constexpr Extended Log10Factor = Extended::fromParts(0xDE519749B2DAFBE3, -65);  // 0.43421623968736430742

}  // namespace trophex
