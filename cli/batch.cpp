#include "cli/batch.h"

#include "batch/lakegenerator.h"
#include "cli/arguments.h"
#include "cli/commandfile.h"
#include "cli/systemio.h"
#include "engine/engine.h"
#include "files/datafile.h"

#include <chrono>
#include <cstdio>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

namespace trophex::cli {

using namespace trophex::batch;

namespace {

struct BatchCommand {
    std::string input = "-";              // table to assess, "-" for the standard input
    std::string output = "-";             // where results go, "-" for the standard output
    engine::BatchOptions options;         // result style, threads and load response
    std::optional<std::uint64_t> generate;  // write this many synthetic lakes instead
    std::uint64_t seed = 1;               // of the synthetic lakes
    bool help = false;                    // print the usage and nothing else
};

// The whole number of a counting option, or nullopt with the error set.
std::optional<std::uint64_t> countValue(const std::string& option, const std::string& text, std::string& error)
{
    const std::optional<std::uint64_t> n = parseCount(text);
    if (!n)
        error = option + " takes a whole number, not \"" + text + "\"";
    return n;
}

// Takes the option at args[i] into the command; false when it is none of the batch's or
// its value is wrong.
bool takeBatchOption(const std::vector<std::string>& args, std::size_t& i, BatchCommand& command, bool& modelAsked,
                     std::string& error)
{
    std::optional<std::uint64_t> n;
    if (isFlag(args, i, "--raw", error)) {
        command.options.style = ResultStyle::Raw;
    } else if (isFlag(args, i, "--model", error)) {
        modelAsked = true;
    } else if (const auto target = optionValue(args, i, "--target", error)) {
        command.options.response = engine::ResponseRequest{*target, {}, NuisanceLevels::Left};
        const engine::Error unreadable = engine::checkResponseRequest(*command.options.response);
        error = unreadable.message;
        return !unreadable.failed();
    } else if (auto path = optionValue(args, i, "-o", error)) {
        command.output = std::move(*path);
    } else if (auto output = optionValue(args, i, "--output", error)) {
        command.output = std::move(*output);
    } else if (const auto threads = optionValue(args, i, "--threads", error)) {
        if (!(n = countValue("--threads", *threads, error)))
            return false;
        if (*n < 1 || *n > 64) {
            error = "--threads takes 1 to 64";
            return false;
        }
        command.options.workers = static_cast<unsigned>(*n);
    } else if (const auto count = optionValue(args, i, "--generate", error)) {
        if (!(command.generate = countValue("--generate", *count, error)))
            return false;
    } else if (const auto seed = optionValue(args, i, "--seed", error)) {
        if (!(n = countValue("--seed", *seed, error)))
            return false;
        command.seed = *n;
    } else {
        return false;
    }
    return true;
}

std::optional<BatchCommand> parseArguments(const std::vector<std::string>& args, std::string& error)
{
    BatchCommand command;
    const unsigned processors = std::thread::hardware_concurrency();
    command.options.workers = processors > 0 ? processors : 1;
    bool modelAsked = false;
    std::vector<std::string> tables;
    const auto takeOption = [&](std::size_t& i) { return takeBatchOption(args, i, command, modelAsked, error); };
    if (!walkArguments(args, tables, command.help, takeOption, error))
        return std::nullopt;
    if (command.help)
        return command;
    if (tables.size() > 1) {
        error = "one input table at a time, not also " + tables[1];
        return std::nullopt;
    }
    if (command.generate && !tables.empty()) {
        error = "--generate takes no input table";
        return std::nullopt;
    }
    if (modelAsked && !command.options.response) {
        error = "--model goes with --target";
        return std::nullopt;
    }
    if (!tables.empty())
        command.input = tables.front();
    if (command.options.response && modelAsked)
        command.options.response->mode = responseModeName(ResponseMode::Model);
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
    const auto in = std::make_shared<const CommandFile>(command.input, false);
    if (command.output != "-" && isInputFile(*in, command.output))
        throw std::runtime_error("the output " + command.output + " would overwrite the input");

    const bool showProgress = isTerminal(stderr) && !(command.output == "-" && isTerminal(stdout));
    ProgressBar bar(inputSize(*in));
    BatchObserver observer;
    observer.ignoredColumn = [](const std::string& name) {
        std::fprintf(stderr, "trophex-cli batch: ignoring the column \"%s\"\n", name.c_str());
    };
    if (showProgress)
        observer.progress = [&](const BatchProgress& p) { bar.update(p); };
    engine::BatchReport summary;
    writeOutput(command.output, [&](const WriteFunction& write) {
        summary = engine::assessTable(readerOf(in), write, command.options, observer);
        if (showProgress)
            bar.finish(summary.totals);
        if (!summary.ok())
            throw std::runtime_error(summary.error.message);
    });
    if (showProgress)
        std::fprintf(stderr, "%llu %s, %llu not calculated\n", static_cast<unsigned long long>(summary.totals.lakes),
                     summary.totals.lakes == 1 ? "lake" : "lakes",
                     static_cast<unsigned long long>(summary.totals.failed));
    return 0;
}

int generateTable(const BatchCommand& command)
{
    writeOutput(command.output,
                [&](const WriteFunction& write) { writeSyntheticLakes(*command.generate, command.seed, write); });
    return 0;
}

}  // namespace

int runBatchCommand(int argc, char** argv)
{
    std::string error;
    const std::optional<BatchCommand> command = parseArguments(std::vector<std::string>(argv, argv + argc), error);
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

