#include "cli/batch.h"
#include "cli/guarded.h"
#include "cli/response.h"
#include "cli/runner.h"
#include "cli/samples.h"
#include "cli/systemio.h"

#ifdef TROPHEX_WITH_REPORT
#include "cli/report_command.h"
#endif

#include <iostream>
#include <string>
#include <vector>

namespace {

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
        return trophex::cli::runResponseCommand({args.begin() + 1, args.end()}, std::cout, std::cerr, format,
                                                writeResponseReport);
    }

    trophex::cli::ReportWriter writeReport;
#ifdef TROPHEX_WITH_REPORT
    writeReport = trophex::cli::writeReportPdf;
#endif
    return trophex::cli::runRunner(args, std::cout, std::cerr, format, writeReport);
}

}  // namespace

int main(int argc, char** argv)
{
    return trophex::cli::runGuarded([&] { return runCommand(argc, argv); }, std::cerr);
}
