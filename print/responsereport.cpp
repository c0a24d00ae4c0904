#include "print/responsereport.h"

#include "print/reportpainter.h"
#include "print/reportpdf.h"

namespace trophex {

bool printResponseReport(QPaintDevice& device, const ResponseReportTexts& texts)
{
    return printPage(device, [&](int width, int height) { return layoutResponseReport(width, height, texts); });
}

std::optional<std::string> writeResponseReportPdf(const QString& path, const ResponseReportTexts& texts,
                                                  QPageSize::PageSizeId paper)
{
    return writePagePdf(
        path, [&](int width, int height) { return layoutResponseReport(width, height, texts); }, paper);
}

}  // namespace trophex
