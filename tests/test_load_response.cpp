// The load response: the curve at no cut is the calculation itself, values move one way
// with the cut, the goal seek's answer, the back-calculated stream phosphorus, points
// without load, and the reading of target texts.

#include "batch/lakegenerator.h"
#include "model/calculation.h"
#include "response/responseresults.h"
#include "arithmetic/shortestnumber.h"
#include "model/tsi.h"
#include "examples/examplelake.h"
#include "tests/result_texts.h"

#include <gtest/gtest.h>

#include <charconv>
#include <cmath>

using namespace trophex;

namespace {

CalculationOutcome calculate(const InputTexts& t)
{
    return runCalculation(t, NumberFormat{});
}

Target targetOf(const std::string& wanted, const std::string& ecoregion = "NLF")
{
    const TargetReading reading = readTargetSpec(wanted);
    EXPECT_TRUE(reading.target) << wanted << ": " << reading.error;
    return resolveTarget(reading.target.value_or(TargetSpec{}), ecoregion);
}

// The synthetic lakes that calculate, with their outcomes.
std::vector<CalculationOutcome> syntheticOutcomes(std::size_t count)
{
    std::vector<CalculationOutcome> outcomes;
    for (const InputTexts& lake : batch::syntheticLakeInputs(count, 11)) {
        CalculationOutcome outcome = calculate(lake);
        if (outcome.ok())
            outcomes.push_back(std::move(outcome));
    }
    return outcomes;
}

const std::vector<CalculationOutcome>& manyLakes()
{
    static const std::vector<CalculationOutcome> Lakes = syntheticOutcomes(3000);
    return Lakes;
}

double valueOf(const CalculationOutcome& out, Result r)
{
    return static_cast<double>(out.values[r]);
}

constexpr ResponseMode Modes[] = {ResponseMode::Anchored, ResponseMode::Model};

// The lake of the worked example without any atmospheric load: a full cut leaves none.
InputTexts lakeWithoutAtmosphericLoad()
{
    InputTexts t = exampleLake();
    t[Input::AtmosEditBox] = "0";
    return t;
}

}  // namespace

// At no cut the anchored values are the observed ones of the Predictions page, the Chl A
// page's Observed column and the TSI page; the model values are the Predicted column and
// Case C. Equal bit for bit, by the staged curve and by a point taken alone.
TEST(LoadResponse, NoCutIsExactlyWhatThePagesShow)
{
    std::vector<CalculationOutcome> lakes = {calculate(exampleLake())};
    lakes.insert(lakes.end(), manyLakes().begin(), manyLakes().begin() + 300);
    for (const CalculationOutcome& out : lakes) {
        ASSERT_TRUE(out.ok());
        for (ResponseMode mode : Modes) {
            const LoadResponse response = evaluateLoadResponse(out.state, targetOf("ecoregion"), mode);
            const ResponsePoint alone = LoadResponseModel(out.state, mode).pointAt(0);
            for (const ResponsePoint& p : {response.curve.front(), alone}) {
                ASSERT_TRUE(p.values);
                const PointValues& v = *p.values;
                const bool anchored = mode == ResponseMode::Anchored;
                EXPECT_EQ(p.load, out.state.PhosLoad);
                EXPECT_EQ(v.tp.value, valueOf(out, anchored ? Result::TPObserved : Result::TPPredicted));
                EXPECT_EQ(v.chlrA.value, valueOf(out, anchored ? Result::ChlrAObserved : Result::ChlrAPredicted));
                EXPECT_EQ(v.secchi.value, valueOf(out, anchored ? Result::SechiObserved : Result::SechiPredicted));
                const Result over[] = {Result::Over10Observed, Result::Over20Observed, Result::Over30Observed,
                                       Result::Over60Observed};
                for (int j = 0; j < 4; ++j) {
                    const Result cell = anchored ? over[j] : static_cast<Result>(static_cast<int>(over[j]) + 3);
                    EXPECT_EQ(v.over.value()[j], valueOf(out, cell)) << j;
                }
                if (anchored) {
                    EXPECT_EQ(v.tsiTP, valueOf(out, Result::PhosTSI));
                    EXPECT_EQ(v.tsiChlrA, valueOf(out, Result::ChlrATSI));
                    EXPECT_EQ(v.tsiSecchi, valueOf(out, Result::SecchiTSI));
                    EXPECT_EQ(v.tsiAverage, valueOf(out, Result::AvgTSI));
                }
            }
            EXPECT_EQ(response.loads.total, out.state.PhosLoad);
        }
    }
}

