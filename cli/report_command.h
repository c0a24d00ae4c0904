#pragma once
// The runner's report: the one-page printed report of a data file's run, as a PDF.

#include "cli/response.h"
#include "cli/runner.h"
#include "print/reporttexts.h"

#include <iosfwd>
#include <string>
#include <vector>

namespace trophex::cli {

// What the window would print after opening the file: its inputs, and its results in the
// units chosen. The assessment must have calculated.
ReportTexts reportTextsOf(const Assessment& assessment);

// Opens and calculates the data file as the runner does, applies the unit choices, and
// writes the page that printing would then give to pdfPath, on Letter or A4 paper by the
// system's locale. Works without a display: when no Qt application exists it makes one of
// its own, on the "offscreen" platform unless QT_QPA_PLATFORM says otherwise.
// Returns 0 on success; otherwise writes the reason as one line to errors and returns 1.
int writeReportPdf(const std::string& dataFile, const std::string& pdfPath, const std::vector<UnitChoice>& units,
                   const NumberFormat& format, std::ostream& errors);

// The same for the load response report of the data file, with the target and mode given.
int writeResponseReportPdf(const std::string& dataFile, const std::string& pdfPath,
                           const engine::ResponseRequest& request, const NumberFormat& format, std::ostream& errors);

}  // namespace trophex::cli
