#include "model/calculation.h"

#include "model/balance.h"
#include "model/chlorophyll.h"
#include "model/faultcause.h"
#include "arithmetic/fpu.h"
#include "model/predictions.h"
#include "model/tsi.h"

namespace trophex {

namespace {

Extended predictionValue(const Predictions& p, int column, int row)
{
    const PredictionRow& r = p.rows[row - 1];
    const Extended values[] = {r.observed, r.predicted, r.stdError, r.residual10, r.ttest};
    return values[column - 1];
}

// The balance results come from the state, the rest from where the table shows them: a
// grid cell's value from the same cell of the model's grid of numbers.
ResultValues collectValues(const ModelState& s, const Predictions& p, const ChlrFrequencies& f, const TsiValues& t)
{
    ResultValues v;
    for (OutputResult selector : AllOutputResults)
        v[resultOf(selector)] = outputResultValue(selector, s);
    v[Result::PhosRet] = p.PhosRet;
    for (const ResultSpec& desc : resultTable()) {
        if (desc.page == ResultPage::Predictions)
            v[desc.result] = predictionValue(p, desc.gridColumn, desc.gridRow);
        else if (desc.page == ResultPage::ChlrA)
            v[desc.result] = f[desc.gridRow - 1][desc.gridColumn - 1];
    }
    v[Result::AvgTSI] = t.AvgTSI;
    v[Result::PhosTSI] = t.PhosTSI;
    v[Result::ChlrATSI] = t.ChlrATSI;
    v[Result::SecchiTSI] = t.SecchiTSI;
    return v;
}

}  // namespace

ResultValues CalculateResults(ModelState& state, CalculationStep& step)
{
    step = CalculationStep::Balance;
    CalculateBalance(state);
    step = CalculationStep::ChiaudaniVighi;
    CalcCVconc(state);
    step = CalculationStep::Predictions;
    const Predictions predictions = CalcVarConc(state);
    step = CalculationStep::Frequencies;
    const ChlrFrequencies frequencies = CalcChlrAMain(state);
    step = CalculationStep::Indices;
    const TsiValues indices = CalcTSIs(state);
    return collectValues(state, predictions, frequencies, indices);
}

CalculationOutcome evaluateInputs(const InputTexts& texts)
{
    CalculationOutcome outcome;
    outcome.error = convertInputs(outcome.state, texts);
    if (outcome.error.failed())
        return outcome;
    CalculationStep step = CalculationStep::Balance;
    try {
        outcome.values = CalculateResults(outcome.state, step);
    } catch (const FloatFault& fault) {
        outcome.error = faultError(errorCodeOf(fault.kind()), step, outcome.state);
    }
    return outcome;
}

CalculationOutcome runCalculation(const InputTexts& texts, const NumberFormat& format)
{
    CalculationOutcome evaluated = evaluateInputs(texts);
    if (!evaluated.ok())
        return evaluated;
    // The texts are built in place in the outcome rather than moved into it.
    return {std::move(evaluated.error), evaluated.state, evaluated.values, formatResults(evaluated.values, format)};
}

}  // namespace trophex
