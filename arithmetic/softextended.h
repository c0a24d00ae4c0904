#pragma once
// The 80-bit extended format in portable C++: a 64-bit significand with an explicit integer
// bit, a 15-bit exponent biased by 16383 and a sign, held as the format's own two fields.
//
// +, -, *, / and square root are correctly rounded to nearest, ties to even, with the
// results the x87 gives at 64-bit precision with its exceptions masked: gradual underflow
// into the format's denormals (rounded once), infinity on overflow, the "real indefinite"
// NaN for invalid operations (0/0, inf - inf, 0 * inf, the root of a negative number),
// NaN operands passed on quieted. Operands the x87 refuses as invalid (unnormals, pseudo
// infinities and pseudo NaNs) give the indefinite NaN too; a pseudo-denormal is read as
// the x87 reads it, as a number with the smallest normal exponent.

#include "arithmetic/wideint.h"

#include <cstdint>
#include <cstring>

namespace trophex {

namespace detail {

template <class Int>
constexpr unsigned long long magnitudeOf(Int v)
{
    return v < 0 ? 0ull - static_cast<unsigned long long>(v) : static_cast<unsigned long long>(v);
}

}  // namespace detail

class SoftExtended {
public:
    static constexpr int Bias = 16383;
    static constexpr int MaxBiasedExponent = 0x7FFF;
    static constexpr std::uint64_t IntegerBit = std::uint64_t{1} << 63;
    static constexpr std::uint64_t QuietBit = std::uint64_t{1} << 62;
    static constexpr std::uint16_t SignBit = 0x8000;

    constexpr SoftExtended() = default;
    constexpr SoftExtended(int v) : SoftExtended(fromInteger(v < 0, detail::magnitudeOf(v))) {}
    constexpr SoftExtended(long v) : SoftExtended(fromInteger(v < 0, detail::magnitudeOf(v))) {}
    constexpr SoftExtended(long long v) : SoftExtended(fromInteger(v < 0, detail::magnitudeOf(v))) {}
    constexpr SoftExtended(unsigned v) : SoftExtended(fromInteger(false, v)) {}
    constexpr SoftExtended(unsigned long v) : SoftExtended(fromInteger(false, v)) {}
    constexpr SoftExtended(unsigned long long v) : SoftExtended(fromInteger(false, v)) {}
    SoftExtended(double v)  // exact
    {
        std::uint64_t bits;
        std::memcpy(&bits, &v, sizeof bits);
        const auto exponent = static_cast<unsigned>((bits >> 52) & 0x7FF);
        if (exponent - 1 < 0x7FE) {  // a normal double: the fraction moves up below the integer bit
            se_ = static_cast<std::uint16_t>(((bits >> 48) & SignBit) | (exponent + Bias - 1023));
            sig_ = IntegerBit | (bits << 11);
        } else {
            *this = fromUnusualDouble(bits);
        }
    }
    SoftExtended(float v) : SoftExtended(static_cast<double>(v)) {}

    // The value with these two fields, as the x87 stores it in memory.
    static constexpr SoftExtended fromBits(std::uint16_t signExponent, std::uint64_t significand)
    {
        SoftExtended x;
        x.se_ = signExponent;
        x.sig_ = significand;
        return x;
    }
    constexpr std::uint16_t signExponent() const { return se_; }
    constexpr std::uint64_t significand() const { return sig_; }

    // significand * 2^exponent, which must be exactly a normal extended value.
    static constexpr SoftExtended fromParts(std::uint64_t significand, int exponent)
    {
        const int shift = leadingZeros(significand);
        return fromBits(static_cast<std::uint16_t>(exponent + Bias + 63 - shift), significand << shift);
    }

    // (m + rest / 2^64) * 2^(exponent - 63) for an m with its top bit set, rounded once to
    // the format (to a denormal, 0 or infinity where it lies beyond the normal range).
    static constexpr SoftExtended roundedFromParts(bool negative, long exponent, std::uint64_t m, std::uint64_t rest)
    {
        const long limit = 4 * MaxBiasedExponent;  // beyond it the result is infinite or 0 anyway
        const long e = exponent > limit ? limit : exponent < -limit ? -limit : exponent;
        return rounded(negative, static_cast<int>(e) + Bias, m, rest);
    }

    static constexpr SoftExtended infinity() { return fromBits(MaxBiasedExponent, IntegerBit); }
    static constexpr SoftExtended indefinite() { return fromBits(SignBit | MaxBiasedExponent, IntegerBit | QuietBit); }

