#pragma once
// The one-page load response report printed on a device or written as a PDF.

#include "print/responsereportlayout.h"

#include <QPageSize>

#include <optional>
#include <string>

class QPaintDevice;
class QString;

namespace trophex {

// Draws the report on the device as one document; false when the device failed.
bool printResponseReport(QPaintDevice& device, const ResponseReportTexts& texts);

// As writeReportPdf, for the load response report.
std::optional<std::string> writeResponseReportPdf(const QString& path, const ResponseReportTexts& texts,
                                                  QPageSize::PageSizeId paper);

}  // namespace trophex