// Every point of the curve is the point taken on its own.
TEST(LoadResponse, CurveIsMadeOfItsPoints)
{
    const CalculationOutcome out = calculate(exampleLake());
    for (ResponseMode mode : Modes) {
        const LoadResponseModel model(out.state, mode);
        const std::vector<ResponsePoint> curve = model.curve(20);
        ASSERT_EQ(curve.size(), 101u);
        for (int k : {0, 1, 37, 99, 100}) {
            const ResponsePoint alone = model.pointAt(k / 100.0, 20);
            EXPECT_EQ(curve[k].reductionPct, k);
            EXPECT_EQ(curve[k].load, alone.load);
            ASSERT_TRUE(curve[k].values && alone.values);
            EXPECT_EQ(curve[k].values->tsiAverage, alone.values->tsiAverage);
            EXPECT_EQ(curve[k].values->secchi.high, alone.values->secchi.high);
            EXPECT_EQ(curve[k].values->overBound, alone.values->over.value()[1]);
        }
        // Without the nuisance levels every other value stays as it is.
        const std::vector<ResponsePoint> lean = model.curve(20, NuisanceLevels::Left);
        for (int k : {0, 50, 100}) {
            EXPECT_FALSE(lean[k].values->over);
            EXPECT_FALSE(curveValue(lean[k], CurveColumn::Over10));
            EXPECT_EQ(lean[k].values->overBound, curve[k].values->overBound);
            EXPECT_EQ(lean[k].values->tsiAverage, curve[k].values->tsiAverage);
            EXPECT_EQ(lean[k].values->chlrA.low, curve[k].values->chlrA.low);
        }
    }
}

// Less phosphorus in means less phosphorus and chlorophyll a, clearer water and lower
// indices, for the worked example and thousands of synthetic lakes, in both modes.
TEST(LoadResponse, ValuesMoveOneWayWithTheCut)
{
    std::vector<const CalculationOutcome*> lakes;
    const CalculationOutcome example = calculate(exampleLake());
    lakes.push_back(&example);
    for (const CalculationOutcome& out : manyLakes())
        lakes.push_back(&out);
    ASSERT_GT(lakes.size(), 2900u);
    for (const CalculationOutcome* out : lakes) {
        for (ResponseMode mode : Modes) {
            const std::vector<ResponsePoint> curve = LoadResponseModel(out->state, mode).curve();
            for (std::size_t k = 1; k < curve.size(); ++k) {
                ASSERT_LE(curve[k].load, curve[k - 1].load);
                if (!curve[k].values)
                    continue;
                ASSERT_TRUE(curve[k - 1].values);
                const PointValues& a = *curve[k - 1].values;
                const PointValues& b = *curve[k].values;
                ASSERT_LE(b.tp.value, a.tp.value);
                ASSERT_LE(b.chlrA.value, a.chlrA.value);
                ASSERT_GE(b.secchi.value, a.secchi.value);
                ASSERT_LE(b.tsiTP, a.tsiTP);
                ASSERT_LE(b.tsiChlrA, a.tsiChlrA);
                ASSERT_LE(b.tsiSecchi, a.tsiSecchi);
                ASSERT_LE(b.tsiAverage, a.tsiAverage);
                for (const Band& band : {b.tp, b.chlrA, b.secchi})
                    ASSERT_TRUE(band.low <= band.value && band.value <= band.high);
                for (int j = 0; j < 4 && mode == ResponseMode::Anchored; ++j)
                    ASSERT_LE(b.over.value()[j], a.over.value()[j]);
            }
        }
    }
}

