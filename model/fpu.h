#pragma once
// Checked extended-precision arithmetic for the lake model.
//
// The model computes in the 80-bit extended format and stores results as doubles or
// Real48 values. Where the arithmetic has no valid result the calculation stops with a
// floating-point fault that carries the platform's standard message, classified as the
// x87 does: non-zero / 0 and ln(0) are "division by zero"; 0 / 0, ln(negative) and
// sqrt(negative) are "invalid operation"; a result beyond the destination's range is
// "overflow". No NaN or infinity ever leaves these helpers.

#include "model/errors.h"
#include "model/powersoftwo.h"

#include <cfloat>
#include <cmath>
#include <limits>
#include <stdexcept>

namespace trophex {

static_assert(LDBL_MANT_DIG == 64, "the lake model needs the 80-bit extended format");

// A floating-point fault: ErrorCode::DivisionByZero, InvalidOperation or Overflow.
class FloatFault : public std::runtime_error {
public:
    explicit FloatFault(ErrorCode code);
    ErrorCode code() const { return code_; }

private:
    ErrorCode code_;
};

// Throws the fault; kept out of line so that the checked operations below inline into
// the model's arithmetic without their error paths.
[[noreturn]] void raiseFault(ErrorCode code);

// Passes x on, faulting on NaN (invalid operation) and infinity (overflow).
inline long double checkedResult(long double x)
{
    if (!(x - x == 0.0L))  // NaN or infinity; a single test for the usual finite case
        raiseFault(std::isnan(x) ? ErrorCode::InvalidOperation : ErrorCode::Overflow);
    return x;
}

// The x87's transcendental instructions, in the 64-bit significand the model computes
// with. Both take x finite; the callers check the domain.

// ln x = ln 2 * log2 x (fyl2x).
inline long double x87Ln(long double x)
{
    long double result;
    asm("fldln2\n\t"
        "fxch %%st(1)\n\t"
        "fyl2x"
        : "=t"(result)
        : "0"(x));
    return result;
}

namespace x87 {

// The whole number nearest to x (ties to even), for |x| < 2^31.
inline int roundToInt(long double x)
{
    int result;
    asm("fistpl %0" : "=m"(result) : "t"(x) : "st");
    return result;
}

// x * 2^n for a whole number n.
inline long double scaleByPowerOfTwo(long double x, long double n)
{
    long double result;
    asm("fscale" : "=t"(result) : "0"(x), "u"(n));
    return result;
}

}  // namespace x87

// e^x = 2^m * 2^(j/128) * e^r, with k = 128 m + j the whole number nearest to x * 128 / ln 2
// and r = x - k ln 2 / 128 (|r| <= ln 2 / 256), taken with ln 2 / 128 in two parts so that r
// keeps its full precision. 2^(j/128) comes from a table in more than extended precision and
// e^r - 1 from its Taylor polynomial: within one unit in the last place of the extended
// result. Beyond +-12000 the result is out of the extended range: infinity above, 0 below.
inline long double x87Exp(long double x)
{
    constexpr double StepsPerLn2 = 0x1.71547652b82fep+7;  // 128 / ln 2; k only needs to be near
    constexpr double StepHi = 0xB17217F7D1p-47;             // 40 bits: k * StepHi is exact
    constexpr double StepLo = 0x1.9ef35793c7673p-48;        // ln 2 / 128 - StepHi
    constexpr long double Limit = 12000;
    if (x > Limit)
        return std::numeric_limits<long double>::infinity();
    if (x < -Limit)
        return 0;
    const int k = x87::roundToInt(x * StepsPerLn2);
    const long double kk = k;
    const long double r = (x - kk * StepHi) - kk * StepLo;
    const long double r2 = r * r;
    const long double expm1r =
        r + r2 * ((0.5L + r * (1.0 / 6)) + r2 * ((1.0 / 24 + r * (1.0 / 120)) + r2 * (1.0 / 720)));
    const PowerOfTwoFraction& t = PowersOfTwoFractions[k & 127];
    return x87::scaleByPowerOfTwo(t.hi + (t.hi * expm1r + t.lo), static_cast<long double>(k >> 7));
}

inline long double checkedDiv(long double numerator, long double denominator)
{
    if (denominator == 0.0L)
        raiseFault(numerator == 0.0L ? ErrorCode::InvalidOperation : ErrorCode::DivisionByZero);
    return checkedResult(numerator / denominator);
}

inline long double checkedLn(long double x)
{
    if (x == 0.0L)
        raiseFault(ErrorCode::DivisionByZero);
    if (x < 0.0L)
        raiseFault(ErrorCode::InvalidOperation);
    return checkedResult(x87Ln(x));
}

inline long double checkedSqrt(long double x)
{
    if (x < 0.0L)
        raiseFault(ErrorCode::InvalidOperation);
    return checkedResult(std::sqrt(x));
}

inline long double checkedExp(long double x)
{
    return checkedResult(x87Exp(x));
}

// Rounds to a double, faulting when the result is out of the double's range. A NaN or
// infinite x rounds to a NaN or infinite double, so the double alone tells the fault.
inline double toDouble(long double x)
{
    const double d = static_cast<double>(x);
    if (!std::isfinite(d))
        raiseFault(std::isnan(d) ? ErrorCode::InvalidOperation : ErrorCode::Overflow);
    return d;
}

// e^(exponent * ln base), rounded to a double: the model's one power function.
// The base must be positive, whatever the exponent.
inline double power(double base, double exponent)
{
    return toDouble(checkedExp(static_cast<long double>(exponent) * checkedLn(base)));
}

}  // namespace trophex
