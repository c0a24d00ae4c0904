#include "model/balance.h"
#include "model/calculation.h"
#include "model/chlorophyll.h"
#include "model/ecoregion.h"
#include "arithmetic/fpu.h"
#include "model/inputs.h"
#include "model/names.h"
#include "model/outputunits.h"
#include "model/predictions.h"
#include "model/results.h"
#include "model/tsi.h"
#include "examples/examplelake.h"

#include "tests/extended_values.h"

#include <gtest/gtest.h>

#include <cmath>
#include <set>

using namespace trophex;
using trophex::testing::decimal;
using trophex::testing::powerOfTwo;

namespace {

CalculationOutcome calculate(const InputTexts& t)
{
    return runCalculation(t, NumberFormat{});
}

std::string errorOf(InputTexts t, Input input, const std::string& text)
{
    t[input] = text;
    return errorMessage(calculate(t).error);
}

Real48 r48(Extended v)
{
    return Real48::store(v);
}

}  // namespace

TEST(Balance, WorkedExample)
{
    const CalculationOutcome out = calculate(exampleLake());
    ASSERT_TRUE(out.ok()) << errorMessage(out.error);
    const ModelState& s = out.state;
    EXPECT_NEAR(s.OutVol, 2.43, 1e-12);
    EXPECT_NEAR(s.LakeVol, 5, 1e-12);
    EXPECT_NEAR(s.WatLoad, 2.43, 1e-12);
    EXPECT_NEAR(s.ResTime, 2.0576, 5e-5);
    EXPECT_NEAR(s.PhosLoad, 134.6, 1e-9);
    EXPECT_NEAR(s.AvgInTP, 55.391, 5e-4);
    EXPECT_NEAR(static_cast<double>(s.CVtp.value()), 16.195, 5e-4);

    const auto& o = out.texts;
    EXPECT_EQ(o[Result::OutVol], "2.43");
    EXPECT_EQ(o[Result::WatLoad], "2.43");
    EXPECT_EQ(o[Result::ResTime], "2.1");
    EXPECT_EQ(o[Result::PhosLoad], "135");
    EXPECT_EQ(o[Result::AvgInTP], "55");
    EXPECT_EQ(o[Result::CVtp], "16.2");
}

TEST(Balance, LakeWithoutWatershedAndWithoutAlkalinity)
{
    InputTexts t = exampleLake();
    t[Input::WareaEditBox] = "0";
    t[Input::AlkalinityEditBox] = "";
    const CalculationOutcome out = calculate(t);
    ASSERT_TRUE(out.ok()) << errorMessage(out.error);
    EXPECT_NEAR(out.state.OutVol, 0.13, 1e-12);
    EXPECT_NEAR(out.state.PhosLoad, 15, 1e-12);
    EXPECT_TRUE(out.state.CVtp.isZero());
    EXPECT_EQ(out.texts[Result::CVtp], "NA");
}

TEST(Predictions, WorkedExample)
{
    const CalculationOutcome out = calculate(exampleLake());
    ASSERT_TRUE(out.ok()) << errorMessage(out.error);
    ModelState s = out.state;
    const Predictions p = CalcVarConc(s);
    EXPECT_NEAR(static_cast<double>(p.rows[0].predicted), 22.102, 5e-4);
    EXPECT_NEAR(p.PhosRet, 0.60097, 5e-6);
    EXPECT_NEAR(static_cast<double>(p.rows[0].stdError), 6.8003, 5e-5);
    EXPECT_NEAR(static_cast<double>(p.rows[0].residual10), 0.13266, 5e-6);
    EXPECT_NEAR(static_cast<double>(p.rows[0].ttest), 0.87588, 5e-6);
    EXPECT_NEAR(s.PredChlrA, 6.0686, 5e-5);
    EXPECT_NEAR(s.VarChlrA, 0.32778, 5e-6);
    EXPECT_NEAR(static_cast<double>(p.rows[1].stdError), 3.4744, 5e-5);
    EXPECT_NEAR(static_cast<double>(p.rows[1].ttest), 0.79093, 5e-6);
    EXPECT_NEAR(static_cast<double>(p.rows[2].predicted), 2.6782, 5e-5);
    EXPECT_NEAR(static_cast<double>(p.rows[2].stdError), 1.0445, 5e-5);
    EXPECT_NEAR(static_cast<double>(p.rows[2].residual10), -0.12679, 5e-6);
    EXPECT_NEAR(static_cast<double>(p.rows[2].ttest), -0.70591, 5e-6);

    EXPECT_EQ(out.texts[Result::PhosRet], "0.60");
    using Row = std::vector<std::string>;
    const GridTexts cells = gridTexts(ResultPage::Predictions, out.texts);
    EXPECT_EQ(cells[0], (Row{"30", "22", "7", "0.13", "0.88"}));
    EXPECT_EQ(cells[1], (Row{"10.0", "6.1", "3.5", "0.22", "0.79"}));
    EXPECT_EQ(cells[2], (Row{"2.0", "2.7", "1.0", "-0.13", "-0.71"}));
}

