// trophex-cli where things go wrong beyond a bad file: a data file of 3 GB, and a failure
// that escapes a command. Neither may end the program on an exception.

#include "cli/guarded.h"
#include "cli/runner.h"
#include "files/datafile.h"

#include "examples/examplelake.h"
#include "tests/disk_helpers.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>
#include <new>
#include <sstream>
#include <stdexcept>

using namespace trophex;
using namespace trophex::cli;

namespace {

constexpr std::uintmax_t ThreeGigabytes = std::uintmax_t{3} << 30;

class RunnerOnHugeFiles : public disk::DataFileOnDisk {
protected:
    int run(const std::vector<std::string>& args)
    {
        out.str("");
        err.str("");
        return runRunner(args, out, err, NumberFormat{});
    }

    std::ostringstream out, err;
};

}  // namespace

TEST_F(RunnerOnHugeFiles, ASparseThreeGigabyteFileIsRefusedAndTheOthersStillRun)
{
    if (!disk::makesSparseFilesOf(dir, ThreeGigabytes))
        GTEST_SKIP() << "no file of 3 GB can be made here";
    const std::string huge = (dir / "huge.tpx").string();
    disk::spitSparse(huge, "", ThreeGigabytes);
    const std::string example = (dir / "example.tpx").string();
    ASSERT_EQ(writeDataFile(example, exampleLake()), std::nullopt);

    EXPECT_EQ(run({huge, example}), 1);
    EXPECT_EQ(out.str().rfind("File: " + huge + "\nError: Invalid Input File!\n\nFile: " + example + "\n", 0), 0u)
        << out.str();
    EXPECT_NE(out.str().find("Average TSI"), std::string::npos);

    EXPECT_EQ(run({"--json", huge}), 1);
    EXPECT_NE(out.str().find("\"error\":\"Invalid Input File!\""), std::string::npos) << out.str();
}

TEST(RunnerGuard, AnEscapingExceptionIsOneLineAndStatusOne)
{
    std::ostringstream err;
    EXPECT_EQ(runGuarded([] { return 2; }, err), 2);
    EXPECT_EQ(err.str(), "");
    EXPECT_EQ(runGuarded([]() -> int { throw std::runtime_error("cannot write out.csv: Broken pipe"); }, err), 1);
    EXPECT_EQ(err.str(), "trophex-cli: cannot write out.csv: Broken pipe\n");
    err.str("");
    EXPECT_EQ(runGuarded([]() -> int { throw std::bad_alloc(); }, err), 1);
    // The program's own words for a lack of memory, not the exception's type name.
    EXPECT_EQ(err.str(), "trophex-cli: Out of memory!\n");
}
