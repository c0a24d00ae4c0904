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
#include "model/extended.h"

#include <cmath>
#include <stdexcept>

namespace trophex {

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
inline Extended checkedResult(Extended x)
{
    if (!x.isFinite())
        raiseFault(x.isNaN() ? ErrorCode::InvalidOperation : ErrorCode::Overflow);
    return x;
}

inline Extended checkedDiv(Extended numerator, Extended denominator)
{
    if (denominator == 0)
        raiseFault(numerator == 0 ? ErrorCode::InvalidOperation : ErrorCode::DivisionByZero);
    return checkedResult(numerator / denominator);
}

inline Extended checkedLn(Extended x)
{
    if (x == 0)
        raiseFault(ErrorCode::DivisionByZero);
    if (x < 0)
        raiseFault(ErrorCode::InvalidOperation);
    return checkedResult(extendedLn(x));
}

inline Extended checkedSqrt(Extended x)
{
    if (x < 0)
        raiseFault(ErrorCode::InvalidOperation);
    return checkedResult(sqrt(x));
}

inline Extended checkedExp(Extended x)
{
    return checkedResult(extendedExp(x));
}

// Rounds to a double, faulting when the result is out of the double's range. A NaN or
// infinite x rounds to a NaN or infinite double, so the double alone tells the fault.
inline double toDouble(Extended x)
{
    const double d = x.toDouble();
    if (!std::isfinite(d))
        raiseFault(std::isnan(d) ? ErrorCode::InvalidOperation : ErrorCode::Overflow);
    return d;
}

// e^(exponent * ln base), rounded to a double: the model's one power function.
// The base must be positive, whatever the exponent.
inline double power(double base, double exponent)
{
    return toDouble(checkedExp(Extended(exponent) * checkedLn(base)));
}

}  // namespace trophex
