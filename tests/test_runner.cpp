#include "cli/json.h"
#include "cli/runner.h"
#include "files/datafile.h"

#include "examples/examplelake.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>

using namespace trophex;
using namespace trophex::cli;
namespace fs = std::filesystem;

namespace {

class Runner : public ::testing::Test {
protected:
    void SetUp() override
    {
        dir = fs::temp_directory_path() / ("trophex_runner_" + std::to_string(::getpid()));
        fs::create_directories(dir);
        InputTexts t = exampleLake();
        t[Input::NameEditBox] = "Example \"Lake\"";
        example = (dir / "example.tpx").string();
        writeDataFile(example, t);
        t[Input::LareaEditBox] = "big";
        invalid = (dir / "invalid.tpx").string();
        writeDataFile(invalid, t);
    }
    void TearDown() override { fs::remove_all(dir); }

    int run(std::vector<std::string> args, const NumberFormat& format = {})
    {
        out.str("");
        err.str("");
        return runRunner(args, out, err, format);
    }

    fs::path dir;
    std::string example, invalid;
    std::ostringstream out, err;
};

}  // namespace

TEST_F(Runner, JsonCarriesEveryDisplayedText)
{
    ASSERT_EQ(run({"--json", example}), 0) << err.str();
    const std::string line = out.str();
    EXPECT_EQ(line.back(), '\n');
    EXPECT_EQ(std::count(line.begin(), line.end(), '\n'), 1);
    for (const char* fragment :
         {"\"ok\":true", "\"NameEditBox\":\"Example \\\"Lake\\\"\"", "\"OutVolEditBox\":\"2.43\"",
          "\"OutVolUnits\":\"hm3/yr\"", "\"CVtpEditBox\":\"16.2\"", "\"PhosRetEditBox\":\"0.60\"",
          "\"AvgTSIeditBox\":\"52\"", "[\"TP (ug/L)\",\"30\",\"22\",\"7\",\"0.13\",\"0.88\"]",
          "[\"Secchi (m)\",\"2.0\",\"2.7\",\"1.0\",\"-0.13\",\"-0.71\"]",
          "[\"ppb\",\"Observed\",\"Case A\",\"Case B\",\"Case C\"]"})
        EXPECT_NE(line.find(fragment), std::string::npos) << fragment;
}

TEST_F(Runner, UnitSelectionsApplyAfterTheCalculation)
{
    ASSERT_EQ(run({"--json", "--unit", "OutVolUnits=L/day", "--unit=ResTimeUnits=days", example}), 0);
    EXPECT_NE(out.str().find("\"OutVolEditBox\":\"6,657,577.92\",\"OutVolUnits\":\"L/day\""), std::string::npos);
    EXPECT_NE(out.str().find("\"ResTimeEditBox\":\"751\",\"ResTimeUnits\":\"days\""), std::string::npos);
}

TEST_F(Runner, FailuresAreReportedPerFileAndInTheExitStatus)
{
    EXPECT_EQ(run({"--json", example, invalid, (dir / "missing.tpx").string()}), 1);
    std::istringstream lines(out.str());
    std::string first, second, third;
    std::getline(lines, first);
    std::getline(lines, second);
    std::getline(lines, third);
    EXPECT_NE(first.find("\"ok\":true"), std::string::npos);
    EXPECT_NE(second.find("\"ok\":false,\"error\":\"Invalid Input Parameter!\""), std::string::npos);
    EXPECT_NE(third.find("\"error\":\"No such file or directory\""), std::string::npos);

    EXPECT_EQ(run({invalid}), 1);
    EXPECT_NE(out.str().find("Error: Invalid Input Parameter!\n"), std::string::npos);
}

