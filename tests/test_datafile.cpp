#include "files/datafile.h"
#include "files/textencoding.h"
#include "tests/disk_helpers.h"
#include "tests/result_texts.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <stdexcept>

#include <sys/stat.h>
#if !defined(_WIN32)
#include <unistd.h>
#endif

#include <filesystem>

using namespace trophex;
using namespace trophex::disk;
namespace fs = std::filesystem;

namespace {

std::string joinCrLf(std::initializer_list<std::string> lines)
{
    std::string s;
    for (const std::string& l : lines)
        s += l + "\r\n";
    return s;
}

}  // namespace

TEST(DataFileFormat, StartupTextsWithANameGiveTheDocumentedLines)
{
    InputTexts t = InputTexts::startup();
    t[Input::NameEditBox] = "Lake";
    const std::string expected = joinCrLf({"TROPHEX 1.0 Data File", "Lake", "NLF", "", "HA", "", "HA", "", "m", "",
                                           "ug/L", "", "ug/L", "", "m", "", "mg/L", "52", "0.74", "0.61", "0.23",
                                           "15", "0.01", "0.202", "0.04", "0.126", "0.038", "0.027", "0.071",
                                           "0.019", "0.48", "0.20"});
    EXPECT_EQ(serializeDataFile(t), expected);
}

TEST(DataFileFormat, EveryTextRoundTripsByteForByte)
{
    InputTexts t = InputTexts::startup();
    t[Input::NameEditBox] = "Lac d'Annecy \u00e9t\u00e9 \u20ac";  // fits Windows-1252
    t[Input::EcoRegComboBox] = "Somewhere else";
    t[Input::WareaEditBox] = "10.500";
    t[Input::LareaEditBox] = " 1e3";
    t[Input::DepthEditBox] = "five";
    t[Input::PrecipEditBox] = "0.80";
    const auto back = parseDataFile(serializeDataFile(t));
    ASSERT_TRUE(back);
    EXPECT_EQ(back->texts, t.texts);

    t[Input::NameEditBox] = "\u041e\u0437\u0435\u0440\u043e \u6e56";  // needs UTF-8
    EXPECT_EQ(parseDataFile(serializeDataFile(t))->texts, t.texts);
    t[Input::NameEditBox] = "\u00c3\u00a9";  // in Windows-1252 these bytes would read as UTF-8
    EXPECT_EQ(parseDataFile(serializeDataFile(t))->texts, t.texts);
}

TEST(DataFileFormat, NamesAreWrittenInWindows1252WhenTheyFit)
{
    InputTexts t = InputTexts::startup();
    t[Input::NameEditBox] = "S\u00e9e \u20ac";
    const std::string bytes = serializeDataFile(t);
    EXPECT_NE(bytes.find("\r\nS\xe9" "e \x80\r\n"), std::string::npos);
    EXPECT_EQ(windows1252ToUtf8("\x81\x9f\xff"), "\u0081\u0178\u00ff");
    EXPECT_EQ(utf8ToWindows1252("\u0081\u0178\u00ff"), std::string("\x81\x9f\xff"));
    EXPECT_FALSE(utf8ToWindows1252("\u6e56"));
    EXPECT_FALSE(isValidUtf8("\xc0\xaf"));      // overlong
    EXPECT_FALSE(isValidUtf8("\xed\xa0\x80"));  // surrogate
    EXPECT_FALSE(isValidUtf8("\xe2\x82"));      // truncated
}

