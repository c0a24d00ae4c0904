#pragma once
// The 31 input texts of one lake (main-window inputs, unit selections and calibration
// set) and the input stage that converts them into model units.

#include "model/ecoregion.h"
#include "model/errors.h"
#include "model/inputcontrols.h"
#include "model/modelstate.h"

#include <array>
#include <optional>
#include <string>
#include <string_view>

namespace trophex {

struct InputTexts {
    std::array<std::string, InputCount> texts;

    std::string& operator[](Input input) { return texts[static_cast<int>(input)]; }
    const std::string& operator[](Input input) const { return texts[static_cast<int>(input)]; }

    // The texts the program starts with: empty inputs, the initial unit selections and
    // the "NLF" calibration defaults.
    static InputTexts startup();
};

// Overwrites the fifteen calibration texts with the defaults of the ecoregion text.
void applyEcoregionDefaults(InputTexts& texts);

// The unit names a unit selector offers, in list order.
const std::array<const char*, 4>& areaUnits();
const std::array<const char*, 2>& lengthUnits();
const std::array<const char*, 2>& concentrationUnits();
const std::array<const char*, 2>& alkalinityUnits();

// The factor from the unit a unit selector's text names, in any letter case, into the model
// unit, rounded to a double; nullopt for a text that names none of its units or an input
// that is no unit selector.
std::optional<double> unitFactorOf(Input unitSelector, std::string_view unit);

// The input stage, each operation on the model state. Each required conversion reads its
// box's number, stores it and then checks its unit: a number that cannot be read, or a unit
// text that names none of its selector's units, sets InputError and is returned as
// ErrorCode::InvalidInput naming the box or selector; the caller skips the rest once it
// failed. A number beyond the Real48 range is returned as ErrorCode::Overflow.
Error ConvertWatArea(ModelState& state, const InputTexts& texts);
Error ConvertSurfArea(ModelState& state, const InputTexts& texts);
Error ConvertMeanDepth(ModelState& state, const InputTexts& texts);
Error ConvertTP(ModelState& state, const InputTexts& texts);
Error ConvertChlrA(ModelState& state, const InputTexts& texts);
Error ConvertSechi(ModelState& state, const InputTexts& texts);
// An alkalinity that cannot be read is 0, without an error; its unit is checked only when
// its number was read.
Error ConvertAlkalinity(ModelState& state, const InputTexts& texts);
Error ConvertCalibratable(ModelState& state, const InputTexts& texts);
Error ConvertError(ModelState& state, const InputTexts& texts);

// All nine conversions in their fixed order: the first error, or none.
Error convertInputs(ModelState& state, const InputTexts& texts);

}  // namespace trophex
