#pragma once
// The report written as a one-page PDF file, without a printer or a window.

#include "print/reportlayout.h"
#include "print/reporttexts.h"

#include <QPageLayout>
#include <QPageSize>

#include <optional>
#include <string>

class QLocale;
class QString;

namespace trophex {

inline constexpr int ReportPdfResolution = 600;  // device pixels per inch of the PDF page

// The PDF page: the paper, portrait, with a typical printer's unprintable border.
QPageLayout reportPdfPageLayout(QPageSize::PageSizeId paper);

// Letter in the territories that use it, A4 everywhere else.
QPageSize::PageSizeId reportPaperSize(const QLocale& locale);

// Needs a QGuiApplication (for the fonts). Replaces the file only when the whole PDF was
// written; returns the system's error text on failure, nullopt on success.
std::optional<std::string> writePagePdf(const QString& path, const PageLayouter& layout, QPageSize::PageSizeId paper);
std::optional<std::string> writeReportPdf(const QString& path, const ReportTexts& texts, QPageSize::PageSizeId paper);

}  // namespace trophex
