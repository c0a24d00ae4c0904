#include "arithmetic/numberreader.h"

#include "arithmetic/extendeddecimal.h"

#include <array>
#include <string>

namespace trophex {

namespace {

bool isDigit(char c) { return c >= '0' && c <= '9'; }

struct Scanner {
    std::string_view text;
    std::size_t pos = 0;

    bool atEnd() const { return pos >= text.size(); }
    char peek() const { return atEnd() ? '\0' : text[pos]; }
    bool take(char c)
    {
        if (peek() != c)
            return false;
        ++pos;
        return true;
    }
    std::string_view digits()
    {
        const std::size_t start = pos;
        while (isDigit(peek()))
            ++pos;
        return text.substr(start, pos - start);
    }
};

Extended wholeNumberOf(std::string_view intDigits, std::string_view fracDigits)
{
    Extended v = 0;
    for (char c : intDigits)
        v = v * 10 + (c - '0');
    for (char c : fracDigits)
        v = v * 10 + (c - '0');
    return v;
}

// Exact powers of ten: 10^k is representable in the extended format up to k = 27.
constexpr int MaxExactPower = detail::MaxExactPowerOfTen;
constexpr std::array<Extended, MaxExactPower + 1> ExactPowersOfTen = [] {
    std::array<Extended, MaxExactPower + 1> powers{};
    for (int k = 0; k <= MaxExactPower; ++k)
        powers[static_cast<std::size_t>(k)] = detail::exactPowerOfTen(k);
    return powers;
}();
Extended exactPowerOfTen(int k)
{
    return ExactPowersOfTen[static_cast<std::size_t>(k)];
}

// Short mantissas with small exponents: one exactly rounded multiplication or division of
// exact operands gives the correctly rounded value.
bool fastDecimalValue(std::string_view intDigits, std::string_view fracDigits, long exponent, Extended& out)
{
    if (intDigits.size() + fracDigits.size() > 19)
        return false;
    std::uint64_t mantissa = 0;
    for (char c : intDigits)
        mantissa = mantissa * 10 + static_cast<std::uint64_t>(c - '0');
    for (char c : fracDigits)
        mantissa = mantissa * 10 + static_cast<std::uint64_t>(c - '0');
    const long scale = exponent - static_cast<long>(fracDigits.size());
    out = Extended(mantissa);
    if (mantissa == 0)
        return true;
    if (scale >= 0 && scale <= MaxExactPower)
        out *= exactPowerOfTen(static_cast<int>(scale));
    else if (scale < 0 && -scale <= MaxExactPower)
        out /= exactPowerOfTen(static_cast<int>(-scale));
    else
        return false;
    return true;
}

// Decimal to extended, correctly rounded.
Extended decimalValue(bool negative, std::string_view intDigits, std::string_view fracDigits,
                         int exponentSign, std::string_view expDigits)
{
    while (!intDigits.empty() && intDigits.front() == '0')
        intDigits.remove_prefix(1);
    while (!fracDigits.empty() && fracDigits.back() == '0')
        fracDigits.remove_suffix(1);

    long exponent = 0;
    for (char c : expDigits) {
        exponent = exponent * 10 + (c - '0');
        if (exponent > 100000)
            break;
    }
    Extended v = 0;
    if (!fastDecimalValue(intDigits, fracDigits, exponent * exponentSign, v))
        v = extendedOf(decimalToExtended(intDigits, fracDigits, exponentSign < 0, expDigits));
    return negative ? -v : v;
}

}  // namespace

NumberReading readNumber(std::string_view text)
{
    Scanner sc{text};
    const auto failAt = [&](std::size_t pos, Extended value) {
        return NumberReading{value, static_cast<std::int32_t>(pos + 1)};
    };
    const auto endedEarly = [&](Extended value) { return failAt(text.size(), value); };

    while (sc.take(' ')) {
    }
    bool negative = false;
    if (sc.take('-'))
        negative = true;
    else
        sc.take('+');
    if (sc.atEnd())
        return endedEarly(0);

    const std::string_view intDigits = sc.digits();
    std::string_view fracDigits;
    if (sc.take('.')) {
        if (sc.atEnd())
            return endedEarly(wholeNumberOf(intDigits, {}));
        fracDigits = sc.digits();
    }
    const auto mantissaSoFar = [&] { return wholeNumberOf(intDigits, fracDigits); };

    int exponentSign = 1;
    std::string_view expDigits;
    if (sc.peek() == 'e' || sc.peek() == 'E') {
        ++sc.pos;
        if (sc.take('-'))
            exponentSign = -1;
        else
            sc.take('+');
        if (sc.atEnd())
            return endedEarly(mantissaSoFar());
        expDigits = sc.digits();
        if (expDigits.empty())
            return failAt(sc.pos, mantissaSoFar());
    }
    if (!sc.atEnd())
        return failAt(sc.pos, mantissaSoFar());
    return NumberReading{decimalValue(negative, intDigits, fracDigits, exponentSign, expDigits), 0};
}

}  // namespace trophex