// The cut found meets the target and a cut 1e-9 smaller does not; an allowable load is the
// load at that cut.
TEST(Goal, FoundCutMeetsTheTargetAndLessDoesNot)
{
    const char* specs[] = {"ecoregion", "tp=20", "chla=5", "secchi=3", "tsi=45", "freq=20:5", "freq=10:30"};
    std::vector<const CalculationOutcome*> lakes;
    const CalculationOutcome example = calculate(exampleLake());
    lakes.push_back(&example);
    for (std::size_t i = 0; i < 400; ++i)
        lakes.push_back(&manyLakes()[i]);
    int needed = 0;
    for (const CalculationOutcome* out : lakes) {
        for (const char* wanted : specs) {
            const Target target = targetOf(wanted, "CHF");
            for (ResponseMode mode : Modes) {
                const LoadResponseModel model(out->state, mode);
                const GoalResult goal = seekGoal(model, target);
                switch (goal.status) {
                case GoalStatus::Met:
                    ASSERT_TRUE(model.meets(0, target));
                    ASSERT_EQ(goal.reduction, 0);
                    break;
                case GoalStatus::Needed:
                    ++needed;
                    ASSERT_GT(goal.reduction, 0);
                    ASSERT_LE(goal.reduction, 1);
                    ASSERT_TRUE(model.meets(goal.reduction, target)) << wanted;
                    ASSERT_FALSE(model.meets(goal.reduction - 1e-9, target)) << wanted;
                    ASSERT_EQ(goal.allowableLoad, model.loadAt(goal.reduction));
                    ASSERT_EQ(goal.allowableWatershedLoad, model.watershedLoadAt(goal.reduction));
                    break;
                case GoalStatus::Unreachable:
                    if (goal.obstacle == GoalObstacle::LakeDepth)
                        ASSERT_GT(target.value, out->state.MeanDepth.doubleValue()) << wanted;
                    else
                        ASSERT_FALSE(model.meets(1, target)) << wanted;
                    break;
                }
            }
        }
    }
    EXPECT_GT(needed, 1000);
}

TEST(Goal, EachAnswerIsReached)
{
    const CalculationOutcome out = calculate(exampleLake());
    const auto status = [&](const char* wanted, ResponseMode mode = ResponseMode::Anchored) {
        return evaluateGoal(out.state, targetOf(wanted), mode).goal.status;
    };
    EXPECT_EQ(status("ecoregion"), GoalStatus::Needed);
    EXPECT_EQ(status("ecoregion", ResponseMode::Model), GoalStatus::Met);
    EXPECT_EQ(status("tp=30"), GoalStatus::Met);  // the observed TP itself
    EXPECT_EQ(status("secchi=2"), GoalStatus::Met);
    EXPECT_EQ(status("tp=1"), GoalStatus::Unreachable);
    EXPECT_EQ(status("tsi=0"), GoalStatus::Unreachable);
    EXPECT_EQ(status("freq=10:1e-300"), GoalStatus::Unreachable);
    EXPECT_EQ(status("freq=10:100"), GoalStatus::Met);

    const LoadResponse unreachable = evaluateGoal(out.state, targetOf("tp=1"), ResponseMode::Anchored);
    EXPECT_EQ(responseAnswer(unreachable, NumberFormat{})[1],
              "Even without any watershed load the target is not met: the atmospheric load alone is too much.");
    for (ResponseField field : {ResponseField::Reduction, ResponseField::AllowableLoad})
        EXPECT_TRUE(std::holds_alternative<std::monostate>(responseFieldValue(unreachable, field, NumberFormat{})));
}

