#include "cli/samples.h"

#include "cli/arguments.h"
#include "cli/commandfile.h"
#include "cli/systemio.h"
#include "samples/samplegenerator.h"
#include "samples/samplesrun.h"

#include <cstdio>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <stdexcept>
#include <thread>

namespace trophex::cli {

using namespace trophex::samples;

namespace {

struct SamplesCommand {
    std::string input = "-";
    std::string output = "-";
    std::optional<std::string> lakes;
    std::optional<std::string> trends;
    std::optional<std::string> summaryJson;
    SamplesSettings settings;
    std::optional<std::uint64_t> generate;
    std::uint64_t seed = 1;
    std::optional<std::string> lakesOut;
    bool help = false;
    bool rawAsked = false;      // --raw or --threads, which go with --assess
};

std::optional<MonthDay> monthDayOrError(std::string_view text, std::string& error)
{
    const std::optional<MonthDay> day = readMonthDay(text);
    if (!day)
        error = "--season takes MM-DD:MM-DD, not \"" + std::string(text) + "\"";
    return day;
}

// Reads the value of an option into the command; false with the error when it is not one.
using OptionReader = std::function<bool(SamplesCommand&, const std::string& value, std::string& error)>;

bool readSeason(SamplesCommand& command, const std::string& value, std::string& error)
{
    const std::size_t colon = value.find(':');
    if (colon == std::string::npos) {
        error = "--season takes MM-DD:MM-DD, not \"" + value + "\"";
        return false;
    }
    const std::optional<MonthDay> start = monthDayOrError(std::string_view(value).substr(0, colon), error);
    const std::optional<MonthDay> end = start ? monthDayOrError(std::string_view(value).substr(colon + 1), error)
                                              : std::nullopt;
    if (!end)
        return false;
    command.settings.rules.seasonStart = *start;
    command.settings.rules.seasonEnd = *end;
    return true;
}

// A number option that must satisfy valid.
OptionReader numberOption(const char* name, const char* wanted, std::function<bool(double)> valid,
                          std::function<void(SamplesCommand&, double)> store)
{
    return [=](SamplesCommand& command, const std::string& value, std::string& error) {
        const std::optional<double> number = readDecimal(value);
        if (!number || !valid(*number)) {
            error = std::string(name) + " takes " + wanted + ", not \"" + value + "\"";
            return false;
        }
        store(command, *number);
        return true;
    };
}

OptionReader countOption(const char* name, std::uint64_t low, std::uint64_t high,
                         std::function<void(SamplesCommand&, std::uint64_t)> store)
{
    return [=](SamplesCommand& command, const std::string& value, std::string& error) {
        const std::optional<std::uint64_t> count = parseCount(value);
        if (!count || *count < low || *count > high) {
            error = std::string(name) + " takes a whole number from " + std::to_string(low) + " to "
                    + std::to_string(high) + ", not \"" + value + "\"";
            return false;
        }
        store(command, *count);
        return true;
    };
}

OptionReader pathOption(std::function<void(SamplesCommand&, const std::string&)> store)
{
    return [=](SamplesCommand& command, const std::string& value, std::string&) {
        store(command, value);
        return true;
    };
}

const std::map<std::string, OptionReader>& optionsWithValues()
{
    constexpr std::uint64_t Most = 999999999999999999ULL;
    static const std::map<std::string, OptionReader> Options = {
        {"-o", pathOption([](SamplesCommand& c, const std::string& v) { c.output = v; })},
        {"--output", pathOption([](SamplesCommand& c, const std::string& v) { c.output = v; })},
        {"--lakes", pathOption([](SamplesCommand& c, const std::string& v) { c.lakes = v; })},
        {"--trends", pathOption([](SamplesCommand& c, const std::string& v) { c.trends = v; })},
        {"--summary-json", pathOption([](SamplesCommand& c, const std::string& v) { c.summaryJson = v; })},
        {"--lakes-out", pathOption([](SamplesCommand& c, const std::string& v) { c.lakesOut = v; })},
        {"--censored",
         [](SamplesCommand& c, const std::string& v, std::string& error) {
             const std::optional<Censoring> censoring = censoringNamed(v);
             if (!censoring)
                 error = "--censored takes half, zero, limit or drop, not \"" + v + "\"";
             else
                 c.settings.rules.censoring = *censoring;
             return censoring.has_value();
         }},
        {"--season", readSeason},
        {"--max-depth", numberOption("--max-depth", "a depth in metres of 0 or more", [](double d) { return d >= 0; },
                                     [](SamplesCommand& c, double d) { c.settings.rules.maxDepthMetres = d; })},
        {"--alpha", numberOption("--alpha", "a level above 0 and below 1", [](double a) { return a > 0 && a < 1; },
                                 [](SamplesCommand& c, double a) { c.settings.trends.alpha = a; })},
        {"--min-days", countOption("--min-days", 1, 366, [](SamplesCommand& c, std::uint64_t n) {
             c.settings.rules.minDays = static_cast<int>(n);
         })},
        {"--min-years", countOption("--min-years", 2, 10000, [](SamplesCommand& c, std::uint64_t n) {
             c.settings.trends.minYears = static_cast<int>(n);
         })},
        {"--threads", countOption("--threads", 1, 64, [](SamplesCommand& c, std::uint64_t n) {
             c.settings.batch.workers = static_cast<unsigned>(n);
             c.rawAsked = true;
         })},
        {"--generate", countOption("--generate", 0, Most, [](SamplesCommand& c, std::uint64_t n) { c.generate = n; })},
        {"--seed", countOption("--seed", 0, Most, [](SamplesCommand& c, std::uint64_t n) { c.seed = n; })},
    };
    return Options;
}

const std::map<std::string, std::function<void(SamplesCommand&)>>& flags()
{
    static const std::map<std::string, std::function<void(SamplesCommand&)>> Flags = {
        {"--help", [](SamplesCommand& c) { c.help = true; }},
        {"-h", [](SamplesCommand& c) { c.help = true; }},
        {"--assess", [](SamplesCommand& c) { c.settings.assess = true; }},
        {"--raw",
         [](SamplesCommand& c) {
             c.settings.batch.style = batch::ResultStyle::Raw;
             c.rawAsked = true;
         }},
        {"--require-depth", [](SamplesCommand& c) { c.settings.rules.requireDepth = true; }},
        {"--probe-chlorophyll", [](SamplesCommand& c) { c.settings.rules.probeChlorophyll = true; }},
    };
    return Flags;
}

// Whether the options fit together; the error when not.
bool checkCombination(const SamplesCommand& command, bool inputGiven, std::string& error)
{
    if (command.generate) {
        if (inputGiven || command.lakes || command.trends || command.settings.assess)
            error = "--generate takes no tables and writes no lake-years";
    } else if (command.lakesOut) {
        error = "--lakes-out goes with --generate";
    } else if (command.settings.assess && !command.lakes) {
        error = "--assess needs --lakes, which gives each lake's ecoregion and morphometry";
    } else if (command.rawAsked && !command.settings.assess) {
        error = "--raw and --threads go with --assess";
    }
    return error.empty();
}

std::optional<SamplesCommand> parseArguments(const std::vector<std::string>& args, std::string& error)
{
    SamplesCommand command;
    const unsigned processors = std::thread::hardware_concurrency();
    command.settings.batch.workers = processors > 0 ? processors : 1;
    bool inputGiven = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (const auto flag = flags().find(arg); flag != flags().end()) {
            flag->second(command);
        } else if (const auto option = optionsWithValues().find(arg); option != optionsWithValues().end()) {
            if (i + 1 >= args.size()) {
                error = arg + " needs a value";
                return std::nullopt;
            }
            if (!option->second(command, args[++i], error))
                return std::nullopt;
        } else if (arg.size() > 1 && arg[0] == '-') {
            error = "unknown option " + arg;
            return std::nullopt;
        } else if (!inputGiven) {
            command.input = arg;
            inputGiven = true;
        } else {
            error = "one samples table at a time, not also " + arg;
            return std::nullopt;
        }
    }
    if (!checkCombination(command, inputGiven, error))
        return std::nullopt;
    return command;
}

void writeTextFile(const std::string& path, std::string_view text)
{
    writeOutput(path, [&](const batch::WriteFunction& write) { write(text); });
}

int assessSamples(const SamplesCommand& command)
{
    const auto in = std::make_shared<const CommandFile>(command.input, false);
    if (command.output != "-" && isSameRegularFile(in->get(), command.output))
        throw std::runtime_error("the output " + command.output + " would overwrite the samples table");
    batch::ReadFunction readLakes;
    if (command.lakes)
        readLakes = readerOf(std::make_shared<const CommandFile>(*command.lakes, false));
    // The outputs are written only once the tables have been read, each whole or not at all,
    // so that a table that cannot be read leaves the files that were there as they were.
    SamplesOutput output;
    output.lakeYears = [&](std::string_view bytes) { writeTextFile(command.output, bytes); };
    if (command.trends)
        output.trends = [&](std::string_view bytes) { writeTextFile(*command.trends, bytes); };
    const SamplesSummary summary =
        runSamples(readerOf(in), command.lakes ? &readLakes : nullptr, command.settings, output);
    if (!summary.ok())
        throw std::runtime_error(summary.error);
    std::fprintf(stderr, "%s", summaryText(summary).c_str());
    if (command.summaryJson)
        writeTextFile(*command.summaryJson, summaryJson(summary));
    return 0;
}

int generateSamples(const SamplesCommand& command)
{
    writeOutput(command.output, [&](const batch::WriteFunction& write) {
        if (!command.lakesOut) {
            writeGeneratedSamples(*command.generate, command.seed, write, batch::WriteFunction());
            return;
        }
        writeOutput(*command.lakesOut, [&](const batch::WriteFunction& writeLakes) {
            writeGeneratedSamples(*command.generate, command.seed, write, writeLakes);
        });
    });
    return 0;
}

}  // namespace

int runSamplesCommand(const std::vector<std::string>& args)
{
    std::string error;
    const std::optional<SamplesCommand> command = parseArguments(args, error);
    if (!command) {
        std::fprintf(stderr, "trophex-cli samples: %s\n(trophex-cli samples --help tells more)\n", error.c_str());
        return 2;
    }
    if (command->help) {
        std::fputs(SamplesUsage, stdout);
        return 0;
    }
    try {
        return command->generate ? generateSamples(*command) : assessSamples(*command);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "trophex-cli samples: %s\n", e.what());
        return 1;
    }
}

}  // namespace trophex::cli