    constexpr bool isNegative() const { return (se_ & SignBit) != 0; }
    constexpr int biasedExponent() const { return se_ & MaxBiasedExponent; }
    constexpr bool isNaN() const
    {
        return biasedExponent() == MaxBiasedExponent ? sig_ != IntegerBit : isUnnormal();
    }
    constexpr bool isInfinite() const { return biasedExponent() == MaxBiasedExponent && sig_ == IntegerBit; }
    constexpr bool isFinite() const { return biasedExponent() != MaxBiasedExponent && !isUnnormal(); }
    constexpr bool isZero() const { return biasedExponent() == 0 && sig_ == 0; }

    constexpr SoftExtended operator-() const { return fromBits(se_ ^ SignBit, sig_); }
    friend constexpr SoftExtended abs(SoftExtended x)
    {
        return fromBits(static_cast<std::uint16_t>(x.se_ & MaxBiasedExponent), x.sig_);
    }

    friend constexpr SoftExtended operator+(SoftExtended a, SoftExtended b) { return sum(a, b, false); }
    friend constexpr SoftExtended operator-(SoftExtended a, SoftExtended b) { return sum(a, b, true); }
    friend constexpr SoftExtended operator*(SoftExtended a, SoftExtended b)
    {
        if (a.isOrdinary() && b.isOrdinary())
            return product(a.isNegative() != b.isNegative(), a.biasedExponent(), a.sig_, b.biasedExponent(), b.sig_);
        return multiplySpecial(a, b);
    }
    friend constexpr SoftExtended operator/(SoftExtended a, SoftExtended b)
    {
        if (a.isOrdinary() && b.isOrdinary())
            return quotient(a.isNegative() != b.isNegative(), a.biasedExponent(), a.sig_, b.biasedExponent(), b.sig_);
        return divideSpecial(a, b);
    }
    SoftExtended& operator+=(SoftExtended b) { return *this = *this + b; }
    SoftExtended& operator-=(SoftExtended b) { return *this = *this - b; }
    SoftExtended& operator*=(SoftExtended b) { return *this = *this * b; }
    SoftExtended& operator/=(SoftExtended b) { return *this = *this / b; }

    friend SoftExtended sqrt(SoftExtended x);

    // Ordered comparisons; a NaN compares unequal to everything, itself included.
    friend constexpr bool operator==(SoftExtended a, SoftExtended b) { return compare(a, b) == Order::Equal; }
    friend constexpr bool operator!=(SoftExtended a, SoftExtended b) { return compare(a, b) != Order::Equal; }
    friend constexpr bool operator<(SoftExtended a, SoftExtended b) { return compare(a, b) == Order::Less; }
    friend constexpr bool operator>(SoftExtended a, SoftExtended b) { return compare(a, b) == Order::Greater; }
    friend constexpr bool operator<=(SoftExtended a, SoftExtended b)
    {
        const Order o = compare(a, b);
        return o == Order::Less || o == Order::Equal;
    }
    friend constexpr bool operator>=(SoftExtended a, SoftExtended b)
    {
        const Order o = compare(a, b);
        return o == Order::Greater || o == Order::Equal;
    }

    // Rounded to nearest, ties to even, into the double's range and denormals. Inline for
    // a normal result, the usual case.
    double toDouble() const
    {
        const int e = biasedExponent() - Bias + 1023;  // the double's biased exponent
        if (static_cast<unsigned>(e - 1) < 0x7FE - 1 && (sig_ & IntegerBit) != 0) {
            const std::uint64_t kept = sig_ >> 11, dropped = sig_ & 0x7FF;
            const std::uint64_t up = dropped > 0x400 || (dropped == 0x400 && (kept & 1) != 0) ? 1 : 0;
            // The rounded significand added to the exponent field carries into it.
            const std::uint64_t bits = (static_cast<std::uint64_t>(se_ & SignBit) << 48)
                + ((static_cast<std::uint64_t>(e - 1) << 52) + kept + up);
            double d;
            std::memcpy(&d, &bits, sizeof d);
            return d;
        }
        return unusualToDouble();
    }
    explicit operator double() const { return toDouble(); }

    // The whole number nearest to x, ties to even, when it lies in the int's range; else
    // the x87's integer indefinite, the int's smallest value (NaN included).
    int roundToInt() const;

