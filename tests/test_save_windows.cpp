// Saving on Windows: the new file replaces the earlier one in one step (MoveFileExW), and
// every way a save can fail leaves the earlier file as it was.

#include "files/datafile.h"
#include "tests/disk_helpers.h"
#include "tests/result_texts.h"

#include <gtest/gtest.h>

#include "arithmetic/windowsapi.h"

#include <filesystem>
#include <stdexcept>

using namespace trophex;
using namespace trophex::disk;
namespace fs = std::filesystem;

namespace {

std::size_t entriesIn(const fs::path& dir)
{
    return static_cast<std::size_t>(std::distance(fs::directory_iterator(dir), fs::directory_iterator()));
}

InputTexts lakeNamed(const std::string& name)
{
    InputTexts t = InputTexts::startup();
    t[Input::NameEditBox] = name;
    return t;
}

}  // namespace

TEST_F(DataFileOnDisk, WindowsSaveReplacesTheEarlierFileWithNothingLeftBeside)
{
    const fs::path file = dir / "lake.tpx";
    spit(file, "earlier contents");
    ASSERT_EQ(writeDataFile(file.string(), lakeNamed("New")), std::nullopt);
    const DataFileRead read = readDataFile(file.string());
    ASSERT_TRUE(read.ok());
    EXPECT_EQ((*read.texts)[Input::NameEditBox], "New");
    EXPECT_EQ(entriesIn(dir), 1u);
}

TEST_F(DataFileOnDisk, WindowsSaveThatCannotReplaceKeepsTheEarlierFile)
{
    const fs::path file = dir / "held.tpx";
    spit(file, "earlier contents");
    // Another program holds the file open without sharing it: the replace fails.
    HANDLE held = INVALID_HANDLE_VALUE;
    const auto holdTarget = [&](const std::string&) {
        held = CreateFileW(file.wstring().c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    };
    EXPECT_EQ(writeDataFile(file.string(), lakeNamed("New"), holdTarget), "Permission denied");
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    CloseHandle(held);
    EXPECT_EQ(slurp(file), "earlier contents");
    EXPECT_EQ(entriesIn(dir), 1u);  // the temporary file is gone
}

TEST_F(DataFileOnDisk, WindowsSaveInterruptedBeforeTheReplaceLeavesTheFileWholeAndNoTemporaryFile)
{
    const fs::path file = dir / "lake.tpx";
    spit(file, "earlier contents");
    std::string temporary;
    const auto interrupt = [&](const std::string& tempPath) {
        temporary = tempPath;
        throw std::runtime_error("killed");
    };
    EXPECT_THROW(writeDataFile(file.string(), lakeNamed("New"), interrupt), std::runtime_error);
    EXPECT_EQ(slurp(file), "earlier contents");
    EXPECT_EQ(fs::path(temporary).filename().string().rfind(".lake.tpx.tmp", 0), 0u);
    EXPECT_FALSE(fs::exists(temporary));
}

TEST_F(DataFileOnDisk, WindowsReadOnlyFilesFoldersAndMissingFoldersAreNotWritten)
{
    const fs::path file = dir / "locked.tpx";
    spit(file, "earlier contents");
    SetFileAttributesW(file.wstring().c_str(), FILE_ATTRIBUTE_READONLY);
    EXPECT_EQ(writeDataFile(file.string(), lakeNamed("New")), "Permission denied");
    SetFileAttributesW(file.wstring().c_str(), FILE_ATTRIBUTE_NORMAL);
    EXPECT_EQ(slurp(file), "earlier contents");
    EXPECT_EQ(writeDataFile(dir.string(), lakeNamed("New")), "Is a directory");
    EXPECT_EQ(writeDataFile((dir / "no" / "such.tpx").string(), lakeNamed("New")), "No such file or directory");
    EXPECT_EQ(entriesIn(dir), 1u);
}

TEST_F(DataFileOnDisk, WindowsNamesAreUnicode)
{
    const fs::path file = dir / fs::u8path("M\u00fcggelsee \u6e56.tpx");
    ASSERT_EQ(writeDataFile(file.u8string(), lakeNamed("M\u00fcggelsee")), std::nullopt);
    const DataFileRead read = readDataFile(file.u8string());
    ASSERT_TRUE(read.ok()) << read.error;
    EXPECT_EQ((*read.texts)[Input::NameEditBox], "M\u00fcggelsee");
}
