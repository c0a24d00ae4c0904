// Malformed data files, opened as the Open command does: read from disk, then calculated.
// Each opens as the reading rules say or is refused with "Invalid Input File!"; none
// crashes or hangs. How long they take is measured by bench/malformed_files_bench; that
// the memory they need stays bounded, whatever their size, is checked here.

#include "files/datafile.h"
#include "files/textencoding.h"
#include "model/calculation.h"
#include "tests/disk_helpers.h"
#include "tests/peak_memory.h"
#include "examples/examplelake.h"
#include "tests/result_texts.h"

#include <gtest/gtest.h>

#if defined(__linux__)
#include <sys/resource.h>
#endif
#include <sys/stat.h>

#include <optional>
#include <random>

using namespace trophex;
using namespace trophex::disk;
using namespace trophex::memory;

namespace {

const std::string Header = "TROPHEX 1.0 Data File";
constexpr std::size_t HundredMegabytes = 100u << 20;

std::vector<std::string> exampleLines()
{
    const InputTexts lake = exampleLake();
    return {lake.texts.begin(), lake.texts.end()};
}

std::string joined(const std::vector<std::string>& lines, const std::string& lineEnd)
{
    std::string bytes;
    for (const std::string& line : lines)
        bytes += line + lineEnd;
    return bytes;
}

std::string fileOf(std::vector<std::string> lines, const std::string& lineEnd = "\r\n")
{
    lines.insert(lines.begin(), Header);
    return joined(lines, lineEnd);
}

std::string noise(std::size_t size)
{
    std::mt19937 random(20240607);
    std::string bytes(size, '\0');
    for (char& c : bytes)
        c = static_cast<char>(random() & 0xFF);
    return bytes;
}

constexpr std::uintmax_t ThreeGigabytes = std::uintmax_t{3} << 30;
constexpr std::size_t SixteenMegabytes = 16u << 20;
// Memory that reading a few blocks of a huge file may take. The reader reserves room for
// the largest readable part up front; only the pages it fills count, except under
// AddressSanitizer, which also writes the shadow of the whole reservation (an eighth).
#if defined(__SANITIZE_ADDRESS__)
constexpr std::size_t FewBlocksMemory = SixteenMegabytes + MaxReadableBytes / 8;
#else
constexpr std::size_t FewBlocksMemory = SixteenMegabytes;
#endif

struct Opened {
    DataFileRead read;           // what reading the file gave
    CalculationOutcome outcome;  // the calculation that opening runs, when the file was read
};

class MalformedFiles : public DataFileOnDisk {
protected:
    Opened open(const std::string& bytes)
    {
        const std::filesystem::path file = dir / "lake.tpx";
        spit(file, bytes);
        Opened opened{readDataFile(file.string()), {}};
        if (opened.read.ok())
            opened.outcome = runCalculation(*opened.read.texts, NumberFormat{});
        return opened;
    }

    void expectRefused(const std::string& bytes)
    {
        const Opened opened = open(bytes);
        EXPECT_FALSE(opened.read.ok());
        EXPECT_EQ(opened.read.error.code, ErrorCode::InvalidFile);
    }

    // Opens, and calculates as a file holding the example lake does.
    void expectExampleResults(const std::string& bytes)
    {
        const Opened opened = open(bytes);
        ASSERT_TRUE(opened.read.ok()) << opened.read.error;
        ASSERT_TRUE(opened.outcome.ok()) << opened.outcome.error;
        EXPECT_EQ(allResultTexts(opened.outcome.texts), allResultTexts(exampleOutcome().texts));
    }

    static const CalculationOutcome& exampleOutcome()
    {
        static const CalculationOutcome outcome = runCalculation(exampleLake(), NumberFormat{});
        return outcome;
    }
};

}  // namespace

TEST_F(MalformedFiles, EmptyFileAndNoiseAreRefused)
{
    expectRefused("");
    expectRefused(noise(65536));
    expectRefused(std::string(1, '\0') + Header + "\r\n");
    expectRefused(Header.substr(0, 10) + '\0' + Header.substr(10) + "\r\n");
}

