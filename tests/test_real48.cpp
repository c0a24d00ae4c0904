#include "arithmetic/fpu.h"
#include "arithmetic/real48.h"

#include "tests/extended_values.h"

#include <gtest/gtest.h>

using namespace trophex;
using trophex::testing::decimal;
using trophex::testing::powerOfTwo;

TEST(Real48, LayoutOfOne)
{
    const Real48 one = Real48::store(1.0_x);
    const Real48::Bytes expected = {129, 0, 0, 0, 0, 0};
    EXPECT_EQ(one.bytes(), expected);
    const Real48 minusHalf = Real48::store(-0.5_x);
    const Real48::Bytes expectedHalf = {128, 0, 0, 0, 0, 0x80};
    EXPECT_EQ(minusHalf.bytes(), expectedHalf);
    EXPECT_EQ(Real48::store(1.5_x).bytes()[5], 0x40);
}

TEST(Real48, RoundsToFortySignificantBitsHalfAwayFromZero)
{
    const Extended ulp = powerOfTwo(-39);  // spacing of values in [1, 2)
    EXPECT_EQ(Real48::store(1 + ulp / 2).value(), 1 + ulp);
    EXPECT_EQ(Real48::store(-(1 + ulp / 2)).value(), -(1 + ulp));
    EXPECT_EQ(Real48::store(1 + ulp / 2 - ulp / 1024).value(), 1.0_x);
    // Just below the half-way point by less than a double can tell: still rounded down.
    EXPECT_EQ(Real48::store(1 + ulp / 2 - powerOfTwo(-60)).value(), 1.0_x);
    EXPECT_EQ(Real48::store(-(1 + ulp / 2 - powerOfTwo(-60))).value(), -1.0_x);
    EXPECT_EQ(Real48::store(1 + 1.5_x * ulp).value(), 1 + 2 * ulp);
    // Rounding up across a power of two carries into the exponent.
    EXPECT_EQ(Real48::store(2 - ulp / 4).value(), 2.0_x);
    // 0.1 keeps 11 to 12 significant digits.
    EXPECT_NEAR(Real48::store(0.1_x).doubleValue(), 0.1, 1e-12);
}

TEST(Real48, RangeLimits)
{
    EXPECT_EQ(Real48::store(powerOfTwo(-128)).value(), powerOfTwo(-128));
    EXPECT_TRUE(Real48::store(powerOfTwo(-129)).isZero());
    EXPECT_TRUE(Real48::store(decimal("1e-40")).isZero());
    EXPECT_TRUE(Real48::store(-0.0_x).isZero());
    EXPECT_NO_THROW(Real48::store(decimal("1.7e38")));
    try {
        Real48::store(decimal("1.8e38"));
        FAIL() << "no overflow";
    } catch (const FloatFault& f) {
        EXPECT_STREQ(f.what(), "Floating point overflow");
    }
    // The largest Real48 is (2 - 2^-39) * 2^126: a value that rounds up past it overflows.
    const Extended largest = (2 - powerOfTwo(-39)) * powerOfTwo(126);
    EXPECT_EQ(Real48::store(largest).value(), largest);
    EXPECT_THROW(Real48::store(powerOfTwo(127)), FloatFault);
}

TEST(Real48, BytesRoundTrip)
{
    for (Extended v : {1.0_x, -2.5_x, 3.14159_x, decimal("1e30"), -decimal("1e-30"), 0.0_x}) {
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
    EXPECT_EQ(messageOf([] { checkedSqrt(-decimal("1e-30")); }), "Invalid floating point operation");
    EXPECT_EQ(messageOf([] { toDouble(decimal("1e309")); }), "Floating point overflow");
    EXPECT_EQ(messageOf([] { power(0, 2); }), "Floating point division by zero");
    EXPECT_EQ(messageOf([] { power(-2, 2); }), "Invalid floating point operation");
    EXPECT_EQ(messageOf([] { power(1e300, 2); }), "Floating point overflow");
    EXPECT_EQ(checkedSqrt(0), 0);
    EXPECT_DOUBLE_EQ(power(2, 10), 1024);
}

TEST(FloatFaults, TranscendentalsAreRangeChecked)
{
    EXPECT_EQ(checkedExp(0), 1);
    EXPECT_EQ(checkedLn(1), 0);
    EXPECT_THROW(checkedExp(decimal("1e30")), FloatFault);
    EXPECT_EQ(checkedExp(decimal("-1e30")), 0);  // below the extended range: 0, no fault
    EXPECT_EQ(power(2, 0.5), std::sqrt(2.0));
}
