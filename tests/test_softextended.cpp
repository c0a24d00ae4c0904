// The software extended format against the x87 itself, bit for bit: millions of operands
// for each operation, drawn so that ties, denormal results, overflow, cancellation and
// every special operand come up often; conversions, rounding to a whole number and
// scaling; the logarithm and exponential against a 113-bit reference, and the x87 and
// software types giving the same bits for them.
//
// TROPHEX_OPERANDS in the environment sets the number of operands per operation
// (default 1,000,000).

#include "model/balance.h"
#include "arithmetic/extended.h"
#include "arithmetic/extendeddecimal.h"
#include "arithmetic/extendedmath.h"
#include "arithmetic/softextended.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <random>
#include <string>

#if defined(__x86_64__) && defined(__GNUC__) && !defined(_WIN32)
#define TROPHEX_X87_REFERENCE 1
#include "arithmetic/x87extended.h"
#include <quadmath.h>
#endif

using namespace trophex;

namespace {

std::string bitsText(SoftExtended x)
{
    char text[32];
    std::snprintf(text, sizeof text, "%04x:%016llx", x.signExponent(), static_cast<unsigned long long>(x.significand()));
    return text;
}

}  // namespace

TEST(SoftExtended, ConstructionIsExact)
{
    EXPECT_EQ(bitsText(SoftExtended(1)), "3fff:8000000000000000");
    EXPECT_EQ(bitsText(SoftExtended(-3)), "c000:c000000000000000");
    EXPECT_EQ(bitsText(SoftExtended(~0ull)), "403e:ffffffffffffffff");
    EXPECT_EQ(bitsText(SoftExtended(0.1)), "3ffb:ccccccccccccd000");
    EXPECT_EQ(bitsText(SoftExtended(0x1p-1074)), "3bcd:8000000000000000");  // the smallest double denormal
    EXPECT_EQ(bitsText(SoftExtended::fromParts(3, -2)), "3ffe:c000000000000000");
    EXPECT_EQ(SoftExtended(0.75).toDouble(), 0.75);
    EXPECT_TRUE(SoftExtended(-0.0).isNegative());
}

TEST(SoftExtended, FaultClassesGiveTheX87Results)
{
    const SoftExtended zero, one(1), inf = SoftExtended::infinity();
    const std::string indefinite = bitsText(SoftExtended::indefinite());
    EXPECT_EQ(indefinite, "ffff:c000000000000000");
    EXPECT_EQ(bitsText(zero / zero), indefinite);
    EXPECT_EQ(bitsText(inf - inf), indefinite);
    EXPECT_EQ(bitsText(zero * inf), indefinite);
    EXPECT_EQ(bitsText(inf / inf), indefinite);
    EXPECT_EQ(bitsText(sqrt(SoftExtended(-1))), indefinite);
    EXPECT_EQ(bitsText(one / zero), "7fff:8000000000000000");
    EXPECT_EQ(bitsText(-one / zero), "ffff:8000000000000000");
    const SoftExtended largest = SoftExtended::fromBits(0x7FFE, ~std::uint64_t{0});
    EXPECT_TRUE((largest * SoftExtended(2)).isInfinite());
    EXPECT_TRUE((largest + largest).isInfinite());
    EXPECT_TRUE(largest.isFinite());
    EXPECT_TRUE((zero / zero).isNaN());
    EXPECT_FALSE((zero / zero) == (zero / zero));
    EXPECT_TRUE(SoftExtended(2.5).toDouble() == 2.5);
    EXPECT_TRUE(std::isinf(largest.toDouble()));
    // Below the smallest denormal a product is 0 with the product's sign.
    const SoftExtended tiny = SoftExtended::fromBits(0, 1);
    EXPECT_EQ(bitsText(tiny * -tiny), "8000:0000000000000000");
    EXPECT_EQ(bitsText(sqrt(SoftExtended(-0.0))), "8000:0000000000000000");
}

TEST(SoftExtended, DecimalConstantsAreCorrectlyRounded)
{
    EXPECT_EQ(bitsText(SoftExtended(1) / SoftExtended(3)), "3ffd:aaaaaaaaaaaaaaab");
    EXPECT_EQ(bitsText(SoftExtended(162) / SoftExtended(1000)), "3ffc:a5e353f7ced91687");
}

