// Opens malformed data files as the Open command does (read, then calculate) and prints,
// for each, the file's size, the time taken and the peak memory of a process that does
// nothing else. The goals: under a second, memory a few times what the file's 32 lines
// take, and no more for the sparse 3 GB files than for their first lines.
//
// usage: malformed_files_bench [folder]   (the files are written there; default /tmp)

#include "files/datafile.h"
#include "model/calculation.h"

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <random>
#include <string>
#include <vector>

namespace fs = std::filesystem;
using namespace trophex;

namespace {

constexpr std::size_t Megabyte = 1u << 20;
constexpr std::size_t HundredMegabytes = 100 * Megabyte;
constexpr std::uint64_t ThreeGigabytes = std::uint64_t{3} << 30;
const std::string Header = "TROPHEX 1.0 Data File\r\n";

// Writes a file piece by piece, so that this process stays small while its children measure.
class FileWriter {
public:
    explicit FileWriter(const fs::path& path) : out_(path, std::ios::binary) {}
    FileWriter& text(const std::string& bytes)
    {
        out_ << bytes;
        return *this;
    }
    FileWriter& repeated(char byte, std::size_t count)
    {
        const std::string block(Megabyte, byte);
        for (; count >= Megabyte; count -= Megabyte)
            out_ << block;
        out_ << block.substr(0, count);
        return *this;
    }
    // A hole: count zero bytes that take no room on disk (once something follows them).
    FileWriter& hole(std::uint64_t count)
    {
        out_.seekp(static_cast<std::streamoff>(count), std::ios::cur);
        return *this;
    }
    FileWriter& noise(std::size_t count)
    {
        std::mt19937 random(7);
        for (std::size_t i = 0; i < count; ++i)
            out_.put(static_cast<char>(random() & 0xFF));
        return *this;
    }

private:
    std::ofstream out_;
};

std::string exampleAfterName()
{
    return "\r\nNLF\r\n10\r\nkm2\r\n1\r\nkm2\r\n5\r\nm\r\n30\r\nug/L\r\n10\r\nug/L\r\n2\r\nm\r\n1\r\nmeq/L\r\n"
           "52\r\n0.74\r\n0.61\r\n0.23\r\n15\r\n0.01\r\n0.202\r\n0.04\r\n0.126\r\n0.038\r\n0.027\r\n0.071\r\n"
           "0.019\r\n0.48\r\n0.20\r\n";
}

struct Case {
    const char* name;                          // what is wrong with the file
    std::function<void(FileWriter&)> write;  // writes the file
};

std::vector<Case> cases()
{
    return {
        {"empty", [](FileWriter&) {}},
        {"header only", [](FileWriter& f) { f.text(Header); }},
        {"binary noise, 1 MB", [](FileWriter& f) { f.noise(Megabyte); }},
        {"header and binary noise, 1 MB", [](FileWriter& f) { f.text(Header).noise(Megabyte); }},
        {"100 MB single line", [](FileWriter& f) { f.repeated('A', HundredMegabytes); }},
        {"100 MB lake name", [](FileWriter& f) { f.text(Header).repeated('n', HundredMegabytes).text(exampleAfterName()); }},
        {"100 MB Windows-1252 lake name",
         [](FileWriter& f) { f.text(Header).repeated('\xe9', HundredMegabytes).text(exampleAfterName()); }},
        {"100 MB of digits in a number box",
         [](FileWriter& f) { f.text(Header + "Lake\r\nNLF\r\n").repeated('7', HundredMegabytes).text("\r\n"); }},
        {"100 MB of NUL bytes after the header", [](FileWriter& f) { f.text(Header).repeated('\0', HundredMegabytes); }},
        {"0x1A early in 100 MB", [](FileWriter& f) { f.text(Header + "Lake\x1a").repeated('x', HundredMegabytes); }},
        {"100 MB of CRs", [](FileWriter& f) { f.text(Header).repeated('\r', HundredMegabytes); }},
        {"100 MB of LFs", [](FileWriter& f) { f.text(Header).repeated('\n', HundredMegabytes); }},
        {"3 GB sparse, zero bytes", [](FileWriter& f) { f.hole(ThreeGigabytes).text("\r\n"); }},
        {"3 GB sparse, a lake and a hole",
         [](FileWriter& f) { f.text(Header + "Lake" + exampleAfterName()).hole(ThreeGigabytes).text("\r\n"); }},
        {"3 GB sparse, the header and a hole", [](FileWriter& f) { f.text(Header).hole(ThreeGigabytes).text("\r\n"); }},
    };
}

// Opens the file in a fresh child process; prints what it took. The child's peak resident
// memory comes from the kernel's accounting of that process alone.
void measure(const Case& c, const fs::path& file)
{
    int fds[2];
    if (::pipe(fds) != 0)
        return;
    const pid_t pid = ::fork();
    if (pid == 0) {
        const auto start = std::chrono::steady_clock::now();
        const DataFileRead read = readDataFile(file.string());
        const Error outcome = read.ok() ? runCalculation(*read.texts, NumberFormat{}).error : read.error;
        const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        const std::string line = std::to_string(seconds) + " " + (outcome.failed() ? errorMessage(outcome) : "results");
        const bool sent = ::write(fds[1], line.data(), line.size()) == static_cast<ssize_t>(line.size());
        ::_exit(sent ? 0 : 1);
    }
    ::close(fds[1]);
    char buffer[256] = {};
    const ssize_t n = ::read(fds[0], buffer, sizeof buffer - 1);
    ::close(fds[0]);
    int status = 0;
    rusage usage {};
    ::wait4(pid, &status, 0, &usage);
    const double sizeMb = static_cast<double>(fs::file_size(file)) / Megabyte;
    const double peakMb = static_cast<double>(usage.ru_maxrss) / 1024;
    double seconds = 0;
    char outcome[200] = {};
    if (n <= 0 || std::sscanf(buffer, "%lf %199[^\n]", &seconds, outcome) < 1)
        std::snprintf(outcome, sizeof outcome, "child failed (status %d)", status);
    std::printf("%-40s %9.1f %9.3f %9.1f %7.1f  %s\n", c.name, sizeMb, seconds, peakMb,
                sizeMb >= 1 ? peakMb / sizeMb : 0.0, outcome);
}

}  // namespace

int main(int argc, char** argv)
{
    const fs::path folder = fs::path(argc > 1 ? argv[1] : "/tmp") / ("malformed_bench_" + std::to_string(::getpid()));
    fs::create_directories(folder);
    std::printf("%-40s %9s %9s %9s %7s  %s\n", "file", "size MB", "seconds", "peak MB", "x size", "outcome");
    for (const Case& c : cases()) {
        const fs::path file = folder / "lake.tpx";
        {
            FileWriter writer(file);
            c.write(writer);
        }
        measure(c, file);
        fs::remove(file);
    }
    fs::remove_all(folder);
    return 0;
}
