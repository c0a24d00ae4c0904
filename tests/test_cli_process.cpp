// trophex-cli run as users run it: what its exit status says when its output cannot be
// written, and what a batch leaves on the disk when it fails or is ended by a signal.

#include "tests/disk_helpers.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

#include <filesystem>
#include <sys/wait.h>
#include <unistd.h>

namespace fs = std::filesystem;
using trophex::disk::namesIn;
using trophex::disk::slurp;
using trophex::disk::spit;

namespace {

// The program under test, named by the environment (ctest sets it).
std::string cliProgram()
{
    const char* program = std::getenv("TROPHEX_CLI");
    if (program == nullptr || *program == '\0') {
        ADD_FAILURE() << "TROPHEX_CLI is not set: it names the trophex-cli to test (ctest sets it)";
        return "false";
    }
    return program;
}

// Starts "exec trophex-cli ARGUMENTS" through the shell (so that signals reach it), with
// the input on a pipe that stays open: the run waits for more, as on a quiet writer.
pid_t startWithOpenInput(const std::string& arguments, const std::string& input, int& writeEnd)
{
    int fds[2];
    if (::pipe(fds) != 0)
        return -1;
    const std::string command = "exec " + cliProgram() + " " + arguments;
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::dup2(fds[0], 0);
        ::close(fds[1]);
        ::execl("/bin/sh", "sh", "-c", command.c_str(), static_cast<char*>(nullptr));
        ::_exit(127);
    }
    ::close(fds[0]);
    writeEnd = fds[1];
    EXPECT_EQ(::write(writeEnd, input.data(), input.size()), static_cast<ssize_t>(input.size()));  // within the pipe's buffer
    return pid;
}

class Cli : public ::testing::Test {
protected:
    void SetUp() override
    {
        dir = trophex::disk::freshTestFolder();
        fs::create_directories(dir / "out");
    }
    void TearDown() override { fs::remove_all(dir); }

    // Runs the command line through the shell; the exit status and the error stream.
    std::pair<int, std::string> run(const std::string& arguments)
    {
        const fs::path errors = dir / "stderr.txt";
        const std::string command = cliProgram() + " " + arguments + " 2>" + errors.string();
        const int status = std::system(command.c_str());
        return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, slurp(errors)};
    }

    // A table of synthetic lakes of about the given size.
    std::string lakes(int count)
    {
        const fs::path table = dir / "lakes.csv";
        EXPECT_EQ(run("batch --generate " + std::to_string(count) + " -o " + table.string()).first, 0);
        return slurp(table);
    }

    fs::path dir;
    const std::string example = fs::absolute("examples/example.tpx").string();  // the tests run in the source folder
};

}  // namespace

TEST_F(Cli, AnUnwritableStandardOutputFailsInOneLine)
{
    lakes(10);
    const std::string table = (dir / "lakes.csv").string();
    for (const std::string& arguments :
         {example, "--json " + example, "response --target tp=20 " + example,
          "response --json --target tp=20 " + example, "batch " + table}) {
        SCOPED_TRACE(arguments);
        const auto [status, errors] = run(arguments + " >/dev/full");
        EXPECT_EQ(status, 1);
        EXPECT_NE(errors.find("cannot write standard output: No space left on device\n"), std::string::npos) << errors;
        EXPECT_EQ(std::count(errors.begin(), errors.end(), '\n'), 1) << errors;
    }
}

TEST_F(Cli, AFailedBatchLeavesItsOutputAsItWas)
{
    const fs::path output = dir / "out" / "results.csv";
    lakes(50);
    spit(dir / "header.csv", "name,depth\nLake,4\n");
    const struct {
        const char* what;
        std::string arguments;
        int exitStatus;
    } cases[] = {
        {"a header that cannot be used", "batch " + (dir / "header.csv").string(), 1},
        {"an input that cannot be read", "batch " + dir.string(), 1},
        {"an unknown option", "batch --frobnicate", 2},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        spit(output, "a file the user had");
        EXPECT_EQ(run(c.arguments + " -o " + output.string()).first, c.exitStatus);
        EXPECT_EQ(slurp(output), "a file the user had");
        EXPECT_EQ(namesIn(dir / "out"), std::vector<std::string>{"results.csv"});
    }
    EXPECT_EQ(run("batch " + (dir / "lakes.csv").string() + " -o " + output.string()).first, 0);
    EXPECT_NE(slurp(output), "a file the user had");
    EXPECT_EQ(namesIn(dir / "out"), std::vector<std::string>{"results.csv"});
}

TEST_F(Cli, ABatchEndedBySignalLeavesItsOutputAsItWasAndNoTemporaryFile)
{
    const fs::path output = dir / "out" / "results.csv";
    const std::string table = lakes(100);
    for (const int signal : {SIGINT, SIGTERM}) {
        SCOPED_TRACE(signal);
        spit(output, "a file the user had");
        int input = -1;
        const pid_t pid = startWithOpenInput("batch -o " + output.string(), table, input);
        ASSERT_GT(pid, 0);
        for (int wait = 0; wait < 2000 && namesIn(dir / "out").size() < 2; ++wait)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        EXPECT_EQ(namesIn(dir / "out").size(), 2u) << "no temporary file";
        ::kill(pid, signal);
        int status = 0;
        ::waitpid(pid, &status, 0);
        ::close(input);
        EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == signal) << status;
        EXPECT_EQ(slurp(output), "a file the user had");
        EXPECT_EQ(namesIn(dir / "out"), std::vector<std::string>{"results.csv"});
    }
}