// Without atmospheric load the whole cut leaves a lake without phosphorus: that point has
// no values, meets every target, and no target is out of reach.
TEST(LoadResponse, PointsWithoutLoadHaveNoValues)
{
    const CalculationOutcome out = calculate(lakeWithoutAtmosphericLoad());
    ASSERT_TRUE(out.ok());
    for (ResponseMode mode : Modes) {
        const LoadResponse r = evaluateLoadResponse(out.state, targetOf("tsi=0"), mode);
        EXPECT_EQ(r.loads.atmospheric, 0);
        EXPECT_EQ(r.curve.back().load, 0);
        EXPECT_FALSE(r.curve.back().values);
        EXPECT_TRUE(r.curve[99].values);
        EXPECT_FALSE(curveValue(r.curve.back(), CurveColumn::TP));
        EXPECT_EQ(curveValue(r.curve.back(), CurveColumn::Load), 0.0);
        EXPECT_EQ(responseTable(r, NumberFormat{}).rows.back()[2], "NA");
        EXPECT_EQ(r.goal.status, GoalStatus::Needed);
        const LoadResponse all = evaluateGoal(out.state, targetOf("tp=1e-300"), mode);
        EXPECT_EQ(all.goal.status, GoalStatus::Needed);
        EXPECT_EQ(all.goal.reduction, 1);
        EXPECT_EQ(all.goal.allowableLoad, 0);
        const ChartSeries series = chartSeries(r, NumberFormat{});
        EXPECT_FALSE(series.values.back());
        const LoadResponseModel model(out.state, mode);
        EXPECT_FALSE(model.targetVariableAt(1, targetOf("tp=1")));
        EXPECT_TRUE(model.meets(1, targetOf("freq=10:1e-300")));
    }
}

// The stream phosphorus given back to the calculation predicts the observed phosphorus to
// every digit shown, and to nine significant digits in the model's numbers.
TEST(StreamP, FedBackItPredictsTheObservedPhosphorus)
{
    std::vector<InputTexts> lakes = {exampleLake()};
    const std::vector<InputTexts> synthetic = batch::syntheticLakeInputs(300, 5);
    lakes.insert(lakes.end(), synthetic.begin(), synthetic.end());
    int fedBack = 0;
    for (InputTexts lake : lakes) {
        const CalculationOutcome out = calculate(lake);
        if (!out.ok())
            continue;
        const StreamPEstimate estimate = impliedStreamP(out.state);
        if (!estimate.streamP) {
            EXPECT_EQ(estimate.gap, StreamPGap::AtmosphereTooMuch);
            continue;
        }
        lake[Input::StreamEditBox].clear();
        appendShortestNumber(lake[Input::StreamEditBox], *estimate.streamP);
        const CalculationOutcome again = calculate(lake);
        ASSERT_TRUE(again.ok());
        EXPECT_EQ(again.texts[Result::TPPredicted], again.texts[Result::TPObserved]);
        EXPECT_NEAR(valueOf(again, Result::TPPredicted) / valueOf(again, Result::TPObserved), 1, 1e-9);
        ++fedBack;
    }
    EXPECT_GT(fedBack, 250);
}

TEST(StreamP, NoneWhereNothingCanExplainTheObservation)
{
    const CalculationOutcome out = calculate(exampleLake());
    ModelState s = out.state;
    s.ObsTP = Real48();
    EXPECT_EQ(impliedStreamP(s).gap, StreamPGap::NoObservedTP);
    s = out.state;
    s.WatArea = Real48();
    EXPECT_EQ(impliedStreamP(s).gap, StreamPGap::NoWatershedWater);

    InputTexts heavyRain = exampleLake();
    heavyRain[Input::AtmosEditBox] = "2000";  // 2000 kg/yr on the lake alone: far above 30 ug/L
    const CalculationOutcome rained = calculate(heavyRain);
    ASSERT_TRUE(rained.ok());
    const StreamPEstimate none = impliedStreamP(rained.state);
    EXPECT_FALSE(none.streamP);
    EXPECT_EQ(none.gap, StreamPGap::AtmosphereTooMuch);

    // A trickle of a watershed under a lake of 1e38 ug/L would need more stream phosphorus
    // than any number the model holds: none, and no fault.
    InputTexts extreme = exampleLake();
    extreme[Input::WareaEditBox] = "1e-20";
    extreme[Input::TPeditBox] = "1e38";
    const CalculationOutcome beyond = calculate(extreme);
    ASSERT_TRUE(beyond.ok());
    EXPECT_EQ(impliedStreamP(beyond.state).gap, StreamPGap::BeyondRange);
    // Such a lake is far from the prediction: the warning gives the reason in place of the stream phosphorus.
    EXPECT_EQ(responseAnswer(evaluateGoal(beyond.state, targetOf("tp=20"), ResponseMode::Anchored), NumberFormat{})[3],
              "No stream phosphorus explains it: the one needed is beyond the numbers the model holds.");
}