TEST_F(Runner, FailuresNameTheControlOfTheirInputAndTheirCause)
{
    const auto writeWith = [this](const std::string& name, Input input, const std::string& text) {
        InputTexts t = exampleLake();
        t[input] = text;
        const std::string path = (dir / name).string();
        writeDataFile(path, t);
        return path;
    };
    const std::string badUnit = writeWith("unit.tpx", Input::SechiUnitComboBox, "metres");
    const std::string negative = writeWith("alkalinity.tpx", Input::AlkalinityEditBox, "-1");
    const std::string dry = writeWith("dry.tpx", Input::EvapEditBox, "9");

    EXPECT_EQ(run({"--json", invalid, badUnit, negative, dry}), 1);
    EXPECT_NE(out.str().find("\"ok\":false,\"error\":\"Invalid Input Parameter!\",\"field\":\"LareaEditBox\"}\n"),
              std::string::npos)
        << out.str();
    EXPECT_NE(out.str().find("\"error\":\"Invalid Input Parameter!\",\"field\":\"SechiUnitComboBox\"}"),
              std::string::npos);
    EXPECT_NE(out.str().find("\"error\":\"Invalid floating point operation\",\"field\":\"AlkalinityEditBox\"}"),
              std::string::npos);
    // A cause of no single input names no field.
    EXPECT_NE(out.str().find("\"error\":\"Invalid floating point operation\"}"), std::string::npos);

    EXPECT_EQ(run({negative, dry}), 1);
    EXPECT_NE(out.str().find("Error: Invalid floating point operation\n"
                             "       Alkalinity must be greater than zero.\n"),
              std::string::npos)
        << out.str();
    EXPECT_NE(out.str().find("Error: Invalid floating point operation\n"
                             "       Lake outflow is zero or negative: evaporation exceeds precipitation and runoff.\n"),
              std::string::npos);
}

TEST_F(Runner, BadUsage)
{
    EXPECT_EQ(run({}), 2);
    EXPECT_EQ(run({"--unit", "OutVol=gal/day", example}), 2);
    EXPECT_EQ(run({"--unit"}), 2);
    EXPECT_EQ(run({"--frobnicate", example}), 2);
    EXPECT_NE(err.str().find("usage:"), std::string::npos);
    EXPECT_EQ(run({"--help"}), 0);
    EXPECT_NE(out.str().find("usage:"), std::string::npos);
}

TEST(Json, StringsAreAlwaysValid)
{
    EXPECT_EQ(jsonString("a\"b\\c\n\t\x01"), "\"a\\\"b\\\\c\\n\\t\\u0001\"");
    EXPECT_EQ(jsonString("caf\xe9"), "\"caf\xef\xbf\xbd\"");
    EXPECT_EQ(jsonString("\u6e56"), "\"\u6e56\"");
}

TEST_F(Runner, ReportOptionHandsOneFileToTheReportWriter)
{
    std::string reportedFile, reportedPdf;
    std::size_t unitCount = 0;
    const ReportWriter fake = [&](const std::string& file, const std::string& pdf, const std::vector<UnitChoice>& units,
                                  const NumberFormat&, std::ostream&) {
        reportedFile = file;
        reportedPdf = pdf;
        unitCount = units.size();
        return 0;
    };
    std::vector<std::string> args = {"--unit", "OutVolUnits=gal/day", "--report", "out.pdf", example};
    EXPECT_EQ(runRunner(args, out, err, NumberFormat{}, fake), 0);
    EXPECT_EQ(reportedFile, example);
    EXPECT_EQ(reportedPdf, "out.pdf");
    EXPECT_EQ(unitCount, 1u);

    EXPECT_EQ(runRunner({"--report", "out.pdf", example, invalid}, out, err, NumberFormat{}, fake), 2);
    EXPECT_EQ(runRunner({"--report"}, out, err, NumberFormat{}, fake), 2);
    EXPECT_EQ(runRunner({"--report", "out.pdf", example}, out, err, NumberFormat{}), 2);  // no printing in this build
}

TEST_F(Runner, JsonNumbersIgnoreTheLocaleWhileThePageFollowsIt)
{
    const NumberFormat german{",", "."};
    ASSERT_EQ(run({"--json", "--unit", "OutVolUnits=gal/day", example}, german), 0) << err.str();
    EXPECT_NE(out.str().find("\"OutVolEditBox\":\"1,761,264.00\""), std::string::npos) << out.str();
    EXPECT_NE(out.str().find("\"PhosRetEditBox\":\"0.60\""), std::string::npos);
    ASSERT_EQ(run({"--unit", "OutVolUnits=gal/day", example}, german), 0) << err.str();
    EXPECT_NE(out.str().find("1.761.264,00 gal/day"), std::string::npos) << out.str();
    EXPECT_NE(out.str().find("0,60"), std::string::npos);
}