TEST(Predictions, ObservedValuesShownInModelUnits)
{
    InputTexts t = exampleLake();
    t[Input::TPeditBox] = "0.03";
    t[Input::TPunitComboBox] = "mg/L";
    const CalculationOutcome out = calculate(t);
    ASSERT_TRUE(out.ok()) << errorMessage(out.error);
    EXPECT_EQ(out.texts[Result::TPObserved], "30");
}

TEST(Predictions, ZeroObservedPhosphorusHasNoResidualButFaultsAtTheIndex)
{
    InputTexts t = exampleLake();
    t[Input::TPeditBox] = "0";
    const CalculationOutcome out = calculate(t);
    EXPECT_EQ(out.error.code, ErrorCode::DivisionByZero);
    ModelState s;
    convertInputs(s, t);
    CalculateBalance(s);
    const PredictionRow tp = CalcVarConc(s).rows[0];
    const auto text = [](Result r, Extended v) { return resultText(resultSpec(r), v, NumberFormat{}); };
    EXPECT_EQ(text(Result::TPObserved, tp.observed), "0");
    EXPECT_EQ(text(Result::TPPredicted, tp.predicted), "22");
    EXPECT_EQ(text(Result::TPResidual, tp.residual10), "0.00");
    EXPECT_EQ(text(Result::TPTtest, tp.ttest), "0.00");
}

TEST(Chlorophyll, WorkedExampleFrequencies)
{
    const Real48 s1 = r48(0.5), s2 = r48(0.3), mean = r48(20);
    const Real48 sb = Real48::store(sqrt(0.34_x));
    const char* expectedA[] = {"87%", "40%", "14%", "1%"};
    const char* expectedB[] = {"84%", "41%", "18%", "2%"};
    const int bounds[] = {10, 20, 30, 60};
    (void)s2;
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(formatNumber(CalcChlrABrain(r48(bounds[i]), mean, s1, s1), NumberPattern::Percent, {}),
                  expectedA[i]);
        EXPECT_EQ(formatNumber(CalcChlrABrain(r48(bounds[i]), mean, sb, s1), NumberPattern::Percent, {}),
                  expectedB[i]);
    }
}

TEST(Chlorophyll, BoundAtTheBiasedMeanGivesFiftyPercent)
{
    const Real48 s1 = r48(0.5);
    const Extended m = 20;
    const Real48 x = r48(m * extendedExp(-0.125_x));
    EXPECT_EQ(formatNumber(CalcChlrABrain(x, r48(m), s1, s1), NumberPattern::Percent, {}), "50%");
    EXPECT_EQ(formatNumber(CalcChlrABrain(r48(60), r48(0.01), s1, s1), NumberPattern::Percent, {}), "0%");
    EXPECT_EQ(formatNumber(CalcChlrABrain(r48(10), r48(1e6), s1, s1), NumberPattern::Percent, {}), "100%");
}

TEST(Chlorophyll, ObservedAndCaseAAgreeForEqualMeans)
{
    InputTexts t = exampleLake();
    ModelState s;
    convertInputs(s, t);
    CalculateBalance(s);
    CalcVarConc(s);
    s.ObsChlrA = Real48::store(s.PredChlrA);
    const ChlrFrequencies f = CalcChlrAMain(s);
    for (int row = 0; row < 4; ++row)
        EXPECT_EQ(f[row][0], f[row][1]);
}

// The state of the worked example after the balance and the predictions.
ModelState exampleStateBeforeFrequencies()
{
    ModelState s;
    convertInputs(s, exampleLake());
    CalculateBalance(s);
    CalcVarConc(s);
    return s;
}