TEST(Targets, ReadOrRefusedWithOneSentence)
{
    struct Good {
        const char* text;
        TargetKind kind;
        double value;
        double bound;
    };
    const Good good[] = {
        {"ecoregion", TargetKind::Ecoregion, 0, 0}, {" ECOREGION ", TargetKind::Ecoregion, 0, 0},
        {"tp=20", TargetKind::TP, 20, 0},           {"TP = 12.5", TargetKind::TP, 12.5, 0},
        {"chla=1e1", TargetKind::ChlrA, 10, 0},     {"secchi=2.5", TargetKind::Secchi, 2.5, 0},
        {"tsi=0", TargetKind::Tsi, 0, 0},           {"freq=20:10", TargetKind::Frequency, 10, 20},
        {"tsi=100", TargetKind::Tsi, 100, 0},       {"freq=10:100", TargetKind::Frequency, 100, 10},
        {"tp=1e300", TargetKind::TP, 1e300, 0},
    };
    for (const Good& g : good) {
        const TargetReading r = readTargetSpec(g.text);
        ASSERT_TRUE(r.target) << g.text << ": " << r.error;
        EXPECT_EQ(r.target->kind, g.kind) << g.text;
        EXPECT_EQ(r.target->value, g.value) << g.text;
        EXPECT_EQ(r.target->bound, g.bound) << g.text;
    }
    const char* bad[] = {"",        "xyz",      "tp",       "tp=",       "tp=abc",     "tp=20x",   "tp=0",
                         "tp=-3",   "chla=0",   "secchi=0", "secchi=-1", "freq=10",    "freq=0:10", "freq=10:101",
                         "freq=:5", "freq=10:-1", "ecoregion=NLF", "tp=1e999", "tp=1,5", "tsi=nan",
                         "tsi=-5",  "tsi=100.5", "freq=10:0"};
    for (const char* text : bad) {
        const TargetReading r = readTargetSpec(text);
        EXPECT_FALSE(r.target) << text;
        EXPECT_FALSE(r.error.empty()) << text;
        EXPECT_EQ(r.error.find('\n'), std::string::npos) << text;
    }
}

// The ecoregion goal is the phosphorus whose index is the top of the ecoregion's range.
TEST(Targets, EcoregionGoalIsTheTopOfTheRangeAsAConcentration)
{
    const std::pair<const char*, int> tops[] = {{"NLF", 52}, {"CHF", 61}, {"WCP", 76}, {"NGP", 84}, {"nlf", 52}, {"XYZ", 84}};
    for (const auto& [code, tsi] : tops) {
        const Target t = targetOf("ecoregion", code);
        EXPECT_EQ(t.ecoregionTsi, tsi) << code;
        EXPECT_NEAR(static_cast<double>(phosphorusTsi(t.value).value()), tsi, 1e-9) << code;
    }
    EXPECT_EQ(targetDescription(targetOf("ecoregion"), NumberFormat{}),
              "TP at most 27.6 ug/L, the top of the NLF range (TSI 52)");
    EXPECT_EQ(targetDescription(targetOf("freq=20:10"), NumberFormat{","}),
              "chlorophyll a above 20 ug/L at most 10 % of the time");
    EXPECT_EQ(targetDescription(targetOf("secchi=2.5"), NumberFormat{","}), "Secchi depth at least 2,5 m");
}

