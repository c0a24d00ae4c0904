#include "model/numberformat.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <langinfo.h>
#include <locale.h>
#include <string_view>

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
    case NumberPattern::GroupedWhole:
        return {0, true, ""};
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

constexpr std::uint64_t PowersOfTen[] = {1, 10, 100, 1000};

// round(magnitude * 10^decimals), halves away from zero, computed exactly: the magnitude
// is m * 2^-shift with an integer m, the scaled value an exact fixed-point number that is
// rounded at its binary point. This for a double magnitude below 2^63, whose 53-bit m
// keeps the arithmetic short.
u128 scaledRoundedDouble(double magnitude, int decimals)
{
    std::uint64_t bits;
    std::memcpy(&bits, &magnitude, sizeof bits);
    const auto biased = static_cast<int>(bits >> 52);
    const int shift = 1075 - biased;
    if (biased == 0 || shift >= 64)
        return 0;  // below 2^-11: less than a half even at three decimals
    const std::uint64_t m = (bits & ((std::uint64_t{1} << 52) - 1)) | (std::uint64_t{1} << 52);
    const u128 scaled = u128{m} * PowersOfTen[decimals];
    if (shift <= 0)
        return scaled << -shift;
    return (scaled >> shift) + ((scaled >> (shift - 1)) & 1);
}

// The same for any extended magnitude below 2^63, from its 64-bit significand.
u128 scaledRoundedExtended(long double magnitude, int decimals)
{
    std::uint64_t m;
    std::uint16_t signAndExponent;
    unsigned char raw[sizeof(long double)];
    std::memcpy(raw, &magnitude, sizeof raw);
    std::memcpy(&m, raw, sizeof m);
    std::memcpy(&signAndExponent, raw + 8, sizeof signAndExponent);
    const int biased = signAndExponent & 0x7FFF;
    const int shift = 16383 + 63 - (biased == 0 ? 1 : biased);  // subnormals share the smallest exponent
    if (m == 0 || shift > 80)
        return 0;
    const u128 scaled = u128{m} * PowersOfTen[decimals];
    return (scaled >> shift) + ((scaled >> (shift - 1)) & 1);
}

// Writes the digits of n so that they end at end; returns where they begin (end for 0).
char* writeDigits(char* end, u128 n)
{
    char* p = end;
    if (n >> 64 == 0) {
        for (auto v = static_cast<std::uint64_t>(n); v != 0; v /= 10)
            *--p = static_cast<char>('0' + v % 10);
    } else {
        for (; n != 0; n /= 10)
            *--p = static_cast<char>('0' + static_cast<int>(n % 10));
    }
    return p;
}

// Writes text so that it ends at end, one character at a time (the texts are a few
// characters long); returns where it begins.
char* writeBefore(char* end, std::string_view text)
{
    for (std::size_t i = text.size(); i > 0; --i)
        *--end = text[i - 1];
    return end;
}

// The text of a number given as the digits of its value times 10^decimals, without
// leading zeros (none at all for zero). Written from the right in one pass.
std::string layOut(std::string_view digits, bool negative, const PatternShape& shape, const NumberFormat& format)
{
    const auto decimals = static_cast<std::size_t>(shape.decimals);
    // Below one the whole part is a single 0 and the fraction is padded with zeros.
    const std::string_view whole = digits.size() > decimals ? digits.substr(0, digits.size() - decimals) : "0";
    const std::string_view fraction = digits.substr(digits.size() - std::min(digits.size(), decimals));
    const std::string_view group = format.thousandsSeparator;
    const std::string_view point = format.decimalSeparator;
    const std::size_t groups = shape.grouped ? (whole.size() - 1) / 3 : 0;
    const std::string_view suffix = shape.suffix;

    std::string out(static_cast<std::size_t>(negative) + whole.size() + groups * group.size()
                        + (decimals > 0 ? point.size() + decimals : 0) + suffix.size(),
                    '0');
    char* p = writeBefore(out.data() + out.size(), suffix);
    if (decimals > 0)
        p = writeBefore(writeBefore(p, fraction) - (decimals - fraction.size()), point);  // padding: the fill
    for (std::size_t i = whole.size(); i > 0; --i) {
        *--p = whole[i - 1];
        if (groups > 0 && i > 1 && (whole.size() - i + 1) % 3 == 0)
            p = writeBefore(p, group);
    }
    if (negative)
        *--p = '-';
    return out;
}

// The text of round(|value| * 10^decimals), given as a number.
std::string formatDigits(u128 scaled, bool negative, const PatternShape& shape, const NumberFormat& format)
{
    char buffer[48];
    char* const end = buffer + sizeof buffer;
    if (shape.decimals == 0 && !shape.grouped) {  // whole numbers and percentages: no layout needed
        char* first = writeBefore(end, shape.suffix);
        first = scaled == 0 ? writeBefore(first, "0") : writeDigits(first, scaled);
        if (negative && scaled != 0)
            *--first = '-';
        return std::string(first, end);
    }
    const char* const first = writeDigits(end, scaled);
    const std::string_view digits(first, static_cast<std::size_t>(end - first));
    return layOut(digits, negative && !digits.empty(), shape, format);
}

// From 2^63 on every extended value is an integer; its digits come from the C library.
std::string formatLargeNumber(long double value, const PatternShape& shape, const NumberFormat& format)
{
    char buffer[5000];
    std::snprintf(buffer, sizeof buffer, "%.0Lf", std::fabs(value));
    std::string digits = buffer;
    digits.append(static_cast<std::size_t>(shape.decimals), '0');
    return layOut(digits, value < 0, shape, format);
}

}  // namespace

NumberFormat NumberFormat::fromSystemLocale()
{
    return fromLocale("");
}

NumberFormat NumberFormat::fromLocale(const char* name)
{
    NumberFormat format;
    const locale_t numeric = newlocale(LC_NUMERIC_MASK, name, static_cast<locale_t>(nullptr));
    if (numeric == static_cast<locale_t>(nullptr))
        return format;
    const char* point = nl_langinfo_l(RADIXCHAR, numeric);
    const char* group = nl_langinfo_l(THOUSEP, numeric);
    if (point && *point)
        format.decimalSeparator = point;
    if (group && *group)
        format.thousandsSeparator = group;
    else if (format.decimalSeparator == ",")
        format.thousandsSeparator = ".";  // a locale without a grouping mark still must not group with its point
    freelocale(numeric);
    return format;
}

std::string formatDoubleNumber(double value, NumberPattern pattern, const NumberFormat& format)
{
    const PatternShape shape = shapeOf(pattern);
    if (!(std::fabs(value) < 0x1p63))  // NaN too, which the C library spells out
        return formatLargeNumber(value, shape, format);
    return formatDigits(scaledRoundedDouble(std::fabs(value), shape.decimals), value < 0, shape, format);
}

std::string formatExtendedNumber(long double value, NumberPattern pattern, const NumberFormat& format)
{
    const PatternShape shape = shapeOf(pattern);
    if (!(std::fabs(value) < 0x1p63L))  // NaN too, which the C library spells out
        return formatLargeNumber(value, shape, format);
    return formatDigits(scaledRoundedExtended(std::fabs(value), shape.decimals), value < 0, shape, format);
}

}  // namespace trophex
