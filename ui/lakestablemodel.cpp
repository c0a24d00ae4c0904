#include "ui/lakestablemodel.h"

#include "response/responseresults.h"
#include "model/results.h"

#include <QBrush>
#include <QFutureWatcher>
#include <QtConcurrent/QtConcurrentRun>

#include <algorithm>
#include <charconv>
#include <cmath>
#include <numeric>

namespace trophex::ui {

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

QString titleWithUnit(const char* label, const char* unit)
{
    QString title = QString::fromLatin1(label);
    if (*unit != '\0')
        title += QStringLiteral(" (%1)").arg(QString::fromLatin1(unit));
    return title;
}

// The title of a result column, by its name in the batch's header, with the label and unit
// of the lake's results or of the load response.
QString resultTitle(const std::string& batchColumn)
{
    for (const ResultSpec& desc : resultTable())
        if (batchColumn == desc.batchColumn)
            return titleWithUnit(desc.label, desc.unit);
    for (const ResponseFieldSpec& desc : responseFieldTable())
        if (desc.batchColumn != nullptr && batchColumn == desc.batchColumn)
            return titleWithUnit(desc.label, desc.unit);
    return QString::fromStdString(batchColumn);
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
    double value = NAN;
    const std::from_chars_result read = std::from_chars(digits, digits + length, value);
    if (length == 0 || read.ec != std::errc() || read.ptr != digits + length)
        return NAN;
    return value;
}

// Lakes in the order of their keys, empty keys last whatever the order, ties in input order.
template <typename Key, typename IsEmpty>
std::vector<std::uint32_t> sortedBy(const std::vector<Key>& keys, Qt::SortOrder order, IsEmpty isEmpty)
{
    std::vector<std::uint32_t> lakes(keys.size());
    std::iota(lakes.begin(), lakes.end(), 0u);
    std::stable_sort(lakes.begin(), lakes.end(), [&](std::uint32_t a, std::uint32_t b) {
        const bool emptyA = isEmpty(keys[a]);
        const bool emptyB = isEmpty(keys[b]);
        if (emptyA || emptyB)
            return !emptyA && emptyB;
        return order == Qt::AscendingOrder ? keys[a] < keys[b] : keys[b] < keys[a];
    });
    return lakes;
}

}  // namespace

LakesTableModel::LakesTableModel(QObject* parent) : QAbstractTableModel(parent) {}

void LakesTableModel::setTable(std::shared_ptr<const batch::ResultTable> table)
{
    beginResetModel();
    cells_.table = std::move(table);
    cells_.forget();
    ++sortGeneration_;
    defineColumns();
    order_.resize(cells_.table ? cells_.table->size() : 0);
    std::iota(order_.begin(), order_.end(), 0u);
    applyFilter();
    endResetModel();
}

void LakesTableModel::defineColumns()
{
    cells_.columns.clear();
    cells_.columns.push_back({ColumnKind::RowNumber, 0, -1, tr("Row"),
                        tr("The lake's row in the file as a spreadsheet numbers it: the header is row 1"), true});
    cells_.columns.push_back({ColumnKind::Name, 0, -1, tr("Lake Name"), {}, false});
    // The status stands next to the name, so that why a lake failed is seen at once.
    const std::vector<std::string> names = cells_.table ? cells_.table->columnNames() : std::vector<std::string>{};
    cells_.columns.push_back({ColumnKind::Status, static_cast<int>(names.empty() ? 0 : names.size() - 1), -1,
                        tr("Status"), {}, false});
    for (const KeyInput& input : KeyInputs)
        cells_.columns.push_back({ColumnKind::Input, static_cast<int>(input.value), input.unit,
                            QString::fromLatin1(input.title), {}, false});
    cells_.columns.push_back({ColumnKind::TrophicClass, 0, -1, tr("Trophic Class"),
                        tr("By the average index: oligotrophic below 40, mesotrophic 40 to 50, eutrophic 50 "
                           "to 70, hypereutrophic 70 and above"),
                        false});
    for (std::size_t field = 1; field + 1 < names.size(); ++field)
        cells_.columns.push_back({ColumnKind::Result, static_cast<int>(field), -1, distinctTitle(resultTitle(names[field])),
                            QString::fromStdString(names[field]), showsNumbers(field)});
}