// The worked example's answers as tools/load_response_reference.py works them out apart
// from the program, in 60-digit decimal arithmetic with the model's stored inputs. The cut
// is the upper end of an interval narrower than 1e-12, so it lies at most that far above
// the exact root (1e-10 in percent, with room for the rounding of doubles); loads and
// concentrations agree to the doubles' precision, the stream phosphorus to one step of the
// 40-bit numbers the model keeps inputs in.
TEST(LoadResponse, WorkedExampleAgreesWithAnIndependentCalculation)
{
    const CalculationOutcome out = calculate(exampleLake());
    const LoadResponse ecoregion = evaluateLoadResponse(out.state, targetOf("ecoregion"), ResponseMode::Anchored);
    EXPECT_NEAR(ecoregion.target.value, 2.761358621262834e+1, 1e-13);
    EXPECT_EQ(ecoregion.goal.status, GoalStatus::Needed);
    EXPECT_GE(100 * ecoregion.goal.reduction, 1.211716903215327e+1 - 2e-12);
    EXPECT_LE(100 * ecoregion.goal.reduction, 1.211716903215327e+1 + 2e-10);
    EXPECT_NEAR(ecoregion.goal.allowableLoad, 1.201078658375530e+2, 1e-9);
    EXPECT_NEAR(ecoregion.curve[50].values->tp.value, 1.942571677886321e+1, 1e-12);
    EXPECT_NEAR(*ecoregion.streamP.streamP / 8.324280449985586e+1, 1, 5e-12);

    const LoadResponse chla = evaluateGoal(out.state, targetOf("chla=5"), ResponseMode::Model);
    EXPECT_EQ(chla.goal.status, GoalStatus::Needed);
    EXPECT_GE(100 * chla.goal.reduction, 1.871607721263274e+1 - 2e-12);
    EXPECT_LE(100 * chla.goal.reduction, 1.871607721263274e+1 + 2e-10);
    EXPECT_NEAR(chla.goal.allowableLoad, 1.122155716536989e+2, 1e-9);
}

// Loads are read whole from 100 kg/yr up, thousands grouped, and with three digits below,
// so that a small lake's loads and what a cut leaves of them are not all 0 or 1 kg/yr.
TEST(ResponseTexts, LoadsOfSmallAndLargeLakesKeepTheirDigits)
{
    InputTexts small = exampleLake();
    small[Input::WareaEditBox] = "0.1";
    small[Input::LareaEditBox] = "0.01";
    const LoadResponse smallLake =
        evaluateLoadResponse(calculate(small).state, targetOf("ecoregion"), ResponseMode::Anchored);
    const std::vector<std::string> answer = responseAnswer(smallLake, NumberFormat{});
    EXPECT_EQ(answer[0], "The phosphorus load now is 1.35 kg/yr: 1.20 kg/yr from the watershed and 0.150 kg/yr from "
                         "the atmosphere.");
    EXPECT_NE(answer[1].find("the lake can take 1.20 kg/yr, 1.05 kg/yr of it from the watershed."),
              std::string::npos)
        << answer[1];
    const ResponseTable table = responseTable(smallLake, NumberFormat{});
    EXPECT_EQ(table.headings[1], "Load (kg/yr)");
    EXPECT_EQ(table.rows.front()[1], "1.35");
    EXPECT_EQ(table.rows.back()[1], "0.15");

    InputTexts large = exampleLake();
    large[Input::WareaEditBox] = "1e5";
    const LoadResponse largeLake =
        evaluateLoadResponse(calculate(large).state, targetOf("tp=20"), ResponseMode::Anchored);
    const NumberFormat german{",", "."};
    EXPECT_EQ(responseAnswer(largeLake, german)[0],
              "The phosphorus load now is 1.196.015 kg/yr: 1.196.000 kg/yr from the watershed and 15,0 kg/yr from "
              "the atmosphere.");
    EXPECT_EQ(responseTable(largeLake, NumberFormat{}).rows[5][1], "598,015");
}

namespace {

// The worked example on other areas (in the unit given), mean depth and observed TP.
InputTexts lakeOf(const char* watershed, const char* lake, const char* unit, const char* depth, const char* tp)
{
    InputTexts t = exampleLake();
    t[Input::WareaEditBox] = watershed;
    t[Input::LareaEditBox] = lake;
    t[Input::WareaComboBox] = t[Input::LareaComboBox] = unit;
    t[Input::DepthEditBox] = depth;
    t[Input::TPeditBox] = tp;
    return t;
}

// A pond of 1 ha whose observed TP of 80 ug/L the model does not explain.
InputTexts pondWithHighTP()
{
    return lakeOf("10", "1", "HA", "5", "80");
}

}  // namespace

