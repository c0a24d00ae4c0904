#pragma once
// trophex-cli samples: from monitoring samples to lake-years (and their assessment) and
// trends.

#include <string>
#include <vector>

namespace trophex::cli {

// The arguments after the word "samples". Exit status: 0 when the tables could be read and
// the results written (skipped rows are counted, not failures), 1 when not, 2 for bad usage.
int runSamplesCommand(const std::vector<std::string>& args);

inline constexpr const char* SamplesUsage =
    "usage: trophex-cli samples SAMPLES.csv [--lakes LAKES.csv] [options] [-o OUT.csv]\n"
    "       trophex-cli samples --generate N [--seed S] [-o OUT.csv] [--lakes-out LAKES.csv]\n"
    "  Turns a table of monitoring samples into one row per lake and year of growing-season\n"
    "  means of total phosphorus, chlorophyll a, Secchi depth and alkalinity, ready for\n"
    "  trophex-cli batch. SAMPLES.csv and OUT.csv default to the standard streams ('-').\n"
    "  -o OUT.csv            where the lake-years go\n"
    "  --lakes LAKES.csv     the lakes: a batch input table without the observed columns,\n"
    "                        with unique names and a sites column (site identifiers separated\n"
    "                        by ';'); without it each site is a lake of its own\n"
    "  --assess              with --lakes: append the batch's result columns to each lake-year\n"
    "  --raw, --threads N    with --assess: as for trophex-cli batch\n"
    "  --trends OUT.csv      write the Mann-Kendall test and Sen's slope of each lake's\n"
    "                        trophic state indices over the years\n"
    "  --summary-json FILE   write the summary as JSON too\n"
    "  --censored HOW        a non-detect counts as half its limit, zero, the limit, or is\n"
    "                        dropped: half|zero|limit|drop (default half)\n"
    "  --max-depth M         deepest epilimnetic sample, metres (default 2)\n"
    "  --require-depth       refuse results without any depth\n"
    "  --season MM-DD:MM-DD  the growing season, both days included (default 06-01:09-30);\n"
    "                        a season past December 31 belongs to the year it starts in\n"
    "  --probe-chlorophyll   count probe readings (\"Chlorophyll a (probe)\") as chlorophyll a\n"
    "  --min-days N          fewer days with a result are noted (default 4)\n"
    "  --alpha A             significance level of the trend test (default 0.05)\n"
    "  --min-years N         fewer years give \"too few years\" (default 5)\n"
    "  --generate N          write about N generated Water Quality Portal rows instead (seed S,\n"
    "                        default 1), and their lakes table to --lakes-out\n"
    "\n"
    "Samples: a Water Quality Portal result table, a long table (site,date,depth,parameter,\n"
    "value,unit and an optional flag '<' or ND) or a wide table (site,date,depth and any of\n"
    "total_phosphorus, chlorophyll_a, secchi_depth, alkalinity, each with its _unit column).\n"
    "The README's section \"Monitoring samples\" gives every rule and column.\n"
    "A summary of the rows read, accepted and skipped (by reason) goes to the error stream.\n"
    "Exit status: 0 when the tables could be read, 1 when they cannot, 2 for bad usage.\n";

}  // namespace trophex::cli
