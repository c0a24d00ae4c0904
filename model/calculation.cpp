#include "model/calculation.h"

#include "model/balance.h"
#include "model/fpu.h"

namespace trophex {

std::array<std::string, 6> OutputResults(const ModelState& state, const NumberFormat& format)
{
    std::array<std::string, 6> texts;
    for (OutputResult r : AllOutputResults)
        texts[static_cast<int>(r)] = outputResultText(r, state, format);
    return texts;
}

CalculationResults CalculateResults(ModelState& state)
{
    CalculateBalance(state);
    CalcCVconc(state);
    CalculationResults results;
    results.predictions = CalcVarConc(state);
    results.frequencies = CalcChlrAMain(state);
    results.tsi = CalcTSIs(state);
    return results;
}

ResultTexts formatResults(const ModelState& state, const CalculationResults& results, const NumberFormat& format)
{
    return {OutputResults(state, format), formatPredictions(results.predictions, format),
            formatFrequencies(results.frequencies, format), formatTSIs(results.tsi, format)};
}

ResultTexts Calculate(ModelState& state, const NumberFormat& format)
{
    return formatResults(state, CalculateResults(state), format);
}

CalculationOutcome evaluateInputs(const InputTexts& texts)
{
    CalculationOutcome outcome;
    try {
        if (convertInputs(outcome.state, texts) != 0) {
            outcome.error = InvalidInputMessage;
            return outcome;
        }
        outcome.results = CalculateResults(outcome.state);
    } catch (const FloatFault& fault) {
        outcome.error = fault.what();
    }
    return outcome;
}

CalculationOutcome runCalculation(const InputTexts& texts, const NumberFormat& format)
{
    CalculationOutcome outcome = evaluateInputs(texts);
    if (outcome.ok())
        outcome.texts = formatResults(outcome.state, outcome.results, format);
    return outcome;
}

}  // namespace trophex
