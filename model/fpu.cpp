#include "model/fpu.h"

namespace trophex {

FloatFault::FloatFault(ErrorCode code) : std::runtime_error(errorMessage(code)), code_(code) {}

void raiseFault(ErrorCode code)
{
    throw FloatFault(code);
}

}  // namespace trophex
