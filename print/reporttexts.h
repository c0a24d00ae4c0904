#pragma once
// The control texts that the printed report shows: inputs, results with their unit
// selections, both result grids and the four index boxes, each exactly as its control
// holds it at the moment of printing.

#include "model/calculation.h"
#include "model/inputs.h"
#include "model/results.h"

#include <array>
#include <string>

namespace trophex {

// UTF-8 texts, named after the controls that hold them.
struct ReportTexts {
    std::string NameEditBox;     // lake name
    std::string EcoRegComboBox;  // ecoregion code as the selector shows it
    std::string WareaEditBox;    // watershed area as typed
    std::string WareaComboBox;   // its unit
    std::string LareaEditBox;    // lake surface area as typed
    std::string LareaComboBox;   // its unit
    std::string DepthEditBox;    // mean depth as typed
    std::string DepthComboBox;   // its unit

    ResultTexts results;                     // every result box and grid cell
    std::array<std::string, 6> resultUnits;  // the output unit selectors' texts, by OutputResult

    const std::string& resultBox(OutputResult r) const { return results[resultOf(r)]; }
    const std::string& resultUnit(OutputResult r) const { return resultUnits[static_cast<int>(r)]; }
};

// What the window shows right after a completed calculation of these inputs: the inputs
// as typed and the results in their model units.
ReportTexts reportTextsAfterCalculation(const InputTexts& inputs, const ResultTexts& results);

// The report of a completed run: the texts the run read and its results, whatever was
// typed since, with the six balance results in the units that their selectors' texts
// (by OutputResult) name now; each printed with the unit it is expressed in.
ReportTexts reportTextsOfRun(const CompletedRun& run, const std::array<std::string, 6>& unitTexts,
                             const NumberFormat& format);

}  // namespace trophex
