#include "cli/batch.h"

#include "batch/lakegenerator.h"
#include "cli/arguments.h"
#include "cli/systemio.h"
#include "engine/engine.h"

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
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

std::optional<std::uint64_t> parseCount(const std::string& text)
{
    if (text.empty() || text.find_first_not_of("0123456789") != std::string::npos || text.size() > 18)
        return std::nullopt;
    return std::stoull(text);
}

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

std::string systemError(const std::string& what, const std::string& path)
{
    return what + " " + path + ": " + std::strerror(errno);
}

// A file named on the command line, or a standard stream for "-".
class CommandFile {
public:
    CommandFile(const std::string& path, bool forWriting)
        : path_(path == "-" ? (forWriting ? "standard output" : "standard input") : path)
    {
        if (path == "-") {
            file_ = forWriting ? stdout : stdin;
            return;
        }
        file_ = openFile(path, forWriting ? "wb" : "rb");
        owned_ = file_ != nullptr;
        if (!file_)
            throw std::runtime_error(systemError(forWriting ? "cannot write" : "cannot open", path));
    }
    CommandFile(const CommandFile&) = delete;
    CommandFile& operator=(const CommandFile&) = delete;
    ~CommandFile()
    {
        if (owned_)
            std::fclose(file_);
    }

    std::FILE* get() const { return file_; }
    const std::string& name() const { return path_; }

    // Flushes and, for a named file, closes it, reporting a late write failure.
    void finish()
    {
        const bool failed = std::fflush(file_) != 0 || (owned_ && std::fclose(file_) != 0);
        owned_ = false;
        if (failed)
            throw std::runtime_error(systemError("cannot write", path_));
    }

private:
    std::string path_;            // as shown in messages
    std::FILE* file_ = nullptr;   // the open stream
    bool owned_ = false;          // closed by this object
};

ReadFunction readerOf(const CommandFile& file)
{
    return [&file](char* buffer, std::size_t capacity) {
        const std::size_t got = std::fread(buffer, 1, capacity, file.get());
        if (got == 0 && std::ferror(file.get()))
            throw std::runtime_error(systemError("cannot read", file.name()));
        return got;
    };
}

WriteFunction writerOf(const CommandFile& file)
{
    return [&file](std::string_view bytes) {
        if (std::fwrite(bytes.data(), 1, bytes.size(), file.get()) != bytes.size())
            throw std::runtime_error(systemError("cannot write", file.name()));
    };
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
    const engine::BatchReport summary = engine::assessTable(readerOf(in), writerOf(out), command.options, observer);
    if (showProgress)
        bar.finish(summary.totals);
    if (!summary.ok())
        throw std::runtime_error(summary.error.message);
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
