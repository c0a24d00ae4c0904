#include "arithmetic/extendeddecimal.h"

#include <algorithm>
#include <cstdint>
#include <vector>

namespace trophex {

namespace {

// A whole number of any size, as 32-bit limbs, least significant first, without zero limbs
// at the top.
class BigNumber {
public:
    explicit BigNumber(std::uint32_t value = 0)
    {
        if (value != 0)
            limbs_.push_back(value);
    }

    // this * factor + addend
    void multiplyAdd(std::uint32_t factor, std::uint32_t addend)
    {
        std::uint64_t carry = addend;
        for (std::uint32_t& limb : limbs_) {
            const std::uint64_t v = std::uint64_t{limb} * factor + carry;
            limb = static_cast<std::uint32_t>(v);
            carry = v >> 32;
        }
        if (carry != 0)
            limbs_.push_back(static_cast<std::uint32_t>(carry));
    }

    void multiplyByPowerOfFive(long exponent)
    {
        constexpr std::uint32_t FiveToThe13 = 1220703125;
        for (; exponent >= 13; exponent -= 13)
            multiplyAdd(FiveToThe13, 0);
        std::uint32_t rest = 1;
        for (; exponent > 0; --exponent)
            rest *= 5;
        multiplyAdd(rest, 0);
    }

    void shiftLeft(long bits)
    {
        if (limbs_.empty() || bits == 0)
            return;
        const auto whole = static_cast<std::size_t>(bits / 32);
        const int part = static_cast<int>(bits % 32);
        limbs_.insert(limbs_.begin(), whole, 0);
        if (part != 0) {
            std::uint32_t carry = 0;
            for (std::size_t i = whole; i < limbs_.size(); ++i) {
                const std::uint32_t limb = limbs_[i];
                limbs_[i] = (limb << part) | carry;
                carry = limb >> (32 - part);
            }
            if (carry != 0)
                limbs_.push_back(carry);
        }
    }

    void shiftRightByOne()
    {
        for (std::size_t i = 0; i < limbs_.size(); ++i) {
            const std::uint32_t above = i + 1 < limbs_.size() ? limbs_[i + 1] : 0;
            limbs_[i] = (limbs_[i] >> 1) | (above << 31);
        }
        trim();
    }

    long bitLength() const
    {
        if (limbs_.empty())
            return 0;
        return static_cast<long>(limbs_.size()) * 32 - (leadingZeros(limbs_.back()) - 32);
    }

    bool isZero() const { return limbs_.empty(); }

    // The 64 bits from bit lowBit up (lowBit may be negative: zeros below bit 0).
    std::uint64_t bitsFrom(long lowBit) const
    {
        std::uint64_t v = 0;
        for (int i = 63; i >= 0; --i)
            v = (v << 1) | bit(lowBit + i);
        return v;
    }

    // Whether any bit below bit position lowBit is set.
    bool anyBelow(long lowBit) const
    {
        for (long i = 0; i < lowBit && i < static_cast<long>(limbs_.size()) * 32; ++i) {
            if (bit(i) != 0)
                return true;
        }
        return false;
    }

    friend bool operator<(const BigNumber& a, const BigNumber& b)
    {
        if (a.limbs_.size() != b.limbs_.size())
            return a.limbs_.size() < b.limbs_.size();
        return std::lexicographical_compare(a.limbs_.rbegin(), a.limbs_.rend(), b.limbs_.rbegin(), b.limbs_.rend());
    }

    // this - other, for other not above this.
    void subtract(const BigNumber& other)
    {
        std::int64_t borrow = 0;
        for (std::size_t i = 0; i < limbs_.size(); ++i) {
            std::int64_t v = static_cast<std::int64_t>(limbs_[i]) - borrow
                - (i < other.limbs_.size() ? static_cast<std::int64_t>(other.limbs_[i]) : 0);
            borrow = v < 0 ? 1 : 0;
            limbs_[i] = static_cast<std::uint32_t>(v + (borrow << 32));
        }
        trim();
    }

    // The remainder of division by 10^9, which is taken out of this.
    std::uint32_t divideByBillion()
    {
        std::uint64_t remainder = 0;
        for (auto it = limbs_.rbegin(); it != limbs_.rend(); ++it) {
            const std::uint64_t v = (remainder << 32) | *it;
            *it = static_cast<std::uint32_t>(v / 1000000000);
            remainder = v % 1000000000;
        }
        trim();
        return static_cast<std::uint32_t>(remainder);
    }

private:
    std::uint64_t bit(long i) const
    {
        if (i < 0 || i >= static_cast<long>(limbs_.size()) * 32)
            return 0;
        return (limbs_[static_cast<std::size_t>(i / 32)] >> (i % 32)) & 1;
    }
    void trim()
    {
        while (!limbs_.empty() && limbs_.back() == 0)
            limbs_.pop_back();
    }