TEST_F(MalformedFiles, HeaderOnlyOpensWithEmptyTextsAndIsNotCalculated)
{
    for (const std::string& bytes : {Header, Header + "\r\n", Header + "\r"}) {
        const Opened opened = open(bytes);
        ASSERT_TRUE(opened.read.ok());
        EXPECT_EQ(opened.read.texts->texts, InputTexts().texts);
        EXPECT_EQ(opened.outcome.error.code, ErrorCode::InvalidInput);
    }
}

TEST_F(MalformedFiles, NoiseAfterTheHeaderOpensAsValidTextAndIsNotCalculated)
{
    const Opened opened = open(Header + "\r\n" + noise(65536));
    ASSERT_TRUE(opened.read.ok());
    for (const std::string& text : opened.read.texts->texts)
        EXPECT_TRUE(isValidUtf8(text));
    EXPECT_EQ(opened.outcome.error.code, ErrorCode::InvalidInput);
}

TEST_F(MalformedFiles, HundredMegabyteSingleLine)
{
    expectRefused(std::string(HundredMegabytes, 'A'));

    std::vector<std::string> lines = exampleLines();
    lines[0] = std::string(HundredMegabytes, 'n');
    const Opened longName = open(fileOf(lines));
    ASSERT_TRUE(longName.read.ok());
    EXPECT_EQ((*longName.read.texts)[Input::NameEditBox].size(), HundredMegabytes);
    EXPECT_TRUE(longName.outcome.ok());

    lines = exampleLines();
    lines[static_cast<int>(Input::WareaEditBox)] = std::string(HundredMegabytes, '7');
    EXPECT_EQ(open(fileOf(lines)).outcome.error.code, ErrorCode::Overflow);
}

TEST_F(MalformedFiles, NulBytesStayInTheirTexts)
{
    std::vector<std::string> lines = exampleLines();
    lines[0] = std::string("La\0ke", 5);
    const Opened inName = open(fileOf(lines));
    ASSERT_TRUE(inName.read.ok());
    EXPECT_EQ((*inName.read.texts)[Input::NameEditBox], lines[0]);
    EXPECT_TRUE(inName.outcome.ok());

    lines[static_cast<int>(Input::DepthEditBox)] = std::string("5\0", 2);
    EXPECT_EQ(open(fileOf(lines)).outcome.error.code, ErrorCode::InvalidInput);
}

TEST_F(MalformedFiles, EndOfFileMarkEndsTheReadablePart)
{
    const std::string example = fileOf(exampleLines());
    expectExampleResults(example + "\x1a" + noise(4096));

    const std::size_t phosphorus = example.find("\r\n30\r\n") + 3;
    const Opened cut = open(example.substr(0, phosphorus) + "\x1a" + example.substr(phosphorus));
    ASSERT_TRUE(cut.read.ok());
    EXPECT_EQ((*cut.read.texts)[Input::TPeditBox], "3");
    EXPECT_EQ((*cut.read.texts)[Input::TPunitComboBox], "");
    EXPECT_EQ(cut.outcome.error.code, ErrorCode::InvalidInput);
}

TEST_F(MalformedFiles, LineEnds)
{
    expectExampleResults(fileOf(exampleLines(), "\r"));
    expectExampleResults(fileOf(exampleLines(), "\n"));  // no CR anywhere: LF ends the lines
    expectExampleResults("\xEF\xBB\xBF" + fileOf(exampleLines(), "\n"));

    std::string mixed;
    const std::vector<std::string> lines = exampleLines();
    for (std::size_t i = 0; i < lines.size(); ++i)
        mixed += lines[i] + (i % 3 == 0 ? "\r" : "\r\n");
    expectExampleResults(Header + "\r\n" + mixed);

    // In a file with CR bytes, an LF without a CR before it stays in its text and ends no line.
    const Opened lf = open(Header + "\r\nExample\nLake\r\nNLF\n\r\n10\r\n");
    ASSERT_TRUE(lf.read.ok());
    EXPECT_EQ((*lf.read.texts)[Input::NameEditBox], "Example\nLake");
    EXPECT_EQ((*lf.read.texts)[Input::EcoRegComboBox], "NLF\n");
    EXPECT_EQ((*lf.read.texts)[Input::WareaEditBox], "10");
}

