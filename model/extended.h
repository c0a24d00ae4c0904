#pragma once
// The model's extended-precision number: the x87's own format and instructions on x86-64
// with GCC or Clang, the same format in software everywhere else, or on x86-64 too when
// the build sets TROPHEX_SOFT_EXTENDED (CMake option of the same name). Windows takes the
// software type: its threads start with the x87 rounding to 53 bits. Both give the same
// bits for every operation, logarithm and exponential included.

#if !defined(TROPHEX_SOFT_EXTENDED) && defined(__x86_64__) && defined(__GNUC__) && !defined(_WIN32)
#include "model/x87extended.h"
namespace trophex {
using Extended = X87Extended;
}  // namespace trophex
#else
#include "model/softextended.h"
namespace trophex {
using Extended = SoftExtended;
}  // namespace trophex
#endif