TEST(Chlorophyll, EveryCellEqualsItsFrequencyTakenAlone)
{
    const ModelState s = exampleStateBeforeFrequencies();
    const Real48 sb = Real48::store(sqrt(Extended(power(s.S1.doubleValue(), 2)) + power(s.S2.doubleValue(), 2)));
    const Real48 sc = Real48::store(sqrt(Extended(power(sb.doubleValue(), 2)) + s.VarChlrA));
    const std::array<Real48, 4> means = {s.ObsChlrA, Real48::store(s.PredChlrA), Real48::store(s.PredChlrA),
                                         Real48::store(s.PredChlrA)};
    const std::array<Real48, 4> spreads = {s.S1, s.S1, sb, sc};
    const std::array<int, 4> bounds = {10, 20, 30, 60};
    const ChlrFrequencies f = CalcChlrAMain(s);
    for (int row = 0; row < 4; ++row)
        for (int col = 0; col < 4; ++col)
            EXPECT_EQ(f[row][col], CalcChlrABrain(r48(bounds[row]), means[col], spreads[col], s.S1))
                << "row " << row << " column " << col;
}

TEST(Chlorophyll, FirstFaultIsTheOneMetColumnByColumn)
{
    const auto messageOf = [](const ModelState& s) -> std::string {
        try {
            CalcChlrAMain(s);
        } catch (const FloatFault& fault) {
            return fault.what();
        }
        return "no fault";
    };
    const std::string divisionByZero = errorMessage(ErrorCode::DivisionByZero);
    const std::string invalid = errorMessage(ErrorCode::InvalidOperation);
    const ModelState example = exampleStateBeforeFrequencies();

    ModelState s = example;
    s.VarChlrA = -100;  // Case C's spread is the square root of a negative number
    EXPECT_EQ(messageOf(s), invalid);
    s.PredChlrA = 0;  // Case A divides by the predicted mean before Case C is reached
    EXPECT_EQ(messageOf(s), divisionByZero);
    s = example;
    s.PredChlrA = -5;
    s.ObsChlrA = Real48();  // the observed column comes first
    EXPECT_EQ(messageOf(s), divisionByZero);
    s.ObsChlrA = r48(-5);
    EXPECT_EQ(messageOf(s), invalid);
    s.S1 = Real48();  // the Case B spread is taken before any column
    EXPECT_EQ(messageOf(s), divisionByZero);
}

TEST(TrophicState, WorkedExamples)
{
    ModelState s;
    s.ObsTP = r48(10);
    s.ObsChlrA = r48(10);
    s.ObsSechi = r48(1);
    using Boxes = std::array<std::string, 4>;  // average, phosphorus, chlorophyll a, Secchi
    EXPECT_EQ(OutputTSI(s, NumberFormat{}), (Boxes{"50", "37", "53", "60"}));
    EXPECT_EQ(CalcSTSI(s).value(), 60.0_x);

    s.ObsTP = r48(30);
    s.ObsSechi = r48(1.5);
    EXPECT_EQ(OutputTSI(s, NumberFormat{}), (Boxes{"54", "53", "53", "54"}));

    s.ObsChlrA = r48(0.01);
    EXPECT_EQ(OutputTSI(s, NumberFormat{})[2], "-15");
}

TEST(Ecoregions, DefaultsAndRangesChosenByTheCodeInAnyLetterCase)
{
    EXPECT_EQ(calibrationDefaults("NLF")[0], "52");
    EXPECT_EQ(calibrationDefaults("WCP")[1], "0.80");
    EXPECT_EQ(calibrationDefaults("wcp")[0], "570");
    EXPECT_EQ(calibrationDefaults("nlf")[0], "52");
    EXPECT_EQ(calibrationDefaults("cHf")[0], "148");
    EXPECT_EQ(calibrationDefaults("NLF ")[0], "1500");
    EXPECT_EQ(calibrationDefaults("NL")[0], "1500");
    EXPECT_EQ(calibrationDefaults("")[3], "0.05");
    EXPECT_EQ(calibrationDefaults("CHF")[14], "0.20");
    EXPECT_EQ(ecoregionTsiRanges("NLF", RangeUse::Chart)[2].low, 20);
    EXPECT_EQ(ecoregionTsiRanges("NLF", RangeUse::Report)[2].low, 0);
    EXPECT_EQ(ecoregionTsiRanges("xyz", RangeUse::Chart)[3].high, 77);
    EXPECT_EQ(ecoregionTsiRanges("CHF", RangeUse::Report)[2].low, 47);
    EXPECT_EQ(ecoregionTsiRanges("nlf", RangeUse::Report)[2].low, 0);
}

