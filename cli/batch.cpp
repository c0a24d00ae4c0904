#include "cli/batch.h"

#include "batch/batchpipeline.h"
#include "batch/lakegenerator.h"
#include "cli/arguments.h"
#include "cli/commandfile.h"
#include "cli/systemio.h"

#include <chrono>
#include <cstdio>
#include <optional>
#include <stdexcept>
#include <string>
#include <thread>

namespace trophex::cli {

using namespace trophex::batch;

namespace {

struct BatchCommand {
    std::string input = "-";              // table to assess, "-" for the standard input
    std::string output = "-";             // where results go, "-" for the standard output
    BatchSettings settings;               // result style and threads
    std::optional<std::uint64_t> generate;  // write this many synthetic lakes instead
    std::uint64_t seed = 1;               // of the synthetic lakes
    bool help = false;                    // print the usage and nothing else
};

std::optional<BatchCommand> parseArguments(int argc, char** argv, std::string& error)
{
    BatchCommand command;
    const unsigned processors = std::thread::hardware_concurrency();
    command.settings.workers = processors > 0 ? processors : 1;
    bool inputGiven = false;
    bool modelAsked = false;
    for (int i = 0; i < argc; ++i) {
        const std::string arg = argv[i];
        const auto value = [&]() -> std::optional<std::string> {
            if (i + 1 >= argc) {
                error = arg + " needs a value";
                return std::nullopt;
            }
            return std::string(argv[++i]);
        };
        const auto count = [&]() -> std::optional<std::uint64_t> {
            const std::optional<std::string> text = value();
            if (!text)
                return std::nullopt;
            const std::optional<std::uint64_t> n = parseCount(*text);
            if (!n)
                error = arg + " takes a whole number, not \"" + *text + "\"";
            return n;
        };
        if (arg == "--help" || arg == "-h") {
            command.help = true;
        } else if (arg == "--raw") {
            command.settings.style = ResultStyle::Raw;
        } else if (arg == "--model") {
            modelAsked = true;
        } else if (arg == "--target") {
            const std::optional<std::string> text = value();
            if (!text)
                return std::nullopt;
            const TargetReading reading = readTargetSpec(*text);
            if (!reading.target) {
                error = reading.error;
                return std::nullopt;
            }
            command.settings.response = ResponseSettings{*reading.target, false};
        } else if (arg == "-o" || arg == "--output") {
            const std::optional<std::string> path = value();
            if (!path)
                return std::nullopt;
            command.output = *path;
        } else if (arg == "--threads" || arg == "--generate" || arg == "--seed") {
            const std::optional<std::uint64_t> n = count();
            if (!n)
                return std::nullopt;
            if (arg == "--threads" && (*n < 1 || *n > 64)) {
                error = "--threads takes 1 to 64";
                return std::nullopt;
            }
            if (arg == "--threads")
                command.settings.workers = static_cast<unsigned>(*n);
            else if (arg == "--generate")
                command.generate = *n;
            else
                command.seed = *n;
        } else if (arg.size() > 1 && arg[0] == '-') {
            error = "unknown option " + arg;
            return std::nullopt;
        } else if (!inputGiven) {
            command.input = arg;
            inputGiven = true;
        } else {
            error = "one input table at a time, not also " + arg;
            return std::nullopt;
        }
    }
    if (command.generate && inputGiven) {
        error = "--generate takes no input table";
        return std::nullopt;
    }
    if (modelAsked && !command.settings.response) {
        error = "--model goes with --target";
        return std::nullopt;
    }
    if (command.settings.response)
        command.settings.response->model = modelAsked;
    return command;
}

// Whether the output path names the regular file that is being read.
bool isInputFile(const CommandFile& in, const std::string& outputPath)
{
    return isSameRegularFile(in.get(), outputPath);
}

// Size of a regular input file, 0 when it has none (a pipe or terminal).
std::uint64_t inputSize(const CommandFile& file)
{
    return regularFileSize(file.get());
}

// A one-line progress bar on the error stream, shown once a run has taken a second and
// redrawn at most ten times a second.
class ProgressBar {
public:
    explicit ProgressBar(std::uint64_t totalBytes) : totalBytes_(totalBytes) {}