TEST_F(MalformedFiles, NamesInWindows1252AndInvalidUtf8)
{
    std::vector<std::string> lines = exampleLines();
    lines[0] = "M\xfcggelsee \x80";
    const Opened windows = open(fileOf(lines));
    ASSERT_TRUE(windows.read.ok());
    EXPECT_EQ((*windows.read.texts)[Input::NameEditBox], "M\u00fcggelsee \u20ac");
    EXPECT_TRUE(windows.outcome.ok());

    lines[0] = "\xc3\x28 \xed\xa0\x80 \xf8\x88\x80\x80\x80";  // bad continuation, surrogate, five bytes
    const Opened invalid = open(fileOf(lines));
    ASSERT_TRUE(invalid.read.ok());
    EXPECT_EQ((*invalid.read.texts)[Input::NameEditBox], windows1252ToUtf8(lines[0]));
    expectExampleResults(fileOf(lines));
}

#if defined(_WIN32)
TEST_F(MalformedFiles, DevicesAreRefusedWithoutWaiting)
{
    EXPECT_EQ(readDataFile("NUL").error.code, ErrorCode::InvalidFile);
}
#else
TEST_F(MalformedFiles, PipesAndDevicesAreRefusedWithoutWaiting)
{
    const std::filesystem::path pipe = dir / "pipe.tpx";
    ASSERT_EQ(::mkfifo(pipe.c_str(), 0600), 0);
    EXPECT_EQ(readDataFile(pipe.string()).error.code, ErrorCode::InvalidFile);
    EXPECT_EQ(readDataFile("/dev/zero").error.code, ErrorCode::InvalidFile);
}
#endif

TEST_F(MalformedFiles, BytesAfterThe32ndLineChangeNothing)
{
    std::vector<std::string> lines = exampleLines();
    lines[0] = "\u041e\u0437\u0435\u0440\u043e";  // UTF-8
    const std::string example = fileOf(lines);
    for (const std::string& after : {std::string("\xff\xfe\x80\r\n"), noise(4096), "\x1a" + noise(4096)}) {
        const Opened opened = open(example + after);
        ASSERT_TRUE(opened.read.ok());
        EXPECT_EQ((*opened.read.texts)[Input::NameEditBox], lines[0]);
        EXPECT_TRUE(opened.outcome.ok());
    }
}

// Sparse files of 3 GB: each is read only as far as it counts, in memory that does not
// grow with the file.
TEST_F(MalformedFiles, ThreeGigabyteFilesAreReadOnlyAsFarAsTheyCount)
{
    if (!makesSparseFilesOf(dir, ThreeGigabytes))
        GTEST_SKIP() << "no file of 3 GB can be made here";
    const std::filesystem::path file = dir / "huge.tpx";
    const auto openHuge = [&](std::size_t memoryLimit) {
        DataFileRead read;
        const std::optional<std::size_t> growth = peakMemoryGrowth([&] { read = readDataFile(file.string()); });
        if (growth) {
            EXPECT_LT(*growth, memoryLimit);
        }
        return read;
    };

    spitSparse(file, "", ThreeGigabytes);  // zero bytes throughout: no header
    EXPECT_EQ(openHuge(FewBlocksMemory).error.code, ErrorCode::InvalidFile);

    spitSparse(file, fileOf(exampleLines()), ThreeGigabytes);
    const DataFileRead example = openHuge(FewBlocksMemory);
    ASSERT_TRUE(example.ok()) << example.error;
    EXPECT_EQ(example.texts->texts, exampleLake().texts);

    // The header, then no line end at all: refused once the readable part passes its limit.
    spitSparse(file, Header + "\r\n", ThreeGigabytes);
    EXPECT_EQ(openHuge(MaxReadableBytes + FewBlocksMemory).error.code, ErrorCode::InvalidFile);
}

