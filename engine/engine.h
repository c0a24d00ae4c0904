#pragma once
// The engine: everything a shell (the window, the command line, a browser page, an R
// package) calls to assess lakes, data files, load responses and tables of lakes, and to
// write their results. This is the engine's one public header.
//
// Every function here
//   - lets no exception out: a failure, lack of memory included, comes back as an Error;
//   - writes nothing to standard output or error and never ends the process;
//   - returns its results as values;
//   - computes with the x87 rounding to 64 bits where the x87 computes, whatever precision
//     the caller's control word asks for, and gives the caller's control word back.
//
// Inputs are named as the batch table's columns name them ("name", "ecoregion",
// "watershed_area", "watershed_area_unit", ... "v1", "s2"), in any letter case, with the
// batch's aliases and the window's control names understood as well.

#include "batch/batchpipeline.h"
#include "batch/batchtable.h"
#include "model/calculation.h"
#include "model/errors.h"
#include "model/inputs.h"
#include "model/outputunits.h"
#include "model/results.h"
#include "response/loadresponse.h"
#include "arithmetic/numberformat.h"

#include <array>
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace trophex::engine {

// ---------------------------------------------------------------------------------------
// Errors

// What went wrong, in the program's words, and the input it concerns.
struct Error {
    ErrorCode code = ErrorCode::None;  // what went wrong; None when nothing did
    std::string message;               // one line, as the runner prints it after "Error: "
    std::string cause;                 // the second line naming the input; empty when not known
    std::string column;                // the input concerned by its batch column ("watershed_area"); empty when none
    std::string field;                 // the same input by its control's name ("WareaEditBox"), as JSON's "field"
    std::optional<Input> input;        // the same input, for the window to put its cursor there
    std::int32_t position = 0;         // InvalidInput: 1-based position in the input's text where reading stopped

    bool failed() const { return code != ErrorCode::None; }
};

// The model's error in the engine's words.
Error errorOf(const trophex::Error& error);

// A text the engine wrote, or why it could not.
struct Text {
    std::string text;  // when ok()
    Error error;       // a lack of memory, or another failure
    bool ok() const { return !error.failed(); }
};

// ---------------------------------------------------------------------------------------
// Inputs

// Input texts by batch column name, e.g. {"watershed_area", "12.5"}.
using InputFields = std::map<std::string, std::string>;

struct InputsReading {
    InputTexts texts;                         // the 31 texts, as a batch row would give them
    Error error;                              // why these inputs cannot be calculated
    std::vector<std::string> ignoredColumns;  // names that name no input, as a batch ignores them
};

// The 31 input texts of a lake, read as the batch reads one row under a header of these
// names: a required input that is absent is an error, as a header without its column is;
// an absent or empty unit is the model's unit; an absent or empty calibration member is the
// default of the lake's ecoregion. Calibration members may come in calibration instead of
// fields; a member given in both is an error.
InputsReading readInputs(const InputFields& fields, const InputFields& calibration = {});

// The batch column name of every input, in the data file's order.
std::array<const char*, InputCount> inputColumnNames();

// ---------------------------------------------------------------------------------------
// Assessing one lake

// A result shown in another unit, as its unit selector would (the runner's --unit).
struct UnitChoice {
    OutputResult result;  // which result selector
    std::string unit;     // the text chosen in it
};

struct AssessOptions {
    std::vector<UnitChoice> units;  // unit selections applied after the calculation
    NumberFormat format;            // how result texts write numbers; a full stop by default
    bool resultTexts = true;        // false: the values alone, no result texts, for callers that want numbers
};

struct Assessment {
    std::string source;                    // the data file's path or name as given; empty for fields
    Error error;                           // none when the lake was read and calculated
    std::optional<InputTexts> inputs;      // the 31 texts the calculation read, when they were read
    ResultTexts results;                   // every result text as the runner shows it; when ok() and asked for
    ResultValues values;                   // every result in its model unit, exactly; when ok()
    std::array<std::string, 6> unitTexts;  // the output unit selectors' texts, by OutputResult
    ModelState state;                      // the calculation's model state; when ok()
    std::vector<std::string> ignoredColumns;  // input names that named no input

    bool ok() const { return !error.failed(); }
};

// A lake from its input texts by column name.
Assessment assessLake(const InputFields& fields, const AssessOptions& options = {},
                      const InputFields& calibration = {});
// A lake from the window's 31 texts, read exactly as they are.
Assessment assessTexts(const InputTexts& texts, const AssessOptions& options = {});
// A model-run data file's contents; name is what the results call it.
Assessment assessDataFileBytes(std::string_view bytes, const std::string& name, const AssessOptions& options = {});
// A model-run data file, opened as the window's Open command opens it.
Assessment assessDataFile(const std::string& path, const AssessOptions& options = {});

// ---------------------------------------------------------------------------------------
// Load response

struct ResponseRequest {
    ResponseRequest(std::string target = "ecoregion", std::string mode = {},
                    NuisanceLevels levels = NuisanceLevels::Included)
        : target(std::move(target)), mode(std::move(mode)), levels(levels)
    {
    }

    // "tp=V", "chla=V", "secchi=V", "tsi=V", "freq=B:P" or "ecoregion".
    std::string target;
    // "anchored", "model", or empty: anchored when the lake has an observation, else model.
    std::string mode;
    // Whether the curve's points carry the frequencies over the four nuisance levels.
    NuisanceLevels levels;
};

// Why the request cannot be answered (a target or mode that cannot be read), or no error.
Error checkResponseRequest(const ResponseRequest& request);

struct ResponseAssessment {
    Assessment lake;                       // the lake it is of
    Error error;                           // the lake's error, or the request's
    std::optional<LoadResponse> response;  // when the lake calculated and the request was read

    bool ok() const { return response.has_value(); }
};

// The load response of an assessed lake; an assessment that failed gives its error.
ResponseAssessment assessResponse(const Assessment& lake, const ResponseRequest& request);

// ---------------------------------------------------------------------------------------
// JSON

// {"file":..., "ok":true, "controls":{...}, "CompStringGrid":[...], "ChlrStringGrid":[...]}
// or {"file":..., "ok":false, "error":...} with "field" naming the control of the input
// concerned, when known. One line.
Text assessmentJson(const Assessment& assessment);

// {"file":..., "ok":true, "mode":..., "target":{...}, "loads":{...}, "result":{...},
// "implied_stream_p_ug_L":..., "curve":[...]} or {"file":..., "ok":false, "error":...}
// with "field" as in assessmentJson. One line.
Text responseJson(const ResponseAssessment& assessment);

// ---------------------------------------------------------------------------------------
// Tables of lakes

struct BatchOptions {
    // 0: reading, calculating and writing all on the calling thread, no thread started;
    // N: N calculating threads beside a reading thread.
    unsigned workers = 0;
    batch::ResultStyle style = batch::ResultStyle::Display;  // display texts or every number in full
    std::optional<ResponseRequest> response;  // the load response columns, when asked
    batch::BatchCancellation* cancellation = nullptr;         // set to let another thread stop the run
    batch::ThreadStarter startThread = batch::startSystemThread;  // how threads are started
};

struct BatchReport {
    batch::BatchProgress totals;  // rows written, failed rows, input consumed
    Error error;                  // why the run stopped early; none when it completed
    bool cancelled = false;       // stopped by BatchCancellation::cancel
    bool ok() const { return !error.failed(); }
};

// Assesses every lake of a CSV table that read gives, writing the result table through
// write. A read or write function reports its failure by throwing; the run then stops and
// the report says why.
BatchReport assessTable(const batch::ReadFunction& read, const batch::WriteFunction& write,
                        const BatchOptions& options, const batch::BatchObserver& observer = {});
// The same, handing the results over chunk by chunk.
BatchReport assessTable(const batch::ReadFunction& read, const batch::ResultConsumer& consumer,
                        const BatchOptions& options, const batch::BatchObserver& observer = {});

struct TableAssessment {
    std::string table;   // the result table's bytes
    BatchReport report;  // how the run went
};
// A whole table in memory.
TableAssessment assessTableBytes(std::string_view table, const BatchOptions& options);

// ---------------------------------------------------------------------------------------
// Data files

// The bytes of a data file holding the 31 texts: what the window's Save writes.
Text dataFileBytes(const InputTexts& texts);

// Saves the texts as a data file, replacing any file there only once the new one is
// complete.
Error saveDataFile(const std::string& path, const InputTexts& texts);

}  // namespace trophex::engine