bool LakesTableModel::showsNumbers(std::size_t field) const
{
    for (std::size_t lake = 0; lake < cells_.table->size(); ++lake) {
        if (!cells_.table->calculated(lake))
            continue;
        const batch::CsvRecord& fields = cells_.resultsOf(lake);
        const std::string_view text = field < fields.size() ? fields[field] : std::string_view();
        return text == NotAvailable || !std::isnan(numberShown(text));
    }
    return true;
}

QString LakesTableModel::distinctTitle(const QString& title) const
{
    // The load response's "Status" would stand beside the lake's own.
    for (const Column& column : cells_.columns)
        if (column.title == title)
            return tr("Target %1").arg(title);
    return title;
}

int LakesTableModel::columnOfResult(const std::string& batchColumn) const
{
    if (!cells_.table)
        return -1;
    const std::vector<std::string>& names = cells_.table->columnNames();
    for (std::size_t column = 0; column < cells_.columns.size(); ++column) {
        const Column& c = cells_.columns[column];
        if (c.kind == ColumnKind::Result && names[static_cast<std::size_t>(c.source)] == batchColumn)
            return static_cast<int>(column);
    }
    return -1;
}

void LakesTableModel::setFilter(const LakesFilter& filter)
{
    beginResetModel();
    filter_ = filter;
    applyFilter();
    endResetModel();
}

bool LakesTableModel::passes(std::size_t lake) const
{
    const bool calculated = cells_.table->calculated(lake);
    if ((filter_.status == StatusFilter::Calculated && !calculated)
        || (filter_.status == StatusFilter::Failed && calculated))
        return false;
    const auto valueOf = [](const auto& optional) { return optional ? static_cast<int>(*optional) : NoValue; };
    if (filter_.ecoregion != AnyValue && valueOf(cells_.table->ecoregion(lake)) != filter_.ecoregion)
        return false;
    if (filter_.goal != AnyValue && valueOf(cells_.table->goalStatus(lake)) != filter_.goal)
        return false;
    return filter_.trophicClass == AnyValue || valueOf(cells_.table->trophicClass(lake)) == filter_.trophicClass;
}

void LakesTableModel::applyFilter()
{
    summary_ = LakesSummary{};
    summary_.lakes = order_.size();
    view_.clear();
    for (std::uint32_t lake : order_) {
        if (!passes(lake))
            continue;
        view_.push_back(lake);
        if (!cells_.table->calculated(lake)) {
            ++summary_.failed;
            continue;
        }
        ++summary_.calculated;
        if (const std::optional<TrophicClass> trophicClass = cells_.table->trophicClass(lake))
            ++summary_.perClass[static_cast<int>(*trophicClass)];
        if (const std::optional<GoalStatus> goal = cells_.table->goalStatus(lake))
            ++summary_.perGoal[static_cast<int>(*goal)];
    }
    summary_.shown = view_.size();
}

int LakesTableModel::rowOfLake(std::size_t lake) const
{
    const auto found = std::find(view_.begin(), view_.end(), lake);
    return found == view_.end() ? -1 : static_cast<int>(found - view_.begin());
}

int LakesTableModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(view_.size());
}

int LakesTableModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(cells_.columns.size());
}

const InputTexts& LakesTableModel::Cells::inputsOf(std::size_t lake) const
{
    if (inputsLake_ != lake) {
        table->inputTexts(lake, record_, inputs_);
        inputsLake_ = lake;
    }
    return inputs_;
}

const batch::CsvRecord& LakesTableModel::Cells::resultsOf(std::size_t lake) const
{
    if (resultsLake_ != lake) {
        table->resultFields(lake, results_);
        resultsLake_ = lake;
    }
    return results_;
}

