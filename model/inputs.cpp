#include "model/inputs.h"

#include "arithmetic/fpu.h"
#include "model/names.h"
#include "arithmetic/numberreader.h"

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

const char* inputLabel(Input input)
{
    static const std::array<const char*, InputCount> Labels = {
        "Lake name",         "Ecoregion",        "Watershed area",       "Watershed area unit",
        "Surface area",      "Surface area unit", "Mean depth",          "Mean depth unit",
        "Total phosphorus",  "Total phosphorus unit", "Chlorophyll a",   "Chlorophyll a unit",
        "Secchi depth",      "Secchi depth unit", "Alkalinity",          "Alkalinity unit",
        "Stream P",          "Precipitation",    "Evaporation",          "Runoff",
        "Atmospheric load",  "V1",               "V2",                   "V3",
        "V4",                "V5",               "V6",                   "V7",
        "V8",                "S1",               "S2"};
    return Labels[static_cast<int>(input)];
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

// The factor from a unit of the selector into the model unit, in the selector's list order;
// 1 for the model unit itself, where nothing is multiplied.
template <std::size_t N>
std::optional<Extended> factorOf(const std::array<const char*, N>& units,
                                    const std::array<Extended, N>& factors, std::string_view unit)
{
    if (const auto index = findName(units, unit))
        return factors[*index];
    return std::nullopt;
}

// The factor into the model unit of the unit that the text names in any letter case;
// nullopt for a text that names none of the selector's units.
std::optional<Extended> unitFactor(Quantity quantity, std::string_view unit)
{
    switch (quantity) {
    case Quantity::Area:
        return factorOf(areaUnits(), {0.01_x, 0.004046856_x, 1, 2.589988_x}, unit);
    case Quantity::Length:
        return factorOf(lengthUnits(), {1, 0.3048_x}, unit);
    case Quantity::Concentration:
        return factorOf(concentrationUnits(), {1000.0_x, 1}, unit);
    case Quantity::Alkalinity:
        return factorOf(alkalinityUnits(), {0.02_x, 1}, unit);
    }
    return std::nullopt;
}

Error invalidInput(Input input, std::int32_t position)
{
    return {ErrorCode::InvalidInput, {}, ErrorCause::None, input, position};
}

Error tooLarge(const FloatFault& fault, Input input)
{
    return {errorCodeOf(fault.kind()), {}, ErrorCause::TooLarge, input};
}

// One number of the input stage: the box it is read from, the variable it is stored in and,
// for a main-window input, the kind of unit its selector (the next input) offers.
struct Conversion {
    Input box;                         // the edit box
    Real48 ModelState::*variable;      // where the value goes, in model units
    std::optional<Quantity> quantity;  // none for the calibration set, which has no units
};

Input unitSelectorOf(Input box)
{
    return static_cast<Input>(static_cast<int>(box) + 1);
}

// Stores the value and, when its unit has a factor other than 1, the value times the factor
// (so that the value is rounded to a Real48 twice, once before and once after the factor).
Error storeInModelUnit(ModelState& s, const Conversion& c, Extended value, const InputTexts& t)
{
    try {
        s.*c.variable = Real48::store(value);
        if (!c.quantity)
            return {};
        const Input selector = unitSelectorOf(c.box);
        const std::optional<Extended> factor = unitFactor(*c.quantity, t[selector]);
        if (!factor)
            return invalidInput(selector, 1);
        if (*factor != 1)
            s.*c.variable = Real48::store((s.*c.variable).value() * *factor);
        return {};
    } catch (const FloatFault& fault) {
        return tooLarge(fault, c.box);
    }
}

Error convertRequired(ModelState& s, const InputTexts& t, const Conversion& c)
{
    const NumberReading reading = readNumber(t[c.box]);
    s.InputError = reading.errorPos;
    if (!reading.ok())
        return invalidInput(c.box, reading.errorPos);
    Error error = storeInModelUnit(s, c, reading.value, t);
    if (error.code == ErrorCode::InvalidInput)
        s.InputError = error.position;
    return error;
}

template <std::size_t N>
Error convertSequence(ModelState& s, const InputTexts& t, const std::array<Conversion, N>& conversions)
{
    for (const Conversion& c : conversions) {
        Error error = convertRequired(s, t, c);
        if (error.failed())
            return error;
    }
    return {};
}

using M = ModelState;

}  // namespace

