#include "engine/json.h"
#include "cli/response.h"
#include "cli/runner.h"
#include "files/datafile.h"

#include "examples/examplelake.h"
#include "tests/disk_helpers.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <cmath>
#include <sstream>

using namespace trophex;
using namespace trophex::cli;
using trophex::engine::jsonNumber;
using trophex::engine::jsonString;
namespace fs = std::filesystem;

namespace {

class Runner : public ::testing::Test {
protected:
    void SetUp() override
    {
        dir = disk::freshTestFolder();
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

    int respond(std::vector<std::string> args, const NumberFormat& format = {})
    {
        out.str("");
        err.str("");
        return runResponseCommand(args, out, err, format);
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

namespace {

// The characters of each line, UTF-8 code points counted as one each.
std::vector<std::size_t> lineWidths(const std::string& page)
{
    std::vector<std::size_t> widths{0};
    for (const char c : page) {
        if (c == '\n')
            widths.push_back(0);
        else if ((static_cast<unsigned char>(c) & 0xC0) != 0x80)
            ++widths.back();
    }
    return widths;
}

}  // namespace

// A separator of several bytes (U+202F, as in fr_FR.UTF-8) takes one column on the page, as
// the comma it replaces does: every line keeps its width in characters.
TEST_F(Runner, PagesAlignColumnsByCharactersNotBytes)
{
    const NumberFormat french{",", "\u202f"};
    InputTexts large = exampleLake();  // thousands in the grids and the response table
    large[Input::WareaEditBox] = "1000";
    large[Input::ChlrAeditBox] = "1000";
    const std::string largeLake = (dir / "large.tpx").string();
    writeDataFile(largeLake, large);
    const std::vector<std::string> args{"--unit", "OutVolUnits=gal/day", largeLake};
    for (const bool response : {false, true}) {
        SCOPED_TRACE(response ? "response" : "runner");
        const auto page = [&](const NumberFormat& format) {
            EXPECT_EQ(response ? respond({"--target", "tp=20", largeLake}, format) : run(args, format), 0) << err.str();
            return out.str();
        };
        const std::string english = page(NumberFormat{});
        const std::string grouped = page(french);
        ASSERT_NE(grouped.find("\u202f"), std::string::npos) << grouped;
        EXPECT_EQ(lineWidths(grouped), lineWidths(english)) << grouped;
    }
}

namespace {

// The keys of a JSON text in order, up to the first occurrence of a key: the quoted words
// followed by a colon.
std::vector<std::string> keysBefore(const std::string& json, const std::string& stop)
{
    std::vector<std::string> keys;
    for (std::size_t open = json.find('"'); open != std::string::npos; open = json.find('"', open + 1)) {
        const std::size_t close = json.find('"', open + 1);
        if (close == std::string::npos)
            break;
        if (close + 1 < json.size() && json[close + 1] == ':') {
            keys.push_back(json.substr(open + 1, close - open - 1));
            if (keys.back() == stop)
                break;
        }
        open = close;
    }
    return keys;
}

std::size_t occurrences(const std::string& text, const std::string& part)
{
    std::size_t count = 0;
    for (std::size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1))
        ++count;
    return count;
}

}  // namespace

TEST_F(Runner, ResponseJsonHasItsShapeAndFullPrecisionNumbers)
{
    ASSERT_EQ(respond({"--json", example}), 0) << err.str();
    const std::string line = out.str();
    EXPECT_EQ(std::count(line.begin(), line.end(), '\n'), 1);
    const std::vector<std::string> keys = {
        "file", "ok", "mode", "target", "kind", "value", "text", "loads", "watershed_kg_yr", "atmospheric_kg_yr",
        "total_kg_yr", "result", "status", "reduction_pct", "allowable_load_kg_yr", "allowable_watershed_load_kg_yr",
        "secchi_to_bottom", "tsi_outside_scale", "implied_stream_p_ug_L", "fit", "tp_t_test", "poor", "curve"};
    EXPECT_EQ(keysBefore(line, "curve"), keys);
    EXPECT_EQ(occurrences(line, "{\"reduction_pct\":"), 101u);
    EXPECT_NE(line.find("\"mode\":\"anchored\",\"target\":{\"kind\":\"ecoregion\",\"value\":27.6"), std::string::npos);
    EXPECT_NE(line.find("\"status\":\"needed\""), std::string::npos);
    // At no cut the anchored values are the observed ones; numbers read back as the model's.
    EXPECT_NE(line.find("{\"reduction_pct\":0,\"load_kg_yr\":134.6"), std::string::npos);
    EXPECT_NE(line.find("\"tp\":30,"), std::string::npos);
    const engine::ResponseAssessment a = engine::assessResponse(engine::assessDataFile(example), {});
    ASSERT_TRUE(a.response);
    EXPECT_NE(line.find("\"reduction_pct\":" + jsonNumber(100 * a.response->goal.reduction) + ","), std::string::npos);
    EXPECT_EQ(std::stod(jsonNumber(a.response->curve[37].values->secchi.high)), a.response->curve[37].values->secchi.high);

    ASSERT_EQ(respond({"--json", "--model", "--target", "freq=20:10", example}), 0);
    EXPECT_NE(out.str().find("\"mode\":\"model\""), std::string::npos);
    EXPECT_NE(out.str().find("\"text\":\"chlorophyll a above 20 ug/L at most 10 % of the time\",\"bound\":20},"),
              std::string::npos);
    ASSERT_EQ(respond({"--json", "--target=tp=1", example}), 0);
    EXPECT_NE(out.str().find("\"result\":{\"status\":\"unreachable\",\"reason\":\"atmospheric_load\","
                             "\"reduction_pct\":null,\"allowable_load_kg_yr\":null,"
                             "\"allowable_watershed_load_kg_yr\":null,\"secchi_to_bottom\":null,"
                             "\"tsi_outside_scale\":null}"),
              std::string::npos);
}

TEST_F(Runner, ResponseNumbersKeepTheFullStopWhateverTheLocale)
{
    EXPECT_EQ(jsonNumber(0.1), "0.1");
    EXPECT_EQ(jsonNumber(1e300), "1e+300");
    EXPECT_EQ(jsonNumber(std::nan("")), "null");
    EXPECT_EQ(jsonNumber(-HUGE_VAL), "null");
    const NumberFormat comma{",", "."};
    ASSERT_EQ(respond({"--json", "--target", "secchi=2.5", example}, comma), 0);
    EXPECT_NE(out.str().find("\"value\":2.5,\"text\":\"Secchi depth at least 2.5 m\""), std::string::npos);
    ASSERT_EQ(respond({"--target", "secchi=2.5", example}, comma), 0);
    EXPECT_NE(out.str().find("Secchi depth at least 2,5 m"), std::string::npos);
    EXPECT_NE(out.str().find("The phosphorus load now is 135 kg/yr"), std::string::npos);
}

TEST_F(Runner, ResponseFailuresAndBadUsage)
{
    EXPECT_EQ(respond({"--json", example, invalid}), 1);
    // The file name as JSON writes it: a Windows path's backslashes are escaped. The failure
    // is told as the runner tells it, with the field of the input that failed.
    const std::string failure = "{\"file\":" + jsonString(invalid) +
                                ",\"ok\":false,\"error\":\"Invalid Input Parameter!\",\"field\":\"LareaEditBox\"}\n";
    EXPECT_NE(out.str().find(failure), std::string::npos);
    EXPECT_EQ(run({"--json", invalid}), 1);
    EXPECT_EQ(out.str(), failure);
    EXPECT_EQ(respond({invalid}), 1);
    EXPECT_NE(out.str().find("Error: Invalid Input Parameter!"), std::string::npos);

    for (const std::vector<std::string>& args :
         {std::vector<std::string>{"--target", "tp=0", example}, {"--target", "nitrogen=3", example},
          {"--target"}, {"--frobnicate", example}, {}, {"--report", "a.pdf", example, invalid}}) {
        EXPECT_EQ(respond(args), 2);
        const std::string message = err.str();
        EXPECT_EQ(std::count(message.begin(), message.end(), '\n'), 1) << message;
        EXPECT_EQ(message.rfind("trophex-cli response: ", 0), 0u) << message;
        EXPECT_TRUE(out.str().empty());
    }
    respond({"--target", "tp=0", example});
    EXPECT_EQ(err.str(), "trophex-cli response: the tp target must be above 0 ug/L\n");
    EXPECT_EQ(respond({"--help"}), 0);
    EXPECT_EQ(out.str(), ResponseUsage);
}
