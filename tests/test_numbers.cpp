#include "model/numberformat.h"
#include "model/numberreader.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>

using namespace trophex;

TEST(NumberReader, ReadsWhatTheSyntaxAllows)
{
    struct Case {
        const char* text;
        long double value;
    };
    for (const Case& c : {Case{"12.5", 12.5L}, Case{"   12.5", 12.5L}, Case{"1e3", 1000}, Case{"1E+3", 1000},
                          Case{".5", 0.5L}, Case{"5.e3", 5000}, Case{"e3", 0}, Case{".e2", 0}, Case{"-7", -7},
                          Case{"+0.25", 0.25L}, Case{"0.1", 0.1L}, Case{"1e-2", 0.01L}, Case{"007", 7}}) {
        const NumberReading r = readNumber(c.text);
        EXPECT_EQ(r.errorPos, 0) << c.text;
        EXPECT_EQ(r.value, c.value) << c.text;
    }
}

TEST(NumberReader, FailsAtTheOffendingPosition)
{
    struct Case {
        const char* text;
        int pos;
        long double value;  // what the reader delivers on failure
    };
    for (const Case& c : {Case{"", 1, 0}, Case{"   ", 4, 0}, Case{"-", 2, 0}, Case{"12.5 ", 5, 125},
                          Case{"1,000", 2, 1}, Case{"12,5", 3, 12}, Case{"12.5mg", 5, 125}, Case{"5.", 3, 5},
                          Case{"1e", 3, 1}, Case{"1e+", 4, 1}, Case{"12x", 3, 12}, Case{"1.5x", 4, 15},
                          Case{"-12x", 4, 12}, Case{"1e5x", 4, 1}, Case{"\t1", 1, 0}, Case{"1 ", 2, 1},
                          Case{"ha", 1, 0}, Case{"1.x", 3, 1}}) {
        const NumberReading r = readNumber(c.text);
        EXPECT_EQ(r.errorPos, c.pos) << '"' << c.text << '"';
        EXPECT_EQ(r.value, c.value) << '"' << c.text << '"';
    }
}

TEST(NumberReader, CorrectlyRoundsLongAndExtremeNumbers)
{
    EXPECT_EQ(readNumber("123456789012345678901234567890").value, 123456789012345678901234567890.0L);
    EXPECT_EQ(readNumber("1e38").value, 1e38L);
    EXPECT_EQ(readNumber("2.9e-39").value, 2.9e-39L);
    EXPECT_TRUE(std::isinf(readNumber("1e99999").value));
    EXPECT_EQ(readNumber("1e-99999").value, 0);
    EXPECT_EQ(readNumber("0.0000000000000000000000000000001").value, 1e-31L);
    EXPECT_EQ(readNumber(std::string(10000, '9')).errorPos, 0);
}

namespace {

std::string fmt(long double v, NumberPattern p)
{
    return formatNumber(v, p, NumberFormat{});
}

}  // namespace

TEST(NumberFormat, PatternsRoundHalfAwayFromZeroOnTheExactValue)
{
    using P = NumberPattern;
    EXPECT_EQ(fmt(2.25, P::OneDecimal), "2.3");
    EXPECT_EQ(fmt(-2.25, P::OneDecimal), "-2.3");
    EXPECT_EQ(fmt(0.125, P::TwoDecimals), "0.13");
    EXPECT_EQ(fmt(2.675, P::TwoDecimals), "2.67");  // the double lies just below 2.675
    EXPECT_EQ(fmt(0.5, P::Whole), "1");
    EXPECT_EQ(fmt(1.5, P::Whole), "2");
    EXPECT_EQ(fmt(2.5, P::Whole), "3");
    EXPECT_EQ(fmt(0.0374, P::ThreeDecimals), "0.037");
    EXPECT_EQ(fmt(-0.004, P::TwoDecimals), "0.00");
    EXPECT_EQ(fmt(-0.0L, P::Whole), "0");
    EXPECT_EQ(fmt(-0.4, P::Whole), "0");
    EXPECT_EQ(fmt(1e-30L, P::GroupedTwoDecimals), "0.00");
    EXPECT_EQ(fmt(87.4, P::Percent), "87%");
    EXPECT_EQ(fmt(100, P::Percent), "100%");
}

TEST(NumberFormat, GroupsThousandsOnlyWhereThePatternSaysSo)
{
    using P = NumberPattern;
    EXPECT_EQ(fmt(4109616, P::GroupedTwoDecimals), "4,109,616.00");
    EXPECT_EQ(fmt(1234.5, P::GroupedOneDecimal), "1,234.5");
    EXPECT_EQ(fmt(1234.4, P::Whole), "1234");
    EXPECT_EQ(fmt(999.995, P::GroupedTwoDecimals), "1,000.00");  // binary value above the half
    EXPECT_EQ(fmt(1.005, P::GroupedTwoDecimals), "1.00");        // binary value below the half
    EXPECT_EQ(fmt(999999.999, P::GroupedTwoDecimals), "1,000,000.00");
    EXPECT_EQ(fmt(-1234567.891, P::GroupedTwoDecimals), "-1,234,567.89");
    EXPECT_EQ(fmt(123, P::GroupedTwoDecimals), "123.00");
    EXPECT_EQ(fmt(1e20L, P::GroupedOneDecimal), "100,000,000,000,000,000,000.0");
    EXPECT_EQ(fmt(9223372036854775808.0L, P::Whole), "9223372036854775808");
    EXPECT_EQ(fmt(123456789012345678.0, P::GroupedTwoDecimals), "123,456,789,012,345,680.00");
}

TEST(NumberFormat, SeparatorsComeFromTheFormat)
{
    const NumberFormat german{",", "."};
    EXPECT_EQ(formatNumber(1234.5, NumberPattern::GroupedOneDecimal, german), "1.234,5");
    const NumberFormat french{",", "\u202f"};
    EXPECT_EQ(formatNumber(4109616, NumberPattern::GroupedTwoDecimals, french), "4\u202f109\u202f616,00");
}
