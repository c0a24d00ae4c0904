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

}  // namespace trophex