TEST(Names, RecognisedInAnyAsciiLetterCaseOnly)
{
    EXPECT_TRUE(sameNameIgnoringCase("ACRES", "Acres"));
    EXPECT_TRUE(sameNameIgnoringCase("mg/l", "mg/L"));
    EXPECT_TRUE(sameNameIgnoringCase("", ""));
    EXPECT_FALSE(sameNameIgnoringCase("km", "km2"));
    EXPECT_FALSE(sameNameIgnoringCase("km2 ", "km2"));
    EXPECT_FALSE(sameNameIgnoringCase("m\xC4", "m\xE4"));  // letters beyond ASCII keep their case
    EXPECT_FALSE(sameNameIgnoringCase("m@", "m`"));         // neighbours of the letters are not letters
    EXPECT_EQ(findName(areaUnits(), "MI2"), 3u);
    EXPECT_EQ(findName(areaUnits(), "hectares"), std::nullopt);
    EXPECT_EQ(ecoregionCode("ngp"), Ecoregion::NGP);
    EXPECT_EQ(ecoregionCode("Northern"), std::nullopt);
    EXPECT_EQ(ecoregionOf("Northern"), Ecoregion::NGP);
}

TEST(InputStage, UnitFactors)
{
    struct Case {
        const char* text;
        const char* unit;
        Extended km2;
    };
    for (const Case& c : {Case{"100", "HA", 1}, Case{"640", "Acres", 2.58998784_x}, Case{"1", "mi2", 2.589988_x},
                          Case{"3", "km2", 3}, Case{"100", "ha", 1}, Case{"640", "ACRES", 2.58998784_x},
                          Case{"1", "Mi2", 2.589988_x}, Case{"3", "KM2", 3}}) {
        InputTexts t = exampleLake();
        t[Input::WareaEditBox] = c.text;
        t[Input::WareaComboBox] = c.unit;
        ModelState s;
        ASSERT_FALSE(convertInputs(s, t).failed()) << c.unit;
        EXPECT_NEAR(s.WatArea.doubleValue(), c.km2.toDouble(), 1e-10) << c.unit;
    }
    InputTexts t = exampleLake();
    t[Input::DepthEditBox] = "10";
    t[Input::DepthComboBox] = "ft";
    t[Input::SechiEditBox] = "2";
    t[Input::SechiUnitComboBox] = "ft";
    t[Input::TPeditBox] = "0.025";
    t[Input::TPunitComboBox] = "mg/L";
    t[Input::AlkalinityEditBox] = "50";
    t[Input::AlkalinityUnitComboBox] = "mg/L";
    ModelState s;
    ASSERT_FALSE(convertInputs(s, t).failed());
    EXPECT_NEAR(static_cast<double>(s.MeanDepth.value()), 3.048, 1e-11);
    EXPECT_NEAR(static_cast<double>(s.ObsSechi.value()), 0.6096, 1e-11);
    EXPECT_NEAR(static_cast<double>(s.ObsTP.value()), 25, 1e-9);
    EXPECT_NEAR(static_cast<double>(s.Alkalinity.value()), 1, 1e-11);

    // The same lake with every unit typed in another letter case reads the same values.
    InputTexts typed = t;
    typed[Input::DepthComboBox] = "FT";
    typed[Input::SechiUnitComboBox] = "Ft";
    typed[Input::TPunitComboBox] = "mg/l";
    typed[Input::AlkalinityUnitComboBox] = "MG/L";
    ModelState typedState;
    ASSERT_FALSE(convertInputs(typedState, typed).failed());
    for (Real48 ModelState::*v : {&ModelState::MeanDepth, &ModelState::ObsSechi, &ModelState::ObsTP,
                                  &ModelState::Alkalinity})
        EXPECT_EQ(typedState.*v, s.*v);
}

TEST(InputStage, AreaUnitsInLowerCaseGiveTheLakeTheyName)
{
    // 2471 acres and 100 ha are the worked example's 10 km2 and 1 km2.
    InputTexts t = exampleLake();
    t[Input::WareaEditBox] = "2471";
    t[Input::WareaComboBox] = "acres";
    t[Input::LareaEditBox] = "100";
    t[Input::LareaComboBox] = "ha";
    const CalculationOutcome out = calculate(t);
    ASSERT_TRUE(out.ok()) << errorMessage(out.error);
    EXPECT_EQ(out.texts[Result::OutVol], "2.43");
    EXPECT_EQ(out.texts[Result::PhosLoad], "135");
}

