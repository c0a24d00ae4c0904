#include "model/tsi.h"

#include "arithmetic/fpu.h"
#include "model/results.h"

namespace trophex {

Real48 phosphorusTsi(double tp)
{
    return Real48::store(14.42_x * checkedLn(tp) + 4.15_x);
}

Real48 chlorophyllTsi(double chlrA)
{
    return Real48::store(9.81_x * checkedLn(chlrA) + 30.6_x);
}

Real48 secchiTsi(double secchi)
{
    return Real48::store(60.0f - 14.41_x * checkedLn(secchi));
}

Real48 averageTsi(Real48 phos, Real48 chlrA, Real48 secchi)
{
    return Real48::store((phos.value() + chlrA.value() + secchi.value()) * (1.0_x / 3));
}

double phosphorusOfTsi(double tsi)
{
    return toDouble(checkedExp((tsi - 4.15_x) / 14.42_x));
}

Real48 CalcPTSI(const ModelState& s)
{
    return phosphorusTsi(s.ObsTP.doubleValue());
}

Real48 CalcCTSI(const ModelState& s)
{
    return chlorophyllTsi(s.ObsChlrA.doubleValue());
}

Real48 CalcSTSI(const ModelState& s)
{
    return secchiTsi(s.ObsSechi.doubleValue());
}

TsiValues CalcTSIs(const ModelState& s)
{
    const Real48 phos = CalcPTSI(s);
    const Real48 chlrA = CalcCTSI(s);
    const Real48 secchi = CalcSTSI(s);
    return {averageTsi(phos, chlrA, secchi), phos, chlrA, secchi};
}

std::array<std::string, 4> OutputTSI(const ModelState& s, const NumberFormat& format)
{
    const TsiValues v = CalcTSIs(s);
    const auto text = [&](Result r, Real48 value) { return resultText(resultSpec(r), value, format); };
    return {text(Result::AvgTSI, v.AvgTSI), text(Result::PhosTSI, v.PhosTSI), text(Result::ChlrATSI, v.ChlrATSI),
            text(Result::SecchiTSI, v.SecchiTSI)};
}

}  // namespace trophex