TEST(ExtendedDecimal, TiesGoToEvenAndTheRangeEndsAreExact)
{
    const auto read = [](std::string_view whole, std::string_view fraction, bool negative, std::string_view exponent) {
        return bitsText(decimalToExtended(whole, fraction, negative, exponent));
    };
    EXPECT_EQ(read("18446744073709551617", "", false, ""), "403f:8000000000000000");  // 2^64 + 1: a tie, to even
    EXPECT_EQ(read("18446744073709551619", "", false, ""), "403f:8000000000000002");  // 2^64 + 3: a tie, to even
    EXPECT_EQ(read("18446744073709551617", "0000000000000000000001", false, ""), "403f:8000000000000001");
    EXPECT_EQ(read("1", "", false, "4933"), "7fff:8000000000000000");  // beyond the largest number
    EXPECT_EQ(read("1", "18973149535723176502", false, "4932"), "7ffe:ffffffffffffffff");  // the largest
    EXPECT_EQ(read("1", "", true, "4952"), "0000:0000000000000000");
    EXPECT_EQ(read("3", "6451995318824746025", true, "4951"), "0000:0000000000000001");  // the smallest denormal
    EXPECT_EQ(read("", "", false, "99999999999999999999"), "0000:0000000000000000");
    EXPECT_EQ(read("0", std::string(20000, '0') + "1", false, "20005"), bitsText(SoftExtended(10000)));
}

TEST(ExtendedDecimal, WholeNumbersAreWrittenExactly)
{
    EXPECT_EQ(wholeNumberDigits(SoftExtended::fromParts(1, 64)), "18446744073709551616");
    EXPECT_EQ(wholeNumberDigits(SoftExtended::fromParts(3, 100)), "3802951800684688204490109616128");
    EXPECT_EQ(wholeNumberDigits(SoftExtended::fromBits(0x7FFE, ~std::uint64_t{0})).size(), 4933u);
    EXPECT_EQ(wholeNumberDigits(SoftExtended::infinity()), "inf");
    EXPECT_EQ(wholeNumberDigits(SoftExtended::indefinite()), "nan");
}

TEST(ExtendedConstants, ModelConstantsAreTheirDecimalsCorrectlyRounded)
{
    const auto decimal = [](std::string_view whole, std::string_view fraction) {
        return extendedOf(decimalToExtended(whole, fraction, false, ""));
    };
    EXPECT_EQ(0.162_x, decimal("0", "162"));
    EXPECT_EQ(0.398883127243717606_x, decimal("0", "398883127243717606"));
    EXPECT_EQ(0.004046856_x, decimal("0", "004046856"));
    EXPECT_EQ(2739744.0_x, decimal("2739744", ""));
    EXPECT_EQ(Log10Factor, decimal("0", "43421623968736430742"));
}

#ifdef TROPHEX_X87_REFERENCE

namespace {

long operandCount()
{
    const char* text = std::getenv("TROPHEX_OPERANDS");
    return text != nullptr ? std::atol(text) : 1000000;
}

// Operands of every kind: mostly normal numbers of moderate size, with the extremes of
// the exponent range, denormals and pseudo-denormals, zeros, infinities, NaNs and the
// encodings the x87 refuses; significands often with few bits, so that sums and products
// fall on ties.
class OperandSource {
public:
    explicit OperandSource(std::uint64_t seed) : random_(seed) {}

    SoftExtended next()
    {
        const std::uint16_t sign = coin() ? SoftExtended::SignBit : 0;
        std::uint64_t sig = random_();
        if (random_() % 3 == 0)
            sig &= ~std::uint64_t{0} << (random_() % 64);  // few significant bits
        int e = 16383 + static_cast<int>(random_() % 160) - 80;
        switch (random_() % 20) {
        case 0:
            e = static_cast<int>(random_() % 80);  // denormal results in reach
            break;
        case 1:
            e = 0x7FFE - static_cast<int>(random_() % 80);  // overflow in reach
            break;
        case 2:
            e = 1 + static_cast<int>(random_() % 0x7FFE);
            break;
        case 3:
            e = 0;
            if (random_() % 4 != 0)
                sig &= ~SoftExtended::IntegerBit;  // a denormal, else a pseudo-denormal
            if (random_() % 8 == 0)
                sig = 0;
            return SoftExtended::fromBits(sign, sig);
        case 4:
            return special(sign, sig);
        default:
            break;
        }
        return SoftExtended::fromBits(static_cast<std::uint16_t>(sign | e), sig | SoftExtended::IntegerBit);
    }