    std::vector<std::uint32_t> limbs_;
};

// A decimal number rounds to 0 below 10^-4951 (under half the smallest denormal,
// 3.6e-4951) and to infinity from 10^4933 on (the largest number is 1.19e4932).
constexpr long SmallestLeadingPosition = -4950;
constexpr long LargestLeadingPosition = 4933;
// Every number half-way between two extended numbers has at most 11,515 significant
// digits; digits beyond this many only tell that the number lies above a cut.
constexpr std::size_t MaxSignificantDigits = 11600;
// Exponents are read up to this size; beyond it every number is 0 or infinite.
constexpr long ExponentCap = 1000000000;

// value * 2^binaryExponent rounded to the format, for a non-zero value; sticky tells that
// the exact number lies above it.
SoftExtended roundedValue(const BigNumber& value, long binaryExponent, bool sticky)
{
    const long top = value.bitLength() - 1;
    const std::uint64_t m = value.bitsFrom(top - 63);
    const std::uint64_t rest = value.bitsFrom(top - 127) | (sticky || value.anyBelow(top - 127) ? 1 : 0);
    return SoftExtended::roundedFromParts(false, binaryExponent + top, m, rest);
}

}  // namespace

SoftExtended decimalToExtended(std::string_view intDigits, std::string_view fracDigits, bool exponentNegative,
                               std::string_view expDigits)
{
    long exponent = 0;
    for (char c : expDigits) {
        exponent = std::min(ExponentCap, exponent * 10 + (c - '0'));
    }
    if (exponentNegative)
        exponent = -exponent;

    // The significant digits as one run, at most MaxSignificantDigits of them, and the
    // power of ten of its last digit.
    std::string digits;
    digits.reserve(std::min(intDigits.size() + fracDigits.size(), MaxSignificantDigits));
    std::size_t significant = 0;
    bool sticky = false;  // a non-zero digit was cut off
    for (std::string_view part : {intDigits, fracDigits}) {
        for (char c : part) {
            if (significant == 0 && c == '0')
                continue;
            ++significant;
            if (digits.size() < MaxSignificantDigits)
                digits += c;
            else
                sticky = sticky || c != '0';
        }
    }
    long scale = exponent - static_cast<long>(fracDigits.size()) + static_cast<long>(significant - digits.size());
    while (!digits.empty() && digits.back() == '0') {
        digits.pop_back();
        ++scale;
    }
    if (digits.empty())
        return SoftExtended();
    const long leading = static_cast<long>(digits.size()) + scale;  // 10^(leading - 1) <= value < 10^leading
    if (leading > LargestLeadingPosition)
        return SoftExtended::infinity();
    if (leading < SmallestLeadingPosition)
        return SoftExtended();

    BigNumber value;
    std::size_t i = 0;
    for (; i + 9 <= digits.size(); i += 9)
        value.multiplyAdd(1000000000, static_cast<std::uint32_t>(std::stoul(digits.substr(i, 9))));
    if (i < digits.size()) {
        std::uint32_t factor = 1;
        for (std::size_t j = i; j < digits.size(); ++j)
            factor *= 10;
        value.multiplyAdd(factor, static_cast<std::uint32_t>(std::stoul(digits.substr(i))));
    }
    if (sticky) {
        // One more digit, a 1, stands for the non-zero digits cut off.
        value.multiplyAdd(10, 1);
        --scale;
    }

    if (scale >= 0) {
        value.multiplyByPowerOfFive(scale);
        return roundedValue(value, scale, false);
    }
    // value / 5^q * 2^-q: the quotient to 67 or 68 bits, and whether a remainder is left.
    const long q = -scale;
    BigNumber divisor(1);
    divisor.multiplyByPowerOfFive(q);
    const long shift = value.bitLength() - divisor.bitLength() - 67;
    if (shift >= 0)
        divisor.shiftLeft(shift);
    else
        value.shiftLeft(-shift);
    divisor.shiftLeft(67);
    BigNumber quotient;
    for (int bit = 67; bit >= 0; --bit) {
        quotient.multiplyAdd(2, 0);
        if (!(value < divisor)) {
            value.subtract(divisor);
            quotient.multiplyAdd(1, 1);
        }
        divisor.shiftRightByOne();
    }
    return roundedValue(quotient, shift - q, !value.isZero());
}

std::string wholeNumberDigits(SoftExtended x)
{
    if (x.isNaN())
        return "nan";
    if (x.isInfinite())
        return "inf";
    if (x.isZero() || x.biasedExponent() < SoftExtended::Bias)
        return "0";
    // |x| = significand * 2^(exponent - 63) for a whole number x.
    const long shift = static_cast<long>(x.biasedExponent()) - SoftExtended::Bias - 63;
    BigNumber value(static_cast<std::uint32_t>(x.significand() >> 32));
    value.multiplyAdd(1u << 16, 0);
    value.multiplyAdd(1u << 16, static_cast<std::uint32_t>(x.significand()));
    if (shift >= 0) {
        value.shiftLeft(shift);
    } else {
        for (long i = 0; i < -shift; ++i)
            value.shiftRightByOne();
    }
    std::string digits;
    while (!value.isZero()) {
        std::uint32_t group = value.divideByBillion();
        for (int i = 0; i < 9; ++i) {
            digits += static_cast<char>('0' + group % 10);
            group /= 10;
        }
    }
    while (digits.size() > 1 && digits.back() == '0')
        digits.pop_back();
    std::reverse(digits.begin(), digits.end());
    return digits.empty() ? "0" : digits;
}

}  // namespace trophex
