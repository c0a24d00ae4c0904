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
#include "model/extendedmath.h"
#include "model/x87extended.h"

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

// e^x on the model's extended algorithm (model/extendedmath.h).
inline long double x87Exp(long double x)
{
    return extendedExp(X87Extended(x)).value();
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
