// Extreme numbers in every number box of the example lake. Each gives results or one of
// the known messages, never NaN, infinity or a crash; and numbers that read as the same
// stored value give the same outcome as that value typed plainly.

#include "model/calculation.h"
#include "arithmetic/fpu.h"
#include "examples/examplelake.h"
#include "tests/result_texts.h"

#include <gtest/gtest.h>

#include <cctype>

using namespace trophex;

namespace {

constexpr std::size_t TenThousand = 10000;

// Every edit box but the lake's name, whatever the letter case of "EditBox" in its name.
std::vector<Input> numberBoxes()
{
    std::vector<Input> boxes;
    for (int i = 0; i < InputCount; ++i) {
        const auto input = static_cast<Input>(i);
        std::string name = inputControlName(input);
        for (char& c : name)
            c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        if (name.find("editbox") != std::string::npos && input != Input::NameEditBox)
            boxes.push_back(input);
    }
    return boxes;
}

CalculationOutcome calculateWith(Input box, const std::string& text)
{
    InputTexts texts = exampleLake();
    texts[box] = text;
    return runCalculation(texts, NumberFormat{});
}

void expectSoundOutcome(const CalculationOutcome& outcome)
{
    EXPECT_TRUE(isCalculationError(outcome.error.code)) << outcome.error;
    if (!outcome.ok())
        return;
    for (const std::string& text : allResultTexts(outcome.texts))
        EXPECT_FALSE(showsNanOrInfinity(text)) << text;
}

void expectSameOutcome(const CalculationOutcome& actual, const CalculationOutcome& expected)
{
    EXPECT_EQ(actual.error, expected.error);
    if (actual.ok() && expected.ok()) {
        EXPECT_EQ(allResultTexts(actual.texts), allResultTexts(expected.texts));
    }
}

}  // namespace

TEST(ExtremeNumbers, EveryBoxGivesResultsOrTheRightMessage)
{
    ASSERT_EQ(numberBoxes().size(), 22u);
    for (Input box : numberBoxes()) {
        SCOPED_TRACE(inputControlName(box));
        const Error overflow{ErrorCode::Overflow, {}, ErrorCause::TooLarge, box};
        const auto with = [box](const std::string& text) { return calculateWith(box, text); };
        const CalculationOutcome zero = with("0");

        for (const char* text : {"1e38", "-1e38", "1.7e38", "2.9e-39", "0", "-0", "1e-40"})
            expectSoundOutcome(with(text));

        EXPECT_EQ(with("1e39").error, overflow);
        EXPECT_EQ(with("-1e39").error, overflow);
        EXPECT_EQ(with("1" + std::string(400, '0')).error, overflow);
        EXPECT_EQ(with(std::string(TenThousand, '9')).error, overflow);

        // Below the range a number is stored as 0.
        expectSameOutcome(with("1e-40"), zero);
        expectSameOutcome(with("-0"), zero);
        expectSameOutcome(with("0." + std::string(400, '0') + "1"), zero);

        expectSameOutcome(with("1." + std::string(TenThousand - 2, '0')), with("1"));
        expectSameOutcome(with(std::string(TenThousand - 1, ' ') + "5"), with("5"));
    }
}

TEST(ExtremeNumbers, LongUnreadableTextsAreRefusedOrTakenAsNoAlkalinity)
{
    const std::string unreadable = "5" + std::string(TenThousand - 1, 'x');
    for (Input box : numberBoxes()) {
        SCOPED_TRACE(inputControlName(box));
        if (box == Input::AlkalinityEditBox)
            expectSameOutcome(calculateWith(box, unreadable), calculateWith(box, ""));
        else
            EXPECT_EQ(calculateWith(box, unreadable).error.code, ErrorCode::InvalidInput);
    }
}
