#include "arithmetic/numberformat.h"

#include "arithmetic/extendeddecimal.h"
#include "arithmetic/wideint.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <string_view>

#if defined(_WIN32)
#include "arithmetic/windowsapi.h"
#else
#include <langinfo.h>
#include <locale.h>
#endif

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

constexpr std::uint64_t PowersOfTen[] = {1, 10, 100, 1000};

// scaled / 2^shift rounded half up, for 1 <= shift < 128.
Wide roundedShiftRight(Wide scaled, int shift)
{
    return add(shiftRight(scaled, shift), Wide{0, shiftRight(scaled, shift - 1).lo & 1});
}

// round(magnitude * 10^decimals), halves away from zero, computed exactly: the magnitude
// is m * 2^-shift with an integer m, the scaled value an exact fixed-point number that is
// rounded at its binary point. This for a double magnitude below 2^63, whose 53-bit m
// keeps the arithmetic short.
Wide scaledRoundedDouble(double magnitude, int decimals)
{
    std::uint64_t bits;
    std::memcpy(&bits, &magnitude, sizeof bits);
    const auto biased = static_cast<int>(bits >> 52);
    const int shift = 1075 - biased;
    if (biased == 0 || shift >= 64)
        return {};  // below 2^-11: less than a half even at three decimals
    const std::uint64_t m = (bits & ((std::uint64_t{1} << 52) - 1)) | (std::uint64_t{1} << 52);
    const Wide scaled = multiplyWide(m, PowersOfTen[decimals]);
    if (shift <= 0)
        return shiftLeft(scaled, -shift);
    return roundedShiftRight(scaled, shift);
}

// The same for any extended magnitude below 2^63, from its 64-bit significand.
Wide scaledRoundedExtended(Extended magnitude, int decimals)
{
    const std::uint64_t m = magnitude.significand();
    const int biased = magnitude.signExponent() & 0x7FFF;
    const int shift = 16383 + 63 - (biased == 0 ? 1 : biased);  // subnormals share the smallest exponent
    if (m == 0 || shift > 80)
        return {};
    return roundedShiftRight(multiplyWide(m, PowersOfTen[decimals]), shift);
}

// n / 10, returning the remainder, in 32-bit steps.
int divideByTen(Wide& n)
{
    std::uint64_t remainder = 0;
    std::uint64_t parts[4] = {n.hi >> 32, n.hi & 0xFFFFFFFFu, n.lo >> 32, n.lo & 0xFFFFFFFFu};
    for (std::uint64_t& part : parts) {
        const std::uint64_t v = (remainder << 32) | part;
        part = v / 10;
        remainder = v % 10;
    }
    n = {(parts[0] << 32) | parts[1], (parts[2] << 32) | parts[3]};
    return static_cast<int>(remainder);
}

// Writes the digits of n so that they end at end; returns where they begin (end for 0).
char* writeDigits(char* end, Wide n)
{
    char* p = end;
    for (; n.hi != 0; )
        *--p = static_cast<char>('0' + divideByTen(n));
    for (std::uint64_t v = n.lo; v != 0; v /= 10)
        *--p = static_cast<char>('0' + v % 10);
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
std::string formatDigits(Wide scaled, bool negative, const PatternShape& shape, const NumberFormat& format)
{
    char buffer[48];
    char* const end = buffer + sizeof buffer;
    if (shape.decimals == 0 && !shape.grouped) {  // whole numbers and percentages: no layout needed
        char* first = writeBefore(end, shape.suffix);
        first = scaled == Wide{} ? writeBefore(first, "0") : writeDigits(first, scaled);
        if (negative && scaled != Wide{})
            *--first = '-';
        return std::string(first, end);
    }
    const char* const first = writeDigits(end, scaled);
    const std::string_view digits(first, static_cast<std::size_t>(end - first));
    return layOut(digits, negative && !digits.empty(), shape, format);
}

// From 2^63 on every extended value is a whole number, written out exactly ("nan" and
// "inf" for the values that are none).
std::string formatLargeNumber(Extended value, const PatternShape& shape, const NumberFormat& format)
{
    std::string digits = wholeNumberDigits(softOf(value));
    digits.append(static_cast<std::size_t>(shape.decimals), '0');
    return layOut(digits, value < 0, shape, format);
}

}  // namespace

NumberFormat NumberFormat::fromSystemLocale()
{
    return fromLocale("");
}

namespace {

// The separators a locale gives (UTF-8, either may be empty), made into the format: a
// locale without a grouping mark still must not group with its point.
NumberFormat formatWithSeparators(const std::string& point, const std::string& group)
{
    NumberFormat format;
    if (!point.empty())
        format.decimalSeparator = point;
    if (!group.empty())
        format.thousandsSeparator = group;
    else if (format.decimalSeparator == ",")
        format.thousandsSeparator = ".";
    return format;
}

#if defined(_WIN32)

std::string utf8Of(const wchar_t* text)
{
    char buffer[32];
    const int n = WideCharToMultiByte(CP_UTF8, 0, text, -1, buffer, sizeof buffer, nullptr, nullptr);
    return n > 1 ? std::string(buffer, static_cast<std::size_t>(n - 1)) : std::string();
}

// Windows names its locales "de-DE" where POSIX says "de_DE.UTF-8"; "" is the user's.
std::wstring windowsLocaleName(const char* name)
{
    std::wstring converted;
    for (const char* c = name; *c != '\0' && *c != '.' && *c != '@'; ++c)
        converted += static_cast<wchar_t>(*c == '_' ? '-' : static_cast<unsigned char>(*c));
    return converted;
}

#endif

}  // namespace

NumberFormat NumberFormat::fromLocale(const char* name)
{
#if defined(_WIN32)
    if (std::string_view(name) == "C" || std::string_view(name) == "POSIX")
        return NumberFormat{};
    const std::wstring windowsName = windowsLocaleName(name);
    const wchar_t* locale = windowsName.empty() ? LOCALE_NAME_USER_DEFAULT : windowsName.c_str();
    wchar_t point[8] = {};
    wchar_t group[8] = {};
    if (GetLocaleInfoEx(locale, LOCALE_SDECIMAL, point, 8) == 0)
        return NumberFormat{};
    GetLocaleInfoEx(locale, LOCALE_STHOUSAND, group, 8);
    return formatWithSeparators(utf8Of(point), utf8Of(group));
#else
    const locale_t numeric = newlocale(LC_NUMERIC_MASK, name, static_cast<locale_t>(nullptr));
    if (numeric == static_cast<locale_t>(nullptr))
        return NumberFormat{};
    const char* point = nl_langinfo_l(RADIXCHAR, numeric);
    const char* group = nl_langinfo_l(THOUSEP, numeric);
    const NumberFormat format = formatWithSeparators(point ? point : "", group ? group : "");
    freelocale(numeric);
    return format;
#endif
}

std::string formatDoubleNumber(double value, NumberPattern pattern, const NumberFormat& format)
{
    const PatternShape shape = shapeOf(pattern);
    if (!(std::fabs(value) < 0x1p63))  // NaN too
        return formatLargeNumber(Extended(value), shape, format);
    return formatDigits(scaledRoundedDouble(std::fabs(value), shape.decimals), value < 0, shape, format);
}

std::string formatExtendedNumber(Extended value, NumberPattern pattern, const NumberFormat& format)
{
    const PatternShape shape = shapeOf(pattern);
    if (!(abs(value) < Extended(0x1p63)))  // NaN too
        return formatLargeNumber(value, shape, format);
    return formatDigits(scaledRoundedExtended(abs(value), shape.decimals), value < 0, shape, format);
}

}  // namespace trophex
