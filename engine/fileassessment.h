#pragma once
// A model-run data file opened as the window's Open command opens it, calculated, and its
// results re-expressed in the output units chosen: what the runner prints and reports.

#include "model/calculation.h"
#include "model/errors.h"
#include "model/inputs.h"
#include "arithmetic/numberformat.h"
#include "model/outputunits.h"

#include <array>
#include <optional>
#include <string>
#include <vector>

namespace trophex::batch {

struct UnitChoice {
    OutputResult result;  // which result selector
    std::string unit;     // the text chosen in it
};

struct FileAssessment {
    std::string file;                      // the path as given
    Error error;                           // none when the file opened and calculated
    std::optional<InputTexts> inputs;      // the texts the file put into the window
    ResultTexts results;                   // valid when error is empty
    ModelState state;                      // the calculation's model state; valid when error is empty
    std::array<std::string, 6> unitTexts;  // the output unit selectors' texts, by OutputResult

    bool ok() const { return !error.failed(); }
};

FileAssessment assessFile(const std::string& path, const std::vector<UnitChoice>& units,
                          const NumberFormat& format);

}  // namespace trophex::batch
