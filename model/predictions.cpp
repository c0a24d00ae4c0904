#include "model/predictions.h"

#include "model/balance.h"
#include "arithmetic/fpu.h"

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
    if (observed.value() > 0) {
        c.residual = toDouble(checkedLn(checkedDiv(observed, predicted)));
        c.ttest = toDouble(checkedDiv(c.residual, checkedSqrt(errorTerm.value() + variance)));
    }
    return c;
}

PredictionRow rowOf(Real48 observed, double predicted, double variance, const Comparison& c)
{
    return {observed, predicted, checkedSqrt(variance) * predicted, c.residual * Log10Factor, c.ttest};
}

// Squares of the model's constants: the same on every call, so taken once.
double squareOf046()
{
    static const double Square = power(0.46, 2);
    return Square;
}

double squareOf146()
{
    static const double Square = power(1.46, 2);
    return Square;
}

double squareOf059()
{
    static const double Square = power(0.59, 2);
    return Square;
}

// The inflow phosphorus's term comes first, so that an inflow phosphorus of zero or less
// faults before a residence time of zero or less does.
double resTimeFactorOf(double resTime)
{
    return power(resTime, 0.542);
}

Extended inflowTerm(double avgInTP)
{
    return power(avgInTP, 0.458) * 0.162_x;
}

double predictedTPOf(double avgInTP, Extended a, double resTimeFactor)
{
    return toDouble(avgInTP / (resTimeFactor * a + 1));
}

}  // namespace

ChainConstants chainConstants(const ModelState& s)
{
    return {resTimeFactorOf(s.ResTime), s.V1, s.V2, s.V3, s.V4, s.V5};
}

double predictedTP(double avgInTP, double resTimeFactor)
{
    return predictedTPOf(avgInTP, inflowTerm(avgInTP), resTimeFactor);
}

double retentionOf(double predTP, double avgInTP)
{
    return toDouble(1 - checkedDiv(predTP, avgInTP));
}

double tpVariance(double phosRet, const ChainConstants& c)
{
    const double sq = squareOf046();
    const double q = power(phosRet, 2);
    return toDouble(sq * (c.V1.value() * q) + (c.V2.value() * q + c.V3.value() * (q * sq + (1 - 0.92_x * phosRet))));
}

double predictedChlrA(double predTP)
{
    return toDouble(power(predTP, 1.46) * 0.0661_x);
}

double chlrAVariance(double varTP, const ChainConstants& c)
{
    return toDouble(c.V4.value() + squareOf146() * Extended(varTP));
}

double predictedSechi(double predChlrA)
{
    return toDouble(power(predChlrA, -0.59) * 7.76_x);
}

double sechiVariance(double varChlrA, const ChainConstants& c)
{
    return toDouble(c.V5.value() + squareOf059() * Extended(varChlrA));
}

void predictionChains(const double* avgInTP, std::size_t n, const ChainConstants& c, PredictionChain* chains)
{
    for (std::size_t i = 0; i < n; ++i)
        chains[i].PredTP = predictedTP(avgInTP[i], c.resTimeFactor);
    for (std::size_t i = 0; i < n; ++i)
        chains[i].PhosRet = retentionOf(chains[i].PredTP, avgInTP[i]);
    for (std::size_t i = 0; i < n; ++i)
        chains[i].VarTP = tpVariance(chains[i].PhosRet, c);
    for (std::size_t i = 0; i < n; ++i)
        chains[i].PredChlrA = predictedChlrA(chains[i].PredTP);
    for (std::size_t i = 0; i < n; ++i)
        chains[i].VarChlrA = chlrAVariance(chains[i].VarTP, c);
    for (std::size_t i = 0; i < n; ++i)
        chains[i].PredSechi = predictedSechi(chains[i].PredChlrA);
    for (std::size_t i = 0; i < n; ++i)
        chains[i].VarSechi = sechiVariance(chains[i].VarChlrA, c);
}

PredictionChain predictionChain(double avgInTP, const ChainConstants& c)
{
    PredictionChain chain;
    predictionChains(&avgInTP, 1, c, &chain);
    return chain;
}

Predictions CalcVarConc(ModelState& s)
{
    const Extended a = inflowTerm(s.AvgInTP);
    const ChainConstants constants = chainConstants(s);
    PredictionChain chain;
    chain.PredTP = predictedTPOf(s.AvgInTP, a, constants.resTimeFactor);
    chain.PhosRet = retentionOf(chain.PredTP, s.AvgInTP);
    chain.VarTP = tpVariance(chain.PhosRet, constants);
    const Comparison tp = compare(s.ObsTP, chain.PredTP, s.V6, chain.VarTP);

    chain.PredChlrA = s.PredChlrA = predictedChlrA(chain.PredTP);
    chain.VarChlrA = s.VarChlrA = chlrAVariance(chain.VarTP, constants);
    const Comparison chlrA = compare(s.ObsChlrA, s.PredChlrA, s.V7, s.VarChlrA);

    chain.PredSechi = predictedSechi(s.PredChlrA);
    chain.VarSechi = sechiVariance(s.VarChlrA, constants);
    const Comparison sechi = compare(s.ObsSechi, chain.PredSechi, s.V8, chain.VarSechi);

    Predictions p;
    p.PhosRet = chain.PhosRet;
    p.rows[0] = rowOf(s.ObsTP, chain.PredTP, chain.VarTP, tp);
    p.rows[1] = rowOf(s.ObsChlrA, chain.PredChlrA, chain.VarChlrA, chlrA);
    p.rows[2] = rowOf(s.ObsSechi, chain.PredSechi, chain.VarSechi, sechi);
    return p;
}

}  // namespace trophex
