#pragma once
// The lake model's state: inputs in model units, the calibration set and the results of
// one calculation. A calculation produces a whole new state; nothing here is global.

#include "arithmetic/real48.h"

#include <cstdint>

namespace trophex {

struct ModelState {
    // Inputs, in model units
    Real48 WatArea;     // watershed area, km2
    Real48 SurfArea;    // lake surface area, km2
    Real48 MeanDepth;   // lake mean depth, m
    Real48 ObsTP;       // observed total phosphorus, ug/L
    Real48 ObsChlrA;    // observed chlorophyll a, ug/L
    Real48 ObsSechi;    // observed Secchi depth, m
    Real48 Alkalinity;  // alkalinity, meq/L; 0 when not given

    // Calibration variables
    Real48 StreamP;    // stream inflow phosphorus, ug/L
    Real48 Precip;     // precipitation on the lake, m/yr
    Real48 Evap;       // evaporation from the lake, m/yr
    Real48 Runoff;     // watershed runoff, m/yr
    Real48 AtmosLoad;  // atmospheric phosphorus load, kg/km2 per year

    // Error terms (variances of natural logarithms) and chlorophyll-a statistics
    Real48 V1, V2, V3, V4, V5, V6, V7, V8;
    Real48 S1;  // within-year standard deviation of ln chlorophyll a
    Real48 S2;  // year-to-year standard deviation of ln chlorophyll a

    std::int32_t InputError = 0;  // 0, or the 1-based position where reading a number failed

    // Water and phosphorus balance
    double OutVol = 0;    // lake outflow, hm3/yr
    double LakeVol = 0;   // lake volume, hm3
    double WatLoad = 0;   // areal water load, m/yr
    double ResTime = 0;   // hydraulic residence time, years
    double PhosLoad = 0;  // total phosphorus load, kg/yr
    double AvgInTP = 0;   // average inflow total phosphorus, ug/L
    Real48 CVtp;          // Chiaudani/Vighi total phosphorus, ug/L; 0 when not computed

    // Chlorophyll-a prediction
    double PredChlrA = 0;  // predicted chlorophyll a, ug/L
    double VarChlrA = 0;   // error variance of ln PredChlrA
};

}  // namespace trophex
