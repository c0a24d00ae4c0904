#pragma once
// Real48: the model's 6-byte real.
//
// Byte 0 holds the binary exponent biased by 129 (0 means the value is zero); bytes 1..5
// hold a 39-bit fraction, least significant byte first, with the leading 1 implied; bit 7
// of byte 5 is the sign. Storing rounds to the nearest Real48 with halves away from zero;
// magnitudes below the range become 0 and magnitudes above it raise the overflow fault.

#include "arithmetic/extended.h"

#include <array>
#include <cstdint>
#include <cstring>

namespace trophex {

static_assert(__BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__, "Real48 packs its bytes in little-endian order");

class Real48 {
public:
    using Bytes = std::array<std::uint8_t, 6>;

    Real48() = default;

    // Rounds x into a Real48 (FloatFault on overflow or NaN).
    //
    // Inline fast path: x rounded to a double first, whose 13 bits below a Real48's
    // fraction decide the rounding. That gives the same Real48 as rounding x itself
    // unless the double lies exactly half-way, which x need not; that case and values
    // near the ends of the range take the exact path.
    static Real48 store(Extended x)
    {
        const double d = x.toDouble();
        std::uint64_t bits;
        std::memcpy(&bits, &d, sizeof bits);
        const auto doubleExponent = static_cast<int>((bits >> 52) & 0x7FF);
        const std::uint64_t tail = bits & TailMask;
        if (doubleExponent < MinFastExponent || doubleExponent > MaxFastExponent || tail == HalfTail)
            return storeExactly(x);

        std::uint64_t fraction = (bits >> 13) & FractionMask;
        int biased = doubleExponent - static_cast<int>(DoubleExponentOffset);
        if (tail > HalfTail && ++fraction > FractionMask) {
            fraction = 0;  // rounded up to the next power of two
            ++biased;
        }
        Real48 r;
        r.setPackedBytes(static_cast<std::uint64_t>(biased) | (fraction << 8) | ((bits >> 63) << 47));
        return r;
    }
    static Real48 fromBytes(const Bytes& bytes);

    // Exact. Every Real48 is a double (40 significant bits, exponent within the double's
    // range), so the value is assembled as the bits of a double.
    double doubleValue() const
    {
        if (bytes_[0] == 0)
            return 0.0;
        const std::uint64_t packed = packedBytes();
        const std::uint64_t sign = (packed >> 47) << 63;
        const std::uint64_t exponent = (packed & 0xFF) + DoubleExponentOffset;
        const std::uint64_t bits = sign | (exponent << 52) | (((packed >> 8) & FractionMask) << 13);
        double d;
        std::memcpy(&d, &bits, sizeof d);
        return d;
    }
    Extended value() const { return Extended(doubleValue()); }
    operator Extended() const { return value(); }
    const Bytes& bytes() const { return bytes_; }
    bool isZero() const { return bytes_[0] == 0; }

    friend bool operator==(const Real48& a, const Real48& b) { return a.bytes_ == b.bytes_; }
    friend bool operator!=(const Real48& a, const Real48& b) { return !(a == b); }

private:
    // The six bytes as one number, byte 0 least significant (the byte order of every
    // platform the model is built for). Read as four bytes and two,
    // the sizes setPackedBytes writes, and joined in a register: a wider read of the
    // freshly written bytes would wait for the writes to reach the cache.
    std::uint64_t packedBytes() const
    {
        std::uint32_t low;
        std::uint16_t high;
        std::memcpy(&low, bytes_.data(), sizeof low);
        std::memcpy(&high, bytes_.data() + sizeof low, sizeof high);
        return low | (std::uint64_t{high} << 32);
    }
    void setPackedBytes(std::uint64_t packed) { std::memcpy(bytes_.data(), &packed, bytes_.size()); }

    // Rounds from the bits of the extended value itself.
    static Real48 storeExactly(Extended x);

    // Biased Real48 exponent plus this gives the biased double exponent (1023 - 129).
    static constexpr std::uint64_t DoubleExponentOffset = 894;
    static constexpr std::uint64_t FractionMask = (std::uint64_t{1} << 39) - 1;
    // The 13 bits of a double's fraction below a Real48's, and their half-way value.
    static constexpr std::uint64_t TailMask = (std::uint64_t{1} << 13) - 1;
    static constexpr std::uint64_t HalfTail = std::uint64_t{1} << 12;
    // Double exponents whose Real48 exponent stays within 1..255 even after rounding up.
    static constexpr int MinFastExponent = 1 + static_cast<int>(DoubleExponentOffset);
    static constexpr int MaxFastExponent = 254 + static_cast<int>(DoubleExponentOffset);

    Bytes bytes_{};
};

}  // namespace trophex
