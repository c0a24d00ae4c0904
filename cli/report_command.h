#pragma once
// The runner's report: the one-page printed report of a data file's run, as a PDF.

#include "model/numberformat.h"

#include <iosfwd>
#include <string>

namespace trophex {

// Reads the data file, calculates its run and writes the page that printing would give
// right after that calculation (results in model units) to pdfPath, on Letter or A4 paper
// by the system's locale. Works without a display: when no Qt application exists it
// makes one of its own, on the "offscreen" platform unless QT_QPA_PLATFORM says otherwise.
// Returns 0 on success; otherwise writes the reason as one line to errors and returns 1.
int writeReportPdf(const std::string& dataFile, const std::string& pdfPath, const NumberFormat& format,
                   std::ostream& errors);

}  // namespace trophex
