#include "print/reporttexts.h"

namespace trophex {

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
    report.results = results;
    for (OutputResult r : AllOutputResults)
        report.resultUnits[static_cast<int>(r)] = modelUnit(r);
    return report;
}

ReportTexts reportTextsOfRun(const CompletedRun& run, const std::array<std::string, 6>& unitTexts,
                             const NumberFormat& format)
{
    ReportTexts report = reportTextsAfterCalculation(run.inputs, run.results);
    for (OutputResult r : AllOutputResults) {
        const std::string& unit = unitTexts[static_cast<int>(r)];
        report.results[resultOf(r)] = convertedResultText(r, unit, run.state, format);
        report.resultUnits[static_cast<int>(r)] = shownUnit(r, unit);
    }
    return report;
}

}  // namespace trophex