// A Secchi depth cannot pass the lake's mean depth nor an index Carlson's scale: a target
// deeper than the lake is out of reach for that reason, and the table and the flags of the
// points mark every value past those bounds, and only those.
TEST(ResponseBounds, SecchiStopsAtTheBottomAndIndicesAtTheScale)
{
    struct Case {
        const char* watershedAcres;  // of a lake of 2 acres, 3 m deep
        const char* target;
        GoalStatus status;
        GoalObstacle obstacle;
    };
    const Case cases[] = {
        {"20", "secchi=50", GoalStatus::Unreachable, GoalObstacle::LakeDepth},
        {"20", "secchi=3.01", GoalStatus::Unreachable, GoalObstacle::LakeDepth},
        {"20", "secchi=3", GoalStatus::Needed, GoalObstacle::None},
        {"2000", "tp=0.01", GoalStatus::Unreachable, GoalObstacle::AtmosphericLoad},
        {"2000", "tsi=0", GoalStatus::Needed, GoalObstacle::None},
    };
    for (const Case& c : cases) {
        const CalculationOutcome out = calculate(lakeOf(c.watershedAcres, "2", "Acres", "3", "30"));
        const LoadResponse r = evaluateLoadResponse(out.state, targetOf(c.target), ResponseMode::Anchored);
        EXPECT_EQ(r.goal.status, c.status) << c.target;
        EXPECT_EQ(r.goal.obstacle, c.obstacle) << c.target;
        const ResponseTable table = responseTable(r, NumberFormat{});
        for (std::size_t row = 0; row < table.rows.size(); ++row) {
            const PointValues& v = *r.curve[row * TableEvery].values;
            const bool deeper = v.secchi.value > 3;
            EXPECT_EQ(table.rows[row][4] == "to the bottom", deeper) << c.target << " row " << row;
            EXPECT_EQ(table.rows[row][5] == "below 0", v.tsiAverage < 0) << c.target << " row " << row;
            EXPECT_EQ(curveFlag(r, r.curve[row * TableEvery], CurveFlag::SecchiToBottom), deeper);
            EXPECT_EQ(curveFlag(r, r.curve[row * TableEvery], CurveFlag::OutsideScale),
                      std::min({v.tsiAverage, v.tsiTP, v.tsiChlrA, v.tsiSecchi}) < 0);
        }
        EXPECT_EQ(table.rows.back()[5] == "below 0", std::string(c.watershedAcres) == "2000") << c.target;
    }
    const LoadResponse tooDeep = evaluateGoal(calculate(lakeOf("20", "2", "Acres", "3", "30")).state,
                                              targetOf("secchi=50"), ResponseMode::Anchored);
    EXPECT_EQ(responseAnswer(tooDeep, NumberFormat{})[1],
              "The target cannot be met: the lake is only 3.00 m deep on average, and the water cannot be clear "
              "deeper than its bottom.");
    EXPECT_EQ(responseFieldValue(tooDeep, ResponseField::Obstacle, NumberFormat{}), FieldValue(std::string("lake_depth")));
}

