#include "cli/batch.h"
#include "cli/guarded.h"
#include "cli/runner.h"

#ifdef TROPHEX_WITH_REPORT
#include "cli/report_command.h"
#endif

#include <iostream>
#include <string_view>

namespace {

int runCommand(int argc, char** argv)
{
    if (argc > 1 && std::string_view(argv[1]) == "batch")
        return trophex::cli::runBatchCommand(argc - 2, argv + 2);

    const std::vector<std::string> args(argv + 1, argv + argc);
    trophex::cli::ReportWriter writeReport;
#ifdef TROPHEX_WITH_REPORT
    writeReport = trophex::cli::writeReportPdf;
#endif
    return trophex::cli::runRunner(args, std::cout, std::cerr, trophex::NumberFormat::fromSystemLocale(), writeReport);
}

}  // namespace

int main(int argc, char** argv)
{
    return trophex::cli::runGuarded([&] { return runCommand(argc, argv); }, std::cerr);
}
