#include "model/fpu.h"

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

void raiseFault(FaultKind kind)
{
    throw FloatFault(kind);
}

}  // namespace trophex
