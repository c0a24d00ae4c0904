#include "model/tsi.h"

#include "model/fpu.h"
#include "model/results.h"

namespace trophex {

Real48 CalcPTSI(const ModelState& s)
{
    return Real48::store(14.42L * checkedLn(s.ObsTP) + 4.15L);
}

Real48 CalcCTSI(const ModelState& s)
{
    return Real48::store(9.81L * checkedLn(s.ObsChlrA) + 30.6L);
}

Real48 CalcSTSI(const ModelState& s)
{
    return Real48::store(60.0f - 14.41L * checkedLn(s.ObsSechi));
}

TsiValues CalcTSIs(const ModelState& s)
{
    const Real48 phos = CalcPTSI(s);
    const Real48 chlrA = CalcCTSI(s);
    const Real48 secchi = CalcSTSI(s);
    const Real48 average = Real48::store((phos.value() + chlrA.value() + secchi.value()) * (1.0L / 3));
    return {average, phos, chlrA, secchi};
}

std::array<std::string, 4> OutputTSI(const ModelState& s, const NumberFormat& format)
{
    const TsiValues v = CalcTSIs(s);
    const auto text = [&](Result r, Real48 value) { return resultText(resultSpec(r), value, format); };
    return {text(Result::AvgTSI, v.AvgTSI), text(Result::PhosTSI, v.PhosTSI), text(Result::ChlrATSI, v.ChlrATSI),
            text(Result::SecchiTSI, v.SecchiTSI)};
}

}  // namespace trophex
