#include "model/balance.h"

#include "arithmetic/fpu.h"

namespace trophex {

Extended watershedLoad(const ModelState& s)
{
    return s.WatArea.value() * s.Runoff.value() * s.StreamP.value();
}

Extended atmosphericLoad(const ModelState& s)
{
    return s.SurfArea.value() * s.AtmosLoad.value();
}

double totalLoad(Extended atmospheric, Extended watershed)
{
    return toDouble(atmospheric + watershed);
}

double inflowTP(double load, double outVol)
{
    return toDouble(checkedDiv(load, outVol));
}

void CalculateBalance(ModelState& s)
{
    const Extended watArea = s.WatArea;
    const Extended surfArea = s.SurfArea;
    const Extended runoff = s.Runoff;
    s.OutVol = toDouble(watArea * runoff + surfArea * (s.Precip.value() - s.Evap.value()));
    s.LakeVol = toDouble(surfArea * s.MeanDepth.value());
    s.WatLoad = toDouble(checkedDiv(s.OutVol, surfArea));
    s.ResTime = toDouble(checkedDiv(s.LakeVol, s.OutVol));
    s.PhosLoad = totalLoad(atmosphericLoad(s), watershedLoad(s));
    s.AvgInTP = inflowTP(s.PhosLoad, s.OutVol);
}

void CalcCVconc(ModelState& s)
{
    if (s.Alkalinity.isZero()) {
        s.CVtp = Real48();
        return;
    }
    const Extended log10Ratio = checkedLn(checkedDiv(s.Alkalinity, s.MeanDepth)) * Log10Factor;
    const Extended exponent = log10Ratio * 0.33_x + 1.44_x;
    s.CVtp = Real48::store(power(10.0, static_cast<double>(exponent)));
}

}  // namespace trophex
