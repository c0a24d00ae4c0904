#pragma once
// Checked extended-precision arithmetic for the lake model.
//
// The model computes in the 80-bit extended format and stores results as doubles or
// Real48 values. Where the arithmetic has no valid result the calculation stops with a
// floating-point fault that carries the platform's standard message, classified as the
// x87 does: non-zero / 0 and ln(0) are "division by zero"; 0 / 0, ln(negative) and
// sqrt(negative) are "invalid operation"; a result beyond the destination's range is
// "overflow". No NaN or infinity ever leaves these helpers.

#include "arithmetic/extended.h"

#include <cmath>
#include <stdexcept>

namespace trophex {

// The three ways the checked arithmetic can fail, classified as the x87 classifies them.
enum class FloatFaultKind {
    DivisionByZero,    // a non-zero value divided by zero, ln 0
    InvalidOperation,  // 0 / 0, ln or square root of a negative value
    Overflow,          // a result beyond its type's range
};

// The platform's standard message of the fault, e.g. "Floating point overflow".
constexpr const char* floatFaultMessage(FloatFaultKind kind)
{
    switch (kind) {
    case FloatFaultKind::DivisionByZero:
        return "Floating point division by zero";
    case FloatFaultKind::InvalidOperation:
        return "Invalid floating point operation";
    case FloatFaultKind::Overflow:
        break;
    }
    return "Floating point overflow";
}

// A floating-point fault, carrying its kind; what() is its standard message.
class FloatFault : public std::runtime_error {
public:
    explicit FloatFault(FloatFaultKind kind);
    FloatFaultKind kind() const { return kind_; }

private:
    FloatFaultKind kind_;
};

// Throws the fault; kept out of line so that the checked operations below inline into
// the model's arithmetic without their error paths.
[[noreturn]] void raiseFault(FloatFaultKind kind);

// Passes x on, faulting on NaN (invalid operation) and infinity (overflow).
inline Extended checkedResult(Extended x)
{
    if (!x.isFinite())
        raiseFault(x.isNaN() ? FloatFaultKind::InvalidOperation : FloatFaultKind::Overflow);
    return x;
}

inline Extended checkedDiv(Extended numerator, Extended denominator)
{
    if (denominator == 0)
        raiseFault(numerator == 0 ? FloatFaultKind::InvalidOperation : FloatFaultKind::DivisionByZero);
    return checkedResult(numerator / denominator);
}

inline Extended checkedLn(Extended x)
{
    if (x == 0)
        raiseFault(FloatFaultKind::DivisionByZero);
    if (x < 0)
        raiseFault(FloatFaultKind::InvalidOperation);
    return checkedResult(extendedLn(x));
}

inline Extended checkedSqrt(Extended x)
{
    if (x < 0)
        raiseFault(FloatFaultKind::InvalidOperation);
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
        raiseFault(std::isnan(d) ? FloatFaultKind::InvalidOperation : FloatFaultKind::Overflow);
    return d;
}

// e^(exponent * ln base), rounded to a double: the model's one power function.
// The base must be positive, whatever the exponent.
inline double power(double base, double exponent)
{
    return toDouble(checkedExp(Extended(exponent) * checkedLn(base)));
}

}  // namespace trophex