    // An operand near x, so that subtraction cancels and division gives results near 1.
    SoftExtended near(SoftExtended x)
    {
        const int e = std::max(0, x.biasedExponent() - static_cast<int>(random_() % 70));
        std::uint64_t sig = x.significand() ^ (random_() >> (random_() % 64));
        if (e != 0)
            sig |= SoftExtended::IntegerBit;
        return SoftExtended::fromBits(static_cast<std::uint16_t>((coin() ? SoftExtended::SignBit : 0) | e), sig);
    }

    bool coin() { return (random_() & 1) != 0; }
    std::mt19937_64& random() { return random_; }

private:
    SoftExtended special(std::uint16_t sign, std::uint64_t sig)
    {
        const std::uint16_t top = sign | SoftExtended::MaxBiasedExponent;
        switch (random_() % 6) {
        case 0:
            return SoftExtended::infinity();
        case 1:
            return SoftExtended::fromBits(top, SoftExtended::IntegerBit);
        case 2:
            return SoftExtended::fromBits(top, sig | SoftExtended::IntegerBit);  // NaN, quiet or signalling
        case 3:
            return SoftExtended::fromBits(top, sig & ~SoftExtended::IntegerBit);  // pseudo-infinity or pseudo-NaN
        case 4:
            return SoftExtended::fromBits(static_cast<std::uint16_t>(sign | (1 + random_() % 0x7FFE)),
                                          sig & ~SoftExtended::IntegerBit);  // an unnormal
        default:
            return SoftExtended::fromBits(sign, 0);
        }
    }

    std::mt19937_64 random_;
};


SoftExtended softFromX87(X87Extended x)
{
    return SoftExtended::fromBits(x.signExponent(), x.significand());
}

X87Extended x87FromSoft(SoftExtended x)
{
    return X87Extended::fromBits(x.signExponent(), x.significand());
}

bool sameBits(SoftExtended soft, X87Extended x87)
{
    return soft.signExponent() == x87.signExponent() && soft.significand() == x87.significand();
}

// Counts, per operation, the operands whose exact result lay half-way between two
// extended numbers, to show that ties were met.
struct TieCount {
    long sums = 0;
    long products = 0;
};

bool isTie(__float128 exact, X87Extended rounded)
{
    const __float128 r = rounded.value();
    if (!(r == r) || r == exact || fabsq(r) > ldexpq(1, 16000) || fabsq(r) < ldexpq(1, -16000))
        return false;
    int e;
    frexpq(r, &e);
    return fabsq(r - exact) == ldexpq(1, e - 65);
}

}  // namespace

TEST(SoftExtended, ArithmeticMatchesTheX87BitForBit)
{
    OperandSource source(15);
    const long n = operandCount();
    TieCount ties;
    long mismatches[5] = {};
    for (long i = 0; i < n; ++i) {
        const SoftExtended a = source.next();
        const SoftExtended b = source.random()() % 3 == 0 ? source.near(a) : source.next();
        const X87Extended x = x87FromSoft(a), y = x87FromSoft(b);
        const SoftExtended soft[5] = {a + b, a - b, a * b, a / b, sqrt(a)};
        const X87Extended x87[5] = {x + y, x - y, x * y, x / y, sqrt(x)};
        for (int op = 0; op < 5; ++op) {
            if (!sameBits(soft[op], x87[op]) && mismatches[op]++ < 5)
                ADD_FAILURE() << "operation " << op << " of " << bitsText(a) << " and " << bitsText(b) << ": "
                              << bitsText(soft[op]) << ", the x87 " << bitsText(softFromX87(x87[op]));
        }
        if (a.isFinite() && b.isFinite()) {
            ties.sums += isTie(static_cast<__float128>(x.value()) + y.value(), x87[0]);
            ties.products += isTie(static_cast<__float128>(x.value()) * y.value(), x87[2]);
        }
    }
    EXPECT_GT(ties.sums, n / 200);
    EXPECT_GT(ties.products, n / 1000);
}