TEST(InputStage, UnitNamingNoUnitOfItsSelectorIsAnInputError)
{
    const InputTexts lake = exampleLake();
    for (const auto& [selector, unit] : {std::pair{Input::WareaComboBox, "hectares"}, {Input::LareaComboBox, ""},
                                         {Input::DepthComboBox, "feet"}, {Input::TPunitComboBox, "ug/L "},
                                         {Input::ChlrAunitComboBox, "ppb"}, {Input::SechiUnitComboBox, "km"},
                                         {Input::AlkalinityUnitComboBox, "ueq/L"}}) {
        InputTexts t = lake;
        t[selector] = unit;
        const CalculationOutcome out = calculate(t);
        EXPECT_EQ(errorMessage(out.error), "Invalid Input Parameter!") << unit;
        EXPECT_EQ(out.error.input, selector) << unit;
        EXPECT_EQ(out.error.position, 1) << unit;
        EXPECT_EQ(errorCause(out.error), "") << unit;
    }

    // The unit is checked after its number has been read and stored, and stops the stage.
    InputTexts t = lake;
    t[Input::WareaEditBox] = "10";
    t[Input::WareaComboBox] = "hectares";
    t[Input::StreamEditBox] = "";
    ModelState s;
    s.SurfArea = r48(99);
    const Error error = convertInputs(s, t);
    EXPECT_EQ(error.input, Input::WareaComboBox);
    EXPECT_EQ(s.InputError, 1);
    EXPECT_EQ(s.WatArea.value(), 10);
    EXPECT_EQ(s.SurfArea.value(), 99);
    EXPECT_EQ(s.Alkalinity.value(), 1);

    // An unreadable number is reported before its unit is looked at.
    t[Input::WareaEditBox] = "1,5";
    EXPECT_EQ(calculate(t).error.input, Input::WareaEditBox);
    EXPECT_EQ(calculate(t).error.position, 2);

    // Alkalinity's unit counts only when its number was read, and only when nothing failed
    // before it.
    t = lake;
    t[Input::AlkalinityUnitComboBox] = "";
    t[Input::AlkalinityEditBox] = "";
    const CalculationOutcome noAlkalinity = calculate(t);
    ASSERT_TRUE(noAlkalinity.ok()) << errorMessage(noAlkalinity.error);
    EXPECT_EQ(noAlkalinity.texts[Result::CVtp], "NA");
    t[Input::AlkalinityEditBox] = "1";
    t[Input::SechiEditBox] = "x";
    EXPECT_EQ(calculate(t).error.input, Input::SechiEditBox);
}

TEST(InputStage, ErrorsNameTheInputAndWhereItsTextFailed)
{
    const InputTexts lake = exampleLake();
    struct Case {
        Input input;
        const char* text;
        std::int32_t position;
    };
    for (const Case& c : {Case{Input::LareaEditBox, "1,5", 2}, Case{Input::DepthEditBox, "", 1},
                          Case{Input::TPeditBox, "30 ", 3}, Case{Input::V2Editbox, "x", 1},
                          Case{Input::S2EditBox, "0.2.", 4}, Case{Input::AtmosEditBox, "15kg", 3}}) {
        InputTexts t = lake;
        t[c.input] = c.text;
        const Error error = calculate(t).error;
        EXPECT_EQ(error.code, ErrorCode::InvalidInput) << c.text;
        EXPECT_EQ(error.input, c.input) << c.text;
        EXPECT_EQ(error.position, c.position) << c.text;
    }
}

TEST(InputStage, UnreadableInputsStopTheCalculation)
{
    const InputTexts lake = exampleLake();
    for (Input input : {Input::WareaEditBox, Input::LareaEditBox, Input::DepthEditBox, Input::TPeditBox,
                        Input::ChlrAeditBox, Input::SechiEditBox, Input::StreamEditBox, Input::AtmosEditBox,
                        Input::V1EditBox, Input::V8EditBox, Input::S2EditBox})
        EXPECT_EQ(errorOf(lake, input, "1,5"), "Invalid Input Parameter!") << inputControlName(input);

    // An unreadable alkalinity is simply not given.
    InputTexts t = lake;
    t[Input::AlkalinityEditBox] = "abc";
    const CalculationOutcome out = calculate(t);
    ASSERT_TRUE(out.ok());
    EXPECT_EQ(out.texts[Result::CVtp], "NA");

    // The first failure stops the required conversions; alkalinity is still read.
    t = lake;
    t[Input::WareaEditBox] = "";
    t[Input::StreamEditBox] = "";
    ModelState s;
    s.StreamP = r48(99);
    const Error error = convertInputs(s, t);
    EXPECT_EQ(error.input, Input::WareaEditBox);
    EXPECT_EQ(s.InputError, 1);
    EXPECT_EQ(s.StreamP.value(), 99);
    EXPECT_EQ(s.Alkalinity.value(), 1);
}

