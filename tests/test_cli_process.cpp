// trophex-cli run as users run it: what its exit status says when its output cannot be
// written, what a batch leaves on the disk when it fails or is ended by a signal, and that a
// batch whose output failed does not wait for the rest of its input.

#include <gtest/gtest.h>

#include <csignal>
#include <fstream>
#include <iterator>
#include <string>
#include <thread>
#include <vector>

#include <filesystem>
#include <sys/wait.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

std::string slurp(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void spit(const fs::path& path, const std::string& text)
{
    std::ofstream(path, std::ios::binary) << text;
}

std::vector<std::string> namesIn(const fs::path& folder)
{
    std::vector<std::string> names;
    for (const fs::directory_entry& entry : fs::directory_iterator(folder))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

// trophex-cli started through the shell ("exec trophex-cli ARGUMENTS", so that signals
// reach it), its standard input a pipe that the test feeds and keeps open until it ends it.
class CliProcess {
public:
    explicit CliProcess(const std::string& arguments)
    {
        int fds[2];
        if (::pipe(fds) != 0)
            throw std::runtime_error("no pipe");
        const std::string command = std::string("exec ") + TROPHEX_CLI + " " + arguments;
        pid_ = ::fork();
        if (pid_ == 0) {
            ::dup2(fds[0], 0);
            ::close(fds[0]);
            ::close(fds[1]);
            ::execl("/bin/sh", "sh", "-c", command.c_str(), static_cast<char*>(nullptr));
            ::_exit(127);
        }
        ::close(fds[0]);
        input_ = fds[1];
    }
    CliProcess(const CliProcess&) = delete;
    CliProcess& operator=(const CliProcess&) = delete;
    ~CliProcess()
    {
        if (!ended_) {
            ::kill(pid_, SIGKILL);
            ::waitpid(pid_, nullptr, 0);
        }
        endInput();
        if (feeder_.joinable())
            feeder_.join();
    }

    // Writes the bytes to its standard input from a thread of their own, the pipe kept open.
    void feed(std::string bytes)
    {
        feeder_ = std::thread([fd = input_, bytes = std::move(bytes)] {
            for (std::size_t done = 0; done < bytes.size();) {
                const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
                if (n <= 0)
                    return;  // it has ended and closed its end
                done += static_cast<std::size_t>(n);
            }
        });
    }

    void endInput()
    {
        if (input_ >= 0)
            ::close(input_);
        input_ = -1;
    }

    void signal(int number) { ::kill(pid_, number); }

    // The raw wait status once it has ended within the limit; -1 when it is still running.
    int waitFor(std::chrono::milliseconds limit)
    {
        const auto end = std::chrono::steady_clock::now() + limit;
        int status = 0;
        while (::waitpid(pid_, &status, WNOHANG) == 0) {
            if (std::chrono::steady_clock::now() > end)
                return -1;
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        ended_ = true;
        return status;
    }

private:
    pid_t pid_ = -1;
    int input_ = -1;       // write end of its standard input, or -1
    std::thread feeder_;   // writing its input
    bool ended_ = false;   // waited for
};

class Cli : public ::testing::Test {
protected:
    void SetUp() override
    {
        std::signal(SIGPIPE, SIG_IGN);  // a feeder writing to a process that has ended
        const ::testing::TestInfo* test = ::testing::UnitTest::GetInstance()->current_test_info();
        dir = fs::temp_directory_path() /
              ("trophex_cli_" + std::string(test->name()) + "_" + std::to_string(::getpid()));
        fs::remove_all(dir);
        fs::create_directories(dir / "out");
    }
    void TearDown() override { fs::remove_all(dir); }

    // Runs the command line through the shell; the exit status and the error stream.
    std::pair<int, std::string> run(const std::string& arguments)
    {
        const fs::path errors = dir / "stderr.txt";
        const std::string command = std::string(TROPHEX_CLI) + " " + arguments + " 2>" + errors.string();
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
    const std::string example = TROPHEX_SOURCE_DIR "/examples/example.tpx";
};

}  // namespace

TEST_F(Cli, AnUnwritableStandardOutputFailsInOneLine)
{
    spit(dir / "lakes.csv", lakes(10));
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
    const std::string table = lakes(50);
    spit(dir / "header.csv", "name,depth\nLake,4\n");
    spit(dir / "cut.csv", table.substr(0, table.find('\n')));  // no rows: written whole
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
    EXPECT_EQ(run("batch " + (dir / "cut.csv").string() + " -o " + output.string()).first, 0);
    EXPECT_NE(slurp(output), "a file the user had");
    EXPECT_EQ(namesIn(dir / "out"), std::vector<std::string>{"results.csv"});
}

TEST_F(Cli, ABatchEndedBySignalLeavesItsOutputAsItWasAndNoTemporaryFile)
{
    const fs::path output = dir / "out" / "results.csv";
    const std::string table = lakes(200);
    for (const int signal : {SIGINT, SIGTERM}) {
        SCOPED_TRACE(signal);
        spit(output, "a file the user had");
        CliProcess cli("batch -o " + output.string());
        cli.feed(table);  // rows written, and the input still open
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
        while (namesIn(dir / "out").size() < 2 && std::chrono::steady_clock::now() < deadline)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        ASSERT_EQ(namesIn(dir / "out").size(), 2u) << "the temporary file never appeared";
        cli.signal(signal);
        const int status = cli.waitFor(std::chrono::seconds(20));
        EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == signal) << status;
        EXPECT_EQ(slurp(output), "a file the user had");
        EXPECT_EQ(namesIn(dir / "out"), std::vector<std::string>{"results.csv"});
    }
}

// The input stays open after a megabyte of rows; the output fails at once. The run ends
// with the output's failure instead of waiting for an input that may never end.
TEST_F(Cli, ABatchWhoseOutputFailedDoesNotWaitForItsInput)
{
    const std::string table = lakes(16000);
    ASSERT_GT(table.size(), 1000000u);
    CliProcess cli("batch -o /dev/full 2>" + (dir / "stderr.txt").string());
    cli.feed(table);
    const int status = cli.waitFor(std::chrono::seconds(20));
    ASSERT_NE(status, -1) << "still waiting for its input";
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 1) << status;
    EXPECT_EQ(slurp(dir / "stderr.txt"), "trophex-cli batch: cannot write /dev/full: No space left on device\n");
}
