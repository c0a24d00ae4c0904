#pragma once
// Real48: the model's 6-byte real.
//
// Byte 0 holds the binary exponent biased by 129 (0 means the value is zero); bytes 1..5
// hold a 39-bit fraction, least significant byte first, with the leading 1 implied; bit 7
// of byte 5 is the sign. Storing rounds to the nearest Real48 with halves away from zero;
// magnitudes below the range become 0 and magnitudes above it raise the overflow fault.

#include <array>
#include <cstdint>

namespace trophex {

class Real48 {
public:
    using Bytes = std::array<std::uint8_t, 6>;

    Real48() = default;

    // Rounds x into a Real48 (FloatFault on overflow or NaN).
    static Real48 store(long double x);
    static Real48 fromBytes(const Bytes& bytes);

    long double value() const;  // exact
    operator long double() const { return value(); }
    const Bytes& bytes() const { return bytes_; }
    bool isZero() const { return bytes_[0] == 0; }

    friend bool operator==(const Real48& a, const Real48& b) { return a.bytes_ == b.bytes_; }
    friend bool operator!=(const Real48& a, const Real48& b) { return !(a == b); }

private:
    Bytes bytes_{};
};

}  // namespace trophex