TEST(InputStage, ExtremeNumbers)
{
    const InputTexts lake = exampleLake();
    EXPECT_EQ(errorOf(lake, Input::WareaEditBox, "1e39"), "Floating point overflow");
    InputTexts t = lake;
    t[Input::WareaComboBox] = "mi2";
    EXPECT_EQ(errorOf(t, Input::WareaEditBox, "1e38"), "Floating point overflow");
    EXPECT_EQ(errorOf(lake, Input::AlkalinityEditBox, "1e39"), "Floating point overflow");
    // Below the range an input is stored as 0: here a lake without a watershed.
    t = lake;
    t[Input::WareaEditBox] = "1e-40";
    const CalculationOutcome out = calculate(t);
    ASSERT_TRUE(out.ok()) << errorMessage(out.error);
    EXPECT_TRUE(out.state.WatArea.isZero());
    EXPECT_EQ(errorOf(lake, Input::WareaEditBox, "-0"), "");
    EXPECT_EQ(errorOf(lake, Input::NameEditBox, std::string(10000, 'x')), "");
    EXPECT_EQ(errorOf(lake, Input::WareaEditBox, std::string(10000, '1')), "Floating point overflow");

    // An overflow names the input whose number is too large, also after its unit factor.
    t = lake;
    t[Input::WareaComboBox] = "MI2";
    t[Input::WareaEditBox] = "1e38";
    EXPECT_EQ(errorReport(calculate(t).error), "Floating point overflow\nWatershed area is too large.");
    t = lake;
    t[Input::S1EditBox] = "-1e39";
    EXPECT_EQ(errorCause(calculate(t).error), "S1 is too large.");
    EXPECT_EQ(calculate(t).error.input, Input::S1EditBox);
    // An overflowing alkalinity ends the command even after an unreadable input.
    t = lake;
    t[Input::WareaEditBox] = "x";
    t[Input::AlkalinityEditBox] = "1e39";
    EXPECT_EQ(calculate(t).error.input, Input::AlkalinityEditBox);
    EXPECT_EQ(calculate(t).error.code, ErrorCode::Overflow);
}

// The message and its second line for the worked example with one text changed.
std::string reportOf(InputTexts t, Input input, const std::string& text)
{
    t[input] = text;
    return errorReport(calculate(t).error);
}

