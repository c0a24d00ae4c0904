#include "arithmetic/numberformat.h"
#include "arithmetic/numberreader.h"

#include "tests/disk_helpers.h"
#include "tests/extended_values.h"
#include "tests/test_locales.h"

#include <gtest/gtest.h>

#include <clocale>
#include <cmath>
#include <cstdlib>
#include <string>

using namespace trophex;
using trophex::testing::decimal;
using trophex::testing::powerOfTwo;
using trophex::testing::testLocalesAvailable;

TEST(NumberReader, ReadsWhatTheSyntaxAllows)
{
    struct Case {
        const char* text;
        Extended value;
    };
    for (const Case& c : {Case{"12.5", 12.5_x}, Case{"   12.5", 12.5_x}, Case{"1e3", 1000}, Case{"1E+3", 1000},
                          Case{".5", 0.5_x}, Case{"5.e3", 5000}, Case{"e3", 0}, Case{".e2", 0}, Case{"-7", -7},
                          Case{"+0.25", 0.25_x}, Case{"0.1", 0.1_x}, Case{"1e-2", 0.01_x}, Case{"007", 7}}) {
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
        Extended value;  // what the reader delivers on failure
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
    EXPECT_EQ(readNumber("123456789012345678901234567890").value, decimal("123456789012345678901234567890.0"));
    EXPECT_EQ(readNumber("1e38").value, decimal("1e38"));
    EXPECT_EQ(readNumber("2.9e-39").value, decimal("2.9e-39"));
    EXPECT_TRUE(readNumber("1e99999").value.isInfinite());
    EXPECT_EQ(readNumber("1e-99999").value, 0);
    EXPECT_EQ(readNumber("0.0000000000000000000000000000001").value, decimal("1e-31"));
    EXPECT_EQ(readNumber(std::string(10000, '9')).errorPos, 0);
}

namespace {

std::string fmt(Extended v, NumberPattern p)
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
    EXPECT_EQ(fmt(-0.0_x, P::Whole), "0");
    EXPECT_EQ(fmt(-0.4, P::Whole), "0");
    EXPECT_EQ(fmt(decimal("1e-30"), P::GroupedTwoDecimals), "0.00");
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
    EXPECT_EQ(fmt(decimal("1e20"), P::GroupedOneDecimal), "100,000,000,000,000,000,000.0");
    EXPECT_EQ(fmt(decimal("9223372036854775808.0"), P::Whole), "9223372036854775808");
    EXPECT_EQ(fmt(123456789012345678.0, P::GroupedTwoDecimals), "123,456,789,012,345,680.00");
}

TEST(NumberFormat, SeparatorsComeFromTheFormat)
{
    const NumberFormat german{",", "."};
    EXPECT_EQ(formatNumber(1234.5, NumberPattern::GroupedOneDecimal, german), "1.234,5");
    const NumberFormat french{",", "\u202f"};
    EXPECT_EQ(formatNumber(4109616, NumberPattern::GroupedTwoDecimals, french), "4\u202f109\u202f616,00");
}


TEST(NumberFormat, SeparatorsOfNamedLocales)
{
    const NumberFormat c = NumberFormat::fromLocale("C");
    EXPECT_EQ(c.decimalSeparator, ".");
    EXPECT_EQ(c.thousandsSeparator, ",");
    const NumberFormat unknown = NumberFormat::fromLocale("xx_NOWHERE.UTF-8");
    EXPECT_EQ(unknown.decimalSeparator, ".");
    EXPECT_EQ(unknown.thousandsSeparator, ",");

#if defined(__EMSCRIPTEN__)
    EXPECT_EQ(NumberFormat::fromLocale("de_DE.UTF-8").decimalSeparator, ".");
    return;
#endif
    ASSERT_TRUE(testLocalesAvailable()) << "needs the system's locale sources (package locales)";
    const NumberFormat english = NumberFormat::fromLocale("en_US.UTF-8");
    EXPECT_EQ(english.decimalSeparator, ".");
    EXPECT_EQ(english.thousandsSeparator, ",");
    const NumberFormat german = NumberFormat::fromLocale("de_DE.UTF-8");
    EXPECT_EQ(german.decimalSeparator, ",");
    EXPECT_EQ(german.thousandsSeparator, ".");
    EXPECT_EQ(formatNumber(1234567.891_x, NumberPattern::GroupedTwoDecimals, german), "1.234.567,89");
}

#if !defined(_WIN32) && !defined(__EMSCRIPTEN__)  // the locale of the environment is a POSIX notion
TEST(NumberFormat, ReadingTheSystemLocaleLeavesTheProcessLocaleAlone)
{
    ASSERT_TRUE(testLocalesAvailable());
    const std::string before = std::setlocale(LC_ALL, nullptr);
    setenv("LC_ALL", "de_DE.UTF-8", 1);
    const NumberFormat format = NumberFormat::fromSystemLocale();
    unsetenv("LC_ALL");
    EXPECT_EQ(format.decimalSeparator, ",");
    EXPECT_EQ(std::setlocale(LC_ALL, nullptr), before);
    EXPECT_STREQ(std::localeconv()->decimal_point, ".");
}
#endif
