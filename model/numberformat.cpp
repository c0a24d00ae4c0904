#include "model/numberformat.h"

#include <clocale>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <locale.h>

namespace trophex {

namespace {

struct PatternShape {
    int decimals;
    bool grouped;
    const char* suffix;
};

PatternShape shapeOf(NumberPattern pattern)
{
    switch (pattern) {
    case NumberPattern::Whole:
        return {0, false, ""};
    case NumberPattern::OneDecimal:
        return {1, false, ""};
    case NumberPattern::TwoDecimals:
        return {2, false, ""};
    case NumberPattern::ThreeDecimals:
        return {3, false, ""};
    case NumberPattern::GroupedOneDecimal:
        return {1, true, ""};
    case NumberPattern::GroupedTwoDecimals:
        return {2, true, ""};
    case NumberPattern::Percent:
        return {0, false, "%"};
    }
    return {0, false, ""};
}

using u128 = unsigned __int128;

void appendDigits(std::string& out, u128 n)
{
    char buffer[48];
    int len = 0;
    do {
        buffer[len++] = static_cast<char>('0' + static_cast<int>(n % 10));
        n /= 10;
    } while (n != 0);
    while (len > 0)
        out += buffer[--len];
}

// The decimal digits of round(magnitude * 10^decimals), halves away from zero, computed
// exactly. Below 2^63 the value is m * 2^-k with a 64-bit m, and the scaled value is an
// exact 128-bit fixed-point number; from 2^63 on every extended value is an integer.
std::string scaledRoundedDigits(long double magnitude, int decimals)
{
    std::string digits;
    if (magnitude >= 0x1p63L) {
        char buffer[5000];
        std::snprintf(buffer, sizeof buffer, "%.0Lf", magnitude);
        digits = buffer;
        digits.append(static_cast<std::size_t>(decimals), '0');
        return digits;
    }
    int exponent = 0;
    const long double mantissa = std::frexp(magnitude, &exponent);
    const auto m = static_cast<std::uint64_t>(std::ldexp(mantissa, 64));
    const int shift = 64 - exponent;  // magnitude = m * 2^-shift, shift > 0 here
    u128 scaled = m;
    for (int i = 0; i < decimals; ++i)
        scaled *= 10;
    u128 rounded = 0;
    if (magnitude != 0 && shift <= 80) {
        const u128 half = u128{1} << (shift - 1);
        rounded = (scaled >> shift) + ((scaled & ((half << 1) - 1)) >= half ? 1 : 0);
    }
    appendDigits(digits, rounded);
    return digits;
}

void appendGrouped(std::string& out, const std::string& wholeDigits, const std::string& separator)
{
    const std::size_t n = wholeDigits.size();
    for (std::size_t i = 0; i < n; ++i) {
        if (i > 0 && (n - i) % 3 == 0)
            out += separator;
        out += wholeDigits[i];
    }
}

}  // namespace

NumberFormat NumberFormat::fromSystemLocale()
{
    NumberFormat format;
    const std::string previous = std::setlocale(LC_NUMERIC, nullptr);
    std::setlocale(LC_NUMERIC, "");
    const lconv* conv = std::localeconv();
    if (conv->decimal_point && *conv->decimal_point)
        format.decimalSeparator = conv->decimal_point;
    if (conv->thousands_sep && *conv->thousands_sep)
        format.thousandsSeparator = conv->thousands_sep;
    else if (format.decimalSeparator == ",")
        format.thousandsSeparator = ".";
    std::setlocale(LC_NUMERIC, previous.c_str());
    return format;
}

std::string formatNumber(long double value, NumberPattern pattern, const NumberFormat& format)
{
    const PatternShape shape = shapeOf(pattern);
    std::string digits = scaledRoundedDigits(std::fabs(value), shape.decimals);
    const auto minLength = static_cast<std::size_t>(shape.decimals + 1);
    if (digits.size() < minLength)
        digits.insert(0, minLength - digits.size(), '0');
    const std::size_t wholeLength = digits.size() - static_cast<std::size_t>(shape.decimals);

    std::string out;
    out.reserve(digits.size() + digits.size() / 3 + 4);
    const bool roundsToZero = digits.find_first_not_of('0') == std::string::npos;
    if (value < 0 && !roundsToZero)
        out += '-';
    const std::string wholeDigits = digits.substr(0, wholeLength);
    if (shape.grouped)
        appendGrouped(out, wholeDigits, format.thousandsSeparator);
    else
        out += wholeDigits;
    if (shape.decimals > 0) {
        out += format.decimalSeparator;
        out.append(digits, wholeLength, std::string::npos);
    }
    out += shape.suffix;
    return out;
}

}  // namespace trophex
