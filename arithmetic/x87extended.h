#pragma once
// The 80-bit extended format on the x87 itself, for x86-64 with GCC or Clang, where
// `long double` is that format computed at 64-bit precision: the same interface as
// SoftExtended, each operation one x87 instruction.

#include <climits>
#include <cmath>
#include <cstdint>
#include <cstring>

#if !(defined(__x86_64__) && defined(__GNUC__))
#error "X87Extended needs x86-64 and GCC or Clang"
#endif

namespace trophex {

static_assert(sizeof(long double) >= 10 && __LDBL_MANT_DIG__ == 64, "long double is the x87 extended format");

class X87Extended {
public:
    constexpr X87Extended() = default;
    constexpr X87Extended(int v) : v_(v) {}
    constexpr X87Extended(long v) : v_(v) {}
    constexpr X87Extended(long long v) : v_(v) {}
    constexpr X87Extended(unsigned v) : v_(v) {}
    constexpr X87Extended(unsigned long v) : v_(v) {}
    constexpr X87Extended(unsigned long long v) : v_(v) {}
    constexpr X87Extended(double v) : v_(v) {}
    constexpr X87Extended(float v) : v_(v) {}
    explicit constexpr X87Extended(long double v) : v_(v) {}

    static X87Extended fromBits(std::uint16_t signExponent, std::uint64_t significand)
    {
        unsigned char raw[sizeof(long double)] = {};
        std::memcpy(raw, &significand, sizeof significand);
        std::memcpy(raw + 8, &signExponent, sizeof signExponent);
        X87Extended x;
        std::memcpy(&x.v_, raw, sizeof raw);
        return x;
    }
    std::uint16_t signExponent() const
    {
        std::uint16_t se;
        std::memcpy(&se, reinterpret_cast<const unsigned char*>(&v_) + 8, sizeof se);
        return se;
    }
    std::uint64_t significand() const
    {
        std::uint64_t sig;
        std::memcpy(&sig, &v_, sizeof sig);
        return sig;
    }

    // significand * 2^exponent, which must be exactly a normal extended value.
    static constexpr X87Extended fromParts(std::uint64_t significand, int exponent)
    {
        long double v = static_cast<long double>(significand);
        for (; exponent >= 32; exponent -= 32)
            v *= 0x1p32L;
        for (; exponent <= -32; exponent += 32)
            v *= 0x1p-32L;
        for (; exponent > 0; --exponent)
            v *= 2;
        for (; exponent < 0; ++exponent)
            v /= 2;
        return X87Extended(v);
    }

    static constexpr X87Extended infinity() { return X87Extended(__builtin_huge_vall()); }

    bool isNegative() const { return std::signbit(v_); }
    constexpr bool isNaN() const { return v_ != v_; }
    constexpr bool isInfinite() const { return v_ == __builtin_huge_vall() || v_ == -__builtin_huge_vall(); }
    constexpr bool isFinite() const { return v_ - v_ == 0; }
    constexpr bool isZero() const { return v_ == 0; }

    constexpr X87Extended operator-() const { return X87Extended(-v_); }
    friend X87Extended abs(X87Extended x) { return X87Extended(std::fabs(x.v_)); }

    friend constexpr X87Extended operator+(X87Extended a, X87Extended b) { return X87Extended(a.v_ + b.v_); }
    friend constexpr X87Extended operator-(X87Extended a, X87Extended b) { return X87Extended(a.v_ - b.v_); }
    friend constexpr X87Extended operator*(X87Extended a, X87Extended b) { return X87Extended(a.v_ * b.v_); }
    friend constexpr X87Extended operator/(X87Extended a, X87Extended b) { return X87Extended(a.v_ / b.v_); }
    X87Extended& operator+=(X87Extended b) { return *this = *this + b; }
    X87Extended& operator-=(X87Extended b) { return *this = *this - b; }
    X87Extended& operator*=(X87Extended b) { return *this = *this * b; }
    X87Extended& operator/=(X87Extended b) { return *this = *this / b; }

    friend X87Extended sqrt(X87Extended x) { return X87Extended(std::sqrt(x.v_)); }

    friend constexpr bool operator==(X87Extended a, X87Extended b) { return a.v_ == b.v_; }
    friend constexpr bool operator!=(X87Extended a, X87Extended b) { return a.v_ != b.v_; }
    friend constexpr bool operator<(X87Extended a, X87Extended b) { return a.v_ < b.v_; }
    friend constexpr bool operator>(X87Extended a, X87Extended b) { return a.v_ > b.v_; }
    friend constexpr bool operator<=(X87Extended a, X87Extended b) { return a.v_ <= b.v_; }
    friend constexpr bool operator>=(X87Extended a, X87Extended b) { return a.v_ >= b.v_; }

    double toDouble() const { return static_cast<double>(v_); }
    explicit operator double() const { return toDouble(); }

    // fistp: the whole number nearest to x, ties to even; the int's smallest value when
    // out of its range or NaN.
    int roundToInt() const
    {
        int result;
        asm("fistpl %0" : "=m"(result) : "t"(v_) : "st");
        return result;
    }

    // fscale: x * 2^n, rounded once when the result lies below the normal range.
    X87Extended scaledByPowerOfTwo(int n) const
    {
        long double result;
        asm("fscale" : "=t"(result) : "0"(v_), "u"(static_cast<long double>(n)));
        return X87Extended(result);
    }

    // fxtract: the significand in [1, 2) with x's sign, and the exponent, of a finite
    // non-zero x (a denormal's too); both exact.
    X87Extended significandAndExponent(X87Extended& exponent) const
    {
        long double significand;
        asm("fxtract" : "=t"(significand), "=u"(exponent.v_) : "0"(v_));
        return X87Extended(significand);
    }

    long double value() const { return v_; }

private:
    long double v_ = 0;
};

}  // namespace trophex
