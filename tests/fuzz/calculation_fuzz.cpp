// Fuzzes the whole calculation with 31 arbitrary input texts, one per line of the input.
// It ends with results or one of the known messages; it refuses an input exactly when a
// required number cannot be read (unless an earlier one already overflowed); the display
// format changes no outcome; and no text it shows, in any output unit, is NaN or infinity.

#include "model/calculation.h"
#include "model/numberreader.h"
#include "tests/fuzz/fuzz_support.h"
#include "tests/result_texts.h"

#include <algorithm>

using namespace trophex;
using trophex::fuzz::require;

namespace {

bool isRequiredNumber(Input input)
{
    const int i = static_cast<int>(input);
    const bool mainWindowNumber = input == Input::WareaEditBox || input == Input::LareaEditBox ||
                                  input == Input::DepthEditBox || input == Input::TPeditBox ||
                                  input == Input::ChlrAeditBox || input == Input::SechiEditBox;
    return mainWindowNumber || i >= FirstCalibrationInput;
}

bool someRequiredNumberUnreadable(const InputTexts& texts)
{
    for (int i = 0; i < InputCount; ++i)
        if (isRequiredNumber(static_cast<Input>(i)) && !readNumber(texts.texts[i]).ok())
            return true;
    return false;
}

void checkShownTexts(const std::vector<std::string>& texts)
{
    for (const std::string& text : texts)
        require(!text.empty() && !showsNanOrInfinity(text), "every result shows a text without NaN or infinity");
}

void checkEveryOutputUnit(const ModelState& state, const NumberFormat& format)
{
    for (OutputResult result : AllOutputResults) {
        std::vector<std::string> shown;
        for (const char* unit : outputUnits(result))
            shown.push_back(convertedResultText(result, unit, state, format));
        shown.push_back(convertedResultText(result, "no such unit", state, format));
        checkShownTexts(shown);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    std::string_view input = trophex::fuzz::bytesOf(data, size);
    const InputTexts texts = trophex::fuzz::takeInputTexts(input);

    const NumberFormat plain;
    const NumberFormat european{",", "."};
    const CalculationOutcome outcome = runCalculation(texts, plain);
    require(isCalculationError(outcome.error.code), "a calculation ends with results or a calculation error");
    require(runCalculation(texts, european).error == outcome.error, "the display format changes no outcome");

    const bool unreadable = someRequiredNumberUnreadable(texts);
    if (outcome.error.code == ErrorCode::InvalidInput)
        require(unreadable, "only an unreadable required number is refused");
    if (unreadable)
        require(outcome.error.code == ErrorCode::InvalidInput || outcome.error.code == ErrorCode::Overflow,
                "an unreadable required number is refused");
    if (!outcome.ok())
        return 0;
    checkShownTexts(allResultTexts(outcome.texts));
    checkEveryOutputUnit(outcome.state, plain);
    return 0;
}
