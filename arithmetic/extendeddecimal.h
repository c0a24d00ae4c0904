#pragma once
// Decimal text and the extended format, both ways exact: a decimal number correctly
// rounded to the format, and the exact digits of a whole extended number.

#include "arithmetic/softextended.h"

#include <string>
#include <string_view>

namespace trophex {

// The number whose significant digits are intDigits followed by fracDigits (decimal
// digits only, either may be empty), times ten to the exponent whose digits are expDigits
// (any length; negative when exponentNegative), rounded to nearest, ties to even: to a
// denormal or 0 below the normal range, to infinity above it. The sign is the caller's.
SoftExtended decimalToExtended(std::string_view intDigits, std::string_view fracDigits, bool exponentNegative,
                               std::string_view expDigits);

// The decimal digits of |x| for a whole number x (every extended number from 2^63 on is
// one), without leading zeros; "inf" and "nan" for infinity and NaN.
std::string wholeNumberDigits(SoftExtended x);

}  // namespace trophex