std::optional<double> unitFactorOf(Input unitSelector, std::string_view unit)
{
    std::optional<Extended> factor;
    switch (unitSelector) {
    case Input::WareaComboBox:
    case Input::LareaComboBox:
        factor = unitFactor(Quantity::Area, unit);
        break;
    case Input::DepthComboBox:
    case Input::SechiUnitComboBox:
        factor = unitFactor(Quantity::Length, unit);
        break;
    case Input::TPunitComboBox:
    case Input::ChlrAunitComboBox:
        factor = unitFactor(Quantity::Concentration, unit);
        break;
    case Input::AlkalinityUnitComboBox:
        factor = unitFactor(Quantity::Alkalinity, unit);
        break;
    default:
        break;
    }
    if (!factor)
        return std::nullopt;
    return factor->toDouble();
}

Error ConvertWatArea(ModelState& s, const InputTexts& t)
{
    return convertRequired(s, t, {Input::WareaEditBox, &M::WatArea, Quantity::Area});
}

Error ConvertSurfArea(ModelState& s, const InputTexts& t)
{
    return convertRequired(s, t, {Input::LareaEditBox, &M::SurfArea, Quantity::Area});
}

Error ConvertMeanDepth(ModelState& s, const InputTexts& t)
{
    return convertRequired(s, t, {Input::DepthEditBox, &M::MeanDepth, Quantity::Length});
}

Error ConvertTP(ModelState& s, const InputTexts& t)
{
    return convertRequired(s, t, {Input::TPeditBox, &M::ObsTP, Quantity::Concentration});
}

Error ConvertChlrA(ModelState& s, const InputTexts& t)
{
    return convertRequired(s, t, {Input::ChlrAeditBox, &M::ObsChlrA, Quantity::Concentration});
}

Error ConvertSechi(ModelState& s, const InputTexts& t)
{
    return convertRequired(s, t, {Input::SechiEditBox, &M::ObsSechi, Quantity::Length});
}

Error ConvertAlkalinity(ModelState& s, const InputTexts& t)
{
    const Conversion alkalinity{Input::AlkalinityEditBox, &M::Alkalinity, Quantity::Alkalinity};
    const NumberReading reading = readNumber(t[alkalinity.box]);
    if (!reading.ok()) {
        s.Alkalinity = Real48();
        return {};
    }
    return storeInModelUnit(s, alkalinity, reading.value, t);
}

Error ConvertCalibratable(ModelState& s, const InputTexts& t)
{
    static const std::array<Conversion, 5> Calibration = {{{Input::StreamEditBox, &M::StreamP, {}},
                                                           {Input::PrecipEditBox, &M::Precip, {}},
                                                           {Input::EvapEditBox, &M::Evap, {}},
                                                           {Input::RunoffEditBox, &M::Runoff, {}},
                                                           {Input::AtmosEditBox, &M::AtmosLoad, {}}}};
    return convertSequence(s, t, Calibration);
}

Error ConvertError(ModelState& s, const InputTexts& t)
{
    static const std::array<Conversion, 10> ErrorTerms = {{{Input::V1EditBox, &M::V1, {}},
                                                          {Input::V2Editbox, &M::V2, {}},
                                                          {Input::V3EditBox, &M::V3, {}},
                                                          {Input::V4EditBox, &M::V4, {}},
                                                          {Input::V5EditBox, &M::V5, {}},
                                                          {Input::V6EditBox, &M::V6, {}},
                                                          {Input::V7EditBox, &M::V7, {}},
                                                          {Input::V8EditBox, &M::V8, {}},
                                                          {Input::S1EditBox, &M::S1, {}},
                                                          {Input::S2EditBox, &M::S2, {}}}};
    return convertSequence(s, t, ErrorTerms);
}

Error convertInputs(ModelState& state, const InputTexts& texts)
{
    using ConversionStep = Error (*)(ModelState&, const InputTexts&);
    static const ConversionStep Required[] = {ConvertWatArea, ConvertSurfArea, ConvertMeanDepth, ConvertTP,
                                              ConvertChlrA,   ConvertSechi,    ConvertCalibratable, ConvertError};
    Error error;
    for (ConversionStep convert : Required) {
        error = convert(state, texts);
        if (error.failed())
            break;
    }
    // Alkalinity is read whatever failed before it. Its overflow ends the command as any
    // overflow does; an unknown unit of its is reported only when nothing failed before.
    Error alkalinity = ConvertAlkalinity(state, texts);
    if (alkalinity.failed() && (!error.failed() || (alkalinity.code == ErrorCode::Overflow &&
                                                    error.code == ErrorCode::InvalidInput))) {
        if (alkalinity.code == ErrorCode::InvalidInput)
            state.InputError = alkalinity.position;
        error = std::move(alkalinity);
    }
    return error;
}

}  // namespace trophex
