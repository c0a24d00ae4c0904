#include "model/fpu.h"

#include <cmath>

namespace trophex {

FloatFault::FloatFault(FaultKind kind) : std::runtime_error(faultMessage(kind)), kind_(kind) {}

const char* faultMessage(FaultKind kind)
{
    switch (kind) {
    case FaultKind::DivisionByZero:
        return "Floating point division by zero";
    case FaultKind::InvalidOperation:
        return "Invalid floating point operation";
    case FaultKind::Overflow:
        return "Floating point overflow";
    }
    return "Invalid floating point operation";
}

namespace {

long double checkedResult(long double x)
{
    if (std::isnan(x))
        throw FloatFault(FaultKind::InvalidOperation);
    if (std::isinf(x))
        throw FloatFault(FaultKind::Overflow);
    return x;
}

}  // namespace

long double checkedDiv(long double numerator, long double denominator)
{
    if (denominator == 0.0L)
        throw FloatFault(numerator == 0.0L ? FaultKind::InvalidOperation : FaultKind::DivisionByZero);
    return checkedResult(numerator / denominator);
}

long double checkedLn(long double x)
{
    if (x == 0.0L)
        throw FloatFault(FaultKind::DivisionByZero);
    if (x < 0.0L)
        throw FloatFault(FaultKind::InvalidOperation);
    return checkedResult(std::log(x));
}

long double checkedSqrt(long double x)
{
    if (x < 0.0L)
        throw FloatFault(FaultKind::InvalidOperation);
    return checkedResult(std::sqrt(x));
}

long double checkedExp(long double x)
{
    return checkedResult(std::exp(x));
}

double toDouble(long double x)
{
    checkedResult(x);
    const double d = static_cast<double>(x);
    if (std::isinf(d))
        throw FloatFault(FaultKind::Overflow);
    return d;
}

double power(double base, double exponent)
{
    return toDouble(checkedExp(static_cast<long double>(exponent) * checkedLn(base)));
}

}  // namespace trophex