    // x * 2^n, rounded once when the result lies below the normal range.
    SoftExtended scaledByPowerOfTwo(int n) const;

    // The significand in [1, 2) with x's sign, and the exponent, of a finite non-zero x
    // (a denormal's too); both exact.
    SoftExtended significandAndExponent(SoftExtended& exponent) const
    {
        const Normalized x = normalized();
        exponent = SoftExtended(x.e - Bias);
        return fromBits(static_cast<std::uint16_t>((se_ & SignBit) | Bias), x.m);
    }

private:
    enum class Order { Less, Equal, Greater, Unordered };

    static SoftExtended fromUnusualDouble(std::uint64_t bits);  // zero, denormal, infinite or NaN
    double unusualToDouble() const;  // a result at or beyond the double's range ends, or of a special value
    static constexpr SoftExtended fromInteger(bool negative, std::uint64_t magnitude)
    {
        if (magnitude == 0)
            return SoftExtended();
        const int shift = leadingZeros(magnitude);
        return fromBits(static_cast<std::uint16_t>((negative ? SignBit : 0) | (Bias + 63 - shift)), magnitude << shift);
    }

    // A normal number: the usual operand, taken on the short paths.
    constexpr bool isOrdinary() const
    {
        return static_cast<unsigned>(biasedExponent() - 1) < MaxBiasedExponent - 1 && (sig_ & IntegerBit) != 0;
    }
    constexpr bool isUnnormal() const
    {
        const int e = biasedExponent();
        return e != 0 && e != MaxBiasedExponent && (sig_ & IntegerBit) == 0;
    }

    static constexpr std::uint64_t Half = std::uint64_t{1} << 63;

    // The value (-1)^negative * m * 2^(e - Bias - 63) with m's top bit set and rest the
    // bits below m (its top bit a half, any lower bit also standing for the bits beyond),
    // rounded to the format: denormalized when e is below 1, infinite when too large.
    static constexpr SoftExtended rounded(bool negative, int e, std::uint64_t m, std::uint64_t rest)
    {
        const std::uint16_t sign = negative ? SignBit : 0;
        if (static_cast<unsigned>(e - 1) >= MaxBiasedExponent - 1)
            return e < 1 ? roundedBelowNormal(sign, e, m, rest) : fromBits(sign | MaxBiasedExponent, IntegerBit);
        m += rest > Half - (m & 1) ? 1 : 0;  // above a half, or a half and m odd
        if (m == 0) {
            m = IntegerBit;
            if (++e == MaxBiasedExponent)
                return fromBits(sign | MaxBiasedExponent, IntegerBit);
        }
        return fromBits(static_cast<std::uint16_t>(sign | e), m);
    }
    static SoftExtended roundedBelowNormal(std::uint16_t sign, int e, std::uint64_t m, std::uint64_t rest);

    // m * 2^-d split at m's binary point: hi the whole part, lo the fraction with any bit
    // shifted further out kept as its lowest bit.
    static constexpr Wide alignedRight(std::uint64_t m, int d)
    {
        if (d < 64)
            return {m >> d, (m << 1) << (63 - d)};  // two shifts: no shift by 64 when d is 0
        if (d == 64)
            return {0, m};
        if (d < 128)
            return {0, (m >> (d - 64)) | ((m << (128 - d)) != 0 ? 1 : 0)};
        return {0, 1};
    }

    // a + b or a - b of two finite non-zero numbers given as sign, exponent and
    // normalized significand.
    // Every path ends in one rounding, so that the inlined sum stays small.
    [[gnu::always_inline]] static constexpr SoftExtended sumOfNumbers(bool na, int ea, std::uint64_t ma, bool nb, int eb, std::uint64_t mb)
    {
        if (ea < eb || (ea == eb && ma < mb)) {
            const bool n = na;
            na = nb;
            nb = n;
            const int e = ea;
            ea = eb;
            eb = e;
            const std::uint64_t m = ma;
            ma = mb;
            mb = m;
        }
        const Wide b = alignedRight(mb, ea - eb);
        std::uint64_t m = 0, rest = 0;
        if (na == nb) {
            m = ma + b.hi;
            rest = b.lo;
            if (m < ma) {  // carried out of the top bit
                rest = (m << 63) | (rest >> 1) | (rest & 1);
                m = (m >> 1) | IntegerBit;
                ++ea;
            }
        } else {
            m = ma - b.hi - (b.lo != 0 ? 1 : 0);
            rest = 0 - b.lo;
            if ((m & IntegerBit) == 0) {
                if ((m >> 62) == 0)
                    return normalizedDifference(na, ea, m, rest);
                m = (m << 1) | (rest >> 63);  // the usual loss of one bit
                rest <<= 1;
                --ea;
            }
        }
        return rounded(na, ea, m, rest);
    }
    // A difference that lost more than one leading bit: exact (the operands were close).
    static SoftExtended normalizedDifference(bool negative, int e, std::uint64_t m, std::uint64_t rest);
    static constexpr SoftExtended sum(SoftExtended a, SoftExtended b, bool subtracting)
    {
        const bool nb = b.isNegative() != subtracting;
        if (a.isOrdinary() && b.isOrdinary())
            return sumOfNumbers(a.isNegative(), a.biasedExponent(), a.sig_, nb, b.biasedExponent(), b.sig_);
        return sumSpecial(a, b, nb);
    }

