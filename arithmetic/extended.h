#pragma once
// The model's extended-precision number: the x87's own format and instructions on x86-64
// Linux with GCC or Clang, the same format in software everywhere else, or there too when
// the build sets TROPHEX_SOFT_EXTENDED (CMake option of the same name). Windows takes the
// software type: its threads start with the x87 rounding to 53 bits. Both give the same
// bits for every operation, logarithm and exponential included.

#if !defined(TROPHEX_SOFT_EXTENDED) && defined(__x86_64__) && defined(__GNUC__) && !defined(_WIN32)
#include "arithmetic/x87extended.h"
#define TROPHEX_X87_EXTENDED 1
namespace trophex {
using Extended = X87Extended;
}  // namespace trophex
#else
#include "arithmetic/softextended.h"
namespace trophex {
using Extended = SoftExtended;
}  // namespace trophex
#endif

#include "arithmetic/extendedmath.h"
#include "arithmetic/softextended.h"

#include <cstdint>
#include <stdexcept>

namespace trophex {

// A value of the software type as the model's type (the same bits).
inline Extended extendedOf(SoftExtended x)
{
    return Extended::fromBits(x.signExponent(), x.significand());
}

inline SoftExtended softOf(Extended x)
{
    return SoftExtended::fromBits(x.signExponent(), x.significand());
}

namespace detail {

// 10^k, exact in the extended format for k up to 27.
constexpr int MaxExactPowerOfTen = 27;
constexpr Extended exactPowerOfTen(int k)
{
    Extended p = 1;
    for (int i = 0; i < k; ++i)
        p = p * 10;
    return p;
}

// The decimal constant spelt by Chars, correctly rounded: its at most 19 significant
// digits as an exact whole number, then one correctly rounded division or multiplication
// by an exact power of ten, as the number reader does.
template <char... Chars>
constexpr Extended decimalConstant()
{
    constexpr char text[] = {Chars...};
    std::uint64_t mantissa = 0;
    int digits = 0;
    int scale = 0;
    bool afterPoint = false;
    for (char c : text) {
        if (c == '.') {
            afterPoint = true;
        } else if (c >= '0' && c <= '9') {
            if (mantissa != 0 || c != '0')
                ++digits;
            mantissa = mantissa * 10 + static_cast<std::uint64_t>(c - '0');
            scale -= afterPoint ? 1 : 0;
        } else {
            throw std::invalid_argument("only digits and a point in an extended constant");
        }
    }
    if (digits > 19 || -scale > MaxExactPowerOfTen)
        throw std::invalid_argument("an extended constant needs at most 19 digits and 27 decimals");
    if (mantissa == 0)
        return Extended(0);
    return Extended(mantissa) / exactPowerOfTen(-scale);
}

}  // namespace detail

// A decimal constant in the extended format, the same value on every platform:
// 0.162_x is what 0.162L is where long double is the x87 format.
template <char... Chars>
constexpr Extended operator""_x()
{
    constexpr Extended value = detail::decimalConstant<Chars...>();
    return value;
}

}  // namespace trophex