// Where the observed TP differs significantly from the prediction (TP T-test of 2 or more in
// magnitude, as shown) the answer warns, names the stream phosphorus that would explain the
// lake against the one used, and gives both modes' answers; elsewhere it does not.
TEST(ResponseFit, PoorFitIsSaidWithItsLikelyReasonAndBothModes)
{
    struct Case {
        InputTexts lake;
        const char* target;
        std::optional<GoalStatus> anchored;  // poor fit only: the answer of each mode
        std::optional<GoalStatus> model;
    };
    const Case cases[] = {
        {exampleLake(), "ecoregion", std::nullopt, std::nullopt},
        {pondWithHighTP(), "ecoregion", GoalStatus::Needed, GoalStatus::Met},
        {pondWithHighTP(), "tp=12", GoalStatus::Unreachable, GoalStatus::Needed},
        {pondWithHighTP(), "tp=100", GoalStatus::Met, GoalStatus::Met},
    };
    for (const Case& c : cases) {
        const CalculationOutcome out = calculate(c.lake);
        for (ResponseMode mode : Modes) {
            const LoadResponse r = evaluateGoal(out.state, targetOf(c.target), mode);
            EXPECT_EQ(r.fit.tpTtest, valueOf(out, Result::TPTtest));
            EXPECT_EQ(r.fit.poor, c.anchored.has_value()) << c.target;
            const std::vector<std::string> answer = responseAnswer(r, NumberFormat{});
            EXPECT_EQ(answer[2].find("Caution: the model does not explain this lake") == 0, r.fit.poor) << answer[2];
            if (!r.fit.poor) {
                EXPECT_FALSE(r.fit.otherModeStatus);
                continue;
            }
            const bool anchored = mode == ResponseMode::Anchored;
            EXPECT_EQ(anchored ? r.goal.status : *r.fit.otherModeStatus, *c.anchored) << c.target;
            EXPECT_EQ(anchored ? *r.fit.otherModeStatus : r.goal.status, *c.model) << c.target;
            EXPECT_EQ(answer[3], "Likely reason: the stream phosphorus; 380.3 ug/L would explain the observed TP, "
                                 "against the 52.0 ug/L used.");
            EXPECT_EQ(answer[4].find("the modes differ") != std::string::npos, *c.anchored != *c.model) << answer[4];
        }
    }
}

// Targets a quantity cannot take are refused, as tp=0 is; typed numbers are echoed as typed.
TEST(Targets, TypedNumbersAreEchoedAsTyped)
{
    const std::pair<const char*, const char*> cases[] = {
        {"freq=0.000001:10", "chlorophyll a above 0.000001 ug/L at most 10 % of the time"},
        {"tp = 12.50 ", "TP at most 12.50 ug/L"},
        {"tsi=1e1", "average TSI at most 1e1"},
    };
    for (const auto& [typed, described] : cases)
        EXPECT_EQ(targetDescription(targetOf(typed), NumberFormat{}), described);
    const LoadResponse r =
        evaluateLoadResponse(calculate(exampleLake()).state, targetOf("freq=0.5:10"), ResponseMode::Anchored);
    EXPECT_EQ(responseTable(r, NumberFormat{",", "."}).headings.back(), "Chl a > 0,5 (%)");
}

// A load below 100 kg/yr keeps three significant digits wherever the response shows one.
TEST(ResponseTexts, LoadsBelowAHundredKeepThreeDigits)
{
    const std::pair<double, const char*> cases[] = {
        {12345.4, "12,345"}, {249.4, "249"}, {100, "100"}, {99.94, "99.9"}, {5.004, "5.00"},
        {0.4, "0.400"},      {0.203, "0.203"}, {0.0747, "0.0747"}, {0.00747, "0.00747"}, {0, "0.000"},
    };
    for (const auto& [load, text] : cases) {
        EXPECT_EQ(loadNumberText(load, NumberFormat{}), text) << load;
        EXPECT_EQ(responseFieldDisplayText(load, ResponseField::AllowableLoad, NumberFormat{}), text) << load;
    }
    EXPECT_EQ(responseFieldDisplayText(99.94, ResponseField::Reduction, NumberFormat{}), "99.9");
    EXPECT_EQ(responseFieldDisplayText(true, ResponseField::PoorFit, NumberFormat{}), "true");
    EXPECT_EQ(responseFieldDisplayText(FieldValue(), ResponseField::AllowableLoad, NumberFormat{}), "NA");
    // A cut just short of the whole is not rounded up to it while a watershed load is left.
    const std::string nearlyAll = responseAnswer(
        evaluateGoal(calculate(pondWithHighTP()).state, targetOf("tp=14.41"), ResponseMode::Anchored),
        NumberFormat{})[1];
    EXPECT_EQ(nearlyAll, "The watershed load must fall by more than 99.9 % to meet the target: the lake can take "
                         "0.150 kg/yr, 0.0000949 kg/yr of it from the watershed.");
}
