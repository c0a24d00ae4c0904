#include "model/chlorophyll.h"

#include "model/fpu.h"

#include <cmath>

namespace trophex {

namespace {

// The frequency from l = ln(x / m): the bias term, the normal deviate and the tail.
// Inlined into its callers so that l stays in a register: an 80-bit argument passed in
// memory is read back slowly on this processor family.
[[gnu::always_inline]] inline Real48 frequencyOfLogRatio(long double l, Real48 s, Real48 s1)
{
    const long double n = l + 0.5L * s1.value() * s1.value();
    const double z = toDouble(checkedDiv(n, s));
    const double phi = toDouble(checkedExp(-0.5L * z * z) * 0.398883127243717606L);
    const double t = toDouble(1 / (1 + 0.33267L * std::fabs(z)));
    const double cube = power(t, 3);  // taken first, so that no extended partial sum waits across the call
    const double q = toDouble(phi * (0.4361684L * t - 0.121676L * t * t + 0.937298L * cube));
    return Real48::store(z > 0 ? 100 * static_cast<long double>(q) : 100 * (1 - static_cast<long double>(q)));
}

long double logRatio(Real48 x, Real48 m)
{
    return checkedLn(checkedDiv(x, m));
}

}  // namespace

Real48 CalcChlrABrain(Real48 x, Real48 m, Real48 s, Real48 s1)
{
    return frequencyOfLogRatio(logRatio(x, m), s, s1);
}

ChlrFrequencies CalcChlrAMain(const ModelState& s)
{
    static const std::array<Real48, 4> Bounds = {Real48::store(10), Real48::store(20), Real48::store(30),
                                                 Real48::store(60)};
    const Real48 sb = Real48::store(checkedSqrt(static_cast<long double>(power(s.S1, 2)) + power(s.S2, 2)));
    const Real48 predicted = Real48::store(s.PredChlrA);
    // Case C adds the model error to the Case B spread; it is computed when its column is
    // reached, so that a fault in an earlier column is the one reported.
    const auto spreadOf = [&](int col) {
        if (col == 3)
            return Real48::store(checkedSqrt(static_cast<long double>(power(sb, 2)) + s.VarChlrA));
        return col == 2 ? sb : s.S1;
    };

    ChlrFrequencies f;
    for (int row = 0; row < 4; ++row)
        f[row][0] = CalcChlrABrain(Bounds[row], s.ObsChlrA, s.S1, s.S1);
    // The three cases share the predicted mean, so ln(x / m) of a row is taken once, in
    // Case A, where it is first needed.
    std::array<long double, 4> predictedLogRatios;
    for (int col = 1; col < 4; ++col) {
        const Real48 spread = spreadOf(col);
        for (int row = 0; row < 4; ++row) {
            if (col == 1)
                predictedLogRatios[row] = logRatio(Bounds[row], predicted);
            f[row][col] = frequencyOfLogRatio(predictedLogRatios[row], spread, s.S1);
        }
    }
    return f;
}

ChlrTexts formatFrequencies(const ChlrFrequencies& frequencies, const NumberFormat& format)
{
    // Built in place, row by row, rather than assigned cell by cell.
    const auto row = [&](int r) -> std::array<std::string, 4> {
        const auto cell = [&](int c) { return formatNumber(frequencies[r][c], NumberPattern::Percent, format); };
        return {cell(0), cell(1), cell(2), cell(3)};
    };
    return {row(0), row(1), row(2), row(3)};
}

}  // namespace trophex
