#include "response/loadresponse.h"

#include "model/balance.h"
#include "model/chlorophyll.h"
#include "arithmetic/fpu.h"
#include "model/tsi.h"

#include <cmath>

namespace trophex {

namespace {

// z of the two-sided 90 % band of a normal variable.
constexpr Extended BandDeviate = 1.645_x;
// Width below which the halving of the goal seek stops.
constexpr double GoalWidth = 1e-12;

double curveStep(int k)
{
    return static_cast<double>(k) / CurveSteps;
}

// The value as stored, and its band. Doubles in, so that they travel in registers.
inline Band bandOf(double value, double variance)
{
    const Extended factor = checkedExp(BandDeviate * checkedSqrt(variance));
    return {value, toDouble(value / factor), toDouble(value * factor)};
}

double toPercent(Real48 frequency)
{
    return frequency.doubleValue();
}

}  // namespace

const char* responseModeName(ResponseMode mode)
{
    return mode == ResponseMode::Anchored ? "anchored" : "model";
}

ResponseMode defaultResponseMode(const ModelState& s)
{
    const bool observed = s.ObsTP.value() > 0 || s.ObsChlrA.value() > 0 || s.ObsSechi.value() > 0;
    return observed ? ResponseMode::Anchored : ResponseMode::Model;
}

ResponseQuestion resolveQuestion(const ModelState& state, std::string_view ecoregionText, const TargetSpec& wanted,
                                 std::optional<ResponseMode> mode)
{
    return {resolveTarget(wanted, ecoregionText), mode ? *mode : defaultResponseMode(state)};
}

const char* goalStatusName(GoalStatus status)
{
    switch (status) {
    case GoalStatus::Met:
        return "met";
    case GoalStatus::Needed:
        return "needed";
    case GoalStatus::Unreachable:
        return "unreachable";
    }
    return "";
}

const char* goalObstacleName(GoalObstacle obstacle)
{
    switch (obstacle) {
    case GoalObstacle::None:
        return "";
    case GoalObstacle::AtmosphericLoad:
        return "atmospheric_load";
    case GoalObstacle::LakeDepth:
        return "lake_depth";
    }
    return "";
}

bool secchiToTheBottom(double secchi, const ModelState& state)
{
    return secchi > state.MeanDepth.doubleValue();
}

bool outsideCarlsonScale(double index)
{
    return index < 0 || index > 100;
}

bool anyIndexOutsideScale(const PointValues& v)
{
    for (double index : {v.tsiTP, v.tsiChlrA, v.tsiSecchi, v.tsiAverage})
        if (outsideCarlsonScale(index))
            return true;
    return false;
}

LoadResponseModel::LoadResponseModel(const ModelState& state, ResponseMode mode)
    : state_(state),
      mode_(mode),
      constants_(chainConstants(state)),
      watershed_(watershedLoad(state)),
      atmospheric_(atmosphericLoad(state))
{
    loads_ = {toDouble(watershed_), toDouble(atmospheric_), totalLoad(atmospheric_, watershed_)};
    tpNow_ = predictedTP(inflowTP(loads_.total, state.OutVol), constants_.resTimeFactor);
    if (mode == ResponseMode::Model)
        caseBSquare_ = power(caseBSpread(state.S1, state.S2).doubleValue(), 2);
}

const LoadResponseModel::Predicted& LoadResponseModel::predictedNow() const
{
    if (!predictedNow_) {
        const double chlrA = predictedChlrA(tpNow_);
        predictedNow_ = Predicted{chlrA, predictedSechi(chlrA)};
    }
    return *predictedNow_;
}

double LoadResponseModel::loadAt(double r) const
{
    return totalLoad(atmospheric_, (1.0_x - r) * watershed_);
}

double LoadResponseModel::watershedLoadAt(double r) const
{
    return toDouble((1.0_x - r) * watershed_);
}

// The change-ratio method: the model says by how much a value changes, the observation
// where it starts. At r = 0 the ratio is exactly 1 and the value the observation itself.
Extended LoadResponseModel::anchoredValue(Real48 observed, double predicted, double predictedNow) const
{
    if (mode_ == ResponseMode::Model || !(observed.value() > 0))
        return predicted;
    return observed.value() * checkedDiv(predicted, predictedNow);
}

// Anchored frequencies spread as the observed column does, model ones as Case C.
Real48 LoadResponseModel::frequencySpread(double varChlrA) const
{
    return mode_ == ResponseMode::Anchored ? state_.S1 : caseCSpreadOfSquare(*caseBSquare_, varChlrA);
}

std::vector<PointValues> LoadResponseModel::valuesAt(const std::vector<double>& avgInTP,
                                                     std::optional<double> bound, NuisanceLevels levels) const
{
    const std::size_t n = avgInTP.size();
    std::vector<PredictionChain> c(n);
    predictionChains(avgInTP.data(), n, constants_, c.data());
    std::vector<PointValues> v(n);
    for (std::size_t i = 0; i < n; ++i)
        v[i].tp = bandOf(toDouble(anchoredValue(state_.ObsTP, c[i].PredTP, tpNow_)), c[i].VarTP);
    for (std::size_t i = 0; i < n; ++i)
        v[i].chlrA =
            bandOf(toDouble(anchoredValue(state_.ObsChlrA, c[i].PredChlrA, predictedNow().chlrA)), c[i].VarChlrA);
    for (std::size_t i = 0; i < n; ++i)
        v[i].secchi =
            bandOf(toDouble(anchoredValue(state_.ObsSechi, c[i].PredSechi, predictedNow().secchi)), c[i].VarSechi);
    for (std::size_t i = 0; i < n; ++i) {
        const Real48 phos = phosphorusTsi(v[i].tp.value);
        const Real48 chlrA = chlorophyllTsi(v[i].chlrA.value);
        const Real48 secchi = secchiTsi(v[i].secchi.value);
        v[i].tsiTP = phos.doubleValue();
        v[i].tsiChlrA = chlrA.doubleValue();
        v[i].tsiSecchi = secchi.doubleValue();
        v[i].tsiAverage = static_cast<double>(averageTsi(phos, chlrA, secchi).value());
    }
    for (std::size_t i = 0; i < n && (bound || levels == NuisanceLevels::Included); ++i) {
        const Real48 mean = Real48::store(v[i].chlrA.value);
        const Real48 spread = frequencySpread(c[i].VarChlrA);
        if (levels == NuisanceLevels::Included) {
            const std::array<Real48, 4> over = frequenciesOverBounds(mean, spread, state_.S1);
            v[i].over.emplace();
            for (std::size_t j = 0; j < over.size(); ++j)
                (*v[i].over)[j] = toPercent(over[j]);
        }
        if (bound)
            v[i].overBound = toPercent(CalcChlrABrain(Real48::store(*bound), mean, spread, state_.S1));
    }
    return v;
}

ResponsePoint LoadResponseModel::pointAt(double r, std::optional<double> bound, NuisanceLevels levels) const
{
    ResponsePoint point;
    point.reduction = r;
    point.reductionPct = 100 * r;
    point.load = loadAt(r);
    if (!(point.load > 0))
        return point;
    try {
        point.values = valuesAt({inflowTP(point.load, state_.OutVol)}, bound, levels).front();
    } catch (const FloatFault&) {
        point.values.reset();
    }
    return point;
}

std::vector<ResponsePoint> LoadResponseModel::curve(std::optional<double> bound, NuisanceLevels levels) const
{
    std::vector<ResponsePoint> points(CurveSteps + 1);
    std::vector<std::size_t> loaded;
    for (int k = 0; k <= CurveSteps; ++k) {
        ResponsePoint& point = points[k];
        point.reduction = curveStep(k);
        point.reductionPct = k;  // whole, where 100 * (k / 100.0) may not be
        point.load = loadAt(point.reduction);
        if (point.load > 0)
            loaded.push_back(k);
    }
    try {
        std::vector<double> inflow;
        for (std::size_t k : loaded)
            inflow.push_back(inflowTP(points[k].load, state_.OutVol));
        const std::vector<PointValues> values = valuesAt(inflow, bound, levels);
        for (std::size_t i = 0; i < loaded.size(); ++i)
            points[loaded[i]].values = values[i];
    } catch (const FloatFault&) {
        // Some point has no values: each is taken on its own, so that only those lose theirs.
        for (std::size_t k : loaded)
            points[k].values = pointAt(points[k].reduction, bound, levels).values;
    }
    return points;
}

std::optional<double> LoadResponseModel::targetVariableAt(double r, const Target& target) const
{
    const double load = loadAt(r);
    if (!(load > 0))
        return std::nullopt;
    try {
        const double avgInTP = inflowTP(load, state_.OutVol);
        const double predTP = predictedTP(avgInTP, constants_.resTimeFactor);
        const auto tp = [&] { return toDouble(anchoredValue(state_.ObsTP, predTP, tpNow_)); };
        if (target.kind == TargetKind::TP || target.kind == TargetKind::Ecoregion)
            return tp();
        const double predChlrA = predictedChlrA(predTP);
        const double chlrA = toDouble(anchoredValue(state_.ObsChlrA, predChlrA, predictedNow().chlrA));
        if (target.kind == TargetKind::ChlrA)
            return chlrA;
        if (target.kind == TargetKind::Frequency) {
            const double varChlrA = chlrAVariance(tpVariance(retentionOf(predTP, avgInTP), constants_), constants_);
            return toPercent(
                CalcChlrABrain(Real48::store(target.bound), Real48::store(chlrA), frequencySpread(varChlrA), state_.S1));
        }
        const double secchi =
            toDouble(anchoredValue(state_.ObsSechi, predictedSechi(predChlrA), predictedNow().secchi));
        if (target.kind == TargetKind::Secchi)
            return secchi;
        return static_cast<double>(averageTsi(phosphorusTsi(tp()), chlorophyllTsi(chlrA), secchiTsi(secchi)).value());
    } catch (const FloatFault&) {
        return std::nullopt;
    }
}

bool LoadResponseModel::meets(double r, const Target& target) const
{
    const std::optional<double> value = targetVariableAt(r, target);
    if (!value)
        return !(loadAt(r) > 0);
    if (target.kind == TargetKind::Secchi)
        return *value >= target.value;
    return *value <= target.value;
}

namespace {

// Whether the target's variable moves one way with the cut: the predictions and indices do,
// and so does a frequency with the fixed spread of anchored values; a model frequency's
// spread changes with the cut, and the frequency may turn.
bool movesOneWay(const Target& target, ResponseMode mode)
{
    return target.kind != TargetKind::Frequency || mode == ResponseMode::Anchored;
}

// The first of the grid points k = 1 .. CurveSteps where the target is met; CurveSteps + 1
// when none is. Where the variable moves one way, the points met are those from the first
// on, found by halving.
int firstGridPointMeeting(const LoadResponseModel& model, const Target& target)
{
    if (!movesOneWay(target, model.mode())) {
        int k = 1;
        while (k <= CurveSteps && !model.meets(curveStep(k), target))
            ++k;
        return k;
    }
    if (!model.meets(1, target))
        return CurveSteps + 1;
    int notMet = 0;
    int met = CurveSteps;
    while (met - notMet > 1) {
        const int middle = (notMet + met) / 2;
        (model.meets(curveStep(middle), target) ? met : notMet) = middle;
    }
    return met;
}

}  // namespace

namespace {

// How far the variable at cut r is from meeting the target: zero or less where it meets it.
// None where the point has no values.
std::optional<double> excessAt(const LoadResponseModel& model, double r, const Target& target)
{
    const std::optional<double> value = model.targetVariableAt(r, target);
    if (!value)
        return std::nullopt;
    return target.kind == TargetKind::Secchi ? target.value - *value : *value - target.value;
}

// Cuts known not to meet the target (at or below low) and to meet it (at or above high).
struct Bracket {
    double low;   // a cut that does not meet the target
    double high;  // a cut that meets it
};

// Narrows a bracket of a variable that moves one way with false position, halving the
// weight of an end that stays (the Illinois method): a handful of points instead of the
// forty the halving takes. Stops where a point has no values.
Bracket narrowed(const LoadResponseModel& model, const Target& target, Bracket b)
{
    constexpr int MaxSteps = 40;
    std::optional<double> fLow = excessAt(model, b.low, target);
    std::optional<double> fHigh = excessAt(model, b.high, target);
    int lastMoved = 0;  // -1 low, +1 high
    for (int step = 0; step < MaxSteps && fLow && fHigh && b.high - b.low >= GoalWidth / 16; ++step) {
        double r = b.high - *fHigh * (b.high - b.low) / (*fHigh - *fLow);
        if (!(r > b.low && r < b.high))
            r = b.low + (b.high - b.low) / 2;
        const std::optional<double> f = excessAt(model, r, target);
        if (!f)
            break;
        if (*f <= 0) {
            b.high = r;
            fHigh = f;
            if (lastMoved == 1)
                *fLow /= 2;
            lastMoved = 1;
        } else {
            b.low = r;
            fLow = f;
            if (lastMoved == -1)
                *fHigh /= 2;
            lastMoved = -1;
        }
    }
    return b;
}

}  // namespace

GoalResult seekGoal(const LoadResponseModel& model, const Target& target)
{
    const auto answer = [&](GoalStatus status, double r) {
        return GoalResult{status, GoalObstacle::None, r, model.loadAt(r), model.watershedLoadAt(r)};
    };
    if (target.kind == TargetKind::Secchi && secchiToTheBottom(target.value, model.state()))
        return GoalResult{GoalStatus::Unreachable, GoalObstacle::LakeDepth, 0, 0, 0};
    if (model.meets(0, target))
        return answer(GoalStatus::Met, 0);
    const int k = firstGridPointMeeting(model, target);
    if (k > CurveSteps)
        return GoalResult{GoalStatus::Unreachable, GoalObstacle::AtmosphericLoad, 0, 0, 0};
    double low = curveStep(k - 1);
    double high = curveStep(k);
    // Where the variable moves one way, a point of the halving at or below a cut known not
    // to meet the target does not meet it either, and one at or above a cut that meets it
    // does: only the points between are taken, and the halving ends where it always would.
    Bracket known{low, high};
    if (movesOneWay(target, model.mode()))
        known = narrowed(model, target, known);
    while (high - low >= GoalWidth) {
        const double middle = low + (high - low) / 2;
        const bool met = middle >= known.high || (middle > known.low && model.meets(middle, target));
        (met ? high : low) = middle;
    }
    return answer(GoalStatus::Needed, high);
}

namespace {

// The inflow phosphorus A whose predicted TP is the observed one: A = ObsTP (1 + k A^0.458)
// with k = 0.162 ResTime^0.542. In x = ln A the equation x - ln ObsTP - ln(1 + k e^(0.458 x))
// = 0 has a slope between 0.542 and 1 and bends down, so Newton's method from x = ln ObsTP
// rises to the root.
Extended inflowPredictingObservedTP(const ModelState& s, double resTimeFactor)
{
    const Extended k = 0.162_x * resTimeFactor;
    const Extended lnObserved = checkedLn(s.ObsTP);
    Extended x = lnObserved;
    for (int i = 0; i < 100; ++i) {
        const Extended g = k * checkedExp(0.458_x * x);
        const Extended step = (x - lnObserved - checkedLn(1 + g)) / (1 - 0.458_x * g / (1 + g));
        x -= step;
        if (abs(step) <= 0.0000000000000001_x * (1 + abs(x)))
            break;
    }
    return checkedExp(x);
}

// The predicted TP of the calculation with this stream phosphorus and all else as it is.
double predictedTPWithStreamP(ModelState s, Real48 streamP, double resTimeFactor)
{
    s.StreamP = streamP;
    return predictedTP(inflowTP(totalLoad(atmosphericLoad(s), watershedLoad(s)), s.OutVol), resTimeFactor);
}

// The neighbouring stream phosphorus values a Real48 holds.
Real48 nextReal48(Real48 v, int direction)
{
    int exponent = 0;
    std::frexp(v.doubleValue(), &exponent);
    return Real48::store(v.value() + direction * Extended(1).scaledByPowerOfTwo(exponent - 40));
}

}  // namespace

namespace {

StreamPEstimate streamPExplaining(const ModelState& s, Extended flow, double resTimeFactor)
{
    const Extended watershedNeeded = inflowPredictingObservedTP(s, resTimeFactor) * s.OutVol - atmosphericLoad(s);
    if (watershedNeeded < 0)
        return {std::nullopt, StreamPGap::AtmosphereTooMuch};
    // The stream phosphorus is kept, as every input, in a Real48. Of those, the smallest whose
    // predicted TP is not below the observed one: given back to the calculation it predicts
    // the observed TP, and a value on a rounding boundary is shown alike.
    const auto reaches = [&](Real48 streamP) { return predictedTPWithStreamP(s, streamP, resTimeFactor) >= s.ObsTP.value(); };
    Real48 streamP = Real48::store(watershedNeeded / flow);
    for (int step = 0; step < 64 && !reaches(streamP); ++step)
        streamP = nextReal48(streamP, 1);
    for (int step = 0; step < 64 && !streamP.isZero() && reaches(nextReal48(streamP, -1)); ++step)
        streamP = nextReal48(streamP, -1);
    return {streamP.doubleValue(), StreamPGap::None};
}

}  // namespace

StreamPEstimate impliedStreamP(const ModelState& s)
{
    return impliedStreamP(s, chainConstants(s).resTimeFactor);
}

StreamPEstimate impliedStreamP(const ModelState& s, double resTimeFactor)
{
    if (!(s.ObsTP.value() > 0))
        return {std::nullopt, StreamPGap::NoObservedTP};
    const Extended flow = s.WatArea.value() * s.Runoff.value();
    if (!(flow > 0))
        return {std::nullopt, StreamPGap::NoWatershedWater};
    try {
        return streamPExplaining(s, flow, resTimeFactor);
    } catch (const FloatFault&) {
        return {std::nullopt, StreamPGap::BeyondRange};
    }
}

namespace {

ResponseMode otherMode(ResponseMode mode)
{
    return mode == ResponseMode::Anchored ? ResponseMode::Model : ResponseMode::Anchored;
}

// The t-test as the Predictions page shows it, to two decimals, so that the rule and the
// page agree on a value such as 1.996.
bool significant(double ttest)
{
    return std::round(std::abs(ttest) * 100) / 100 >= PoorFitTtest;
}

FitCheck fitOf(const LoadResponseModel& model, const Target& target)
{
    ModelState state = model.state();
    const PredictionRow tp = CalcVarConc(state).rows[0];
    FitCheck fit;
    fit.predictedTP = toDouble(tp.predicted);
    if (!(model.state().ObsTP.value() > 0))
        return fit;
    fit.tpTtest = toDouble(tp.ttest);
    fit.poor = significant(*fit.tpTtest);
    if (fit.poor)
        fit.otherModeStatus = seekGoal(LoadResponseModel(model.state(), otherMode(model.mode())), target).status;
    return fit;
}

LoadResponse responseWithGoal(const LoadResponseModel& model, const ModelState& state, const Target& target)
{
    LoadResponse response;
    response.mode = model.mode();
    response.target = target;
    response.loads = model.loads();
    response.goal = seekGoal(model, target);
    response.state = state;
    response.streamP = impliedStreamP(state, model.constants().resTimeFactor);
    response.fit = fitOf(model, target);
    if (response.goal.status != GoalStatus::Unreachable)
        response.answerPoint = model.pointAt(response.goal.reduction, std::nullopt, NuisanceLevels::Left).values;
    return response;
}

}  // namespace

LoadResponse evaluateGoal(const ModelState& state, const Target& target, ResponseMode mode)
{
    return responseWithGoal(LoadResponseModel(state, mode), state, target);
}

LoadResponse evaluateLoadResponse(const ModelState& state, const Target& target, ResponseMode mode,
                                  NuisanceLevels levels)
{
    const LoadResponseModel model(state, mode);
    LoadResponse response = responseWithGoal(model, state, target);
    const std::optional<double> bound =
        target.kind == TargetKind::Frequency ? std::optional<double>(target.bound) : std::nullopt;
    response.curve = model.curve(bound, levels);
    return response;
}

}  // namespace trophex
