#include "arithmetic/real48.h"

#include "arithmetic/fpu.h"


namespace trophex {

namespace {

constexpr int ExponentBias = 129;
constexpr int FractionBits = 39;
constexpr std::uint64_t HiddenBit = std::uint64_t{1} << FractionBits;

// The fields of an 80-bit extended value: a 64-bit significand with an explicit leading
// bit, then the sign and the exponent biased by 16383.
constexpr int ExtendedBias = 16383;
constexpr int DroppedBits = 64 - (FractionBits + 1);  // significand bits below a Real48's

struct ExtendedFields {
    std::uint64_t significand;
    int exponent;  // unbiased: a normal value is significand * 2^(exponent - 63)
    bool subnormal;
};

ExtendedFields fieldsOf(Extended x)
{
    ExtendedFields f;
    f.significand = x.significand();
    const int biased = x.signExponent() & 0x7FFF;
    f.exponent = biased - ExtendedBias;
    f.subnormal = biased == 0;
    return f;
}

}  // namespace

Real48 Real48::storeExactly(Extended x)
{
    if (x.isNaN())
        throw FloatFault(FloatFaultKind::InvalidOperation);
    if (x.isInfinite())
        throw FloatFault(FloatFaultKind::Overflow);
    Real48 r;
    const ExtendedFields f = fieldsOf(x);
    if (x == 0 || f.subnormal)
        return r;  // extended subnormals lie far below the Real48 range

    std::uint64_t significand = f.significand >> DroppedBits;
    int exponent = f.exponent;
    if ((f.significand >> (DroppedBits - 1)) & 1)
        ++significand;  // the dropped part is at least a half: away from zero
    if (significand == 2 * HiddenBit) {
        significand = HiddenBit;
        ++exponent;
    }

    const int biased = exponent + ExponentBias;
    if (biased > 255)
        throw FloatFault(FloatFaultKind::Overflow);
    if (biased < 1)
        return r;  // below the range: stored as zero

    // Byte 0 the exponent, bytes 1..5 the fraction least significant first, bit 47 the sign.
    const std::uint64_t fraction = significand - HiddenBit;
    const std::uint64_t sign = x < 0 ? std::uint64_t{1} << 47 : 0;
    r.setPackedBytes(static_cast<std::uint64_t>(biased) | (fraction << 8) | sign);
    return r;
}

Real48 Real48::fromBytes(const Bytes& bytes)
{
    Real48 r;
    if (bytes[0] != 0)
        r.bytes_ = bytes;
    return r;
}

}  // namespace trophex
