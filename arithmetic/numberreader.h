#pragma once
// Reads a typed number: optional leading spaces, an optional sign, digits with an optional
// full stop and fraction, an optional exponent. The full stop is the decimal separator
// whatever the locale.

#include "arithmetic/extended.h"

#include <cstdint>
#include <string_view>

namespace trophex {

struct NumberReading {
    Extended value = 0;         // the number, correctly rounded to extended precision
    std::int32_t errorPos = 0;  // 0 when the text is a number, else the 1-based failing position
    bool ok() const { return errorPos == 0; }
};

// On failure the value is the mantissa digits read before the failure, taken as a whole
// number without sign, decimal point or exponent (0 for an empty text, 15 for "1.5x").
NumberReading readNumber(std::string_view text);

}  // namespace trophex
