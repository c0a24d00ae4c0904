#pragma once
// The worked example lake of the tests.

#include "model/inputs.h"

namespace trophex {

// 10 km2 of watershed, 1 km2 of lake 5 m deep, NLF calibration.
inline InputTexts exampleLake()
{
    InputTexts t = InputTexts::startup();
    t[Input::NameEditBox] = "Example Lake";
    t[Input::WareaEditBox] = "10";
    t[Input::WareaComboBox] = "km2";
    t[Input::LareaEditBox] = "1";
    t[Input::LareaComboBox] = "km2";
    t[Input::DepthEditBox] = "5";
    t[Input::TPeditBox] = "30";
    t[Input::ChlrAeditBox] = "10";
    t[Input::SechiEditBox] = "2";
    t[Input::AlkalinityEditBox] = "1";
    t[Input::AlkalinityUnitComboBox] = "meq/L";
    return t;
}

}  // namespace trophex
