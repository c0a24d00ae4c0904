#pragma once
// Checked extended-precision arithmetic for the lake model.
//
// The model computes in the 80-bit extended format and stores results as doubles or
// Real48 values. Where the arithmetic has no valid result the calculation stops with a
// floating-point fault that carries the platform's standard message, classified as the
// x87 does: non-zero / 0 and ln(0) are "division by zero"; 0 / 0, ln(negative) and
// sqrt(negative) are "invalid operation"; a result beyond the destination's range is
// "overflow". No NaN or infinity ever leaves these helpers.

#include <cfloat>
#include <stdexcept>

namespace trophex {

static_assert(LDBL_MANT_DIG == 64, "the lake model needs the 80-bit extended format");

enum class FaultKind { DivisionByZero, InvalidOperation, Overflow };

class FloatFault : public std::runtime_error {
public:
    explicit FloatFault(FaultKind kind);
    FaultKind kind() const { return kind_; }

private:
    FaultKind kind_;
};

const char* faultMessage(FaultKind kind);

long double checkedDiv(long double numerator, long double denominator);
long double checkedLn(long double x);
long double checkedSqrt(long double x);
long double checkedExp(long double x);

// Rounds to a double, faulting when the result is out of the double's range.
double toDouble(long double x);

// e^(exponent * ln base), rounded to a double: the model's one power function.
// The base must be positive, whatever the exponent.
double power(double base, double exponent);

}  // namespace trophex
