#include "cli/batch.h"
#include "cli/guarded.h"
#include "cli/response.h"
#include "cli/runner.h"
#include "cli/samples.h"
#include "cli/systemio.h"

#ifdef TROPHEX_WITH_REPORT
#include "cli/report_command.h"
#endif

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <iostream>
#include <streambuf>
#include <string>
#include <vector>

namespace {

// The standard output as a stream of the runner's, keeping the error of the first write
// that failed (later writes and the final flush may no longer say it).
class StandardOutput : public std::streambuf {
public:
    // A page that could not be written whole is a failure whatever the assessment gave:
    // status 1 and one line saying so, as the batch says it.
    int finish(int status)
    {
        if (std::fflush(stdout) != 0)
            failed(errno);
        if (error_ == 0 && !std::ferror(stdout))
            return status;
        std::cerr << "trophex-cli: cannot write standard output"
                  << (error_ != 0 ? std::string(": ") + std::strerror(error_) : std::string()) << '\n';
        return 1;
    }

protected:
    int overflow(int c) override
    {
        if (c == traits_type::eof())
            return traits_type::not_eof(c);
        const char byte = traits_type::to_char_type(c);
        return put(&byte, 1) ? c : traits_type::eof();
    }
    std::streamsize xsputn(const char* bytes, std::streamsize count) override
    {
        return put(bytes, static_cast<std::size_t>(count)) ? count : 0;
    }

private:
    bool put(const char* bytes, std::size_t count)
    {
        if (std::fwrite(bytes, 1, count, stdout) == count)
            return true;
        failed(errno);
        return false;
    }
    void failed(int error)
    {
        if (error_ == 0)
            error_ = error;
    }

    int error_ = 0;  // of the first write that failed
};

int runCommand(int argc, char** argv)
{
    std::vector<std::string> args = trophex::cli::startProgram(argc, argv);
    if (!args.empty() && args.front() == "batch") {
        std::vector<char*> batchArgs;
        for (std::size_t i = 1; i < args.size(); ++i)
            batchArgs.push_back(args[i].data());
        return trophex::cli::runBatchCommand(static_cast<int>(batchArgs.size()), batchArgs.data());
    }

    if (!args.empty() && args.front() == "samples")
        return trophex::cli::runSamplesCommand({args.begin() + 1, args.end()});

    const trophex::NumberFormat format = trophex::NumberFormat::fromSystemLocale();
    if (!args.empty() && args.front() == "response") {
        trophex::cli::ResponseReportWriter writeResponseReport;
#ifdef TROPHEX_WITH_REPORT
        writeResponseReport = trophex::cli::writeResponseReportPdf;
#endif
        StandardOutput output;
        std::ostream out(&output);
        return output.finish(trophex::cli::runResponseCommand({args.begin() + 1, args.end()}, out, std::cerr, format,
                                                              writeResponseReport));
    }

    trophex::cli::ReportWriter writeReport;
#ifdef TROPHEX_WITH_REPORT
    writeReport = trophex::cli::writeReportPdf;
#endif
    StandardOutput output;
    std::ostream out(&output);
    return output.finish(trophex::cli::runRunner(args, out, std::cerr, format, writeReport));
}

}  // namespace

int main(int argc, char** argv)
{
    return trophex::cli::runGuarded([&] { return runCommand(argc, argv); }, std::cerr);
}