    static constexpr SoftExtended product(bool negative, int ea, std::uint64_t ma, int eb, std::uint64_t mb)
    {
        const Wide p = multiplyWide(ma, mb);
        const int e = ea + eb - Bias + 1;
        if ((p.hi & IntegerBit) == 0)
            return rounded(negative, e - 1, (p.hi << 1) | (p.lo >> 63), p.lo << 1);
        return rounded(negative, e, p.hi, p.lo);
    }

    static constexpr SoftExtended quotient(bool negative, int ea, std::uint64_t ma, int eb, std::uint64_t mb)
    {
        std::uint64_t remainder = 0;
        std::uint64_t q = 0;
        int e = ea - eb + Bias;
        if (ma >= mb) {
            q = divideWide(ma >> 1, ma << 63, mb, remainder);
        } else {
            q = divideWide(ma, 0, mb, remainder);
            --e;
        }
        std::uint64_t rest = 0;
        if (remainder != 0) {
            const std::uint64_t other = mb - remainder;  // compares 2 * remainder with mb without overflow
            rest = remainder > other ? Half | 1 : remainder == other ? Half : 1;
        }
        return rounded(negative, e, q, rest);
    }

    static constexpr Order compare(SoftExtended a, SoftExtended b)
    {
        if (a.isNaN() || b.isNaN())
            return Order::Unordered;
        if (a.isZero() && b.isZero())
            return Order::Equal;
        if (a.isNegative() != b.isNegative())
            return a.isNegative() ? Order::Less : Order::Greater;
        // Same sign: the magnitudes order as (exponent, significand), a denormal's
        // exponent read as 1.
        const int ea = a.biasedExponent() == 0 ? 1 : a.biasedExponent();
        const int eb = b.biasedExponent() == 0 ? 1 : b.biasedExponent();
        Order magnitude = Order::Equal;
        if (ea != eb)
            magnitude = ea < eb ? Order::Less : Order::Greater;
        else if (a.sig_ != b.sig_)
            magnitude = a.sig_ < b.sig_ ? Order::Less : Order::Greater;
        if (magnitude == Order::Equal || !a.isNegative())
            return magnitude;
        return magnitude == Order::Less ? Order::Greater : Order::Less;
    }

    // The operations with a zero, denormal, infinite or NaN operand.
    // Out of line, so that the short paths stay small enough to inline.
    static SoftExtended sumSpecial(SoftExtended a, SoftExtended b, bool nb);
    static SoftExtended multiplySpecial(SoftExtended a, SoftExtended b);
    static SoftExtended divideSpecial(SoftExtended a, SoftExtended b);

    // A NaN result from operands of which at least one is a NaN or an invalid encoding.
    static SoftExtended nanResult(SoftExtended a, SoftExtended b);
    constexpr bool isInvalidEncoding() const
    {
        return isUnnormal() || (biasedExponent() == MaxBiasedExponent && (sig_ & IntegerBit) == 0);
    }

    // A finite non-zero number as exponent and normalized significand (a denormal gets an
    // exponent below 1).
    struct Normalized {
        int e;
        std::uint64_t m;
    };
    constexpr Normalized normalized() const
    {
        if (biasedExponent() != 0)
            return {biasedExponent(), sig_};
        const int shift = leadingZeros(sig_);
        return {1 - shift, sig_ << shift};
    }

    std::uint64_t sig_ = 0;
    std::uint16_t se_ = 0;
};

}  // namespace trophex
