#include "model/real48.h"

#include "model/fpu.h"

#include <cmath>

namespace trophex {

namespace {

constexpr int ExponentBias = 129;
constexpr int FractionBits = 39;
constexpr std::uint64_t HiddenBit = std::uint64_t{1} << FractionBits;

}  // namespace

Real48 Real48::store(long double x)
{
    if (std::isnan(x))
        throw FloatFault(FaultKind::InvalidOperation);
    if (std::isinf(x))
        throw FloatFault(FaultKind::Overflow);
    Real48 r;
    if (x == 0.0L)
        return r;

    int exponent = 0;
    const long double mantissa = std::frexp(std::fabs(x), &exponent);  // [0.5, 1)
    const long double scaled = std::ldexp(mantissa, FractionBits + 1);  // [2^39, 2^40), exact
    const long double whole = std::floor(scaled);
    std::uint64_t significand = static_cast<std::uint64_t>(whole);
    if (scaled - whole >= 0.5L)
        ++significand;
    if (significand == 2 * HiddenBit) {
        significand = HiddenBit;
        ++exponent;
    }

    const int biased = exponent + ExponentBias - 1;
    if (biased > 255)
        throw FloatFault(FaultKind::Overflow);
    if (biased < 1)
        return r;  // below the range: stored as zero

    const std::uint64_t fraction = significand - HiddenBit;
    r.bytes_[0] = static_cast<std::uint8_t>(biased);
    for (int i = 0; i < 5; ++i)
        r.bytes_[1 + i] = static_cast<std::uint8_t>(fraction >> (8 * i));
    if (x < 0)
        r.bytes_[5] |= 0x80;
    return r;
}

Real48 Real48::fromBytes(const Bytes& bytes)
{
    Real48 r;
    if (bytes[0] != 0)
        r.bytes_ = bytes;
    return r;
}

long double Real48::value() const
{
    if (bytes_[0] == 0)
        return 0.0L;
    std::uint64_t fraction = 0;
    for (int i = 0; i < 5; ++i)
        fraction |= std::uint64_t{bytes_[1 + i]} << (8 * i);
    fraction &= HiddenBit - 1;
    const long double magnitude =
        std::ldexp(static_cast<long double>(HiddenBit | fraction), bytes_[0] - ExponentBias - FractionBits);
    return (bytes_[5] & 0x80) ? -magnitude : magnitude;
}

}  // namespace trophex
