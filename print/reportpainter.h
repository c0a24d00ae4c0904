#pragma once
// Draws a laid-out report on any paint device: a printer, a PDF writer or an image.

#include "print/reportlayout.h"

class QPaintDevice;
class QPainter;

namespace trophex {

// The painter must be active on the device the items were computed for. Font sizes are
// points on that device, turned into pixels with its logical resolution.
void paintItems(QPainter& painter, const std::vector<ReportItem>& items);
void paintReport(QPainter& painter, const ReportLayout& layout);

// Begins a document on the device, draws the page laid out for its whole printable area and
// ends the document; false when the device refused to begin or failed to finish it.
bool printPage(QPaintDevice& device, const PageLayouter& layout);
bool printReport(QPaintDevice& device, const ReportTexts& texts);

}  // namespace trophex
