#include "model/faultcause.h"

#include <initializer_list>
#include <utility>

namespace trophex {

namespace {

// A cause, or nothing known when cause is None.
struct Cause {
    ErrorCause cause = ErrorCause::None;  // why
    std::optional<Input> input;           // which input, where one input is to blame
};

Cause notPositive(Input input)
{
    return {ErrorCause::NotPositive, input};
}

Cause negative(Input input)
{
    return {ErrorCause::Negative, input};
}

// The first of the inputs whose value is below zero.
std::optional<Input> firstNegative(std::initializer_list<std::pair<Input, Real48>> inputs)
{
    for (const auto& [input, value] : inputs)
        if (value.value() < 0)
            return input;
    return std::nullopt;
}

// The outflow is watershed area x runoff + surface area x (precipitation - evaporation): zero
// or negative only because of a negative input, or because evaporation exceeds the rest.
Cause outflowCause(const ModelState& s)
{
    if (s.SurfArea.value() < 0)
        return notPositive(Input::LareaEditBox);
    if (const auto input = firstNegative({{Input::WareaEditBox, s.WatArea},
                                          {Input::RunoffEditBox, s.Runoff},
                                          {Input::PrecipEditBox, s.Precip}}))
        return negative(*input);
    return {ErrorCause::NoOutflow, {}};
}

// The phosphorus load is surface area x atmospheric load + watershed area x runoff x stream P.
Cause phosphorusLoadCause(const ModelState& s)
{
    if (const auto input = firstNegative({{Input::WareaEditBox, s.WatArea},
                                          {Input::StreamEditBox, s.StreamP},
                                          {Input::RunoffEditBox, s.Runoff},
                                          {Input::AtmosEditBox, s.AtmosLoad}}))
        return negative(*input);
    return {ErrorCause::NoPhosphorusLoad, {}};
}

// The error variances add error terms to variances built from error terms: a negative term
// can make one negative, terms of zero can make one zero.
Cause errorTermCause(const ModelState& s)
{
    const std::pair<Input, Real48> terms[] = {
        {Input::V1EditBox, s.V1}, {Input::V2Editbox, s.V2}, {Input::V3EditBox, s.V3}, {Input::V4EditBox, s.V4},
        {Input::V5EditBox, s.V5}, {Input::V6EditBox, s.V6}, {Input::V7EditBox, s.V7}, {Input::V8EditBox, s.V8}};
    bool anyZero = false;
    for (const auto& [input, value] : terms) {
        if (value.value() < 0)
            return negative(input);
        anyZero = anyZero || value.isZero();
    }
    return anyZero ? Cause{ErrorCause::ZeroVariance, {}} : Cause{};
}

// Division by the surface area, then by the outflow.
Cause balanceCause(const ModelState& s)
{
    if (s.SurfArea.isZero())
        return notPositive(Input::LareaEditBox);
    if (s.OutVol == 0)
        return outflowCause(s);
    return {};
}

// The logarithm of alkalinity / mean depth.
Cause chiaudaniVighiCause(const ModelState& s)
{
    if (s.MeanDepth.value() <= 0)
        return notPositive(Input::DepthEditBox);
    if (s.Alkalinity.value() < 0)
        return notPositive(Input::AlkalinityEditBox);
    return {};
}

// Powers of the inflow phosphorus and of the residence time, then the error variances.
Cause predictionsCause(const ModelState& s)
{
    if (s.AvgInTP <= 0)
        return s.OutVol < 0 ? outflowCause(s) : phosphorusLoadCause(s);
    if (s.ResTime <= 0) {
        if (s.OutVol < 0)
            return outflowCause(s);
        return s.SurfArea.value() < 0 ? notPositive(Input::LareaEditBox) : notPositive(Input::DepthEditBox);
    }
    return errorTermCause(s);
}

// Squares (powers) of S1 and S2, the logarithms of the bounds over the observed
// chlorophyll a, then the spread of case C.
Cause frequenciesCause(const ModelState& s)
{
    if (s.S1.value() <= 0)
        return notPositive(Input::S1EditBox);
    if (s.S2.value() <= 0)
        return notPositive(Input::S2EditBox);
    if (s.ObsChlrA.value() <= 0)
        return notPositive(Input::ChlrAeditBox);
    return errorTermCause(s);
}

// Logarithms of the observed values.
Cause indicesCause(const ModelState& s)
{
    if (s.ObsTP.value() <= 0)
        return notPositive(Input::TPeditBox);
    if (s.ObsChlrA.value() <= 0)
        return notPositive(Input::ChlrAeditBox);
    if (s.ObsSechi.value() <= 0)
        return notPositive(Input::SechiEditBox);
    return {};
}

Cause causeOf(CalculationStep step, const ModelState& s)
{
    switch (step) {
    case CalculationStep::Balance:
        return balanceCause(s);
    case CalculationStep::ChiaudaniVighi:
        return chiaudaniVighiCause(s);
    case CalculationStep::Predictions:
        return predictionsCause(s);
    case CalculationStep::Frequencies:
        return frequenciesCause(s);
    case CalculationStep::Indices:
        return indicesCause(s);
    }
    return {};
}

}  // namespace

Error faultError(ErrorCode fault, CalculationStep step, const ModelState& state)
{
    const Cause cause = causeOf(step, state);
    return {fault, {}, cause.cause, cause.input};
}

}  // namespace trophex
