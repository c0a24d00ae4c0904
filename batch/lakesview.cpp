#include "batch/lakesview.h"

#include "model/ecoregion.h"
#include "model/results.h"
#include "model/trophicclass.h"
#include "response/responseresults.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cstdlib>
#include <cmath>
#include <numeric>

namespace trophex::batch {

namespace {

struct KeyInput {
    const char* title;  // the column's title
    Input value;        // the input text shown
    int unit;           // the Input of its unit, or -1
};

constexpr std::array<KeyInput, 8> KeyInputs = {{
    {"Ecoregion", Input::EcoRegComboBox, -1},
    {"Watershed Area", Input::WareaEditBox, static_cast<int>(Input::WareaComboBox)},
    {"Surface Area", Input::LareaEditBox, static_cast<int>(Input::LareaComboBox)},
    {"Mean Depth", Input::DepthEditBox, static_cast<int>(Input::DepthComboBox)},
    {"Total Phosphorus", Input::TPeditBox, static_cast<int>(Input::TPunitComboBox)},
    {"Chlorophyll a", Input::ChlrAeditBox, static_cast<int>(Input::ChlrAunitComboBox)},
    {"Secchi Disk", Input::SechiEditBox, static_cast<int>(Input::SechiUnitComboBox)},
    {"Alkalinity", Input::AlkalinityEditBox, static_cast<int>(Input::AlkalinityUnitComboBox)},
}};

// The text of a result that has no value: a cell that sorts with the empty ones.
constexpr std::string_view NotAvailable = "NA";

std::string titleWithUnit(const char* label, const char* unit)
{
    std::string title = label;
    if (*unit != '\0')
        title += std::string(" (") + unit + ')';
    return title;
}

// The title of a result column, by its name in the batch's header, with the label and unit
// of the lake's results or of the load response.
std::string resultTitle(const std::string& batchColumn)
{
    for (const ResultSpec& desc : resultTable())
        if (batchColumn == desc.batchColumn)
            return titleWithUnit(desc.label, desc.unit);
    for (const ResponseFieldSpec& desc : responseFieldTable())
        if (desc.batchColumn != nullptr && batchColumn == desc.batchColumn)
            return titleWithUnit(desc.label, desc.unit);
    return batchColumn;
}

// The number a cell shows ("1,234.5", "87%", "-0.13"), or NaN for any other text.
double numberShown(std::string_view text)
{
    char digits[64];
    std::size_t length = 0;
    for (char c : text) {
        if (c == ',')
            continue;
        if (length == sizeof digits)
            return NAN;
        digits[length++] = c;
    }
    if (length > 0 && digits[length - 1] == '%')
        --length;
    if (length == 0 || length == sizeof digits)
        return NAN;
    double value = NAN;
#if defined(__cpp_lib_to_chars)
    const std::from_chars_result read = std::from_chars(digits, digits + length, value);
    const bool whole = read.ec == std::errc() && read.ptr == digits + length;
#else
    // No floating-point from_chars in this library (WebAssembly's): strtod of the C locale,
    // which the engine's module keeps, on the same characters from_chars accepts.
    digits[length] = '\0';
    const bool plain = std::all_of(digits, digits + length, [](char c) {
        return std::isdigit(static_cast<unsigned char>(c)) || c == '-' || c == '.' || c == 'e' || c == 'E' || c == '+';
    });
    char* end = nullptr;
    value = plain && digits[0] != '+' ? std::strtod(digits, &end) : NAN;
    const bool whole = plain && end == digits + length;
#endif
    return whole ? value : NAN;
}

// Lakes in the order of their keys, empty keys last whatever the order, ties in input order.
template <typename Key, typename IsEmpty>
std::vector<std::uint32_t> sortedBy(const std::vector<Key>& keys, SortOrder order, IsEmpty isEmpty)
{
    std::vector<std::uint32_t> lakes(keys.size());
    std::iota(lakes.begin(), lakes.end(), 0u);
    std::stable_sort(lakes.begin(), lakes.end(), [&](std::uint32_t a, std::uint32_t b) {
        const bool emptyA = isEmpty(keys[a]);
        const bool emptyB = isEmpty(keys[b]);
        if (emptyA || emptyB)
            return !emptyA && emptyB;
        return order == SortOrder::Ascending ? keys[a] < keys[b] : keys[b] < keys[a];
    });
    return lakes;
}

// Names with their counts, the first after the lead: "; oligotrophic 1, mesotrophic 0".
template <std::size_t N>
std::string countsText(const std::string& lead, const std::array<const char*, N>& names,
                       const std::array<std::size_t, N>& counts, const NumberFormat& format)
{
    std::string text;
    for (std::size_t i = 0; i < N; ++i)
        text += (i == 0 ? lead : std::string(",")) + ' ' + names[i] + ' ' + countText(counts[i], format);
    return text;
}

// The names of the load response's answers, by GoalStatus.
std::array<const char*, 3> goalNames()
{
    return {goalStatusName(GoalStatus::Met), goalStatusName(GoalStatus::Needed),
            goalStatusName(GoalStatus::Unreachable)};
}

// "All", then each name with its place, then "None".
template <std::size_t N>
FilterChoices namedChoices(const std::array<const char*, N>& names)
{
    FilterChoices choices = {{"All", AnyValue}};
    for (std::size_t i = 0; i < N; ++i)
        choices.emplace_back(names[i], static_cast<int>(i));
    choices.emplace_back("None", NoValue);
    return choices;
}

}  // namespace

std::string countText(std::size_t count, const NumberFormat& format)
{
    const std::string digits = std::to_string(count);
    std::string grouped;
    for (std::size_t i = 0; i < digits.size(); ++i) {
        if (i > 0 && (digits.size() - i) % 3 == 0)
            grouped += format.thousandsSeparator;
        grouped += digits[i];
    }
    return grouped;
}

FilterChoices statusFilterChoices()
{
    return {{"All", static_cast<int>(StatusFilter::All)},
            {"Calculated", static_cast<int>(StatusFilter::Calculated)},
            {"Failed", static_cast<int>(StatusFilter::Failed)}};
}

FilterChoices ecoregionFilterChoices()
{
    return namedChoices(EcoregionCodes);
}

FilterChoices trophicClassFilterChoices()
{
    return namedChoices(TrophicClassNames);
}

FilterChoices goalFilterChoices()
{
    return namedChoices(goalNames());
}

std::string reasonSentence(std::string reason)
{
    if (reason.empty())
        return reason;
    reason[0] = static_cast<char>(std::toupper(static_cast<unsigned char>(reason[0])));
    if (reason.back() != '.' && reason.back() != '!')
        reason += '.';
    return reason;
}

void LakesView::setTable(std::shared_ptr<const ResultTable> table)
{
    table_ = std::move(table);
    inputsLake_.reset();
    resultsLake_.reset();
    defineColumns();
    order_.resize(table_ ? table_->size() : 0);
    std::iota(order_.begin(), order_.end(), 0u);
    applyFilter();
}

void LakesView::setFilter(const LakesFilter& filter)
{
    filter_ = filter;
    applyFilter();
}

std::string LakesView::summaryText(const NumberFormat& format) const
{
    const LakesSummary& s = summary_;
    const std::string lakes = s.lakes == 1 ? " lake" : " lakes";
    std::string text = s.shown == s.lakes ? countText(s.lakes, format) + lakes
                                          : countText(s.shown, format) + " of " + countText(s.lakes, format) +
                                                lakes + " shown";
    text += ": " + countText(s.calculated, format) + " calculated, " + countText(s.failed, format) + " failed";
    text += countsText(";", TrophicClassNames, s.perClass, format);
    if (table_ && table_->hasResponse())
        text += countsText("; target", goalNames(), s.perGoal, format);
    return text;
}

InputTexts LakesView::inputTexts(std::size_t lake) const
{
    return inputsOf(lake);
}

void LakesView::defineColumns()
{
    columns_.clear();
    columns_.push_back({ColumnKind::RowNumber, 0, -1, "Row",
                        "The lake's row in the file as a spreadsheet numbers it: the header is row 1", true});
    columns_.push_back({ColumnKind::Name, 0, -1, "Lake Name", {}, false});
    // The status stands next to the name, so that why a lake failed is seen at once.
    const std::vector<std::string> names = table_ ? table_->columnNames() : std::vector<std::string>{};
    columns_.push_back({ColumnKind::Status, static_cast<int>(names.empty() ? 0 : names.size() - 1), -1,
                        "Status", {}, false});
    for (const KeyInput& input : KeyInputs)
        columns_.push_back({ColumnKind::Input, static_cast<int>(input.value), input.unit,
                            input.title, {}, false});
    columns_.push_back({ColumnKind::TrophicClass, 0, -1, "Trophic Class",
                        "By the average index: oligotrophic below 40, mesotrophic 40 to 50, eutrophic 50 to 70, "
                        "hypereutrophic 70 and above",
                        false});
    for (std::size_t field = 1; field + 1 < names.size(); ++field)
        columns_.push_back({ColumnKind::Result, static_cast<int>(field), -1, distinctTitle(resultTitle(names[field])), names[field],
                            showsNumbers(field)});
}

bool LakesView::showsNumbers(std::size_t field) const
{
    for (std::size_t lake = 0; lake < table_->size(); ++lake) {
        if (!table_->calculated(lake))
            continue;
        const CsvRecord& fields = resultsOf(lake);
        const std::string_view text = field < fields.size() ? fields[field] : std::string_view();
        return text == NotAvailable || !std::isnan(numberShown(text));
    }
    return true;
}

std::string LakesView::distinctTitle(const std::string& title) const
{
    // The load response's "Status" would stand beside the lake's own.
    for (const LakesColumn& column : columns_)
        if (column.title == title)
            return "Target " + title;
    return title;
}

int LakesView::columnOfResult(const std::string& batchColumn) const
{
    if (!table_)
        return -1;
    const std::vector<std::string>& names = table_->columnNames();
    for (std::size_t column = 0; column < columns_.size(); ++column) {
        const LakesColumn& c = columns_[column];
        if (c.kind == ColumnKind::Result && names[static_cast<std::size_t>(c.source)] == batchColumn)
            return static_cast<int>(column);
    }
    return -1;
}

bool LakesView::passes(std::size_t lake) const
{
    const bool calculated = table_->calculated(lake);
    if ((filter_.status == StatusFilter::Calculated && !calculated)
        || (filter_.status == StatusFilter::Failed && calculated))
        return false;
    const auto valueOf = [](const auto& optional) { return optional ? static_cast<int>(*optional) : NoValue; };
    if (filter_.ecoregion != AnyValue && valueOf(table_->ecoregion(lake)) != filter_.ecoregion)
        return false;
    if (filter_.goal != AnyValue && valueOf(table_->goalStatus(lake)) != filter_.goal)
        return false;
    return filter_.trophicClass == AnyValue || valueOf(table_->trophicClass(lake)) == filter_.trophicClass;
}

void LakesView::applyFilter()
{
    summary_ = LakesSummary{};
    summary_.lakes = order_.size();
    view_.clear();
    for (std::uint32_t lake : order_) {
        if (!passes(lake))
            continue;
        view_.push_back(lake);
        if (!table_->calculated(lake)) {
            ++summary_.failed;
            continue;
        }
        ++summary_.calculated;
        if (const std::optional<TrophicClass> trophicClass = table_->trophicClass(lake))
            ++summary_.perClass[static_cast<int>(*trophicClass)];
        if (const std::optional<GoalStatus> goal = table_->goalStatus(lake))
            ++summary_.perGoal[static_cast<int>(*goal)];
    }
    summary_.shown = view_.size();
}

int LakesView::rowOfLake(std::size_t lake) const
{
    const auto found = std::find(view_.begin(), view_.end(), lake);
    return found == view_.end() ? -1 : static_cast<int>(found - view_.begin());
}

const InputTexts& LakesView::inputsOf(std::size_t lake) const
{
    if (inputsLake_ != lake) {
        table_->inputTexts(lake, record_, inputs_);
        inputsLake_ = lake;
    }
    return inputs_;
}

const CsvRecord& LakesView::resultsOf(std::size_t lake) const
{
    if (resultsLake_ != lake) {
        table_->resultFields(lake, results_);
        resultsLake_ = lake;
    }
    return results_;
}

std::string LakesView::cellText(std::size_t lake, int column) const
{
    const LakesColumn& c = columns_[static_cast<std::size_t>(column)];
    switch (c.kind) {
    case ColumnKind::RowNumber:
        return std::to_string(table_->spreadsheetRow(lake));
    case ColumnKind::Input: {
        const InputTexts& texts = inputsOf(lake);
        std::string text = texts.texts[static_cast<std::size_t>(c.source)];
        if (c.unit >= 0 && !text.empty())
            text += ' ' + texts.texts[static_cast<std::size_t>(c.unit)];
        return text;
    }
    case ColumnKind::TrophicClass: {
        const std::optional<TrophicClass> trophicClass = table_->trophicClass(lake);
        return trophicClass ? trophicClassName(*trophicClass) : "";
    }
    case ColumnKind::Name:
    case ColumnKind::Result:
    case ColumnKind::Status:
        break;
    }
    const CsvRecord& fields = resultsOf(lake);
    const auto field = static_cast<std::size_t>(c.source);
    return field < fields.size() ? std::string(fields[field]) : std::string();
}

std::string_view LakesView::sortText(std::size_t lake, int column) const
{
    const LakesColumn& c = columns_[static_cast<std::size_t>(column)];
    if (c.kind == ColumnKind::Input)
        return inputsOf(lake).texts[static_cast<std::size_t>(c.source)];
    const CsvRecord& fields = resultsOf(lake);
    const auto field = static_cast<std::size_t>(c.source);
    return field < fields.size() ? fields[field] : std::string_view();
}

double LakesView::unitFactor(std::size_t lake, int column) const
{
    const int unitInput = columns_[static_cast<std::size_t>(column)].unit;
    if (unitInput < 0)
        return 1;
    const std::string& unit = inputsOf(lake).texts[static_cast<std::size_t>(unitInput)];
    if (unit.empty())
        return 1;  // the model's unit
    return unitFactorOf(static_cast<Input>(unitInput), unit).value_or(NAN);
}

std::vector<std::uint32_t> LakesView::sortedByText(int column, SortOrder order) const
{
    const std::size_t lakes = table_->size();
    std::vector<double> numbers(lakes);
    for (std::size_t lake = 0; lake < lakes; ++lake) {
        const std::string_view text = sortText(lake, column);
        const double shown = numberShown(text);
        if (std::isnan(shown) && !text.empty() && text != NotAvailable) {
            std::vector<std::string> texts(lakes);
            for (std::size_t i = 0; i < lakes; ++i)
                texts[i] = cellText(i, column);
            return sortedBy(texts, order, [](const std::string& key) { return key.empty(); });
        }
        numbers[lake] = shown * unitFactor(lake, column);
    }
    return sortedBy(numbers, order, [](double key) { return std::isnan(key); });
}

void LakesView::sort(int column, SortOrder order)
{
    if (table_ && column >= 0 && column < static_cast<int>(columns_.size()))
        showOrder(sortedOrder(column, order));
}

std::vector<std::uint32_t> LakesView::sortedOrder(int column, SortOrder order) const
{
    const ColumnKind kind = columns_[static_cast<std::size_t>(column)].kind;
    if (kind == ColumnKind::RowNumber || kind == ColumnKind::TrophicClass) {
        std::vector<double> keys(table_->size());
        for (std::size_t lake = 0; lake < keys.size(); ++lake) {
            const std::optional<TrophicClass> trophicClass = table_->trophicClass(lake);
            keys[lake] = kind == ColumnKind::RowNumber ? static_cast<double>(lake)
                         : trophicClass                ? static_cast<double>(*trophicClass)
                                                       : NAN;
        }
        return sortedBy(keys, order, [](double key) { return std::isnan(key); });
    }
    return sortedByText(column, order);
}

void LakesView::showOrder(std::vector<std::uint32_t> order)
{
    order_ = std::move(order);
    applyFilter();
}

std::vector<std::string> LakesView::longestTexts() const
{
    std::vector<std::string> longest(columns_.size());
    if (!table_)
        return longest;
    for (std::size_t lake = 0; lake < table_->size(); ++lake) {
        for (std::size_t column = 0; column < columns_.size(); ++column) {
            const ColumnKind kind = columns_[column].kind;
            // A calculated lake's status is "ok".
            if (kind != ColumnKind::Input && (kind != ColumnKind::Status || table_->calculated(lake)))
                continue;
            std::string text = cellText(lake, static_cast<int>(column));
            if (text.size() > longest[column].size())
                longest[column] = std::move(text);
        }
    }
    return longest;
}

std::string LakesView::rowsAsText(const std::vector<std::size_t>& rows) const
{
    std::string text;
    std::vector<std::string> cells(columns_.size());
    std::vector<std::string_view> fields(columns_.size());
    const auto appendLine = [&] {
        for (std::size_t column = 0; column < cells.size(); ++column)
            fields[column] = cells[column];
        appendCsvFields(text, fields.data(), fields.size(), '\t');
        text += '\n';
    };
    for (std::size_t column = 0; column < columns_.size(); ++column)
        cells[column] = columns_[column].title;
    appendLine();
    for (std::size_t row : rows) {
        for (std::size_t column = 0; column < columns_.size(); ++column)
            cells[column] = cellText(lakeAt(row), static_cast<int>(column));
        appendLine();
    }
    return text;
}

}  // namespace trophex::batch
