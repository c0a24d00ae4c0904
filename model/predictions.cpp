#include "model/predictions.h"

#include "model/balance.h"
#include "model/fpu.h"

namespace trophex {

namespace {

struct Comparison {
    double residual = 0;  // ln(observed / predicted)
    double ttest = 0;
};

// A zero or negative observation has no logarithm: its residual and t statistic are 0.
// The t statistic's variance is the error term plus the prediction's variance. Values
// come as Real48 and double, which travel in registers.
Comparison compare(Real48 observed, double predicted, Real48 errorTerm, double variance)
{
    Comparison c;
    if (observed > 0) {
        c.residual = toDouble(checkedLn(checkedDiv(observed, predicted)));
        c.ttest = toDouble(checkedDiv(c.residual, checkedSqrt(errorTerm.value() + variance)));
    }
    return c;
}

PredictionRow rowOf(Real48 observed, double predicted, double variance, const Comparison& c)
{
    return {observed, predicted, checkedSqrt(variance) * predicted, c.residual * Log10Factor, c.ttest};
}

}  // namespace

Predictions CalcVarConc(ModelState& s)
{
    Predictions p;

    const long double a = power(s.AvgInTP, 0.458) * 0.162L;
    const double predTP = toDouble(s.AvgInTP / (power(s.ResTime, 0.542) * a + 1));
    p.PhosRet = toDouble(1 - checkedDiv(predTP, s.AvgInTP));
    // Squares of the model's constants: the same on every call, so taken once.
    static const double sq = power(0.46, 2);
    static const double chlrAFactorSquared = power(1.46, 2);
    static const double sechiFactorSquared = power(0.59, 2);
    const double q = power(p.PhosRet, 2);
    const double varTP = toDouble(sq * (s.V1.value() * q)
                                  + (s.V2.value() * q + s.V3.value() * (q * sq + (1 - 0.92L * p.PhosRet))));
    const Comparison tp = compare(s.ObsTP, predTP, s.V6, varTP);

    s.PredChlrA = toDouble(power(predTP, 1.46) * 0.0661L);
    s.VarChlrA = toDouble(s.V4.value() + chlrAFactorSquared * static_cast<long double>(varTP));
    const Comparison chlrA = compare(s.ObsChlrA, s.PredChlrA, s.V7, s.VarChlrA);

    const double predSechi = toDouble(power(s.PredChlrA, -0.59) * 7.76L);
    const double varSechi = toDouble(s.V5.value() + sechiFactorSquared * static_cast<long double>(s.VarChlrA));
    const Comparison sechi = compare(s.ObsSechi, predSechi, s.V8, varSechi);

    p.rows[0] = rowOf(s.ObsTP, predTP, varTP, tp);
    p.rows[1] = rowOf(s.ObsChlrA, s.PredChlrA, s.VarChlrA, chlrA);
    p.rows[2] = rowOf(s.ObsSechi, predSechi, varSechi, sechi);
    return p;
}

}  // namespace trophex
