#include "print/reporttexts.h"

namespace trophex {

CompGridCells emptyCompGrid()
{
    CompGridCells cells;
    for (int column = 0; column < CompGridColumns; ++column)
        cells[0][column] = CompGridColumnTitles[column];
    for (int row = 1; row < CompGridRows; ++row)
        cells[row][0] = CompGridRowTitles[row - 1];
    return cells;
}

ChlrGridCells emptyChlrGrid()
{
    ChlrGridCells cells;
    for (int column = 0; column < ChlrGridColumns; ++column)
        cells[0][column] = ChlrGridColumnTitles[column];
    for (int row = 1; row < ChlrGridRows; ++row)
        cells[row][0] = ChlrGridRowTitles[row - 1];
    return cells;
}

ReportTexts reportTextsAfterCalculation(const InputTexts& inputs, const ResultTexts& results)
{
    ReportTexts report;
    report.NameEditBox = inputs[Input::NameEditBox];
    report.EcoRegComboBox = inputs[Input::EcoRegComboBox];
    report.WareaEditBox = inputs[Input::WareaEditBox];
    report.WareaComboBox = inputs[Input::WareaComboBox];
    report.LareaEditBox = inputs[Input::LareaEditBox];
    report.LareaComboBox = inputs[Input::LareaComboBox];
    report.DepthEditBox = inputs[Input::DepthEditBox];
    report.DepthComboBox = inputs[Input::DepthComboBox];

    report.resultBoxes = results.outputs;
    for (OutputResult r : AllOutputResults)
        report.resultUnits[static_cast<int>(r)] = modelUnit(r);
    report.PhosRetEditBox = results.predictions.PhosRet;

    report.CompStringGrid = emptyCompGrid();
    for (int row = 1; row < CompGridRows; ++row)
        for (int column = 1; column < CompGridColumns; ++column)
            report.CompStringGrid[row][column] = results.predictions.cells[row - 1][column - 1];

    report.ChlrStringGrid = emptyChlrGrid();
    for (int row = 1; row < ChlrGridRows; ++row)
        for (int column = 1; column < ChlrGridColumns; ++column)
            report.ChlrStringGrid[row][column] = results.frequencies[row - 1][column - 1];

    report.indexBoxes = results.tsi;
    return report;
}

}  // namespace trophex
