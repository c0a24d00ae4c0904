#pragma once
// The x87 computes the extended format at 64-bit precision only while its control word's
// precision field says so. Hosts may change it (Windows starts threads at 53 bits, and
// language runtimes loaded into the process set their own), so a call into the model sets
// it for its own duration and gives the caller's word back afterwards. Where the extended
// format is computed in software the word plays no part and the guard does nothing.

#include "arithmetic/extended.h"

#include <cstdint>

namespace trophex {

#ifdef TROPHEX_X87_EXTENDED

inline std::uint16_t x87ControlWord()
{
    std::uint16_t word;
    asm volatile("fnstcw %0" : "=m"(word));
    return word;
}

inline void setX87ControlWord(std::uint16_t word)
{
    asm volatile("fldcw %0" : : "m"(word));
}

// Sets the precision control to 64 bits while it lives; restores the word it found.
class ExtendedPrecisionScope {
public:
    static constexpr std::uint16_t PrecisionField = 0x0300;  // bits 8 and 9; 11 = 64 bits

    ExtendedPrecisionScope() : saved_(x87ControlWord()) { setX87ControlWord(saved_ | PrecisionField); }
    ~ExtendedPrecisionScope() { setX87ControlWord(saved_); }
    ExtendedPrecisionScope(const ExtendedPrecisionScope&) = delete;
    ExtendedPrecisionScope& operator=(const ExtendedPrecisionScope&) = delete;

private:
    std::uint16_t saved_;  // the caller's control word
};

#else

class ExtendedPrecisionScope {
public:
    ExtendedPrecisionScope() {}  // user-provided: a scope is never an unused variable
    ExtendedPrecisionScope(const ExtendedPrecisionScope&) = delete;
    ExtendedPrecisionScope& operator=(const ExtendedPrecisionScope&) = delete;
};

#endif

}  // namespace trophex
