#include "model/calculation.h"

#include "model/balance.h"
#include "model/fpu.h"

namespace trophex {

std::array<std::string, 6> OutputResults(const ModelState& state, const NumberFormat& format)
{
    const auto text = [&](OutputResult r) { return outputResultText(r, state, format); };
    using R = OutputResult;
    return {text(R::AvgInTP), text(R::PhosLoad), text(R::CVtp), text(R::OutVol), text(R::ResTime), text(R::WatLoad)};
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
    CalculationOutcome evaluated = evaluateInputs(texts);
    if (!evaluated.ok())
        return evaluated;
    // The texts are built in place in the outcome rather than moved into it.
    return {std::move(evaluated.error), evaluated.state, evaluated.results,
            formatResults(evaluated.state, evaluated.results, format)};
}

}  // namespace trophex
