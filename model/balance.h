#pragma once
// The steady-state annual water and phosphorus balance of the lake.

#include "arithmetic/extended.h"
#include "model/modelstate.h"

namespace trophex {

// Outflow, volume, areal water load, residence time, phosphorus load and average
// inflow phosphorus from the inputs and calibration variables.
void CalculateBalance(ModelState& state);

// The two parts of the phosphorus load, kg/yr, in extended precision: what the watershed's
// runoff carries (watershed area times runoff times stream phosphorus) and what falls on
// the lake (lake area times the areal atmospheric load). Their sum is PhosLoad.
Extended watershedLoad(const ModelState& state);
Extended atmosphericLoad(const ModelState& state);

// The total load from its two parts, stored as a double: atmospheric part first.
double totalLoad(Extended atmospheric, Extended watershed);

// Average inflow phosphorus, ug/L, of a load, kg/yr, spread over the outflow, hm3/yr.
double inflowTP(double load, double outVol);

// Chiaudani/Vighi phosphorus from alkalinity and depth; 0 when alkalinity is 0.
void CalcCVconc(ModelState& state);

// 1/2.303: the model's base-10 logarithm factor (not the exact 1/ln 10).
inline constexpr Extended Log10Factor = Extended::fromParts(0xDE519749B2DAFBE3, -65);  // 0.43421623968736430742

}  // namespace trophex
