#pragma once
// The 31 input texts of one lake (main-window inputs, unit selections and calibration
// set) and the input stage that converts them into model units.

#include "model/ecoregion.h"
#include "model/modelstate.h"

#include <array>
#include <string>

namespace trophex {

// In data-file order (file lines 2 to 32), named after the controls that hold them.
enum class Input {
    NameEditBox,
    EcoRegComboBox,
    WareaEditBox,
    WareaComboBox,
    LareaEditBox,
    LareaComboBox,
    DepthEditBox,
    DepthComboBox,
    TPeditBox,
    TPunitComboBox,
    ChlrAeditBox,
    ChlrAunitComboBox,
    SechiEditBox,
    SechiUnitComboBox,
    AlkalinityEditBox,
    AlkalinityUnitComboBox,
    StreamEditBox,
    PrecipEditBox,
    EvapEditBox,
    RunoffEditBox,
    AtmosEditBox,
    V1EditBox,
    V2Editbox,
    V3EditBox,
    V4EditBox,
    V5EditBox,
    V6EditBox,
    V7EditBox,
    V8EditBox,
    S1EditBox,
    S2EditBox,
};

inline constexpr int InputCount = 31;
inline constexpr int FirstCalibrationInput = static_cast<int>(Input::StreamEditBox);

const char* inputControlName(Input input);

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

// The input stage, each operation on the model state. Each required conversion writes
// InputError; the caller skips the rest once it is non-zero. FloatFault on overflow.
void ConvertWatArea(ModelState& state, const InputTexts& texts);
void ConvertSurfArea(ModelState& state, const InputTexts& texts);
void ConvertMeanDepth(ModelState& state, const InputTexts& texts);
void ConvertTP(ModelState& state, const InputTexts& texts);
void ConvertChlrA(ModelState& state, const InputTexts& texts);
void ConvertSechi(ModelState& state, const InputTexts& texts);
void ConvertAlkalinity(ModelState& state, const InputTexts& texts);
void ConvertCalibratable(ModelState& state, const InputTexts& texts);
void ConvertError(ModelState& state, const InputTexts& texts);

// All nine conversions in their fixed order; returns InputError.
std::int32_t convertInputs(ModelState& state, const InputTexts& texts);

}  // namespace trophex
