#pragma once
// The natural logarithm and exponential of the extended format, written once on the
// format's correctly rounded operations and its exact scaling and rounding to a whole
// number, so that the x87 and the software implementation give the same bits.

#include "arithmetic/logtable.h"
#include "arithmetic/powersoftwo.h"

#include <array>
#include <cmath>

namespace trophex {

// 2^(j/128) rounded to the extended format, as a table of E built at compile time.
template <class E>
struct PowersOfTwoFractionsOf {
    static constexpr std::array<E, 128> rounded = [] {
        std::array<E, 128> values{};
        for (std::size_t j = 0; j < values.size(); ++j)
            values[j] = E::fromParts(PowersOfTwoFractions[j].significand, -63);
        return values;
    }();
};

// e^x = 2^m * 2^(j/128) * e^r, with k = 128 m + j the whole number nearest to x * 128 / ln 2
// and r = x - k ln 2 / 128 (|r| <= ln 2 / 256), taken with ln 2 / 128 in two parts so that r
// keeps its full precision. 2^(j/128) comes from a table in more than extended precision and
// e^r - 1 from its Taylor polynomial, whose terms from the third power on, below 2^-25, are
// taken in double precision: within 0.51 units in the last place of the extended result. Beyond +-12000 the result is out of the extended range: infinity above, 0 below.
// Inlined: on the x87 a call would pass x and the result through memory.
template <class E>
[[gnu::always_inline]] inline E extendedExp(E x)
{
    constexpr double StepsPerLn2 = 0x1.71547652b82fep+7;  // 128 / ln 2; k only needs to be near
    constexpr double StepHi = 0xB17217F7D1p-47;             // 40 bits: k * StepHi is exact
    constexpr double StepLo = 0x1.9ef35793c7673p-48;        // ln 2 / 128 - StepHi
    constexpr int Limit = 12000;
    if (!(x <= E(Limit)))
        return x > E(Limit) ? E::infinity() : x + x;  // NaN quieted
    if (x < E(-Limit))
        return E(0);
    const int k = (x * StepsPerLn2).roundToInt();
    const E kk = k;
    const E r = (x - kk * StepHi) - kk * StepLo;
    const double rd = r.toDouble();
    const double rd2 = rd * rd;
    const double higherTerms = rd * ((1.0 / 6 + rd * (1.0 / 24)) + rd2 * (1.0 / 120 + rd * (1.0 / 720)));
    const E expm1r = r + r * r * (E(higherTerms) + 0.5);
    const E hi = PowersOfTwoFractionsOf<E>::rounded[static_cast<std::size_t>(k & 127)];
    const double lo = PowersOfTwoFractions[k & 127].rest;
    return (hi + (hi * expm1r + lo)).scaledByPowerOfTwo(k >> 7);
}

// ln x = k ln 2 - ln c + ln(1 + r) with x = 2^k m, m in [1, 2), c from a table near 1/m and
// r = m c - 1 (|r| <= 2^-10), which is taken exactly as a sum of two numbers: m is split
// into 32 high bits and the rest, each of whose products with the 30-bit c is exact.
// k ln 2 - ln c is the exact sum of two parts on the grid of 2^-48 (for x just below 1 they
// cancel exactly) and a small rest; ln(1 + r) - r comes from its Taylor polynomial to the
// seventh power, the powers above the second evaluated in double precision. The large
// parts are added with their rounding error kept, so that the result is rounded once,
// within 0.51 units in the last place. ln 0 is -infinity, ln of a negative number the
// indefinite NaN, ln infinity infinity. Inlined, as the exponential.
template <class E>
[[gnu::always_inline]] inline E extendedLn(E x)
{
    constexpr double Splitter = 0x1.8p32;  // rounds m to a multiple of 2^-31
    if (!(x > E(0)) || !x.isFinite()) {
        if (x.isNaN() || x > E(0))
            return x + x;  // NaN quieted, infinity as it is
        return x == E(0) ? -E::infinity() : (x - x) / (x - x);
    }
    E k;
    const E m = x.significandAndExponent(k);
    const LogTableRow& row = LogTable[(m * LogTableSteps).roundToInt() - LogTableFirst];
    const E c = row.reciprocal;
    const E mHi = (m + Splitter) - Splitter;
    const E mLo = m - mHi;
    const E t = mHi * c - 1;
    const E u = mLo * c;
    const E rHi = t + u;
    const E rLo = (t - rHi) + u;

    const double rd = rHi.toDouble();
    const double rd2 = rd * rd;
    const double higherTerms =
        rd * ((1.0 / 3 - 0.25 * rd) + rd2 * ((1.0 / 5 - rd * (1.0 / 6)) + rd2 * (1.0 / 7)));
    const E p = rHi * rHi * (E(higherTerms) - 0.5);  // ln(1 + r) - r

    const E high = k * Ln2High + row.logHigh;  // exact
    const E s = high + rHi;
    const E sError = (high - s) + rHi;
    return s + ((((k * Ln2Rest + row.logRest) + rLo) + p) + sError);
}

}  // namespace trophex
