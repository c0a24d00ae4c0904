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

ResultTexts Calculate(ModelState& state, const NumberFormat& format)
{
    CalculateBalance(state);
    CalcCVconc(state);
    const Predictions predictions = CalcVarConc(state);
    const ChlrFrequencies frequencies = CalcChlrAMain(state);

    ResultTexts texts;
    texts.predictions = formatPredictions(predictions, format);
    texts.frequencies = formatFrequencies(frequencies, format);
    texts.outputs = OutputResults(state, format);
    texts.tsi = OutputTSI(state, format);
    return texts;
}

CalculationOutcome runCalculation(const InputTexts& texts, const NumberFormat& format)
{
    CalculationOutcome outcome;
    try {
        if (convertInputs(outcome.state, texts) != 0) {
            outcome.error = InvalidInputMessage;
            return outcome;
        }
        outcome.texts = Calculate(outcome.state, format);
    } catch (const FloatFault& fault) {
        outcome.error = fault.what();
    }
    return outcome;
}

}  // namespace trophex
