#pragma once
// trophex-cli batch: the assessment of a CSV table of lakes, one result row per lake.

namespace trophex::cli {

// The arguments after the word "batch". Exit status: 0 when every row was written
// (whatever their status), 1 when the input or output failed, 2 for bad usage.
int runBatchCommand(int argc, char** argv);

inline constexpr const char* BatchUsage =
    "usage: trophex-cli batch [IN.csv] [-o OUT.csv] [--raw] [--threads N]\n"
    "       trophex-cli batch --generate N [--seed S] [-o OUT.csv]\n"
    "  Assesses every lake of a CSV table and writes one result row per lake, in input\n"
    "  order. IN.csv and OUT.csv default to the standard input and output ('-' names them).\n"
    "  -o OUT.csv     where the results go\n"
    "  --raw          every result as a full-precision number instead of the window's text\n"
    "  --threads N    calculating threads (default: one per processor)\n"
    "  --generate N   write N synthetic lakes as an input table instead (seed S, default 1)\n"
    "\n"
    "Input: a header row, then one lake per row. Columns are found by header name, in\n"
    "any order, letter case, spacing or underscores; other columns are ignored.\n"
    "  name                   lake name (optional)\n"
    "  ecoregion              NLF, CHF, WCP or NGP\n"
    "  watershed_area         watershed area        unit column watershed_area_unit: km2 HA Acres mi2\n"
    "  lake_area              lake surface area     unit column lake_area_unit:      km2 HA Acres mi2\n"
    "  mean_depth             lake mean depth       unit column mean_depth_unit:     m ft\n"
    "  total_phosphorus       observed total P      unit column total_phosphorus_unit: ug/L mg/L\n"
    "  chlorophyll_a          observed chlorophyll a unit column chlorophyll_a_unit: ug/L mg/L\n"
    "  secchi_depth           observed Secchi depth unit column secchi_depth_unit:   m ft\n"
    "  alkalinity             alkalinity (optional) unit column alkalinity_unit:     meq/L mg/L\n"
    "  stream_p precipitation evaporation runoff atmospheric_p_load v1 ... v8 s1 s2\n"
    "                         calibration set (optional): an absent or empty value takes the\n"
    "                         default of the row's ecoregion\n"
    "  Unit columns are optional; an absent or empty unit is the first one listed. The\n"
    "  window's control names (WareaEditBox, WareaComboBox, ...) are understood too.\n"
    "  Numbers are read as the window reads them, with a full stop as decimal separator.\n"
    "  UTF-8 (with or without byte order mark) or Windows-1252; quoted fields may hold\n"
    "  commas, doubled quotes and line ends.\n"
    "\n"
    "Output: name, the results as the window shows them in model units (or --raw numbers),\n"
    "and status: \"ok\", or why the row could not be calculated. A bad row never stops the\n"
    "batch. Column names are listed in the README under \"Batch assessment\".\n"
    "Exit status: 0 when every row was written, 1 when reading or writing failed, 2 for\n"
    "bad usage.\n";

}  // namespace trophex::cli
