#pragma once
// The columns of a batch table: which header names feed which input text, how one record
// becomes the 31 input texts of a lake, and the result columns written for it.

#include "batch/csv.h"
#include "model/calculation.h"
#include "model/errors.h"
#include "model/inputs.h"
#include "response/loadresponse.h"

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace trophex::batch {

// Header names are compared without letter case and ignoring everything but letters and
// digits, so "Watershed area", "watershed_area" and "WareaEditBox" are all understood. A
// unit in parentheses after the name ("Secchi depth (ft)") is the unit of that column's
// values wherever the row's unit field is absent or empty; a unit the input cannot have makes
// the header unusable.
// Two columns that give the same input make the header unusable, since nothing tells which
// one the table means; a column whose header cell is empty, like one with any other name
// that names no input, is ignored. A row may have more fields than the header as long as
// those past the header's last column are empty.
struct ColumnLayout {
    std::array<int, InputCount> columnOf{};   // field index of each input text; -1 when absent
    std::size_t fieldCount = 0;               // fields in the header row
    std::vector<std::string> ignoredNames;    // non-empty header names that name no input
    std::array<const char*, InputCount> titleUnits{};  // by value input: the unit its title names, or nullptr
    CsvDialect dialect;                       // how the table separates fields and writes numbers
    std::uint64_t headerRow = 1;              // the header's row as a spreadsheet numbers it
};

struct HeaderReading {
    std::optional<ColumnLayout> layout;  // set when the header can be used
    std::string error;                   // otherwise why not
};

// The header as read with the table's dialect; in a table with decimal commas, rowInputs
// reads the numbers' commas as decimal points.
HeaderReading readHeader(const CsvRecord& header, CsvDialect dialect = {});

// The name of an input column as the documentation gives it, e.g. "watershed_area".
const char* inputColumnName(Input input);

// The input a column's name names, compared as header names are; none for any other name.
std::optional<Input> inputOfColumn(std::string_view name);

// Fills texts from the record: values as written (spaces and tabs around them dropped),
// an absent or empty unit as the model's unit, an absent or empty calibration member as
// the default of the row's ecoregion. Returns why a row cannot be calculated, or no
// error. texts[Input::NameEditBox] holds the name in either case.
Error rowInputs(const CsvRecord& record, const ColumnLayout& layout, InputTexts& texts);

// How result numbers are written: as the window shows them, or every number in full.
enum class ResultStyle { Display, Raw };

inline constexpr const char* SuccessStatus = "ok";

// The load response a batch adds to every row when a target is given.
struct ResponseSettings {
    TargetSpec target;                // the goal, made concrete with each row's ecoregion
    std::optional<ResponseMode> mode; // as asked; none: anchored where the row has an observation
};

// The load response of a completed calculation of these inputs.
LoadResponse rowResponse(const CalculationOutcome& outcome, const InputTexts& texts, const ResponseSettings& settings);

// The header row of the results, without a line end; with the load response columns
// before the status when asked.
void appendResultHeader(std::string& out, bool withResponse = false);
// One row of results for a calculation that completed or failed, with the columns of the
// load response when one is given.
void appendResultRow(std::string& out, std::string_view name, const CalculationOutcome& outcome,
                     ResultStyle style, const LoadResponse* response = nullptr);
// One row for a record that could not be calculated: the name, empty results, the error.
void appendFailedRow(std::string& out, std::string_view name, const Error& error, bool withResponse = false);

// Number of result columns between the name and the status.
std::size_t resultColumnCount();

}  // namespace trophex::batch
