#pragma once
// Shared helpers of the report tests: the window's texts of a calculated lake and lookups
// in a layout.

#include "examples/examplelake.h"
#include "model/calculation.h"
#include "print/reportlayout.h"

#include <string>
#include <vector>

namespace trophex::testing {

// The window's texts right after calculating these inputs (the calculation must succeed).
ReportTexts reportAfterCalculating(const InputTexts& inputs);

std::vector<ReportText> textsOf(const ReportLayout& layout);
std::vector<ReportRect> rectsOf(const ReportLayout& layout);
std::vector<ReportLine> linesOf(const ReportLayout& layout, Rgb colour);

// The one text item with exactly this text; fails the test when there is not exactly one.
ReportText textItem(const ReportLayout& layout, const std::string& text);

}  // namespace trophex::testing
