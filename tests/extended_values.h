#pragma once
// Extended values for tests, the same on every platform: decimal text correctly rounded,
// and powers of two.

#include "arithmetic/extended.h"
#include "arithmetic/extendeddecimal.h"

#include <string_view>

namespace trophex::testing {

// "-1.5e-30" and the like, rounded to nearest as the x87's long double literal would be.
inline Extended decimal(std::string_view text)
{
    const bool negative = !text.empty() && text.front() == '-';
    if (negative)
        text.remove_prefix(1);
    const std::size_t e = text.find_first_of("eE");
    std::string_view mantissa = text.substr(0, e);
    std::string_view exponent = e == std::string_view::npos ? std::string_view() : text.substr(e + 1);
    const bool exponentNegative = !exponent.empty() && exponent.front() == '-';
    if (!exponent.empty() && (exponent.front() == '-' || exponent.front() == '+'))
        exponent.remove_prefix(1);
    const std::size_t point = mantissa.find('.');
    const std::string_view whole = mantissa.substr(0, point);
    const std::string_view fraction = point == std::string_view::npos ? std::string_view() : mantissa.substr(point + 1);
    const Extended magnitude = extendedOf(decimalToExtended(whole, fraction, exponentNegative, exponent));
    return negative ? -magnitude : magnitude;
}

inline Extended powerOfTwo(int n)
{
    return Extended(1).scaledByPowerOfTwo(n);
}

}  // namespace trophex::testing