TEST(DataFileFormat, HeaderMustMatchExactly)
{
    const std::string body = joinCrLf({"Lake", "NLF"});
    EXPECT_FALSE(parseDataFile(joinCrLf({"TROPHEX 1.0 data File"}) + body));
    EXPECT_FALSE(parseDataFile(joinCrLf({"TROPHEX 1.0 Data File "}) + body));
    EXPECT_FALSE(parseDataFile(""));
    EXPECT_FALSE(parseDataFile("TROPHEX 1.0 Data File\nLake\nNLF\r\n"));  // with a CR, LF ends no line
    EXPECT_FALSE(parseDataFile("\xEF\xBB\xBFTROPHEX 1.0 data File\r\n"));
    EXPECT_FALSE(parseDataFile("\xEF\xBBTROPHEX 1.0 Data File\r\n"));  // half a byte-order mark
    EXPECT_FALSE(parseDataFile("\xEF\xBB\xBF\xEF\xBB\xBFTROPHEX 1.0 Data File\r\n"));  // skipped once
    EXPECT_TRUE(parseDataFile("TROPHEX 1.0 Data File"));
    EXPECT_TRUE(parseDataFile("\xEF\xBB\xBFTROPHEX 1.0 Data File"));
}

TEST(DataFileFormat, LinuxLineEndsAndByteOrderMark)
{
    // Without any CR byte, LF ends the lines.
    const auto lf = parseDataFile("TROPHEX 1.0 Data File\nLake\nNLF\n\n10\n");
    ASSERT_TRUE(lf);
    EXPECT_EQ((*lf)[Input::NameEditBox], "Lake");
    EXPECT_EQ((*lf)[Input::EcoRegComboBox], "NLF");
    EXPECT_EQ((*lf)[Input::WareaEditBox], "");
    EXPECT_EQ((*lf)[Input::WareaComboBox], "10");

    // A file saved by the program, its CR bytes dropped or a mark put before it, reads back
    // the same texts; written again it has CR LF line ends and no mark.
    InputTexts t = InputTexts::startup();
    t[Input::NameEditBox] = "Lac L\u00e9man";
    t[Input::WareaEditBox] = "10";
    const std::string saved = serializeDataFile(t);
    std::string withoutCr = saved;
    withoutCr.erase(std::remove(withoutCr.begin(), withoutCr.end(), '\r'), withoutCr.end());
    for (const std::string& bytes : {withoutCr, "\xEF\xBB\xBF" + saved, "\xEF\xBB\xBF" + withoutCr}) {
        const auto read = parseDataFile(bytes);
        ASSERT_TRUE(read);
        EXPECT_EQ(read->texts, t.texts);
        EXPECT_EQ(serializeDataFile(*read), saved);
    }
    EXPECT_EQ(saved.substr(0, 23), "TROPHEX 1.0 Data File\r\n");

    // The 0x1A mark ends the readable part before the line ends are decided; lines after
    // the 32nd are not read.
    const auto marked = parseDataFile("TROPHEX 1.0 Data File\nLake\x1A\r\n");
    ASSERT_TRUE(marked);
    EXPECT_EQ((*marked)[Input::NameEditBox], "Lake");
    std::string longFile = "TROPHEX 1.0 Data File\n";
    for (int i = 0; i < 40; ++i)
        longFile += "line" + std::to_string(i + 2) + "\n";
    EXPECT_EQ((*parseDataFile(longFile))[Input::S2EditBox], "line32");

    // A mark anywhere but at the start stays in its text.
    const auto inside = parseDataFile("TROPHEX 1.0 Data File\n\xEF\xBB\xBFLake\n");
    EXPECT_EQ((*inside)[Input::NameEditBox], "\xEF\xBB\xBFLake");
}

