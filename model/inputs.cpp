#include "model/inputs.h"

#include "model/numberreader.h"

#include <optional>
#include <string_view>

namespace trophex {

const char* inputControlName(Input input)
{
    static const std::array<const char*, InputCount> Names = {
        "NameEditBox",   "EcoRegComboBox",    "WareaEditBox",      "WareaComboBox", "LareaEditBox",
        "LareaComboBox", "DepthEditBox",      "DepthComboBox",     "TPeditBox",     "TPunitComboBox",
        "ChlrAeditBox",  "ChlrAunitComboBox", "SechiEditBox",      "SechiUnitComboBox",
        "AlkalinityEditBox", "AlkalinityUnitComboBox", "StreamEditBox", "PrecipEditBox", "EvapEditBox",
        "RunoffEditBox", "AtmosEditBox",      "V1EditBox",         "V2Editbox",     "V3EditBox",
        "V4EditBox",     "V5EditBox",         "V6EditBox",         "V7EditBox",     "V8EditBox",
        "S1EditBox",     "S2EditBox"};
    return Names[static_cast<int>(input)];
}

InputTexts InputTexts::startup()
{
    InputTexts t;
    t[Input::EcoRegComboBox] = "NLF";
    t[Input::WareaComboBox] = "HA";
    t[Input::LareaComboBox] = "HA";
    t[Input::DepthComboBox] = "m";
    t[Input::TPunitComboBox] = "ug/L";
    t[Input::ChlrAunitComboBox] = "ug/L";
    t[Input::SechiUnitComboBox] = "m";
    t[Input::AlkalinityUnitComboBox] = "mg/L";
    applyEcoregionDefaults(t);
    return t;
}

void applyEcoregionDefaults(InputTexts& texts)
{
    const CalibrationTexts defaults = calibrationDefaults(texts[Input::EcoRegComboBox]);
    for (int i = 0; i < CalibrationCount; ++i)
        texts.texts[FirstCalibrationInput + i] = defaults[i];
}

const std::array<const char*, 4>& areaUnits()
{
    static const std::array<const char*, 4> Units = {"HA", "Acres", "km2", "mi2"};
    return Units;
}

const std::array<const char*, 2>& lengthUnits()
{
    static const std::array<const char*, 2> Units = {"m", "ft"};
    return Units;
}

const std::array<const char*, 2>& concentrationUnits()
{
    static const std::array<const char*, 2> Units = {"mg/L", "ug/L"};
    return Units;
}

const std::array<const char*, 2>& alkalinityUnits()
{
    static const std::array<const char*, 2> Units = {"mg/L", "meq/L"};
    return Units;
}

namespace {

enum class Quantity { Area, Length, Concentration, Alkalinity };

// The factor into the model unit; none for a unit text that names no other unit.
std::optional<Extended> unitFactor(Quantity quantity, std::string_view unit)
{
    switch (quantity) {
    case Quantity::Area:
        if (unit == "HA")
            return 0.01_x;
        if (unit == "Acres")
            return 0.004046856_x;
        if (unit == "mi2")
            return 2.589988_x;
        break;
    case Quantity::Length:
        if (unit == "ft")
            return 0.3048_x;
        break;
    case Quantity::Concentration:
        if (unit == "mg/L")
            return 1000.0_x;
        break;
    case Quantity::Alkalinity:
        if (unit == "mg/L")
            return 0.02_x;
        break;
    }
    return std::nullopt;
}

// Stores a read value and, when its unit has a factor, the value times the factor
// (the value is rounded to a Real48 twice, once before and once after the factor).
Real48 storeInModelUnit(Extended value, Quantity quantity, std::string_view unit)
{
    Real48 stored = Real48::store(value);
    if (const auto factor = unitFactor(quantity, unit))
        stored = Real48::store(stored.value() * *factor);
    return stored;
}

void convertRequired(ModelState& state, Real48& target, const InputTexts& texts, Input box, Input unitBox,
                     Quantity quantity)
{
    const NumberReading reading = readNumber(texts[box]);
    state.InputError = reading.errorPos;
    if (reading.ok())
        target = storeInModelUnit(reading.value, quantity, texts[unitBox]);
}

void convertPlain(ModelState& state, Real48& target, const InputTexts& texts, Input box)
{
    const NumberReading reading = readNumber(texts[box]);
    state.InputError = reading.errorPos;
    if (reading.ok())
        target = Real48::store(reading.value);
}

void convertSequence(ModelState& state, const InputTexts& texts, Input first, std::initializer_list<Real48*> targets)
{
    int box = static_cast<int>(first);
    for (Real48* target : targets) {
        convertPlain(state, *target, texts, static_cast<Input>(box++));
        if (state.InputError != 0)
            return;
    }
}

}  // namespace

void ConvertWatArea(ModelState& s, const InputTexts& t)
{
    convertRequired(s, s.WatArea, t, Input::WareaEditBox, Input::WareaComboBox, Quantity::Area);
}

void ConvertSurfArea(ModelState& s, const InputTexts& t)
{
    convertRequired(s, s.SurfArea, t, Input::LareaEditBox, Input::LareaComboBox, Quantity::Area);
}

void ConvertMeanDepth(ModelState& s, const InputTexts& t)
{
    convertRequired(s, s.MeanDepth, t, Input::DepthEditBox, Input::DepthComboBox, Quantity::Length);
}

void ConvertTP(ModelState& s, const InputTexts& t)
{
    convertRequired(s, s.ObsTP, t, Input::TPeditBox, Input::TPunitComboBox, Quantity::Concentration);
}

void ConvertChlrA(ModelState& s, const InputTexts& t)
{
    convertRequired(s, s.ObsChlrA, t, Input::ChlrAeditBox, Input::ChlrAunitComboBox, Quantity::Concentration);
}

void ConvertSechi(ModelState& s, const InputTexts& t)
{
    convertRequired(s, s.ObsSechi, t, Input::SechiEditBox, Input::SechiUnitComboBox, Quantity::Length);
}

void ConvertAlkalinity(ModelState& s, const InputTexts& t)
{
    const NumberReading reading = readNumber(t[Input::AlkalinityEditBox]);
    s.Alkalinity = reading.ok()
        ? storeInModelUnit(reading.value, Quantity::Alkalinity, t[Input::AlkalinityUnitComboBox])
        : Real48();
}

void ConvertCalibratable(ModelState& s, const InputTexts& t)
{
    convertSequence(s, t, Input::StreamEditBox, {&s.StreamP, &s.Precip, &s.Evap, &s.Runoff, &s.AtmosLoad});
}

void ConvertError(ModelState& s, const InputTexts& t)
{
    convertSequence(s, t, Input::V1EditBox, {&s.V1, &s.V2, &s.V3, &s.V4, &s.V5, &s.V6, &s.V7, &s.V8, &s.S1, &s.S2});
}

std::int32_t convertInputs(ModelState& state, const InputTexts& texts)
{
    using Conversion = void (*)(ModelState&, const InputTexts&);
    static const Conversion Required[] = {ConvertWatArea, ConvertSurfArea, ConvertMeanDepth, ConvertTP,
                                          ConvertChlrA,   ConvertSechi,    ConvertCalibratable, ConvertError};
    for (Conversion convert : Required) {
        convert(state, texts);
        if (state.InputError != 0)
            break;
    }
    ConvertAlkalinity(state, texts);
    return state.InputError;
}

}  // namespace trophex
