#pragma once
// Display formatting of numbers with the patterns the program shows them in.
// Values are rounded at the last shown digit, halves away from zero, on the exact value
// of their binary representation. A value that rounds to zero has no minus sign.

#include "arithmetic/extended.h"

#include <string>

namespace trophex {

enum class NumberPattern {
    Whole,               // "0"
    GroupedWhole,        // "#,##0"
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

    // The separators of the system's default locale (from LC_ALL, LC_NUMERIC or LANG); the
    // C locale gives "." and ",". Reads the locale without changing the process's own.
    static NumberFormat fromSystemLocale();
    // The same for a named locale such as "de_DE.UTF-8"; "." and "," when it is unknown.
    static NumberFormat fromLocale(const char* name);
};

// The two ways formatNumber takes: a value that is exactly a double, and any other.
std::string formatDoubleNumber(double value, NumberPattern pattern, const NumberFormat& format);
std::string formatExtendedNumber(Extended value, NumberPattern pattern, const NumberFormat& format);

// Inline, so that the usual value, a double, reaches the formatter in a register rather
// than as an 80-bit value in memory, which this processor family reads back slowly.
inline std::string formatNumber(Extended value, NumberPattern pattern, const NumberFormat& format)
{
    const double d = value.toDouble();
    if (Extended(d) == value)
        return formatDoubleNumber(d, pattern, format);
    return formatExtendedNumber(value, pattern, format);
}

}  // namespace trophex