std::string LakesTableModel::Cells::text(std::size_t lake, int column) const
{
    const Column& c = columns[static_cast<std::size_t>(column)];
    switch (c.kind) {
    case ColumnKind::RowNumber:
        return std::to_string(table->spreadsheetRow(lake));
    case ColumnKind::Input: {
        const InputTexts& texts = inputsOf(lake);
        std::string text = texts.texts[static_cast<std::size_t>(c.source)];
        if (c.unit >= 0 && !text.empty())
            text += ' ' + texts.texts[static_cast<std::size_t>(c.unit)];
        return text;
    }
    case ColumnKind::TrophicClass: {
        const std::optional<TrophicClass> trophicClass = table->trophicClass(lake);
        return trophicClass ? trophicClassName(*trophicClass) : "";
    }
    case ColumnKind::Name:
    case ColumnKind::Result:
    case ColumnKind::Status:
        break;
    }
    const batch::CsvRecord& fields = resultsOf(lake);
    const auto field = static_cast<std::size_t>(c.source);
    return field < fields.size() ? std::string(fields[field]) : std::string();
}

std::vector<std::string> LakesTableModel::longestTexts() const
{
    std::vector<std::string> longest(cells_.columns.size());
    if (!cells_.table)
        return longest;
    for (std::size_t lake = 0; lake < cells_.table->size(); ++lake) {
        for (std::size_t column = 0; column < cells_.columns.size(); ++column) {
            const ColumnKind kind = cells_.columns[column].kind;
            // A calculated lake's status is "ok".
            if (kind != ColumnKind::Input && (kind != ColumnKind::Status || cells_.table->calculated(lake)))
                continue;
            std::string text = cellText(lake, static_cast<int>(column));
            if (text.size() > longest[column].size())
                longest[column] = std::move(text);
        }
    }
    return longest;
}

std::string LakesTableModel::rowsAsText(const std::vector<int>& rows) const
{
    std::string text;
    std::vector<std::string> cells(cells_.columns.size());
    std::vector<std::string_view> fields(cells_.columns.size());
    const auto appendLine = [&] {
        for (std::size_t column = 0; column < cells.size(); ++column)
            fields[column] = cells[column];
        batch::appendCsvFields(text, fields.data(), fields.size(), '\t');
        text += '\n';
    };
    for (std::size_t column = 0; column < cells_.columns.size(); ++column)
        cells[column] = cells_.columns[column].title.toStdString();
    appendLine();
    for (int row : rows) {
        for (std::size_t column = 0; column < cells_.columns.size(); ++column)
            cells[column] = cellText(lakeAt(row), static_cast<int>(column));
        appendLine();
    }
    return text;
}

QVariant LakesTableModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || !cells_.table)
        return {};
    const std::size_t lake = lakeAt(index.row());
    const ColumnKind kind = cells_.columns[static_cast<std::size_t>(index.column())].kind;
    switch (role) {
    case Qt::DisplayRole:
    case Qt::ToolTipRole:
        return QString::fromStdString(cellText(lake, index.column()));
    case Qt::TextAlignmentRole:
        if (cells_.columns[static_cast<std::size_t>(index.column())].numbers)
            return QVariant::fromValue(Qt::AlignRight | Qt::AlignVCenter);
        return QVariant::fromValue(Qt::AlignLeft | Qt::AlignVCenter);
    case Qt::BackgroundRole:
        if (!cells_.table->calculated(lake))
            return QBrush(QColor(255, 226, 222));
        return {};
    case Qt::ForegroundRole:
        if (!cells_.table->calculated(lake) && kind == ColumnKind::Status)
            return QBrush(QColor(160, 0, 0));
        return {};
    default:
        return {};
    }
}