TEST(SoftExtended, ComparisonsMatchTheX87)
{
    OperandSource source(16);
    for (long i = 0; i < operandCount() / 4; ++i) {
        const SoftExtended a = source.next();
        const SoftExtended b = source.coin() ? source.near(a) : source.coin() ? a : source.next();
        const long double x = x87FromSoft(a).value(), y = x87FromSoft(b).value();
        const bool invalid = a.isNaN() || b.isNaN();
        ASSERT_EQ(a == b, !invalid && x == y) << bitsText(a) << " " << bitsText(b);
        ASSERT_EQ(a < b, !invalid && x < y) << bitsText(a) << " " << bitsText(b);
        ASSERT_EQ(a > b, !invalid && x > y) << bitsText(a) << " " << bitsText(b);
        ASSERT_EQ(a <= b, !invalid && x <= y) << bitsText(a) << " " << bitsText(b);
    }
}

TEST(SoftExtended, ConversionsMatchTheX87)
{
    OperandSource source(17);
    auto& random = source.random();
    for (long i = 0; i < operandCount() / 2; ++i) {
        const SoftExtended a = source.next();
        const X87Extended x = x87FromSoft(a);

        const double toDouble = a.toDouble(), expected = x.toDouble();
        ASSERT_EQ(std::memcmp(&toDouble, &expected, sizeof toDouble), 0) << bitsText(a);

        std::uint64_t doubleBits = random();
        double d;
        std::memcpy(&d, &doubleBits, sizeof d);
        ASSERT_TRUE(sameBits(SoftExtended(d), X87Extended(d))) << d;

        // Whole numbers within and just beyond the int's range, ties among them.
        const SoftExtended whole = SoftExtended::fromBits(static_cast<std::uint16_t>((a.signExponent() & 0x8000) | (16383 + random() % 34)),
                                                          a.significand() | SoftExtended::IntegerBit);
        ASSERT_EQ(whole.roundToInt(), x87FromSoft(whole).roundToInt()) << bitsText(whole);
        ASSERT_EQ(a.roundToInt(), x.roundToInt()) << bitsText(a);

        const int scale = static_cast<int>(random() % 40000) - 20000;
        ASSERT_TRUE(sameBits(a.scaledByPowerOfTwo(scale), x.scaledByPowerOfTwo(scale))) << bitsText(a) << " " << scale;
    }
}

namespace {

double unitsInLastPlace(X87Extended result, __float128 reference)
{
    int exponent;
    frexpq(reference, &exponent);
    return static_cast<double>(fabsq(static_cast<__float128>(result.value()) - reference) / ldexpq(1, exponent - 64));
}

}  // namespace

TEST(ExtendedMath, LogarithmIsTheSameOnBothTypesAndWithinHalfAUnit)
{
    std::mt19937_64 random(18);
    double worst = 0;
    for (long i = 0; i < operandCount() / 4; ++i) {
        // Mostly near 1 and the model's magnitudes, with the whole range and denormals.
        int e = 16383 + static_cast<int>(random() % 64) - 32;
        if (i % 4 == 0)
            e = static_cast<int>(random() % 0x7FFF);
        if (i % 16 == 1)
            e = 16382 + static_cast<int>(random() % 2);
        std::uint64_t sig = e != 0 ? random() | SoftExtended::IntegerBit : random() & ~SoftExtended::IntegerBit;
        if (i % 32 == 5 && e != 0)
            sig = SoftExtended::IntegerBit | (random() >> (random() % 64));
        const X87Extended x = X87Extended::fromBits(static_cast<std::uint16_t>(e), sig);
        if (x.isZero())
            continue;
        const X87Extended y = extendedLn(x);
        ASSERT_TRUE(sameBits(extendedLn(softFromX87(x)), y)) << bitsText(softFromX87(x));
        worst = std::max(worst, unitsInLastPlace(y, logq(x.value())));
    }
    EXPECT_LE(worst, 0.51);
}

