#include "arithmetic/softextended.h"

#include <climits>
#include <cmath>
#include <cstring>

namespace trophex {

namespace {

constexpr std::uint64_t DoubleFractionMask = (std::uint64_t{1} << 52) - 1;
constexpr std::uint64_t DoubleQuietBit = std::uint64_t{1} << 51;
constexpr std::uint64_t DoubleSignBit = std::uint64_t{1} << 63;
constexpr int DoubleBias = 1023;

// floor(m / 2^shift) rounded to nearest, ties to even, for 1 <= shift; sticky tells that
// non-zero bits lie below m.
std::uint64_t roundedShiftRight(std::uint64_t m, int shift, bool sticky)
{
    if (shift > 64)
        return 0;  // below a quarter of the last place kept
    const std::uint64_t kept = shift == 64 ? 0 : m >> shift;
    const std::uint64_t dropped = shift == 64 ? m : m << (64 - shift);
    const std::uint64_t half = std::uint64_t{1} << 63;
    const bool above = dropped > half || (dropped == half && sticky);
    const bool tie = dropped == half && !sticky;
    return kept + ((above || (tie && (kept & 1) != 0)) ? 1 : 0);
}

double doubleFromBits(std::uint64_t bits)
{
    double d;
    std::memcpy(&d, &bits, sizeof d);
    return d;
}

}  // namespace

SoftExtended SoftExtended::roundedBelowNormal(std::uint16_t sign, int e, std::uint64_t m, std::uint64_t rest)
{
    const int shift = 1 - e;
    const std::uint64_t sticky = rest != 0 ? 1 : 0;
    if (shift < 64) {
        rest = (m << (64 - shift)) | sticky;
        m >>= shift;
    } else if (shift == 64) {
        rest = m | sticky;
        m = 0;
    } else if (shift < 128) {
        rest = (m >> (shift - 64)) | ((m << (128 - shift)) != 0 ? 1 : 0) | sticky;
        m = 0;
    } else {
        rest = 1;
        m = 0;
    }
    if (rest > Half || (rest == Half && (m & 1) != 0))
        ++m;  // may carry into the integer bit: then the smallest normal number
    return fromBits(static_cast<std::uint16_t>(sign | (m >> 63)), m);
}

SoftExtended SoftExtended::normalizedDifference(bool negative, int e, std::uint64_t m, std::uint64_t rest)
{
    if (m == 0 && rest == 0)
        return SoftExtended();  // x - x is +0
    const int shift = m != 0 ? leadingZeros(m) : 64 + leadingZeros(rest);
    const Wide d = shiftLeft(Wide{m, rest}, shift);
    return rounded(negative, e - shift, d.hi, d.lo);
}

SoftExtended SoftExtended::nanResult(SoftExtended a, SoftExtended b)
{
    if (a.isInvalidEncoding() || b.isInvalidEncoding())
        return indefinite();
    const bool aNaN = a.isNaN(), bNaN = b.isNaN();
    const SoftExtended quietA = fromBits(a.se_, a.sig_ | QuietBit);
    const SoftExtended quietB = fromBits(b.se_, b.sig_ | QuietBit);
    if (aNaN && bNaN) {
        // A quiet NaN before a signalling one; of two of a kind the larger significand,
        // the positive one when they are the same.
        const bool aQuiet = (a.sig_ & QuietBit) != 0, bQuiet = (b.sig_ & QuietBit) != 0;
        if (aQuiet != bQuiet)
            return aQuiet ? quietA : quietB;
        if (a.sig_ != b.sig_)
            return a.sig_ > b.sig_ ? quietA : quietB;
        return a.isNegative() ? quietB : quietA;
    }
    return aNaN ? quietA : quietB;
}

SoftExtended SoftExtended::sumSpecial(SoftExtended a, SoftExtended b, bool nb)
{
    if (a.isNaN() || b.isNaN())
        return nanResult(a, b);
    const bool na = a.isNegative();
    if (a.isInfinite()) {
        if (b.isInfinite() && na != nb)
            return indefinite();
        return a;
    }
    if (b.isInfinite())
        return fromBits(static_cast<std::uint16_t>((nb ? SignBit : 0) | MaxBiasedExponent), IntegerBit);
    if (a.isZero() && b.isZero())
        return fromBits(na && nb ? SignBit : 0, 0);
    if (b.isZero()) {
        const Normalized x = a.normalized();
        return rounded(na, x.e, x.m, 0);
    }
    if (a.isZero()) {
        const Normalized x = b.normalized();
        return rounded(nb, x.e, x.m, 0);
    }
    const Normalized x = a.normalized(), y = b.normalized();
    return sumOfNumbers(na, x.e, x.m, nb, y.e, y.m);
}

SoftExtended SoftExtended::multiplySpecial(SoftExtended a, SoftExtended b)
{
    if (a.isNaN() || b.isNaN())
        return nanResult(a, b);
    const bool negative = a.isNegative() != b.isNegative();
    const std::uint16_t sign = negative ? SignBit : 0;
    if (a.isInfinite() || b.isInfinite()) {
        if (a.isZero() || b.isZero())
            return indefinite();
        return fromBits(sign | MaxBiasedExponent, IntegerBit);
    }
    if (a.isZero() || b.isZero())
        return fromBits(sign, 0);
    const Normalized x = a.normalized(), y = b.normalized();
    return product(negative, x.e, x.m, y.e, y.m);
}

SoftExtended SoftExtended::divideSpecial(SoftExtended a, SoftExtended b)
{
    if (a.isNaN() || b.isNaN())
        return nanResult(a, b);
    const bool negative = a.isNegative() != b.isNegative();
    const std::uint16_t sign = negative ? SignBit : 0;
    if (a.isInfinite())
        return b.isInfinite() ? indefinite() : fromBits(sign | MaxBiasedExponent, IntegerBit);
    if (b.isInfinite())
        return fromBits(sign, 0);
    if (b.isZero())
        return a.isZero() ? indefinite() : fromBits(sign | MaxBiasedExponent, IntegerBit);
    if (a.isZero())
        return fromBits(sign, 0);
    const Normalized x = a.normalized(), y = b.normalized();
    return quotient(negative, x.e, x.m, y.e, y.m);
}

SoftExtended SoftExtended::fromUnusualDouble(std::uint64_t bits)
{
    const std::uint16_t sign = (bits >> 63) != 0 ? SignBit : 0;
    const std::uint64_t fraction = bits & DoubleFractionMask;
    if (((bits >> 52) & 0x7FF) == 0x7FF)  // infinity, or a NaN quieted as the x87 loads it
        return fromBits(sign | MaxBiasedExponent, fraction == 0 ? IntegerBit : IntegerBit | QuietBit | (fraction << 11));
    if (fraction == 0)
        return fromBits(sign, 0);
    // A double denormal is a normal extended number.
    const int shift = leadingZeros(fraction);
    return fromBits(static_cast<std::uint16_t>(sign | (Bias + 63 - 1074 - shift)), fraction << shift);
}

double SoftExtended::unusualToDouble() const
{
    const std::uint64_t sign = isNegative() ? DoubleSignBit : 0;
    if (isInvalidEncoding())
        return doubleFromBits(DoubleSignBit | (std::uint64_t{0x7FF} << 52) | DoubleQuietBit);
    if (isNaN())
        return doubleFromBits(sign | (std::uint64_t{0x7FF} << 52) | DoubleQuietBit | ((sig_ >> 11) & DoubleFractionMask));
    if (isInfinite())
        return doubleFromBits(sign | (std::uint64_t{0x7FF} << 52));
    if (isZero())
        return doubleFromBits(sign);
    const Normalized x = normalized();
    const int e = x.e - Bias + DoubleBias;  // the double's biased exponent before rounding
    if (e >= 0x7FF)
        return doubleFromBits(sign | (std::uint64_t{0x7FF} << 52));
    if (e >= 1) {
        // Adding the rounded 53-bit significand to the exponent field carries into it.
        const std::uint64_t bits = (static_cast<std::uint64_t>(e - 1) << 52) + roundedShiftRight(x.m, 11, false);
        return doubleFromBits(sign | bits);  // a carry out of the largest exponent gives infinity
    }
    // A denormal double: the significand times 2^-1074; rounding up to 2^52 gives the
    // smallest normal double, whose bits it also is.
    return doubleFromBits(sign | roundedShiftRight(x.m, 11 + 1 - e, false));
}

int SoftExtended::roundToInt() const
{
    if (!isFinite())
        return INT_MIN;
    if (isZero())
        return 0;
    const Normalized x = normalized();
    const int shift = Bias + 63 - x.e;  // the value is m / 2^shift
    if (shift <= 32)
        return INT_MIN;  // at least 2^31
    const std::uint64_t magnitude = roundedShiftRight(x.m, shift, false);
    if (isNegative())
        return magnitude <= std::uint64_t{1} << 31 ? static_cast<int>(0 - static_cast<std::int64_t>(magnitude)) : INT_MIN;
    return magnitude < std::uint64_t{1} << 31 ? static_cast<int>(magnitude) : INT_MIN;
}

SoftExtended SoftExtended::scaledByPowerOfTwo(int n) const
{
    if (isNaN())
        return nanResult(*this, *this);
    if (isInfinite() || isZero())
        return *this;
    const Normalized x = normalized();
    const int limit = 4 * MaxBiasedExponent;  // beyond it the result is infinite or 0 anyway
    const int scale = n > limit ? limit : n < -limit ? -limit : n;
    return rounded(isNegative(), x.e + scale, x.m, 0);
}

namespace {

// The whole square root of n = hi * 2^64 + lo, for n of at least 2^126: one step of
// Newton's iteration from above a double's estimate, then exact correction.
std::uint64_t wholeSquareRoot(Wide n)
{
    const double estimate = std::sqrt(std::ldexp(static_cast<double>(n.hi), 64) + static_cast<double>(n.lo));
    // The estimate is within 2^12 of the root; starting above it, Newton's iteration
    // keeps every quotient below 2^64.
    const double start = estimate + 16384;
    std::uint64_t y = start >= 0x1p64 ? ~std::uint64_t{0} : static_cast<std::uint64_t>(start);
    std::uint64_t remainder = 0;
    const std::uint64_t q = divideWide(n.hi, n.lo, y, remainder);
    y = (y >> 1) + (q >> 1) + (y & q & 1);
    while (n < multiplyWide(y, y))
        --y;
    while (!(n < multiplyWide(y + 1, y + 1)) && y + 1 != 0)
        ++y;
    return y;
}

}  // namespace

SoftExtended sqrt(SoftExtended x)
{
    using S = SoftExtended;
    if (x.isNaN())
        return S::nanResult(x, x);
    if (x.isZero())
        return x;
    if (x.isNegative())
        return S::indefinite();
    if (x.isInfinite())
        return x;
    const S::Normalized v = x.normalized();
    // x = m * 2^t; the root of m * 2^k, k = 63 or 64 with t - k even, lies in [2^63, 2^64).
    const int t = v.e - S::Bias - 63;
    const int k = (t - 63) % 2 == 0 ? 63 : 64;
    const Wide n = shiftLeft(Wide{0, v.m}, k);
    const std::uint64_t root = wholeSquareRoot(n);
    const Wide remainder = subtract(n, multiplyWide(root, root));
    // No root lies half-way between two numbers: round up when n is above (root + 1/2)^2.
    const std::uint64_t rest = Wide{0, root} < remainder ? S::Half | 1 : (remainder.lo | remainder.hi) != 0 ? 1 : 0;
    return S::rounded(false, S::Bias + 63 + (t - k) / 2, root, rest);
}

}  // namespace trophex
