#pragma once
// The load response of a lake: what its phosphorus, chlorophyll a, Secchi depth, trophic
// state and nuisance frequencies become when the phosphorus from its watershed is cut, how
// large a cut a goal needs, and which stream phosphorus explains the observed phosphorus.
//
// Everything starts from the model state of a completed calculation. A cut r (0 to 1)
// applies to the watershed load only; the load on the lake from the atmosphere stays. The
// predictions at a cut are those of the calculation with the inflow phosphorus of the cut
// load and everything else unchanged, in the same arithmetic, so that at r = 0 each value
// is exactly the one the calculation showed.

#include "model/modelstate.h"
#include "model/predictions.h"
#include "response/responsetarget.h"

#include <array>
#include <optional>
#include <string_view>
#include <vector>

namespace trophex {

enum class ResponseMode {
    Anchored,  // observed value times the model's change ratio Pred(r) / Pred(0)
    Model,     // the model's predictions themselves
};

const char* responseModeName(ResponseMode mode);  // "anchored" or "model"

// Anchored when the state holds any positive observation, else Model.
ResponseMode defaultResponseMode(const ModelState& state);

struct ResponseLoads {
    double watershed = 0;    // watershed area times runoff times stream phosphorus, kg/yr
    double atmospheric = 0;  // lake area times the areal atmospheric load, kg/yr
    double total = 0;        // their sum, the calculation's PhosLoad, kg/yr
};

// A value with its 90 % band: value times e^(-1.645 sqrt(Var)) to value times e^(1.645 sqrt(Var)).
struct Band {
    double value = 0;  // in the variable's unit
    double low = 0;    // lower end of the band
    double high = 0;   // upper end of the band
};

struct PointValues {
    Band tp;                       // total phosphorus, ug/L
    Band chlrA;                    // chlorophyll a, ug/L
    Band secchi;                   // Secchi depth, m
    double tsiTP = 0;              // Carlson's phosphorus index
    double tsiChlrA = 0;           // Carlson's chlorophyll a index
    double tsiSecchi = 0;          // Carlson's Secchi depth index
    double tsiAverage = 0;         // average of the three
    std::optional<std::array<double, 4>> over;  // % of the time chlorophyll a is above 10, 20, 30, 60 ug/L
    double overBound = 0;  // % of the time above the bound asked for, if one was
};

// Whether points carry the frequencies over the four nuisance levels. They are the costliest
// values of a point (sixteen extended logarithms and exponentials of its thirty), so the
// shells that do not show them leave them out; the frequency over a target's own bound is
// always there.
enum class NuisanceLevels { Included, Left };

struct ResponsePoint {
    double reduction = 0;               // the cut: fraction of the watershed load, 0 to 1
    double reductionPct = 0;            // the same in percent
    double load = 0;                    // total load at that cut, kg/yr
    std::optional<PointValues> values;  // none when the load is zero or less or has no prediction
};

enum class GoalStatus {
    Met,          // the lake meets the target without a cut
    Needed,       // a cut of the watershed load meets it
    Unreachable,  // not even removing the whole watershed load meets it
};

const char* goalStatusName(GoalStatus status);  // "met", "needed", "unreachable"

// Why a target cannot be met.
enum class GoalObstacle {
    None,             // it can
    AtmosphericLoad,  // the atmospheric load alone is too much
    LakeDepth,        // a Secchi depth deeper than the lake's mean depth: light cannot pass the bottom
};

const char* goalObstacleName(GoalObstacle obstacle);  // "", "atmospheric_load", "lake_depth"

struct GoalResult {
    GoalStatus status = GoalStatus::Unreachable;  // the answer
    GoalObstacle obstacle = GoalObstacle::AtmosphericLoad;  // Unreachable: why
    double reduction = 0;               // Met and Needed: the cut, fraction of the watershed load
    double allowableLoad = 0;           // Met and Needed: total load at that cut, kg/yr
    double allowableWatershedLoad = 0;  // Met and Needed: watershed load at that cut, kg/yr
};

// Why no stream phosphorus explains the observed phosphorus.
enum class StreamPGap {
    None,               // one does
    NoObservedTP,       // the observed phosphorus is zero or less
    NoWatershedWater,   // the watershed yields no water (area times runoff is zero or less)
    AtmosphereTooMuch,  // the atmospheric load alone predicts more than was observed
    BeyondRange,        // the one needed lies beyond the numbers the model holds
};

struct StreamPEstimate {
    std::optional<double> streamP;    // ug/L, the stream phosphorus that predicts the observed TP
    StreamPGap gap = StreamPGap::None;  // why there is none
};

// Where a point leaves what its quantities can be: a Secchi depth beyond the lake's mean
// depth (the lake is clear to the bottom) and indices outside Carlson's scale of 0 to 100.
bool secchiToTheBottom(double secchi, const ModelState& state);
bool outsideCarlsonScale(double index);
bool anyIndexOutsideScale(const PointValues& values);

// How well the model explains the lake's observed phosphorus: the TP T-test of the
// Predictions page. At 2 or more in magnitude, as that page shows it (two decimals), the
// observation differs significantly from the prediction and the answer depends on the mode.
struct FitCheck {
    std::optional<double> tpTtest;              // none without an observed TP
    double predictedTP = 0;                     // ug/L, the Predictions page's
    bool poor = false;                          // the observation differs significantly
    std::optional<GoalStatus> otherModeStatus;  // poor fit only: the status the other mode reaches
};

inline constexpr double PoorFitTtest = 2;  // magnitude of the TP T-test from which the fit is poor

// The stream phosphorus that makes the predicted TP equal the observed TP, all else as it is.
StreamPEstimate impliedStreamP(const ModelState& state);
// The same with the residence time's factor of the prediction chain (chainConstants) taken.
StreamPEstimate impliedStreamP(const ModelState& state, double resTimeFactor);

// The response of one completed calculation, point by point.
class LoadResponseModel {
public:
    // FloatFault when the state is not that of a completed calculation.
    LoadResponseModel(const ModelState& state, ResponseMode mode);

