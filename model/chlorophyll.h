#pragma once
// How often chlorophyll a exceeds 10, 20, 30 and 60 ug/L, from the observed value and
// from the prediction under three variance cases, with chlorophyll a log-normal.

#include "model/modelstate.h"

#include <array>

namespace trophex {

// Percentage of time that chlorophyll a exceeds x when its mean is m and the standard
// deviation of its natural logarithm is s; the bias term uses s1 in every case.
Real48 CalcChlrABrain(Real48 x, Real48 m, Real48 s, Real48 s1);

// [row][column]: rows 10, 20, 30, 60 ug/L; columns Observed, Case A, Case B, Case C.
using ChlrFrequencies = std::array<std::array<Real48, 4>, 4>;

ChlrFrequencies CalcChlrAMain(const ModelState& state);

// The frequencies over the four bounds (10, 20, 30, 60 ug/L) for a mean m and a spread s:
// one column of the grid.
std::array<Real48, 4> frequenciesOverBounds(Real48 m, Real48 s, Real48 s1);

// The Case B spread, within-year and year-to-year: sqrt(S1^2 + S2^2).
Real48 caseBSpread(Real48 s1, Real48 s2);
// The Case C spread, the Case B spread with the model error: sqrt(SB^2 + VarChlrA); the
// second form takes SB^2, as power gives it, for spreads of many variances.
Real48 caseCSpread(Real48 sb, double varChlrA);
Real48 caseCSpreadOfSquare(double sbSquared, double varChlrA);

}  // namespace trophex
