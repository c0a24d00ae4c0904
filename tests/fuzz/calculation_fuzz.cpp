// Fuzzes the whole calculation with 31 arbitrary input texts, one per line of the input.
// It ends with results or one of the known messages; it refuses an input exactly when a
// required number cannot be read or a unit names none of its selector's units (unless an
// earlier number already overflowed), and the refusal names an input that is unusable at
// the position it gives; the display format changes no outcome; and no text it shows, in
// any output unit, is NaN or infinity. The load response of a completed calculation never
// faults: its goal meets the target where it says so, anchored values start at the
// observations, and its sentences hold no NaN or infinity.

#include "model/calculation.h"
#include "model/names.h"
#include "arithmetic/numberreader.h"
#include "response/responseresults.h"
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

// The units of a main-window unit selector, or none for the other inputs.
std::vector<const char*> unitsOf(Input input)
{
    const auto list = [](const auto& units) { return std::vector<const char*>(units.begin(), units.end()); };
    switch (input) {
    case Input::WareaComboBox:
    case Input::LareaComboBox:
        return list(areaUnits());
    case Input::DepthComboBox:
    case Input::SechiUnitComboBox:
        return list(lengthUnits());
    case Input::TPunitComboBox:
    case Input::ChlrAunitComboBox:
        return list(concentrationUnits());
    case Input::AlkalinityUnitComboBox:
        return list(alkalinityUnits());
    default:
        return {};
    }
}

bool unknownUnit(const InputTexts& texts, Input selector)
{
    return !findName(unitsOf(selector), texts[selector]);
}

// An unreadable required number, or a readable number whose unit names no unit of its
// selector (alkalinity's included).
bool someRequiredInputUnusable(const InputTexts& texts)
{
    for (int i = 0; i < InputCount; ++i) {
        const auto input = static_cast<Input>(i);
        const bool readable = readNumber(texts.texts[i]).ok();
        if (isRequiredNumber(input) && !readable)
            return true;
        const auto next = static_cast<Input>(i + 1);
        if (readable && !unitsOf(next).empty() && (isRequiredNumber(input) || input == Input::AlkalinityEditBox) &&
            unknownUnit(texts, next))
            return true;
    }
    return false;
}

// The refused input fails where the error says: its number at the position, or its unit.
bool unusableWhereTheErrorSays(const InputTexts& texts, const Error& error)
{
    if (!error.input)
        return false;
    if (!unitsOf(*error.input).empty())
        return error.position == 1 && unknownUnit(texts, *error.input);
    return readNumber(texts[*error.input]).errorPos == error.position;
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

void checkGoal(const LoadResponseModel& model, const Target& target, const GoalResult& goal)
{
    switch (goal.status) {
    case GoalStatus::Met:
        require(model.meets(0, target), "a target met is met at no cut");
        break;
    case GoalStatus::Needed:
        require(goal.reduction > 0 && goal.reduction <= 1 && model.meets(goal.reduction, target),
                "the cut found meets the target");
        break;
    case GoalStatus::Unreachable:
        require(goal.obstacle == GoalObstacle::LakeDepth || !model.meets(1, target),
                "an unreachable target is not met by the whole cut");
        break;
    }
}

void checkLoadResponse(const ModelState& state, const NumberFormat& format)
{
    for (const char* desc : {"ecoregion", "secchi=2"}) {
        const Target target = resolveTarget(*readTargetSpec(desc).target, "NLF");
        for (ResponseMode mode : {ResponseMode::Anchored, ResponseMode::Model}) {
            const LoadResponseModel model(state, mode);
            const LoadResponse response = evaluateGoal(state, target, mode);
            checkGoal(model, target, response.goal);
            checkShownTexts(responseAnswer(response, format));
            const ResponsePoint now = model.pointAt(0);
            if (mode == ResponseMode::Anchored && now.values && state.ObsTP.value() > 0)
                require(now.values->tp.value == state.ObsTP.doubleValue(),
                        "anchored values start at the observations");
        }
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

    const bool unusable = someRequiredInputUnusable(texts);
    if (outcome.error.code == ErrorCode::InvalidInput) {
        require(unusable, "only an unreadable required number or an unknown unit is refused");
        require(unusableWhereTheErrorSays(texts, outcome.error), "the refusal names where the input fails");
    }
    if (unusable)
        require(outcome.error.code == ErrorCode::InvalidInput || outcome.error.code == ErrorCode::Overflow,
                "an unreadable required number or an unknown unit is refused");
    if (!outcome.ok())
        return 0;
    checkShownTexts(allResultTexts(outcome.texts));
    checkEveryOutputUnit(outcome.state, plain);
    checkLoadResponse(outcome.state, plain);
    return 0;
}
