#pragma once
// The six balance results that can be shown in other units, and their conversion for
// display. Conversions never change the model state.

#include "model/modelstate.h"
#include "arithmetic/numberformat.h"

#include <array>
#include <string>
#include <string_view>
#include <vector>

namespace trophex {

enum class OutputResult { AvgInTP, PhosLoad, CVtp, OutVol, ResTime, WatLoad };

inline constexpr std::array<OutputResult, 6> AllOutputResults = {
    OutputResult::AvgInTP, OutputResult::PhosLoad, OutputResult::CVtp,
    OutputResult::OutVol,  OutputResult::ResTime,  OutputResult::WatLoad};

const char* outputSelectorName(OutputResult result);  // e.g. "OutVolUnits"

// The result in its model unit.
Extended outputResultValue(OutputResult result, const ModelState& state);

// The units a selector offers, in list order; the first is the model's unit.
const std::vector<const char*>& outputUnits(OutputResult result);
inline const char* modelUnit(OutputResult result) { return outputUnits(result).front(); }

// The result expressed in the unit that the text names in any letter case, formatted as the
// result box shows it. A text that names no unit of the selector shows the result in the
// model's unit; a result that is shown as "NA" when it is zero stays "NA" in every unit.
std::string convertedResultText(OutputResult result, std::string_view unitText, const ModelState& state,
                                const NumberFormat& format);

// The unit that convertedResultText expresses the result in for this text: the unit it
// names, as the selector lists it, or the model's unit.
const char* shownUnit(OutputResult result, std::string_view unitText);

}  // namespace trophex