TEST(ExtendedMath, ExponentialIsTheSameOnBothTypesAndWithinOneUnit)
{
    std::mt19937_64 random(19);
    std::uniform_real_distribution<double> uniform(-1, 1);
    double worst = 0;
    // From arguments near zero, where the table is not used, to the ends of the range.
    const long double ranges[] = {1e-3L, 0.1L, 1.0L, 20.0L, 700.0L, 11350.0L, 11400.0L, 12100.0L};
    for (long i = 0; i < operandCount() / 4; ++i) {
        const long double range = ranges[i % 8];
        const X87Extended x(range * uniform(random) * (1 + 1e-12L * uniform(random)));  // all 64 bits in use
        const X87Extended y = extendedExp(x);
        ASSERT_TRUE(sameBits(extendedExp(softFromX87(x)), y)) << bitsText(softFromX87(x));
        if (range <= 11350)
            worst = std::max(worst, unitsInLastPlace(y, expq(x.value())));
    }
    EXPECT_LE(worst, 0.51);
}

TEST(ExtendedMath, EdgesOfTheLogarithmAndExponential)
{
    const X87Extended one(1), zero;
    EXPECT_TRUE(extendedLn(one).isZero());
    EXPECT_TRUE(extendedLn(zero).isInfinite());
    EXPECT_TRUE(extendedLn(-one).isNaN());
    EXPECT_TRUE(extendedLn(X87Extended::infinity()).isInfinite());
    EXPECT_TRUE(extendedExp(X87Extended(1e30)).isInfinite());
    EXPECT_TRUE(extendedExp(X87Extended(-1e30)).isZero());
    EXPECT_EQ(extendedExp(zero), one);
    EXPECT_EQ(extendedExp(one).value(), 2.718281828459045235360287L);  // e rounded to the extended format
    for (const SoftExtended x : {SoftExtended(), SoftExtended(-1), SoftExtended::infinity(), SoftExtended::indefinite(),
                                 SoftExtended::fromBits(0, 1)}) {
        EXPECT_TRUE(sameBits(extendedLn(x), extendedLn(x87FromSoft(x)))) << bitsText(x);
        EXPECT_TRUE(sameBits(extendedExp(x), extendedExp(x87FromSoft(x)))) << bitsText(x);
    }
}

#endif

#ifdef TROPHEX_X87_REFERENCE

TEST(ExtendedDecimal, DecimalsReadAsTheCLibraryReadsThem)
{
    std::mt19937_64 random(20);
    for (long i = 0; i < operandCount() / 200; ++i) {
        std::string whole, fraction;
        const std::size_t wholeDigits = random() % 25, fractionDigits = random() % (i % 100 == 0 ? 3000 : 25);
        for (std::size_t k = 0; k < wholeDigits; ++k)
            whole += static_cast<char>('0' + random() % 10);
        for (std::size_t k = 0; k < fractionDigits; ++k)
            fraction += static_cast<char>('0' + random() % 10);
        if (i % 7 == 0 && !fraction.empty())
            fraction.back() = '5';
        long exponent = static_cast<long>(random() % 10000) - 5000;
        if (i % 3 == 0)
            exponent = static_cast<long>(random() % 100) - 50;
        if (i % 50 == 0)
            exponent = -4950 - static_cast<long>(random() % 60);  // denormals
        const std::string exponentText = std::to_string(std::labs(exponent));
        const std::string text = (whole.empty() ? "0" : whole) + "." + fraction + "e" + (exponent < 0 ? "-" : "+") + exponentText;
        const X87Extended expected(std::strtold(text.c_str(), nullptr));
        ASSERT_TRUE(sameBits(decimalToExtended(whole, fraction, exponent < 0, exponentText), expected)) << text.substr(0, 80);

        const X87Extended large = X87Extended::fromBits(static_cast<std::uint16_t>(16383 + 63 + random() % 2000),
                                                        random() | SoftExtended::IntegerBit);
        char printed[1000];
        std::snprintf(printed, sizeof printed, "%.0Lf", large.value());
        ASSERT_EQ(wholeNumberDigits(softFromX87(large)), printed);
    }
}

TEST(ExtendedConstants, LiteralsAreTheCompilersLongDoubleLiterals)
{
    EXPECT_TRUE(sameBits(softOf(0.162_x), X87Extended(0.162L)));
    EXPECT_TRUE(sameBits(softOf(Log10Factor), X87Extended(0.43421623968736430742L)));
    EXPECT_TRUE(sameBits(softOf(0.398883127243717606_x), X87Extended(0.398883127243717606L)));
    EXPECT_TRUE(sameBits(softOf(2.589988_x), X87Extended(2.589988L)));
}

#endif
