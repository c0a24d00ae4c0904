#pragma once
// Display formatting of numbers with the patterns the program shows them in.
// Values are rounded at the last shown digit, halves away from zero, on the exact value
// of their binary representation. A value that rounds to zero has no minus sign.

#include <string>

namespace trophex {

enum class NumberPattern {
    Whole,               // "0"
    OneDecimal,          // "0.0"
    TwoDecimals,         // "0.00"
    ThreeDecimals,       // "0.000"
    GroupedOneDecimal,   // "#,##0.0"
    GroupedTwoDecimals,  // "#,##0.00"
    Percent,             // "0'%": a whole number followed by %
};

struct NumberFormat {
    std::string decimalSeparator = ".";
    std::string thousandsSeparator = ",";

    // The separators of the system's default locale; the C locale gives "." and ",".
    static NumberFormat fromSystemLocale();
};

std::string formatNumber(long double value, NumberPattern pattern, const NumberFormat& format);

}  // namespace trophex
