#include "model/chlorophyll.h"

#include "arithmetic/fpu.h"

#include <cmath>

namespace trophex {

namespace {

// The frequencies from l = ln(x / m) for several bounds x with the same spread: the bias
// term, the normal deviate and the tail. The bounds are taken together, step by step, so
// that the processor overlaps their long chains of dependent extended-precision
// operations. Only the first step, the normal deviate, can fault, and it is taken bound by
// bound, so a fault is the one that taking the bounds one after another would meet first.
template <std::size_t N>
std::array<Real48, N> frequenciesOfLogRatios(const std::array<Extended, N>& l, Real48 s, Real48 s1)
{
    std::array<double, N> z, phi, t, cube;
    for (std::size_t i = 0; i < N; ++i)
        z[i] = toDouble(checkedDiv(l[i] + 0.5_x * s1.value() * s1.value(), s));
    for (std::size_t i = 0; i < N; ++i)
        phi[i] = toDouble(checkedExp(-0.5_x * z[i] * z[i]) * 0.398883127243717606_x);
    for (std::size_t i = 0; i < N; ++i)
        t[i] = toDouble(1 / (1 + 0.33267_x * std::fabs(z[i])));
    for (std::size_t i = 0; i < N; ++i)
        cube[i] = power(t[i], 3);
    std::array<Real48, N> f;
    for (std::size_t i = 0; i < N; ++i) {
        const double q = toDouble(phi[i] * (0.4361684_x * t[i] - 0.121676_x * t[i] * t[i] + 0.937298_x * cube[i]));
        f[i] = Real48::store(z[i] > 0 ? 100 * Extended(q) : 100 * (1 - Extended(q)));
    }
    return f;
}

Extended logRatio(Real48 x, Real48 m)
{
    return checkedLn(checkedDiv(x, m));
}

const std::array<Real48, 4>& bounds()
{
    static const std::array<Real48, 4> Bounds = {Real48::store(10), Real48::store(20), Real48::store(30),
                                                 Real48::store(60)};
    return Bounds;
}

// ln(bound / m) for the four bounds.
std::array<Extended, 4> logRatiosOfBounds(Real48 m)
{
    std::array<Extended, 4> l;
    for (std::size_t row = 0; row < 4; ++row)
        l[row] = logRatio(bounds()[row], m);
    return l;
}

}  // namespace

Real48 CalcChlrABrain(Real48 x, Real48 m, Real48 s, Real48 s1)
{
    return frequenciesOfLogRatios<1>({logRatio(x, m)}, s, s1)[0];
}

std::array<Real48, 4> frequenciesOverBounds(Real48 m, Real48 s, Real48 s1)
{
    return frequenciesOfLogRatios(logRatiosOfBounds(m), s, s1);
}

Real48 caseBSpread(Real48 s1, Real48 s2)
{
    return Real48::store(checkedSqrt(Extended(power(s1.doubleValue(), 2)) + power(s2.doubleValue(), 2)));
}

Real48 caseCSpread(Real48 sb, double varChlrA)
{
    return caseCSpreadOfSquare(power(sb.doubleValue(), 2), varChlrA);
}

Real48 caseCSpreadOfSquare(double sbSquared, double varChlrA)
{
    return Real48::store(checkedSqrt(Extended(sbSquared) + varChlrA));
}

ChlrFrequencies CalcChlrAMain(const ModelState& s)
{
    const Real48 sb = caseBSpread(s.S1, s.S2);
    const Real48 predicted = Real48::store(s.PredChlrA);
    ChlrFrequencies f;
    const auto fillColumn = [&](int col, const std::array<Real48, 4>& column) {
        for (int row = 0; row < 4; ++row)
            f[row][col] = column[row];
    };
    fillColumn(0, frequenciesOverBounds(s.ObsChlrA, s.S1, s.S1));
    // The three cases share the predicted mean, so its ratios are taken once, in Case A,
    // where they are first needed. Case C adds the model error to the Case B spread; it
    // is computed when its column is reached, so that a fault in an earlier column is the
    // one reported.
    const std::array<Extended, 4> predictedLogRatios = logRatiosOfBounds(predicted);
    fillColumn(1, frequenciesOfLogRatios(predictedLogRatios, s.S1, s.S1));
    fillColumn(2, frequenciesOfLogRatios(predictedLogRatios, sb, s.S1));
    fillColumn(3, frequenciesOfLogRatios(predictedLogRatios, caseCSpread(sb, s.VarChlrA), s.S1));
    return f;
}

}  // namespace trophex
