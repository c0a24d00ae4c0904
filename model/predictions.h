#pragma once
// Predicted phosphorus, chlorophyll a and Secchi depth with their error variances,
// residuals against the observed values and t statistics.

#include "model/modelstate.h"

#include <array>
#include <cstddef>

namespace trophex {

struct PredictionRow {
    Extended observed;    // in model units
    Extended predicted;   // in model units
    Extended stdError;    // prediction times the square root of its log variance
    Extended residual10;  // ln(observed / predicted) times 1/2.303
    Extended ttest;       // residual over its standard deviation
};

struct Predictions {
    double PhosRet = 0;               // phosphorus retention coefficient, fraction
    std::array<PredictionRow, 3> rows;  // TP, chlorophyll a, Secchi depth
};

// Writes PredChlrA and VarChlrA into the state; FloatFault where the inputs allow no result.
Predictions CalcVarConc(ModelState& state);

// The prediction chain of one inflow phosphorus: each value as CalcVarConc computes it.
struct PredictionChain {
    double PredTP = 0;     // predicted lake total phosphorus, ug/L
    double PhosRet = 0;    // phosphorus retention coefficient, fraction
    double VarTP = 0;      // error variance of ln PredTP
    double PredChlrA = 0;  // predicted chlorophyll a, ug/L
    double VarChlrA = 0;   // error variance of ln PredChlrA
    double PredSechi = 0;  // predicted Secchi depth, m
    double VarSechi = 0;   // error variance of ln PredSechi
};

// What the chain takes from the model state besides the inflow phosphorus: the residence
// time's factor and the error terms of the three variances.
struct ChainConstants {
    double resTimeFactor;  // ResTime^0.542, taken with power
    Real48 V1, V2, V3;     // error terms of VarTP
    Real48 V4;             // error term of VarChlrA
    Real48 V5;             // error term of VarSechi
};

// FloatFault for a residence time of zero or less.
ChainConstants chainConstants(const ModelState& state);

// The steps of the chain, each as its equation; FloatFault where a step has no result
// (an inflow phosphorus of zero or less, a retention coefficient of exactly zero).
double predictedTP(double avgInTP, double resTimeFactor);
double retentionOf(double predTP, double avgInTP);
double tpVariance(double phosRet, const ChainConstants& c);
double predictedChlrA(double predTP);
double chlrAVariance(double varTP, const ChainConstants& c);
double predictedSechi(double predChlrA);
double sechiVariance(double varChlrA, const ChainConstants& c);

PredictionChain predictionChain(double avgInTP, const ChainConstants& c);

// The chains of n inflow phosphorus values into chains[0..n). Each step is taken for every
// value before the next step, so that the processor overlaps the long chains of dependent
// extended-precision operations of different values; each result is the one
// predictionChain gives.
void predictionChains(const double* avgInTP, std::size_t n, const ChainConstants& c, PredictionChain* chains);

}  // namespace trophex
