#pragma once
// 128-bit unsigned arithmetic from 64-bit halves, in portable C++: the wide products,
// quotients and shifts that software extended precision and exact number formatting need.

#include <cstdint>

namespace trophex {

struct Wide {
    std::uint64_t hi = 0;  // bits 64..127
    std::uint64_t lo = 0;  // bits 0..63
};

constexpr bool operator==(Wide a, Wide b) { return a.hi == b.hi && a.lo == b.lo; }
constexpr bool operator!=(Wide a, Wide b) { return !(a == b); }
constexpr bool operator<(Wide a, Wide b) { return a.hi < b.hi || (a.hi == b.hi && a.lo < b.lo); }

constexpr Wide add(Wide a, Wide b)
{
    const std::uint64_t lo = a.lo + b.lo;
    return {a.hi + b.hi + (lo < a.lo ? 1 : 0), lo};
}

constexpr Wide subtract(Wide a, Wide b)
{
    return {a.hi - b.hi - (a.lo < b.lo ? 1 : 0), a.lo - b.lo};
}

// a * 2^n for 0 <= n < 128, bits above 127 dropped.
constexpr Wide shiftLeft(Wide a, int n)
{
    if (n == 0)
        return a;
    if (n >= 64)
        return {a.lo << (n - 64), 0};
    return {(a.hi << n) | (a.lo >> (64 - n)), a.lo << n};
}

// floor(a / 2^n) for 0 <= n < 128.
constexpr Wide shiftRight(Wide a, int n)
{
    if (n == 0)
        return a;
    if (n >= 64)
        return {0, a.hi >> (n - 64)};
    return {a.hi >> n, (a.lo >> n) | (a.hi << (64 - n))};
}

// The full product of two 64-bit numbers, from four 32-bit products.
constexpr Wide multiplyWide(std::uint64_t a, std::uint64_t b)
{
    const std::uint64_t a0 = a & 0xFFFFFFFFu, a1 = a >> 32;
    const std::uint64_t b0 = b & 0xFFFFFFFFu, b1 = b >> 32;
    const std::uint64_t p00 = a0 * b0, p01 = a0 * b1, p10 = a1 * b0, p11 = a1 * b1;
    const std::uint64_t middle = (p00 >> 32) + (p01 & 0xFFFFFFFFu) + (p10 & 0xFFFFFFFFu);
    return {p11 + (p01 >> 32) + (p10 >> 32) + (middle >> 32), (middle << 32) | (p00 & 0xFFFFFFFFu)};
}

// The number of zero bits above the highest set bit (64 for 0): the compiler's builtin
// where there is one, else a binary search.
constexpr int leadingZeros(std::uint64_t x)
{
    if (x == 0)
        return 64;
#if defined(__GNUC__)
    return __builtin_clzll(x);
#endif
    int n = 0;
    for (int step = 32; step > 0; step /= 2) {
        if (x >> (64 - step) == 0) {
            n += step;
            x <<= step;
        }
    }
    return n;
}

// floor((hi * 2^64 + lo) / d) and the remainder, for hi < d and d with its top bit set
// (two steps of schoolbook division in 32-bit digits).
constexpr std::uint64_t divideWide(std::uint64_t hi, std::uint64_t lo, std::uint64_t d, std::uint64_t& remainder)
{
    constexpr std::uint64_t Base = std::uint64_t{1} << 32;
    const std::uint64_t d1 = d >> 32, d0 = d & 0xFFFFFFFFu;
    const std::uint64_t n1 = lo >> 32, n0 = lo & 0xFFFFFFFFu;

    const auto digit = [&](std::uint64_t top, std::uint64_t next) {  // floor((top * Base + next) / d) < Base
        std::uint64_t q = top / d1;
        std::uint64_t r = top - q * d1;
        while (q >= Base || q * d0 > ((r << 32) | next)) {
            --q;
            r += d1;
            if (r >= Base)
                break;
        }
        return q;
    };
    const std::uint64_t q1 = digit(hi, n1);
    const std::uint64_t mid = (hi << 32) + n1 - q1 * d;  // the partial remainder, below d
    const std::uint64_t q0 = digit(mid, n0);
    remainder = (mid << 32) + n0 - q0 * d;
    return (q1 << 32) | q0;
}

}  // namespace trophex
