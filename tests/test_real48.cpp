#include "model/fpu.h"
#include "model/real48.h"

#include <gtest/gtest.h>
#include <quadmath.h>

#include <cmath>
#include <random>

using namespace trophex;

TEST(Real48, LayoutOfOne)
{
    const Real48 one = Real48::store(1.0L);
    const Real48::Bytes expected = {129, 0, 0, 0, 0, 0};
    EXPECT_EQ(one.bytes(), expected);
    const Real48 minusHalf = Real48::store(-0.5L);
    const Real48::Bytes expectedHalf = {128, 0, 0, 0, 0, 0x80};
    EXPECT_EQ(minusHalf.bytes(), expectedHalf);
    EXPECT_EQ(Real48::store(1.5L).bytes()[5], 0x40);
}

TEST(Real48, RoundsToFortySignificantBitsHalfAwayFromZero)
{
    const long double ulp = std::ldexp(1.0L, -39);  // spacing of values in [1, 2)
    EXPECT_EQ(Real48::store(1 + ulp / 2).value(), 1 + ulp);
    EXPECT_EQ(Real48::store(-(1 + ulp / 2)).value(), -(1 + ulp));
    EXPECT_EQ(Real48::store(1 + ulp / 2 - ulp / 1024).value(), 1.0L);
    // Just below the half-way point by less than a double can tell: still rounded down.
    EXPECT_EQ(Real48::store(1 + ulp / 2 - std::ldexp(1.0L, -60)).value(), 1.0L);
    EXPECT_EQ(Real48::store(-(1 + ulp / 2 - std::ldexp(1.0L, -60))).value(), -1.0L);
    EXPECT_EQ(Real48::store(1 + 1.5L * ulp).value(), 1 + 2 * ulp);
    // Rounding up across a power of two carries into the exponent.
    EXPECT_EQ(Real48::store(2 - ulp / 4).value(), 2.0L);
    // 0.1 keeps 11 to 12 significant digits.
    EXPECT_NEAR(static_cast<double>(Real48::store(0.1L).value()), 0.1, 1e-12);
}

TEST(Real48, RangeLimits)
{
    EXPECT_EQ(Real48::store(std::ldexp(1.0L, -128)).value(), std::ldexp(1.0L, -128));
    EXPECT_TRUE(Real48::store(std::ldexp(1.0L, -129)).isZero());
    EXPECT_TRUE(Real48::store(1e-40L).isZero());
    EXPECT_TRUE(Real48::store(-0.0L).isZero());
    EXPECT_NO_THROW(Real48::store(1.7e38L));
    try {
        Real48::store(1.8e38L);
        FAIL() << "no overflow";
    } catch (const FloatFault& f) {
        EXPECT_STREQ(f.what(), "Floating point overflow");
    }
    // The largest Real48 is (2 - 2^-39) * 2^126: a value that rounds up past it overflows.
    const long double largest = (2 - std::ldexp(1.0L, -39)) * std::ldexp(1.0L, 126);
    EXPECT_EQ(Real48::store(largest).value(), largest);
    EXPECT_THROW(Real48::store(std::ldexp(1.0L, 127)), FloatFault);
}

TEST(Real48, BytesRoundTrip)
{
    for (long double v : {1.0L, -2.5L, 3.14159L, 1e30L, -1e-30L, 0.0L}) {
        const Real48 r = Real48::store(v);
        EXPECT_EQ(Real48::fromBytes(r.bytes()), r);
        EXPECT_EQ(Real48::store(r.value()), r);
    }
}

TEST(FloatFaults, ClassifiedAsTheX87Does)
{
    const auto messageOf = [](auto&& f) {
        try {
            f();
        } catch (const FloatFault& e) {
            return std::string(e.what());
        }
        return std::string("no fault");
    };
    EXPECT_EQ(messageOf([] { checkedDiv(1, 0); }), "Floating point division by zero");
    EXPECT_EQ(messageOf([] { checkedDiv(0, 0); }), "Invalid floating point operation");
    EXPECT_EQ(messageOf([] { checkedLn(0); }), "Floating point division by zero");
    EXPECT_EQ(messageOf([] { checkedLn(-1); }), "Invalid floating point operation");
    EXPECT_EQ(messageOf([] { checkedSqrt(-1e-30L); }), "Invalid floating point operation");
    EXPECT_EQ(messageOf([] { toDouble(1e309L); }), "Floating point overflow");
    EXPECT_EQ(messageOf([] { power(0, 2); }), "Floating point division by zero");
    EXPECT_EQ(messageOf([] { power(-2, 2); }), "Invalid floating point operation");
    EXPECT_EQ(messageOf([] { power(1e300, 2); }), "Floating point overflow");
    EXPECT_EQ(checkedSqrt(0), 0);
    EXPECT_DOUBLE_EQ(power(2, 10), 1024);
}

// The error of an extended result in units of its last place, against a 113-bit reference.
double unitsInLastPlace(long double result, __float128 reference)
{
    int exponent;
    frexpq(reference, &exponent);
    return static_cast<double>(fabsq(static_cast<__float128>(result) - reference) / ldexpq(1, exponent - 64));
}

TEST(FloatFaults, ExponentialIsWithinOneUnitInTheLastPlace)
{
    std::mt19937_64 random(7);
    double worst = 0;
    // From arguments near zero, where the table is not used, to the ends of the range,
    // where the result is near the largest and smallest normal extended values.
    for (long double range : {1e-3L, 0.1L, 1.0L, 20.0L, 700.0L, 11350.0L}) {
        std::uniform_real_distribution<double> uniform(-1, 1);
        for (int i = 0; i < 20000; ++i) {
            const long double x = range * uniform(random) * (1 + 1e-12L * uniform(random));  // all 64 bits in use
            worst = std::max(worst, unitsInLastPlace(x87Exp(x), expq(x)));
        }
    }
    EXPECT_LE(worst, 1.0);
}

TEST(FloatFaults, X87TranscendentalsAreAccurateAndRangeChecked)
{
    for (long double x : {1e-4000L, 2.9e-39L, 0.1L, 0.5L, 1.0L, 2.0L, 10.0L, 55.391L, 1.7e38L, 1e4000L})
        EXPECT_EQ(x87Ln(x), std::log(x)) << static_cast<double>(x);
    for (long double x : {-11000.0L, -700.0L, -12.5L, -1.0L, -1e-10L, 0.0L, 1e-10L, 0.5L, 1.0L, 3.7L, 700.0L, 11000.0L})
        EXPECT_LT(std::fabs(x87Exp(x) / std::exp(x) - 1), 1e-18L) << static_cast<double>(x);
    EXPECT_EQ(x87Exp(1), 2.718281828459045235360287L);  // e rounded to the extended format
    EXPECT_EQ(x87Exp(0), 1.0L);
    EXPECT_EQ(x87Exp(-1e30L), 0.0L);  // below the extended range: 0, no fault
    EXPECT_TRUE(std::isinf(x87Exp(1e30L)));
    EXPECT_THROW(checkedExp(1e30L), FloatFault);
    EXPECT_EQ(power(2, 0.5), std::sqrt(2.0));
}
