#include "model/balance.h"

#include "model/fpu.h"

namespace trophex {

void CalculateBalance(ModelState& s)
{
    const long double watArea = s.WatArea;
    const long double surfArea = s.SurfArea;
    const long double runoff = s.Runoff;
    s.OutVol = toDouble(watArea * runoff + surfArea * (s.Precip.value() - s.Evap.value()));
    s.LakeVol = toDouble(surfArea * s.MeanDepth.value());
    s.WatLoad = toDouble(checkedDiv(s.OutVol, surfArea));
    s.ResTime = toDouble(checkedDiv(s.LakeVol, s.OutVol));
    s.PhosLoad = toDouble(surfArea * s.AtmosLoad.value() + watArea * runoff * s.StreamP.value());
    s.AvgInTP = toDouble(checkedDiv(s.PhosLoad, s.OutVol));
}

void CalcCVconc(ModelState& s)
{
    if (s.Alkalinity.isZero()) {
        s.CVtp = Real48();
        return;
    }
    const long double log10Ratio = checkedLn(checkedDiv(s.Alkalinity, s.MeanDepth)) * Log10Factor;
    const long double exponent = log10Ratio * 0.33L + 1.44L;
    s.CVtp = Real48::store(power(10.0, static_cast<double>(exponent)));
}

}  // namespace trophex