    ResponseMode mode() const { return mode_; }
    const ModelState& state() const { return state_; }
    const ResponseLoads& loads() const { return loads_; }
    const ChainConstants& constants() const { return constants_; }

    // Total load at cut r, kg/yr.
    double loadAt(double r) const;
    // Watershed load left at cut r, kg/yr.
    double watershedLoadAt(double r) const;

    // Every value at cut r; overBound only when a bound is given.
    ResponsePoint pointAt(double r, std::optional<double> bound = std::nullopt,
                          NuisanceLevels levels = NuisanceLevels::Included) const;
    // The points at r = 0, 0.01, ..., 1, each as pointAt gives it.
    std::vector<ResponsePoint> curve(std::optional<double> bound = std::nullopt,
                                     NuisanceLevels levels = NuisanceLevels::Included) const;

    // The target's variable at cut r, computing no more than it needs; none where the point
    // has no values.
    std::optional<double> targetVariableAt(double r, const Target& target) const;

    // Whether the lake meets the target at cut r. A point without phosphorus meets every
    // target; a point whose arithmetic has no result meets none.
    bool meets(double r, const Target& target) const;

private:
    // The model's chlorophyll a and Secchi depth at no cut, taken when first needed.
    struct Predicted {
        double chlrA;   // ug/L
        double secchi;  // m
    };
    const Predicted& predictedNow() const;
    Extended anchoredValue(Real48 observed, double predicted, double predictedNow) const;
    Real48 frequencySpread(double varChlrA) const;
    // The values at many inflow phosphorus values, each step for all before the next.
    std::vector<PointValues> valuesAt(const std::vector<double>& avgInTP, std::optional<double> bound,
                                      NuisanceLevels levels) const;

    const ModelState& state_;          // the calculation's state, kept by the caller
    ResponseMode mode_;                // anchored or model
    ChainConstants constants_;         // residence time factor and error terms
    Extended watershed_;            // watershed load now, kg/yr, unrounded
    Extended atmospheric_;          // atmospheric load, kg/yr, unrounded
    ResponseLoads loads_;              // the two loads and their sum, kg/yr
    double tpNow_;                     // the predicted TP at r = 0, ug/L
    mutable std::optional<Predicted> predictedNow_;  // chlorophyll a and Secchi depth at r = 0
    std::optional<double> caseBSquare_;  // model mode: square of the within-year and year-to-year spread
};

// Met when r = 0 meets the target; otherwise the first of r = 0.01, 0.02, ..., 1 that
// meets it, refined by halving the step before it until less than 1e-12 wide, the upper
// end taken; Unreachable when r = 1 does not meet it.
GoalResult seekGoal(const LoadResponseModel& model, const Target& target);

inline constexpr int CurveSteps = 100;  // the curve has points at r = 0, 0.01, ..., 1

// Everything the shells show of a lake's load response.
struct LoadResponse {
    ResponseMode mode = ResponseMode::Anchored;  // how the values were taken
    Target target;                               // the goal
    ResponseLoads loads;                         // now
    GoalResult goal;                             // the answer
    ModelState state;                            // the calculation the response is of
    StreamPEstimate streamP;                     // the back-calculated stream phosphorus
    FitCheck fit;                                // whether the model explains the observed TP
    std::optional<PointValues> answerPoint;      // the lake at the answer's cut; none when unreachable
    std::vector<ResponsePoint> curve;            // CurveSteps + 1 points, r = k / CurveSteps
};

// What a load response is asked, made concrete for one lake.
struct ResponseQuestion {
    Target target;      // the goal, the ecoregion's turned into its concentration
    ResponseMode mode;  // how the values are taken
};

// The one place a goal and a mode are resolved for a lake: the target with the lake's
// ecoregion text, the mode as asked or, when none is, defaultResponseMode.
ResponseQuestion resolveQuestion(const ModelState& state, std::string_view ecoregionText, const TargetSpec& wanted,
                                 std::optional<ResponseMode> mode);

// Frequency targets add the frequency over their bound to every point of the curve.
LoadResponse evaluateLoadResponse(const ModelState& state, const Target& target, ResponseMode mode,
                                  NuisanceLevels levels = NuisanceLevels::Included);

// The goal and the back-calculation without the curve: what a batch row needs.
LoadResponse evaluateGoal(const ModelState& state, const Target& target, ResponseMode mode);

}  // namespace trophex