    void update(const BatchProgress& progress)
    {
        const auto now = Clock::now();
        if (now - start_ < std::chrono::seconds(1) || now - lastDrawn_ < std::chrono::milliseconds(100))
            return;
        lastDrawn_ = now;
        draw(progress, now);
    }

    // Draws the final state and ends the line, when the bar was shown at all.
    void finish(const BatchProgress& progress)
    {
        if (lastDrawn_ == Clock::time_point())
            return;
        draw(progress, Clock::now());
        std::fputc('\n', stderr);
    }

private:
    using Clock = std::chrono::steady_clock;

    void draw(const BatchProgress& progress, Clock::time_point now)
    {
        constexpr int Width = 30;
        const double seconds = std::chrono::duration<double>(now - start_).count();
        const double rate = seconds > 0 ? static_cast<double>(progress.lakes) / seconds : 0;
        if (totalBytes_ > 0) {
            const double done = std::min(1.0, static_cast<double>(progress.inputBytes) / totalBytes_);
            const int filled = static_cast<int>(done * Width);
            std::fprintf(stderr, "\r[%.*s%*s] %3d%%  %llu lakes  %.0f lakes/s ", filled,
                         "##############################", Width - filled, "", static_cast<int>(done * 100),
                         static_cast<unsigned long long>(progress.lakes), rate);
        } else {
            std::fprintf(stderr, "\r%llu lakes  %.0f lakes/s ", static_cast<unsigned long long>(progress.lakes),
                         rate);
        }
        std::fflush(stderr);
    }

    std::uint64_t totalBytes_;                  // input size, 0 when unknown
    Clock::time_point start_ = Clock::now();    // when the run began
    Clock::time_point lastDrawn_;               // last drawing, zero before the first
};

int assessTable(const BatchCommand& command)
{
    const CommandFile in(command.input, false);
    if (command.output != "-" && isInputFile(in, command.output))
        throw std::runtime_error("the output " + command.output + " would overwrite the input");
    CommandFile out(command.output, true);

    const bool showProgress = isTerminal(stderr) && !(command.output == "-" && isTerminal(stdout));
    ProgressBar bar(inputSize(in));
    BatchObserver observer;
    observer.ignoredColumn = [](const std::string& name) {
        std::fprintf(stderr, "trophex-cli batch: ignoring the column \"%s\"\n", name.c_str());
    };
    if (showProgress)
        observer.progress = [&](const BatchProgress& p) { bar.update(p); };
    const BatchSummary summary = runBatch(readerOf(in), writerOf(out), command.settings, observer);
    if (showProgress)
        bar.finish(summary.totals);
    if (!summary.ok())
        throw std::runtime_error(summary.error);
    out.finish();
    if (showProgress)
        std::fprintf(stderr, "%llu lakes, %llu not calculated\n", static_cast<unsigned long long>(summary.totals.lakes),
                     static_cast<unsigned long long>(summary.totals.failed));
    return 0;
}

int generateTable(const BatchCommand& command)
{
    CommandFile out(command.output, true);
    writeSyntheticLakes(*command.generate, command.seed, writerOf(out));
    out.finish();
    return 0;
}

}  // namespace

int runBatchCommand(int argc, char** argv)
{
    std::string error;
    const std::optional<BatchCommand> command = parseArguments(argc, argv, error);
    if (!command) {
        std::fprintf(stderr, "trophex-cli batch: %s\n(trophex-cli batch --help tells more)\n", error.c_str());
        return 2;
    }
    if (command->help) {
        std::fputs(BatchUsage, stdout);
        return 0;
    }
    try {
        return command->generate ? generateTable(*command) : assessTable(*command);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "trophex-cli batch: %s\n", e.what());
        return 1;
    }
}

}  // namespace trophex::cli