QVariant LakesTableModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || section < 0 || section >= static_cast<int>(cells_.columns.size()))
        return QAbstractTableModel::headerData(section, orientation, role);
    const Column& c = cells_.columns[static_cast<std::size_t>(section)];
    if (role == Qt::DisplayRole)
        return c.title;
    if (role == Qt::ToolTipRole && !c.tip.isEmpty())
        return c.tip;
    return {};
}

std::string_view LakesTableModel::Cells::sortText(std::size_t lake, int column) const
{
    const Column& c = columns[static_cast<std::size_t>(column)];
    if (c.kind == ColumnKind::Input)
        return inputsOf(lake).texts[static_cast<std::size_t>(c.source)];
    const batch::CsvRecord& fields = resultsOf(lake);
    const auto field = static_cast<std::size_t>(c.source);
    return field < fields.size() ? fields[field] : std::string_view();
}

double LakesTableModel::Cells::unitFactor(std::size_t lake, int column) const
{
    const int unitInput = columns[static_cast<std::size_t>(column)].unit;
    if (unitInput < 0)
        return 1;
    const std::string& unit = inputsOf(lake).texts[static_cast<std::size_t>(unitInput)];
    if (unit.empty())
        return 1;  // the model's unit
    return unitFactorOf(static_cast<Input>(unitInput), unit).value_or(NAN);
}

std::vector<std::uint32_t> LakesTableModel::Cells::sortedByText(int column, Qt::SortOrder order) const
{
    const std::size_t lakes = table->size();
    std::vector<double> numbers(lakes);
    for (std::size_t lake = 0; lake < lakes; ++lake) {
        const std::string_view text = sortText(lake, column);
        const double shown = numberShown(text);
        if (std::isnan(shown) && !text.empty() && text != NotAvailable) {
            std::vector<std::string> texts(lakes);
            for (std::size_t i = 0; i < lakes; ++i)
                texts[i] = this->text(i, column);
            return sortedBy(texts, order, [](const std::string& key) { return key.empty(); });
        }
        numbers[lake] = shown * unitFactor(lake, column);
    }
    return sortedBy(numbers, order, [](double key) { return std::isnan(key); });
}

void LakesTableModel::Cells::forget()
{
    inputsLake_.reset();
    resultsLake_.reset();
}

std::vector<std::uint32_t> LakesTableModel::Cells::sorted(int column, Qt::SortOrder order) const
{
    const ColumnKind kind = columns[static_cast<std::size_t>(column)].kind;
    if (kind != ColumnKind::RowNumber && kind != ColumnKind::TrophicClass)
        return sortedByText(column, order);
    std::vector<double> keys(table->size());
    for (std::size_t lake = 0; lake < keys.size(); ++lake) {
        const std::optional<TrophicClass> trophicClass = table->trophicClass(lake);
        keys[lake] = kind == ColumnKind::RowNumber ? static_cast<double>(lake)
                     : trophicClass                ? static_cast<double>(*trophicClass)
                                                   : NAN;
    }
    return sortedBy(keys, order, [](double key) { return std::isnan(key); });
}

void LakesTableModel::sort(int column, Qt::SortOrder order)
{
    if (!cells_.table || column < 0 || column >= static_cast<int>(cells_.columns.size()))
        return;
    const std::uint64_t generation = ++sortGeneration_;
    if (sortsUnderWay_++ == 0)
        emit sortStarted();
    auto* watcher = new QFutureWatcher<std::vector<std::uint32_t>>(this);
    connect(watcher, &QFutureWatcherBase::finished, this, [this, watcher, generation] {
        watcher->deleteLater();
        if (generation == sortGeneration_)
            showOrder(watcher->result());
        if (--sortsUnderWay_ == 0)
            emit sorted();
    });
    // The copy keeps the table alive and reads its texts on the pool's thread alone.
    watcher->setFuture(QtConcurrent::run([cells = cells_, column, order] { return cells.sorted(column, order); }));
}

void LakesTableModel::showOrder(std::vector<std::uint32_t> order)
{
    beginResetModel();
    order_ = std::move(order);
    applyFilter();
    endResetModel();
}

}  // namespace trophex::ui