TEST(DataFileFormat, LineEndsEndOfFileMarkAndMissingLines)
{
    const auto onlyHeader = parseDataFile(joinCrLf({"TROPHEX 1.0 Data File"}));
    ASSERT_TRUE(onlyHeader);
    for (const std::string& text : onlyHeader->texts)
        EXPECT_EQ(text, "");

    const auto loneCr = parseDataFile("TROPHEX 1.0 Data File\rLake\rNLF\r\n10");
    ASSERT_TRUE(loneCr);
    EXPECT_EQ((*loneCr)[Input::NameEditBox], "Lake");
    EXPECT_EQ((*loneCr)[Input::EcoRegComboBox], "NLF");
    EXPECT_EQ((*loneCr)[Input::WareaEditBox], "10");

    const auto lfInside = parseDataFile("TROPHEX 1.0 Data File\r\nLa\nke\r\n");
    EXPECT_EQ((*lfInside)[Input::NameEditBox], "La\nke");

    const auto marked = parseDataFile(std::string("TROPHEX 1.0 Data File\r\nLake\r\nN\x1ALF\r\nignored\r\n"));
    EXPECT_EQ((*marked)[Input::EcoRegComboBox], "N");
    EXPECT_EQ((*marked)[Input::WareaEditBox], "");

    std::string longFile = joinCrLf({"TROPHEX 1.0 Data File"});
    for (int i = 0; i < 40; ++i)
        longFile += "line" + std::to_string(i + 2) + "\r\n";
    const auto extra = parseDataFile(longFile);
    EXPECT_EQ((*extra)[Input::S2EditBox], "line32");

    const auto latin = parseDataFile("TROPHEX 1.0 Data File\r\nM\xfcggelsee\r\n");
    EXPECT_EQ((*latin)[Input::NameEditBox], "M\u00fcggelsee");
}

TEST_F(DataFileOnDisk, SaveAndReadBack)
{
    InputTexts t = InputTexts::startup();
    t[Input::NameEditBox] = "Round trip";
    const fs::path file = dir / "lake";  // no extension is added
    ASSERT_EQ(writeDataFile(file.string(), t), std::nullopt);
    EXPECT_TRUE(fs::exists(file));
    const DataFileRead read = readDataFile(file.string());
    ASSERT_TRUE(read.ok()) << read.error;
    EXPECT_EQ(read.texts->texts, t.texts);
    EXPECT_EQ(std::distance(fs::directory_iterator(dir), fs::directory_iterator()), 1);
}

TEST_F(DataFileOnDisk, BytesReadAsTheFileWithThemReads)
{
    std::string longLines = "TROPHEX 1.0 Data File\r\n";
    for (int i = 0; i < 40; ++i)
        longLines += std::string(20, 'x') + "\r\n";
    const std::vector<std::string> contents = {
        joinCrLf({"TROPHEX 1.0 Data File", "Lake", "NLF"}), "\xEF\xBB\xBFTROPHEX 1.0 Data File\nLake\n",
        std::string("TROPHEX 1.0 Data File\r\nLa\x1Ake\r\n"), "TROPHEX 1.0 DATA FILE\r\n", "", longLines};
    for (const std::size_t limit : {MaxReadableBytes, std::size_t{200}}) {
        for (const std::string& bytes : contents) {
            spit(dir / "lake.tpx", bytes);
            const DataFileRead fromFile = readDataFile((dir / "lake.tpx").string(), limit);
            const DataFileRead fromBytes = readDataFileBytes(bytes, limit);
            EXPECT_EQ(fromBytes.error, fromFile.error) << bytes;
            EXPECT_EQ(fromBytes.texts.has_value(), fromFile.texts.has_value()) << bytes;
            if (fromFile.texts && fromBytes.texts) {
                EXPECT_EQ(fromBytes.texts->texts, fromFile.texts->texts) << bytes;
            }
        }
    }
    EXPECT_FALSE(readDataFileBytes(longLines, 200).ok()) << "32 lines beyond the limit are refused";
}

TEST_F(DataFileOnDisk, ReadFailuresCarryTheSystemText)
{
    EXPECT_EQ(readDataFile((dir / "missing.tpx").string()).error, (Error{ErrorCode::System, "No such file or directory"}));
    EXPECT_EQ(readDataFile(dir.string()).error, (Error{ErrorCode::System, "Is a directory"}));
    spit(dir / "bad.tpx", "TROPHEX 1.0 DATA FILE\r\n");
    EXPECT_EQ(readDataFile((dir / "bad.tpx").string()).error.code, ErrorCode::InvalidFile);
}

