#include "arithmetic/fpu.h"

namespace trophex {

FloatFault::FloatFault(FloatFaultKind kind) : std::runtime_error(floatFaultMessage(kind)), kind_(kind) {}

void raiseFault(FloatFaultKind kind)
{
    throw FloatFault(kind);
}

}  // namespace trophex
