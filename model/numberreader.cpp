#include "model/numberreader.h"

#include <array>
#include <clocale>
#include <cstdlib>
#include <locale.h>
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

long double wholeNumberOf(std::string_view intDigits, std::string_view fracDigits)
{
    long double v = 0;
    for (char c : intDigits)
        v = v * 10 + (c - '0');
    for (char c : fracDigits)
        v = v * 10 + (c - '0');
    return v;
}

// Exact powers of ten: 10^k is representable in the extended format up to k = 27.
constexpr int MaxExactPower = 27;
constexpr std::array<long double, MaxExactPower + 1> ExactPowersOfTen = [] {
    std::array<long double, MaxExactPower + 1> powers{};
    long double p = 1;
    for (long double& power : powers) {
        power = p;
        p *= 10;
    }
    return powers;
}();
long double exactPowerOfTen(int k)
{
    return ExactPowersOfTen[static_cast<std::size_t>(k)];
}

// Short mantissas with small exponents: one exactly rounded multiplication or division of
// exact operands gives the correctly rounded value.
bool fastDecimalValue(std::string_view intDigits, std::string_view fracDigits, long exponent, long double& out)
{
    if (intDigits.size() + fracDigits.size() > 19)
        return false;
    std::uint64_t mantissa = 0;
    for (char c : intDigits)
        mantissa = mantissa * 10 + static_cast<std::uint64_t>(c - '0');
    for (char c : fracDigits)
        mantissa = mantissa * 10 + static_cast<std::uint64_t>(c - '0');
    const long scale = exponent - static_cast<long>(fracDigits.size());
    out = static_cast<long double>(mantissa);
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

long double slowDecimalValue(std::string_view intDigits, std::string_view fracDigits, int exponentSign,
                             std::string_view expDigits)
{
    std::string s;
    s.reserve(intDigits.size() + fracDigits.size() + expDigits.size() + 5);
    s += intDigits.empty() ? std::string_view("0") : intDigits;
    s += '.';
    s += fracDigits;
    s += 'e';
    s += exponentSign < 0 ? '-' : '+';
    s += expDigits.empty() ? std::string_view("0") : expDigits;
    static const locale_t cLocale = newlocale(LC_NUMERIC_MASK, "C", static_cast<locale_t>(nullptr));
    return strtold_l(s.c_str(), nullptr, cLocale);
}

// Decimal to extended, correctly rounded.
long double decimalValue(bool negative, std::string_view intDigits, std::string_view fracDigits,
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
    long double v = 0;
    if (!fastDecimalValue(intDigits, fracDigits, exponent * exponentSign, v))
        v = slowDecimalValue(intDigits, fracDigits, exponentSign, expDigits);
    return negative ? -v : v;
}

}  // namespace

NumberReading readNumber(std::string_view text)
{
    Scanner sc{text};
    const auto failAt = [&](std::size_t pos, long double value) {
        return NumberReading{value, static_cast<std::int32_t>(pos + 1)};
    };
    const auto endedEarly = [&](long double value) { return failAt(text.size(), value); };

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
