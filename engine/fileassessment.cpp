#include "engine/fileassessment.h"

#include "files/datafile.h"

namespace trophex::batch {

namespace {

// Re-expresses a result as its unit selector does after a calculation.
void applyUnitChoice(FileAssessment& a, const ModelState& state, const UnitChoice& choice, const NumberFormat& format)
{
    a.unitTexts[static_cast<int>(choice.result)] = choice.unit;
    a.results[resultOf(choice.result)] = convertedResultText(choice.result, choice.unit, state, format);
}

}  // namespace

FileAssessment assessFile(const std::string& path, const std::vector<UnitChoice>& units, const NumberFormat& format)
{
    FileAssessment a;
    a.file = path;
    DataFileRead read = readDataFile(path);
    if (!read.ok()) {
        a.error = read.error;
        return a;
    }
    a.inputs = std::move(read.texts);
    const CalculationOutcome outcome = runCalculation(*a.inputs, format);
    if (!outcome.ok()) {
        a.error = outcome.error;
        return a;
    }
    a.results = outcome.texts;
    a.state = outcome.state;
    for (OutputResult r : AllOutputResults)
        a.unitTexts[static_cast<int>(r)] = modelUnit(r);
    for (const UnitChoice& choice : units)
        applyUnitChoice(a, outcome.state, choice, format);
    return a;
}

}  // namespace trophex::batch
