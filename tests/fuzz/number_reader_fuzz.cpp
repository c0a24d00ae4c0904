// Fuzzes the number reader against an independent description of the syntax, a small
// automaton: a text reads as a number exactly when the automaton accepts it, and a failure
// is reported at the first character no number can go on with, or one past the end. A
// number's value is the C library's correctly rounded reading of the same digits; it is
// infinite only for a number beyond the extended range.

#include "arithmetic/numberreader.h"
#include "tests/fuzz/fuzz_support.h"

#include "arithmetic/extendeddecimal.h"

#include <algorithm>
#include <cmath>
#include <string>

#if defined(__x86_64__) && defined(__linux__)
#include <clocale>
#include <cstdlib>
#include <cstring>
#include <locale.h>
#define TROPHEX_C_LIBRARY_REFERENCE 1  // the C library's strtold reads into the same format
#endif

using trophex::fuzz::require;

namespace {

enum class State { Spaces, Sign, Whole, Point, Fraction, ExponentMark, ExponentSign, ExponentDigits, Dead };

bool isDigit(char c) { return c >= '0' && c <= '9'; }
bool isSign(char c) { return c == '+' || c == '-'; }
bool isExponentMark(char c) { return c == 'e' || c == 'E'; }

State next(State state, char c)
{
    switch (state) {
    case State::Spaces:
        if (c == ' ')
            return State::Spaces;
        if (isSign(c))
            return State::Sign;
        [[fallthrough]];
    case State::Sign:
    case State::Whole:
        if (isDigit(c))
            return State::Whole;
        if (c == '.')
            return State::Point;
        return isExponentMark(c) ? State::ExponentMark : State::Dead;
    case State::Point:
    case State::Fraction:
        if (isDigit(c))
            return State::Fraction;
        return isExponentMark(c) ? State::ExponentMark : State::Dead;
    case State::ExponentMark:
        if (isSign(c))
            return State::ExponentSign;
        [[fallthrough]];
    case State::ExponentSign:
    case State::ExponentDigits:
        return isDigit(c) ? State::ExponentDigits : State::Dead;
    case State::Dead:
        break;
    }
    return State::Dead;
}

bool accepts(State state)
{
    return state == State::Whole || state == State::Fraction || state == State::ExponentDigits;
}

std::int32_t expectedErrorPos(std::string_view text)
{
    State state = State::Spaces;
    for (std::size_t i = 0; i < text.size(); ++i) {
        state = next(state, text[i]);
        if (state == State::Dead)
            return static_cast<std::int32_t>(i + 1);
    }
    return accepts(state) ? 0 : static_cast<std::int32_t>(text.size() + 1);
}

// The parts of a text the automaton accepted.
struct NumberParts {
    bool negative = false;
    std::string_view wholeDigits;
    std::string_view fractionDigits;
    bool negativeExponent = false;
    std::string_view exponentDigits;
};

std::string_view takeDigits(std::string_view& rest)
{
    const std::size_t n = std::find_if_not(rest.begin(), rest.end(), isDigit) - rest.begin();
    const std::string_view digits = rest.substr(0, n);
    rest.remove_prefix(n);
    return digits;
}

NumberParts partsOf(std::string_view text)
{
    NumberParts parts;
    text.remove_prefix(std::min(text.find_first_not_of(' '), text.size()));
    if (isSign(text.front())) {
        parts.negative = text.front() == '-';
        text.remove_prefix(1);
    }
    parts.wholeDigits = takeDigits(text);
    if (!text.empty() && text.front() == '.') {
        text.remove_prefix(1);
        parts.fractionDigits = takeDigits(text);
    }
    if (!text.empty()) {
        text.remove_prefix(1);
        if (isSign(text.front())) {
            parts.negativeExponent = text.front() == '-';
            text.remove_prefix(1);
        }
        parts.exponentDigits = text;
    }
    return parts;
}

// The correctly rounded value: where the C library reads into the extended format its
// strtold, an implementation of its own; elsewhere the exact big-number conversion.
trophex::Extended referenceValue(const NumberParts& p)
{
#ifdef TROPHEX_C_LIBRARY_REFERENCE
    std::string s = p.negative ? "-0" : "0";
    s.append(p.wholeDigits).append(".").append(p.fractionDigits);
    s.append(p.negativeExponent ? "e-" : "e+").append(p.exponentDigits.empty() ? "0" : p.exponentDigits);
    static const locale_t cLocale = newlocale(LC_NUMERIC_MASK, "C", static_cast<locale_t>(nullptr));
    const long double value = strtold_l(s.c_str(), nullptr, cLocale);
    std::uint64_t significand;
    std::uint16_t signExponent;
    std::memcpy(&significand, &value, sizeof significand);
    std::memcpy(&signExponent, reinterpret_cast<const unsigned char*>(&value) + 8, sizeof signExponent);
    return trophex::Extended::fromBits(signExponent, significand);
#else
    const trophex::Extended magnitude = trophex::extendedOf(
        trophex::decimalToExtended(p.wholeDigits, p.fractionDigits, p.negativeExponent, p.exponentDigits));
    return p.negative ? -magnitude : magnitude;
#endif
}

// The power of ten of the number's first significant digit, saturated far beyond the range.
long decimalExponent(const NumberParts& p)
{
    constexpr long Far = 1000000;
    long exponent = 0;
    for (char c : p.exponentDigits)
        exponent = std::min(Far, exponent * 10 + (c - '0'));
    if (p.negativeExponent)
        exponent = -exponent;
    const std::size_t firstWhole = p.wholeDigits.find_first_not_of('0');
    if (firstWhole != std::string_view::npos)
        return exponent + static_cast<long>(p.wholeDigits.size() - firstWhole) - 1;
    const std::size_t firstFraction = p.fractionDigits.find_first_not_of('0');
    if (firstFraction != std::string_view::npos)
        return exponent - static_cast<long>(std::min<std::size_t>(firstFraction, Far)) - 1;
    return -Far;
}

void checkNumber(std::string_view text, trophex::Extended value)
{
    const NumberParts parts = partsOf(text);
    const trophex::Extended reference = referenceValue(parts);
    require(value.signExponent() == reference.signExponent() && value.significand() == reference.significand(),
            "a number reads as its correctly rounded value");
    // The extended range ends near 1.19e4932; its smallest subnormal is near 3.6e-4951.
    constexpr long LargestExponent = 4932;
    constexpr long SmallestSubnormalExponent = -4951;
    require(value.isFinite() || decimalExponent(parts) >= LargestExponent,
            "only a number beyond the range reads as infinite");
    require(value != 0 || decimalExponent(parts) <= SmallestSubnormalExponent + 1,
            "only zero or a number below the range reads as zero");
}

// Infinity, or a finite number without fraction bits.
bool isWholeNumber(trophex::Extended x)
{
    if (x.isInfinite() || x == 0)
        return true;
    const int fractionBits = 16383 + 63 - (x.signExponent() & 0x7FFF);
    if (fractionBits <= 0)
        return true;
    return fractionBits < 64 && (x.significand() & ((std::uint64_t{1} << fractionBits) - 1)) == 0;
}

void checkFailure(std::string_view text, const trophex::NumberReading& reading)
{
    require(reading.value >= 0 && isWholeNumber(reading.value),
            "a failed reading delivers a whole number without sign");
    const std::string_view readPart = text.substr(0, static_cast<std::size_t>(reading.errorPos - 1));
    const bool digitRead = std::any_of(readPart.begin(), readPart.end(), isDigit);
    require(digitRead || reading.value == 0, "a failed reading without digits delivers 0");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view text = trophex::fuzz::bytesOf(data, size);
    const trophex::NumberReading reading = trophex::readNumber(text);
    require(reading.errorPos == expectedErrorPos(text), "the reading fails exactly where the syntax does");
    if (reading.ok())
        checkNumber(text, reading.value);
    else
        checkFailure(text, reading);
    return 0;
}
