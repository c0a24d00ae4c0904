#include "tests/print_test_support.h"
#include "tests/result_texts.h"

#include <gtest/gtest.h>

namespace trophex::testing {

ReportTexts reportAfterCalculating(const InputTexts& inputs)
{
    const CalculationOutcome outcome = runCalculation(inputs, NumberFormat{});
    EXPECT_TRUE(outcome.ok()) << outcome.error;
    return reportTextsAfterCalculation(inputs, outcome.texts);
}

template <typename Item>
std::vector<Item> itemsOf(const ReportLayout& layout)
{
    std::vector<Item> found;
    for (const ReportItem& item : layout.items)
        if (const auto* match = std::get_if<Item>(&item))
            found.push_back(*match);
    return found;
}

std::vector<ReportText> textsOf(const ReportLayout& layout)
{
    return itemsOf<ReportText>(layout);
}

std::vector<ReportRect> rectsOf(const ReportLayout& layout)
{
    return itemsOf<ReportRect>(layout);
}

std::vector<ReportLine> linesOf(const ReportLayout& layout, Rgb colour)
{
    std::vector<ReportLine> found;
    for (const ReportLine& line : itemsOf<ReportLine>(layout))
        if (line.colour == colour)
            found.push_back(line);
    return found;
}

ReportText textItem(const ReportLayout& layout, const std::string& text)
{
    std::vector<ReportText> found;
    for (const ReportText& item : textsOf(layout))
        if (item.text == text)
            found.push_back(item);
    EXPECT_EQ(found.size(), 1u) << "text \"" << text << "\"";
    return found.empty() ? ReportText{-1, -1, text, {}} : found.front();
}

}  // namespace trophex::testing
