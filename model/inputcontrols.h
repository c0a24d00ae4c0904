#pragma once
// The 31 inputs of one lake (main-window inputs, unit selections and calibration set),
// named after the controls that hold them.

namespace trophex {

// In data-file order (file lines 2 to 32).
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

// The object name of the control, e.g. "WareaEditBox".
const char* inputControlName(Input input);

// What a message calls the input, at the start of a sentence: "Watershed area", "V6".
const char* inputLabel(Input input);

}  // namespace trophex
