#include "model/numberformat.h"

#include <algorithm>
#include <clocale>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
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

// Room for the digits of any value below 2^63 scaled by at most 10^3.
constexpr std::size_t SmallDigitsCapacity = 40;

struct DigitBuffer {
    char small[SmallDigitsCapacity];  // the digits of values below 2^63, at its end
    std::string large;                // the digits of values from 2^63 on
    const char* digits;               // most significant first, no leading zeros
    std::size_t count;                // number of digits; 0 when the rounded value is zero
};

// A finite extended magnitude as m * 2^-shift, with m its 64-bit significand.
struct FixedPoint {
    std::uint64_t significand;  // the significand, leading bit explicit
    int shift;                  // binary places below the point
};

FixedPoint fixedPointOf(long double magnitude)
{
    FixedPoint f;
    // Most displayed values are doubles: their bits are at hand without taking the
    // extended value apart in memory.
    const double d = static_cast<double>(magnitude);
    if (static_cast<long double>(d) == magnitude && d >= 0x1p-1022) {
        std::uint64_t bits;
        std::memcpy(&bits, &d, sizeof bits);
        f.significand = ((bits & ((std::uint64_t{1} << 52) - 1)) | (std::uint64_t{1} << 52)) << 11;
        f.shift = 1023 + 63 - static_cast<int>(bits >> 52);
        return f;
    }
    unsigned char raw[sizeof(long double)];
    std::memcpy(raw, &magnitude, sizeof raw);
    std::memcpy(&f.significand, raw, sizeof f.significand);
    std::uint16_t signAndExponent;
    std::memcpy(&signAndExponent, raw + 8, sizeof signAndExponent);
    const int biased = signAndExponent & 0x7FFF;
    f.shift = 16383 + 63 - (biased == 0 ? 1 : biased);  // subnormals share the smallest exponent
    return f;
}

void writeDigits(DigitBuffer& out, u128 n)
{
    char* end = out.small + SmallDigitsCapacity;
    char* p = end;
    if (n >> 64 == 0) {
        for (auto v = static_cast<std::uint64_t>(n); v != 0; v /= 10)
            *--p = static_cast<char>('0' + v % 10);
    } else {
        for (; n != 0; n /= 10)
            *--p = static_cast<char>('0' + static_cast<int>(n % 10));
    }
    out.digits = p;
    out.count = static_cast<std::size_t>(end - p);
}

// From 2^63 on every extended value is an integer; its digits come from the C library.
[[gnu::noinline]] void largeValueDigits(long double magnitude, int decimals, DigitBuffer& out)
{
    char buffer[5000];
    std::snprintf(buffer, sizeof buffer, "%.0Lf", magnitude);
    out.large = buffer;
    out.large.append(static_cast<std::size_t>(decimals), '0');
    out.digits = out.large.data();
    out.count = out.large.size();
}

// The decimal digits of round(magnitude * 10^decimals), halves away from zero, computed
// exactly. Below 2^63 the value is m * 2^-shift with a 64-bit m and shift > 0, and the
// scaled value is an exact 128-bit fixed-point number.
void scaledRoundedDigits(long double magnitude, int decimals, DigitBuffer& out)
{
    if (magnitude >= 0x1p63L) {
        largeValueDigits(magnitude, decimals, out);
        return;
    }
    const FixedPoint f = fixedPointOf(magnitude);
    u128 scaled = f.significand;
    for (int i = 0; i < decimals; ++i)
        scaled *= 10;
    u128 rounded = 0;
    if (f.significand != 0 && f.shift <= 80)
        rounded = (scaled >> f.shift) + ((scaled >> (f.shift - 1)) & 1);
    writeDigits(out, rounded);
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
    const auto decimals = static_cast<std::size_t>(shape.decimals);
    DigitBuffer digits;
    scaledRoundedDigits(std::fabs(value), shape.decimals, digits);
    const bool negative = value < 0 && digits.count != 0;

    // Leading zeros up to one whole digit and the decimals.
    const std::size_t padding = digits.count < decimals + 1 ? decimals + 1 - digits.count : 0;
    const std::size_t total = digits.count + padding;
    const std::size_t wholeLength = total - decimals;
    const auto digitAt = [&](std::size_t i) { return i < padding ? '0' : digits.digits[i - padding]; };
    const std::string& groupSeparator = format.thousandsSeparator;
    const std::size_t groups = shape.grouped ? (wholeLength - 1) / 3 : 0;

    std::string out;
    out.resize(negative + wholeLength + groups * groupSeparator.size()
               + (decimals > 0 ? format.decimalSeparator.size() + decimals : 0) + std::strlen(shape.suffix));
    char* p = out.data();
    if (negative)
        *p++ = '-';
    for (std::size_t i = 0; i < wholeLength; ++i) {
        if (groups > 0 && i > 0 && (wholeLength - i) % 3 == 0)
            p = std::copy(groupSeparator.begin(), groupSeparator.end(), p);
        *p++ = digitAt(i);
    }
    if (decimals > 0) {
        p = std::copy(format.decimalSeparator.begin(), format.decimalSeparator.end(), p);
        for (std::size_t i = wholeLength; i < total; ++i)
            *p++ = digitAt(i);
    }
    std::strcpy(p, shape.suffix);
    return out;
}

}  // namespace trophex