TEST(Faults, ImpossibleLakesGiveTheirStandardMessageAndTheirCause)
{
    const InputTexts lake = exampleLake();
    const std::string divZero = "Floating point division by zero\n";
    const std::string invalid = "Invalid floating point operation\n";
    const std::string noSurface = "Surface area must be greater than zero.";
    const std::string noDepth = "Mean depth must be greater than zero.";
    EXPECT_EQ(reportOf(lake, Input::LareaEditBox, "0"), divZero + noSurface);
    EXPECT_EQ(reportOf(lake, Input::LareaEditBox, "-1"), invalid + noSurface);  // negative residence time
    EXPECT_EQ(reportOf(lake, Input::DepthEditBox, "0"), divZero + noDepth);     // with alkalinity: CVtp
    EXPECT_EQ(reportOf(lake, Input::DepthEditBox, "-5"), invalid + noDepth);
    InputTexts noAlk = lake;
    noAlk[Input::AlkalinityEditBox] = "";
    EXPECT_EQ(reportOf(noAlk, Input::DepthEditBox, "0"), divZero + noDepth);  // residence time 0
    EXPECT_EQ(reportOf(noAlk, Input::DepthEditBox, "-5"), invalid + noDepth);
    EXPECT_EQ(reportOf(lake, Input::AlkalinityEditBox, "-1"), invalid + "Alkalinity must be greater than zero.");

    const std::string noOutflow =
        "Lake outflow is zero or negative: evaporation exceeds precipitation and runoff.";
    InputTexts dry = lake;
    dry[Input::WareaEditBox] = "0";
    EXPECT_EQ(reportOf(dry, Input::EvapEditBox, "0.74"), divZero + noOutflow);
    EXPECT_EQ(reportOf(dry, Input::EvapEditBox, "0.9"), invalid + noOutflow);  // negative outflow
    dry[Input::EcoRegComboBox] = "NGP";
    applyEcoregionDefaults(dry);  // evaporation 0.76 above precipitation 0.64
    EXPECT_EQ(errorReport(calculate(dry).error), invalid + noOutflow);
    EXPECT_EQ(calculate(dry).error.input, std::nullopt);
    EXPECT_EQ(reportOf(lake, Input::WareaEditBox, "-100"), invalid + "Watershed area must not be negative.");
    EXPECT_EQ(reportOf(lake, Input::RunoffEditBox, "-0.23"), invalid + "Runoff must not be negative.");

    InputTexts noLoad = lake;
    noLoad[Input::StreamEditBox] = "0";
    noLoad[Input::AtmosEditBox] = "0";
    EXPECT_EQ(errorReport(calculate(noLoad).error),
              divZero + "Phosphorus load is zero: neither the streams nor the atmosphere bring phosphorus to the lake.");
    EXPECT_EQ(reportOf(noLoad, Input::StreamEditBox, "-52"), invalid + "Stream P must not be negative.");

    EXPECT_EQ(reportOf(lake, Input::TPeditBox, "0"), divZero + "Total phosphorus must be greater than zero.");
    EXPECT_EQ(reportOf(lake, Input::ChlrAeditBox, "0"), divZero + "Chlorophyll a must be greater than zero.");
    EXPECT_EQ(reportOf(lake, Input::ChlrAeditBox, "-3"), invalid + "Chlorophyll a must be greater than zero.");
    EXPECT_EQ(reportOf(lake, Input::SechiEditBox, "0"), divZero + "Secchi depth must be greater than zero.");
    EXPECT_EQ(reportOf(lake, Input::S1EditBox, "0"), divZero + "S1 must be greater than zero.");
    EXPECT_EQ(reportOf(lake, Input::S2EditBox, "-0.2"), invalid + "S2 must be greater than zero.");
    EXPECT_EQ(reportOf(lake, Input::V6EditBox, "-1"), invalid + "V6 must not be negative.");
    EXPECT_EQ(reportOf(lake, Input::V4EditBox, "-1"), invalid + "V4 must not be negative.");
    InputTexts noErrors = lake;
    for (int i = static_cast<int>(Input::V1EditBox); i <= static_cast<int>(Input::V8EditBox); ++i)
        noErrors.texts[i] = "0";
    EXPECT_EQ(errorReport(calculate(noErrors).error),
              divZero + "A prediction has no error variance: the error terms V1 to V8 must not be zero.");

    // The cause names the input by its control as well.
    InputTexts t = lake;
    t[Input::ChlrAeditBox] = "0";
    EXPECT_EQ(calculate(t).error.input, Input::ChlrAeditBox);
}

TEST(OutputUnits, ConversionTable)
{
    ModelState s;
    s.OutVol = 1.5;
    s.ResTime = 2.25;
    s.AvgInTP = 37.4;
    s.CVtp = r48(16.195);
    const NumberFormat f;
    EXPECT_EQ(convertedResultText(OutputResult::OutVol, "L/day", s, f), "4,109,616.00");
    EXPECT_EQ(convertedResultText(OutputResult::OutVol, "hm3/yr", s, f), "1.50");
    EXPECT_EQ(convertedResultText(OutputResult::OutVol, "gal/day", s, f), "1,087,200.00");
    EXPECT_EQ(convertedResultText(OutputResult::ResTime, "days", s, f), "821");
    EXPECT_EQ(convertedResultText(OutputResult::ResTime, "hours", s, f), "19710");
    EXPECT_EQ(convertedResultText(OutputResult::ResTime, "years", s, f), "2.3");
    EXPECT_EQ(convertedResultText(OutputResult::ResTime, "Days", s, f), "821");
    EXPECT_EQ(convertedResultText(OutputResult::ResTime, "day", s, f), "2.3");
    EXPECT_EQ(convertedResultText(OutputResult::AvgInTP, "mg/L", s, f), "0.037");
    EXPECT_EQ(convertedResultText(OutputResult::AvgInTP, "ug/L", s, f), "37");
    EXPECT_EQ(convertedResultText(OutputResult::CVtp, "mg/L", s, f), "0.016");
    s.PhosLoad = 1234.5;
    s.WatLoad = 2.345;
    for (OutputResult r : AllOutputResults) {  // a calculation shows each result in its model unit
        const ResultSpec& desc = resultSpec(resultOf(r));
        EXPECT_EQ(resultText(desc, outputResultValue(r, s), f), convertedResultText(r, modelUnit(r), s, f))
            << desc.control;
        EXPECT_STREQ(desc.unit, modelUnit(r));
    }
    EXPECT_EQ(resultText(resultSpec(Result::CVtp), 0, f), "NA");
    s.CVtp = Real48();  // not computed: "NA" in every unit
    EXPECT_EQ(convertedResultText(OutputResult::CVtp, "mg/L", s, f), "NA");

    // The unit a text shows the result in, as the selector lists it.
    EXPECT_STREQ(shownUnit(OutputResult::OutVol, "l/DAY"), "L/day");
    EXPECT_STREQ(shownUnit(OutputResult::OutVol, "litres"), "hm3/yr");
    EXPECT_STREQ(shownUnit(OutputResult::WatLoad, ""), "m/yr");
}

