#pragma once
// trophex-cli batch: the assessment of a CSV table of lakes, one result row per lake.

namespace trophex::cli {

// The arguments after the word "batch". Exit status: 0 when every row was written
// (whatever their status), 1 when the input or output failed, 2 for bad usage.
int runBatchCommand(int argc, char** argv);

inline constexpr const char* BatchUsage =
    "usage: trophex-cli batch [IN.csv] [-o OUT.csv] [--raw] [--threads N] [--target SPEC [--model]]\n"
    "       trophex-cli batch --generate N [--seed S] [-o OUT.csv]\n"
    "  Assesses every lake of a CSV table and writes one result row per lake, in input\n"
    "  order. IN.csv and OUT.csv default to the standard input and output ('-' names them).\n"
    "  -o OUT.csv     where the results go\n"
    "  --raw          every result as a full-precision number instead of the window's text\n"
    "  --threads N    calculating threads (default: one per processor)\n"
    "  --target SPEC  add the load response columns for this goal: tp=V, chla=V, secchi=V,\n"
    "                 tsi=V, freq=B:P or ecoregion (see trophex-cli response --help)\n"
    "  --model        with --target: the model's predictions rather than the observed\n"
    "                 values changed by the model's ratios\n"
    "  --generate N   write N synthetic lakes as an input table instead (seed S, default 1)\n"
    "\n"
    "Input: a header row, then one lake per row. Columns are found by their header name,\n"
    "in any order, letter case, spacing or underscores; other columns are ignored.\n"
    "  name              lake name (optional)\n"
    "  ecoregion         NLF, CHF, WCP or NGP\n"
    "  watershed_area    watershed area              units: km2 HA Acres mi2\n"
    "  lake_area         lake surface area           units: km2 HA Acres mi2\n"
    "  mean_depth        lake mean depth             units: m ft\n"
    "  total_phosphorus  observed total phosphorus   units: ug/L mg/L\n"
    "  chlorophyll_a     observed chlorophyll a      units: ug/L mg/L\n"
    "  secchi_depth      observed Secchi depth       units: m ft\n"
    "  alkalinity        alkalinity (optional)       units: meq/L mg/L\n"
    "  stream_p, precipitation, evaporation, runoff, atmospheric_p_load, v1 ... v8, s1, s2\n"
    "                    calibration set (optional; absent or empty: the default of the\n"
    "                    row's ecoregion)\n"
    "  Each value may have a unit column named after it with \"_unit\" (watershed_area_unit,\n"
    "  ...), or a unit in parentheses after its name (\"Secchi depth (ft)\"); a unit field\n"
    "  wins over the title's unit, and an absent or empty one is the first listed. Units\n"
    "  are read in any letter case. The table window's titles (\"Lake Name\", \"Secchi\n"
    "  Disk\", ...) and control names (WareaEditBox, WareaComboBox, ...) are understood too.\n"
    "  Fields are separated by commas, semicolons or tabs, whichever the header row holds\n"
    "  most; numbers are read with a full stop, and in a semicolon table with a decimal\n"
    "  comma too. UTF-8 with or without byte order mark, or Windows-1252; quoted fields\n"
    "  may hold separators, doubled quotes and line ends.\n"
    "\n"
    "Output: the name, every result as the window shows it in model units (or as a\n"
    "full-precision number with --raw), and a status: \"ok\", or why the row could not be\n"
    "calculated; separated as the input is, with decimal commas after semicolons. A bad row never stops the batch. The README lists the columns under\n"
    "\"Batch assessment\".\n"
    "Exit status: 0 when every row was written, 1 when reading or writing failed, 2 for\n"
    "bad usage.\n";

}  // namespace trophex::cli
