#pragma once
// The control texts that the printed report shows: inputs, results with their unit
// selections, both result grids and the four index boxes, each exactly as its control
// holds it at the moment of printing.

#include "model/calculation.h"
#include "model/inputs.h"

#include <array>
#include <string>

namespace trophex {

inline constexpr int CompGridRows = 4;     // header row and three variables
inline constexpr int CompGridColumns = 6;  // header column and five values
inline constexpr int ChlrGridRows = 5;     // header row and four bounds
inline constexpr int ChlrGridColumns = 5;  // header column and four frequencies

using CompGridCells = std::array<std::array<std::string, CompGridColumns>, CompGridRows>;
using ChlrGridCells = std::array<std::array<std::string, ChlrGridColumns>, ChlrGridRows>;

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

    std::array<std::string, 6> resultBoxes;    // result boxes of the "Output" page, by OutputResult
    std::array<std::string, 6> resultUnits;    // their unit selectors' texts, by OutputResult
    std::string PhosRetEditBox;                // phosphorus retention coefficient

    CompGridCells CompStringGrid;  // predictions grid, [row][column], headers included
    ChlrGridCells ChlrStringGrid;  // chlorophyll-a frequency grid, [row][column], headers included

    TsiTexts indexBoxes;  // the four trophic state index boxes

    const std::string& resultBox(OutputResult r) const { return resultBoxes[static_cast<int>(r)]; }
    const std::string& resultUnit(OutputResult r) const { return resultUnits[static_cast<int>(r)]; }
};

// The grids as the window shows them before any calculation: headers, empty cells.
CompGridCells emptyCompGrid();
ChlrGridCells emptyChlrGrid();

// What the window shows right after a completed calculation of these inputs: the inputs
// as typed and the results in their model units.
ReportTexts reportTextsAfterCalculation(const InputTexts& inputs, const ResultTexts& results);

}  // namespace trophex