// A file of LF line ends (no CR in its 32 lines) is read just as far: up to its 32nd LF,
// whatever follows, a CR included; a byte-order mark before it changes nothing.
TEST_F(MalformedFiles, LinuxFilesAreReadOnlyAsFarAsTheyCount)
{
    const std::string example = fileOf(exampleLines(), "\n");
    for (const std::string& before : {std::string(), std::string("\xEF\xBB\xBF")}) {
        for (const std::string& after : {std::string("\r\n"), "extra\r\n" + noise(4096)}) {
            SCOPED_TRACE(before.size() + after.size());
            spit(dir / "linux.tpx", before + example + after);
            const std::string file = (dir / "linux.tpx").string();
            const DataFileRead read = readDataFile(file, before.size() + example.size());
            ASSERT_TRUE(read.ok()) << read.error;
            EXPECT_EQ(read.texts->texts, exampleLake().texts);
            EXPECT_EQ(readDataFile(file, before.size() + example.size() - 1).error.code, ErrorCode::InvalidFile);
            EXPECT_EQ(parseDataFile(before + example + after)->texts, exampleLake().texts);
        }
    }
    // A CR before the 32nd LF makes the CRs the line ends, as in any Windows file: here the
    // first line then runs on past the header.
    std::vector<std::string> lines = exampleLines();
    lines[30] = "0.20\r";
    expectRefused(fileOf(lines, "\n"));
    // A CR only after the 32nd LF is past the lines that are read.
    expectExampleResults(fileOf(exampleLines(), "\n") + "\r");

    // A file that starts with a mark and then another first line is refused at once.
    if (!makesSparseFilesOf(dir, ThreeGigabytes))
        GTEST_SKIP() << "no file of 3 GB can be made here";
    spitSparse(dir / "huge.tpx", "\xEF\xBB\xBFTROPHEX 1.0 Data Files\n", ThreeGigabytes);
    EXPECT_EQ(readDataFile((dir / "huge.tpx").string()).error.code, ErrorCode::InvalidFile);
}

TEST_F(MalformedFiles, TheReadablePartMayFillItsLimitButNotPassIt)
{
    const std::string example = fileOf(exampleLines());
    for (const std::string& after : {std::string(), std::string("\x1a"), std::string("\r\n"), noise(100)}) {
        SCOPED_TRACE(after.size());
        spit(dir / "limit.tpx", example + after);
        const std::string file = (dir / "limit.tpx").string();
        // The readable part ends with the CR of the 32nd line; the LF after it is not needed.
        EXPECT_TRUE(readDataFile(file, example.size() - 1).ok());
        EXPECT_EQ(readDataFile(file, example.size() - 2).error.code, ErrorCode::InvalidFile);
    }
    spit(dir / "limit.tpx", Header + "\r\n");  // a short file is not refused for its size
    EXPECT_TRUE(readDataFile((dir / "limit.tpx").string(), Header.size() + 2).ok());
}

#if defined(__linux__) && defined(__x86_64__)  // an address-space limit (qemu-user does not apply one), a child process and /proc
// Reads the file with only 64 MiB more address space than the process has, writes the
// error text to the error stream and ends the process.
[[noreturn]] void readWithLittleMemory(const std::filesystem::path& file)
{
    const rlimit limit{statusBytes("VmSize") + (64u << 20), RLIM_INFINITY};
    ::setrlimit(RLIMIT_AS, &limit);
    std::fputs(errorMessage(readDataFile(file.string()).error).c_str(), stderr);
    std::_Exit(0);
}

// The windows and the runner rely on reading never throwing: a lack of memory is an error
// like any other failure to read, in the program's words.
TEST_F(MalformedFiles, ALackOfMemoryIsAnErrorInTheProgramsWords)
{
#if defined(__SANITIZE_ADDRESS__)
    GTEST_SKIP() << "AddressSanitizer's allocator ends the process instead of throwing std::bad_alloc";
#else
    const std::filesystem::path file = dir / "big-name.tpx";
    spitSparse(file, Header + "\r", 192u << 20, std::string(31, '\r'));
    EXPECT_EXIT(readWithLittleMemory(file), ::testing::ExitedWithCode(0), "^Out of memory!$");
#endif
}
#endif
