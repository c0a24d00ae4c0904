// One argument grammar for every command: "--opt value" and "--opt=value" alike, "--" ends
// the options, a flag takes no value.

#include "cli/arguments.h"
#include "cli/batch.h"
#include "cli/response.h"
#include "cli/runner.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>

using namespace trophex;
using namespace trophex::cli;

namespace fs = std::filesystem;

namespace {

using Args = std::vector<std::string>;

// What a command's parse gives, as one comparable text; the error when it fails.
std::string runnerParse(const Args& args)
{
    std::string error;
    const std::optional<RunnerOptions> o = parseRunnerArguments(args, error);
    if (!o)
        return "error: " + error;
    std::ostringstream text;
    text << o->json << '|' << o->reportPath << '|';
    for (const UnitChoice& unit : o->units)
        text << outputSelectorName(unit.result) << '=' << unit.unit << ',';
    for (const std::string& file : o->files)
        text << file << ',';
    return text.str();
}

std::string responseParse(const Args& args)
{
    std::string error;
    const std::optional<ResponseOptions> o = parseResponseArguments(args, error);
    if (!o)
        return "error: " + error;
    std::ostringstream text;
    text << o->json << '|' << o->request.target << '|' << o->request.mode << '|' << o->reportPath << '|';
    for (const std::string& file : o->files)
        text << file << ',';
    return text.str();
}

TEST(Arguments, ValuesJoinedOrApartAndTheEndOfOptions)
{
    struct Case {
        std::string (*parse)(const Args&);
        Args spaced;
        Args joined;
        std::string expected;
    };
    const std::vector<Case> cases = {
        {runnerParse, {"--unit", "OutVolUnits=gal/day", "a.tpx"}, {"--unit=OutVolUnits=gal/day", "a.tpx"},
         "0||OutVolUnits=gal/day,a.tpx,"},
        {runnerParse, {"--report", "r.pdf", "a.tpx"}, {"--report=r.pdf", "a.tpx"}, "0|r.pdf|a.tpx,"},
        {runnerParse, {"--json", "--", "--json", "-"}, {"--json", "--", "--json", "-"}, "1||--json,-,"},
        {runnerParse, {"--json=yes", "a.tpx"}, {"--json=", "a.tpx"}, "error: --json takes no value"},
        {runnerParse, {"a.tpx", "--unit"}, {"a.tpx", "--unit"}, "error: --unit needs a value"},
        {responseParse, {"--target", "tp=20", "--model", "a.tpx"}, {"--target=tp=20", "--model", "a.tpx"},
         "0|tp=20|model||a.tpx,"},
        {responseParse, {"--report", "r.pdf", "--", "-x.tpx"}, {"--report=r.pdf", "--", "-x.tpx"}, "0|ecoregion||r.pdf|-x.tpx,"},
        {responseParse, {"--model=yes", "a.tpx"}, {"--model=no", "a.tpx"}, "error: --model takes no value"},
        {responseParse, {"--target", "tp=0", "a.tpx"}, {"--target=tp=0", "a.tpx"},
         "error: the tp target must be above 0 ug/L"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(c.parse(c.spaced), c.expected) << c.spaced.front();
        EXPECT_EQ(c.parse(c.joined), c.expected) << c.joined.front();
    }
}

class BatchArguments : public ::testing::Test {
protected:
    void SetUp() override
    {
        dir = fs::temp_directory_path() / ("trophex_batch_arguments_" + std::to_string(std::random_device{}()));
        fs::create_directories(dir);
    }
    void TearDown() override { fs::remove_all(dir); }

    int batch(Args args)
    {
        std::vector<char*> argv;
        for (std::string& arg : args)
            argv.push_back(arg.data());
        return runBatchCommand(static_cast<int>(argv.size()), argv.data());
    }

    std::string contents(const std::string& name)
    {
        std::ifstream in(dir / name, std::ios::binary);
        std::ostringstream bytes;
        bytes << in.rdbuf();
        return bytes.str();
    }

    std::string path(const std::string& name) { return (dir / name).string(); }

    fs::path dir;
};

TEST_F(BatchArguments, TakeValuesJoinedOrApart)
{
    ASSERT_EQ(batch({"--generate", "40", "--seed", "7", "-o", path("spaced.csv")}), 0);
    ASSERT_EQ(batch({"--generate=40", "--seed=7", "-o=" + path("joined.csv")}), 0);
    EXPECT_EQ(contents("spaced.csv"), contents("joined.csv"));
    ASSERT_FALSE(contents("joined.csv").empty());

    ASSERT_EQ(batch({"--threads", "2", "--target", "tp=20", path("joined.csv"), "--output", path("a.csv")}), 0);
    ASSERT_EQ(batch({"--threads=2", "--target=tp=20", path("joined.csv"), "--output=" + path("b.csv")}), 0);
    EXPECT_EQ(contents("a.csv"), contents("b.csv"));
    ASSERT_EQ(batch({"--threads=1", "--", path("joined.csv"), "-o", path("c.csv")}), 2) << "-o after -- is a file";
    EXPECT_EQ(batch({"--raw=yes", path("joined.csv")}), 2);
    EXPECT_EQ(batch({"--threads=0", path("joined.csv")}), 2);
}

}  // namespace