TEST(ResultTable, EveryGridCellHoldsExactlyOneResult)
{
    std::set<std::pair<int, int>> comp, chlr;
    for (const ResultSpec& desc : resultTable()) {
        if (desc.page == ResultPage::Predictions) {
            EXPECT_TRUE(comp.insert({desc.gridColumn, desc.gridRow}).second) << desc.batchColumn;
        } else if (desc.page == ResultPage::ChlrA) {
            EXPECT_TRUE(chlr.insert({desc.gridColumn, desc.gridRow}).second) << desc.batchColumn;
        }
    }
    EXPECT_EQ(comp.size(), (CompGridColumnTitles.size() - 1) * CompGridRowTitles.size());
    EXPECT_EQ(chlr.size(), (ChlrGridColumnTitles.size() - 1) * ChlrGridRowTitles.size());
    EXPECT_EQ(comp.begin()->first, 1);
    EXPECT_EQ(comp.rbegin()->first, 5);
    EXPECT_EQ(chlr.rbegin()->second, 4);
}

TEST(ResultTable, NamesAreUniqueAndEveryUnitSelectorHasItsResult)
{
    std::set<std::string> columns, controls, labels;
    for (const ResultSpec& desc : resultTable()) {
        EXPECT_TRUE(columns.insert(desc.batchColumn).second) << desc.batchColumn;
        EXPECT_TRUE(labels.insert(desc.label).second) << desc.label;
        if (desc.gridRow == 0) {
            EXPECT_TRUE(controls.insert(desc.control).second) << desc.control;
        }
    }
    for (OutputResult selector : AllOutputResults)
        EXPECT_EQ(selectorOf(resultOf(selector)), selector);
    EXPECT_FALSE(selectorOf(Result::PhosRet));
}

TEST(Errors, MessagesKeepTheirWordingAndCarryTheirDetail)
{
    EXPECT_EQ(errorMessage(ErrorCode::None), "");
    EXPECT_EQ(errorMessage(ErrorCode::InvalidInput), "Invalid Input Parameter!");
    EXPECT_EQ(errorMessage(ErrorCode::InvalidFile), "Invalid Input File!");
    EXPECT_EQ(errorMessage(ErrorCode::NothingToPrint), "There's nothing to print!");
    EXPECT_EQ(errorMessage({ErrorCode::UnknownUnit, "hectares"}), "Unknown unit \"hectares\"!");
    EXPECT_EQ(errorMessage({ErrorCode::System, "No such file or directory"}), "No such file or directory");
    EXPECT_EQ(FloatFault(FloatFaultKind::Overflow).what(), std::string("Floating point overflow"));
    // The cause is a second line, never part of the message itself.
    const Error fault{ErrorCode::InvalidOperation, {}, ErrorCause::NotPositive, Input::AlkalinityEditBox};
    EXPECT_EQ(errorMessage(fault), "Invalid floating point operation");
    EXPECT_EQ(errorReport(fault), "Invalid floating point operation\nAlkalinity must be greater than zero.");
    EXPECT_EQ(errorReport({ErrorCode::InvalidInput, {}, ErrorCause::None, Input::WareaEditBox, 1}),
              "Invalid Input Parameter!");
}