TEST_F(DataFileOnDisk, FailedSaveLeavesTheEarlierFileIntact)
{
    const fs::path file = dir / "keep.tpx";
    spit(file, "earlier contents");
    InputTexts t = InputTexts::startup();

    EXPECT_EQ(writeDataFile(dir.string(), t), "Is a directory");
#if !defined(_WIN32)
    if (::geteuid() != 0) {  // root writes through permissions
        fs::permissions(dir, fs::perms::owner_read | fs::perms::owner_exec);
        EXPECT_EQ(writeDataFile(file.string(), t), "Permission denied");
        fs::permissions(dir, fs::perms::owner_all);
    }
#endif
    EXPECT_EQ(writeDataFile((dir / "no" / "such.tpx").string(), t), "No such file or directory");
    EXPECT_EQ(slurp(file), "earlier contents");
    EXPECT_EQ(std::distance(fs::directory_iterator(dir), fs::directory_iterator()), 1);
}

namespace {

std::ptrdiff_t entriesIn(const fs::path& folder)
{
    return std::distance(fs::directory_iterator(folder), fs::directory_iterator());
}

#if !defined(_WIN32)
// Files this process holds open, where the system lists them (Linux); else 0.
std::ptrdiff_t openFiles()
{
    return fs::exists("/proc/self/fd") ? entriesIn("/proc/self/fd") : 0;
}
#endif

}  // namespace

TEST_F(DataFileOnDisk, AWriterThatThrowsLeavesNoTemporaryFileAndNoOpenFile)
{
    const fs::path file = dir / "keep.tpx";
    spit(file, "earlier contents");
#if !defined(_WIN32)  // under wine the process's own descriptors come and go with its server
    const std::ptrdiff_t openBefore = openFiles();
#endif
    EXPECT_THROW(replaceFile(file.string(),
                             [](const ByteWriter& write) {
                                 write("half a file");
                                 throw std::runtime_error("the writer failed");
                             }),
                 std::runtime_error);
#if !defined(_WIN32)
    EXPECT_EQ(openFiles(), openBefore);
#endif
    EXPECT_EQ(slurp(file), "earlier contents");
    EXPECT_EQ(entriesIn(dir), 1);
}

#if !defined(_WIN32)  // Windows removes no file that is open
TEST_F(DataFileOnDisk, UnfinishedFilesAreRemovedOnRequestAtAnyMoment)
{
    const fs::path file = dir / "keep.tpx";
    spit(file, "earlier contents");
    std::ptrdiff_t whileWriting = 0, afterRemoval = 0;
    const auto error = replaceFile(file.string(), [&](const ByteWriter& write) {
        write("half a file");
        whileWriting = entriesIn(dir);
        removeUnfinishedFiles();
        afterRemoval = entriesIn(dir);
    });
    EXPECT_EQ(error, "No such file or directory");
    EXPECT_EQ(whileWriting, 2);
    EXPECT_EQ(afterRemoval, 1);
    EXPECT_EQ(slurp(file), "earlier contents");
    removeUnfinishedFiles();  // none noted any more
    EXPECT_EQ(entriesIn(dir), 1);
}
#endif

#if !defined(_WIN32)  // POSIX permissions
TEST_F(DataFileOnDisk, SavingReplacesTheFileAndKeepsItsPermissions)
{
    const fs::path file = dir / "mode.tpx";
    spit(file, "old");
    ::chmod(file.c_str(), 0640);
    ASSERT_EQ(writeDataFile(file.string(), InputTexts::startup()), std::nullopt);
    struct stat info {};
    ::stat(file.c_str(), &info);
    EXPECT_EQ(info.st_mode & 0777, 0640u);
    EXPECT_EQ(slurp(file).substr(0, 23), "TROPHEX 1.0 Data File\r\n");
}
#endif
