#include "samples/samplerules.h"

#include "model/inputs.h"
#include "model/names.h"
#include "arithmetic/numberreader.h"

#include <charconv>
#include <cmath>
#include <string>
#include <vector>

namespace trophex::samples {

const char* parameterColumn(Parameter parameter)
{
    static constexpr std::array<const char*, ParameterCount> Columns = {"total_phosphorus", "chlorophyll_a",
                                                                         "secchi_depth", "alkalinity"};
    return Columns[static_cast<int>(parameter)];
}

const char* parameterModelUnit(Parameter parameter)
{
    static constexpr std::array<const char*, ParameterCount> Units = {"ug/L", "ug/L", "m", "meq/L"};
    return Units[static_cast<int>(parameter)];
}

namespace {

struct ReasonNames {
    const char* text;  // as the summary says it
    const char* key;   // as the JSON summary names it
};

constexpr std::array<ReasonNames, SkipReasonCount> ReasonTable = {{
    {"quality control", "quality_control"},
    {"other characteristic", "other_characteristic"},
    {"unreadable date", "unreadable_date"},
    {"outside the season", "outside_season"},
    {"site of no lake", "site_of_no_lake"},
    {"other detection condition", "other_detection_condition"},
    {"unknown unit", "unknown_unit"},
    {"unreadable value", "unreadable_value"},
    {"non-detect without a limit", "non_detect_without_limit"},
    {"non-detect dropped", "non_detect_dropped"},
    {"too deep", "too_deep"},
    {"no depth", "no_depth"},
    {"row too long", "row_too_long"},
}};

}  // namespace

const char* skipReasonText(SkipReason reason)
{
    return ReasonTable[static_cast<int>(reason)].text;
}

const char* skipReasonKey(SkipReason reason)
{
    return ReasonTable[static_cast<int>(reason)].key;
}

std::optional<Censoring> censoringNamed(std::string_view text)
{
    constexpr std::array<const char*, 4> Names = {"half", "zero", "limit", "drop"};
    if (const auto index = findName(Names, text))
        return static_cast<Censoring>(*index);
    return std::nullopt;
}

// ---- dates ----

namespace {

bool isLeapYear(int year)
{
    return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
}

int daysInMonth(int year, int month)
{
    static constexpr std::array<int, 12> Days = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return month == 2 && isLeapYear(year) ? 29 : Days[static_cast<std::size_t>(month - 1)];
}

// The whole number that the digits at text[pos, pos + count) spell, or -1.
int digitsAt(std::string_view text, std::size_t pos, std::size_t count)
{
    if (pos + count > text.size())
        return -1;
    int value = 0;
    for (std::size_t i = pos; i < pos + count; ++i) {
        if (text[i] < '0' || text[i] > '9')
            return -1;
        value = value * 10 + (text[i] - '0');
    }
    return value;
}

bool isOrdered(const MonthDay& a, const MonthDay& b)
{
    return a.month < b.month || (a.month == b.month && a.day <= b.day);
}

}  // namespace

std::optional<MonthDay> readMonthDay(std::string_view text)
{
    if (text.size() != 5 || text[2] != '-')
        return std::nullopt;
    const int month = digitsAt(text, 0, 2);
    const int day = digitsAt(text, 3, 2);
    // A season bound is the same day every year, so February 29 is not one.
    if (month < 1 || month > 12 || day < 1 || day > daysInMonth(2001, month))
        return std::nullopt;
    return MonthDay{month, day};
}

std::optional<CivilDate> readSampleDate(std::string_view text)
{
    if (text.size() < 10)
        return std::nullopt;
    const char separator = text[4];
    if ((separator != '-' && separator != '/') || text[7] != separator)
        return std::nullopt;
    if (text.size() > 10 && !(separator == '-' && text[10] == 'T'))
        return std::nullopt;
    const CivilDate date{digitsAt(text, 0, 4), digitsAt(text, 5, 2), digitsAt(text, 8, 2)};
    if (date.year < 0 || date.month < 1 || date.month > 12 || date.day < 1
        || date.day > daysInMonth(date.year, date.month))
        return std::nullopt;
    return date;
}

// The civil-calendar day count of Howard Hinnant's date algorithms.
std::int32_t dayNumber(const CivilDate& date)
{
    const int year = date.year - (date.month <= 2 ? 1 : 0);
    const int era = (year >= 0 ? year : year - 399) / 400;
    const int yearOfEra = year - era * 400;
    const int dayOfYear = (153 * (date.month + (date.month > 2 ? -3 : 9)) + 2) / 5 + date.day - 1;
    const int dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
    return era * 146097 + dayOfEra - 719468;
}

CivilDate civilDate(std::int32_t days)
{
    const int z = days + 719468;
    const int era = (z >= 0 ? z : z - 146096) / 146097;
    const int dayOfEra = z - era * 146097;
    const int yearOfEra = (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
    const int dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
    const int shiftedMonth = (5 * dayOfYear + 2) / 153;
    const int day = dayOfYear - (153 * shiftedMonth + 2) / 5 + 1;
    const int month = shiftedMonth + (shiftedMonth < 10 ? 3 : -9);
    return {yearOfEra + era * 400 + (month <= 2 ? 1 : 0), month, day};
}

void appendIsoDate(std::string& out, const CivilDate& date)
{
    char text[16];
    const auto two = [&](int at, int value) {
        text[at] = static_cast<char>('0' + value / 10);
        text[at + 1] = static_cast<char>('0' + value % 10);
    };
    two(0, date.year / 100);
    two(2, date.year % 100);
    text[4] = '-';
    two(5, date.month);
    text[7] = '-';
    two(8, date.day);
    out.append(text, 10);
}

std::optional<int> seasonYear(const CivilDate& date, const SampleRules& rules)
{
    const MonthDay day{date.month, date.day};
    const bool afterStart = isOrdered(rules.seasonStart, day);
    const bool beforeEnd = isOrdered(day, rules.seasonEnd);
    if (isOrdered(rules.seasonStart, rules.seasonEnd))
        return afterStart && beforeEnd ? std::optional<int>(date.year) : std::nullopt;
    // A season that wraps past December 31 belongs to the year it starts in.
    if (afterStart)
        return date.year;
    if (beforeEnd)
        return date.year - 1;
    return std::nullopt;
}

// ---- numbers ----

std::optional<double> readDecimal(std::string_view text)
{
    std::size_t pos = 0;
    const auto digits = [&] {
        const std::size_t start = pos;
        while (pos < text.size() && text[pos] >= '0' && text[pos] <= '9')
            ++pos;
        return pos - start;
    };
    if (pos < text.size() && (text[pos] == '+' || text[pos] == '-'))
        ++pos;
    std::size_t mantissaDigits = digits();
    if (pos < text.size() && text[pos] == '.') {
        ++pos;
        mantissaDigits += digits();
    }
    if (mantissaDigits == 0)
        return std::nullopt;
    if (pos < text.size() && (text[pos] == 'e' || text[pos] == 'E')) {
        ++pos;
        if (pos < text.size() && (text[pos] == '+' || text[pos] == '-'))
            ++pos;
        if (digits() == 0)
            return std::nullopt;
    }
    if (pos != text.size())
        return std::nullopt;
    double value = 0;
#if defined(__cpp_lib_to_chars)
    // from_chars takes no plus sign; the minus sign is read with the digits.
    const char* first = text.data() + (text[0] == '+' ? 1 : 0);
    const auto [end, error] = std::from_chars(first, text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size())
        return std::nullopt;
#else
    const NumberReading reading = readNumber(text);
    if (!reading.ok())
        return std::nullopt;
    value = reading.value.toDouble();
#endif
    if (!std::isfinite(value))
        return std::nullopt;
    return value;
}

namespace {

bool sameText(std::string_view a, std::string_view b)
{
    return sameNameIgnoringCase(a, b);
}

bool startsWithText(std::string_view text, std::string_view prefix)
{
    return text.size() >= prefix.size() && sameText(text.substr(0, prefix.size()), prefix);
}

bool isAnyOf(std::string_view text, std::initializer_list<const char*> names)
{
    for (const char* name : names)
        if (sameText(text, name))
            return true;
    return false;
}

// ---- units ----

struct UnitFactor {
    const char* name;  // as written, compared ignoring letter case
    double factor;     // into the model's unit
};

using UnitList = std::vector<UnitFactor>;

// The micro sign and the Greek small letter mu, in UTF-8.
constexpr const char* MicroSignGrams = "\xC2\xB5g/L";
constexpr const char* GreekMuGrams = "\xCE\xBCg/L";

// The factors the model itself uses for the units its selectors offer.
double modelFactor(Input selector, const char* unit)
{
    return *unitFactorOf(selector, unit);
}

const UnitList& concentrationUnits()
{
    static const double milligrams = modelFactor(Input::TPunitComboBox, "mg/L");
    static const UnitList Units = {{"ug/L", 1},        {MicroSignGrams, 1},  {GreekMuGrams, 1},
                                   {"ppb", 1},         {"mg/m3", 1},         {"mg/L", milligrams},
                                   {"mg/l as P", milligrams}, {"ppm", milligrams}};
    return Units;
}

const UnitList& lengthUnits()
{
    static const double feet = modelFactor(Input::DepthComboBox, "ft");
    static const UnitList Units = {{"m", 1}, {"cm", 0.01}, {"ft", feet}, {"in", feet / 12}};
    return Units;
}

const UnitList& alkalinityUnits()
{
    static const double milligrams = modelFactor(Input::AlkalinityUnitComboBox, "mg/L");
    static const UnitList Units = {
        {"meq/L", 1}, {"ueq/L", 0.001}, {"mg/L", milligrams}, {"mg/l CaCO3", milligrams}};
    return Units;
}

const UnitList& unitsOf(Parameter parameter)
{
    switch (parameter) {
    case Parameter::TotalPhosphorus:
    case Parameter::ChlorophyllA:
        return concentrationUnits();
    case Parameter::SecchiDepth:
        return lengthUnits();
    case Parameter::Alkalinity:
        return alkalinityUnits();
    }
    return concentrationUnits();
}

std::optional<double> factorOf(const UnitList& units, std::string_view unit)
{
    for (const UnitFactor& known : units)
        if (sameText(unit, known.name))
            return known.factor;
    return std::nullopt;
}

// ---- characteristics ----

bool isTotalFraction(std::string_view fraction)
{
    return fraction.empty() || sameText(fraction, "Total");
}

Identification identified(Parameter parameter, bool preferred = false)
{
    return {parameter, preferred, SkipReason::OtherCharacteristic};
}

Identification skipped(SkipReason reason)
{
    return {std::nullopt, false, reason};
}

}  // namespace

Identification identifyResult(const SampleFields& f, const SampleRules& rules)
{
    if (startsWithText(f.activityType, "Quality Control"))
        return skipped(SkipReason::QualityControl);
    if (f.columnParameter)
        return identified(*f.columnParameter);
    const std::string_view name = f.characteristic;
    if ((sameText(name, "Phosphorus") || sameText(name, "Total Phosphorus, mixed forms")) && isTotalFraction(f.fraction))
        return identified(Parameter::TotalPhosphorus);
    if (isAnyOf(name, {"Chlorophyll a, corrected for pheophytin", "Chlorophyll a, free of pheophytin"}))
        return identified(Parameter::ChlorophyllA, true);
    if (isAnyOf(name, {"Chlorophyll a", "Chlorophyll a, uncorrected for pheophytin"}))
        return identified(Parameter::ChlorophyllA);
    if (rules.probeChlorophyll && startsWithText(name, "Chlorophyll a (probe"))
        return identified(Parameter::ChlorophyllA);
    if (sameText(name, "Depth, Secchi disk depth"))
        return identified(Parameter::SecchiDepth);
    if (sameText(name, "Alkalinity, total") || (sameText(name, "Alkalinity") && isTotalFraction(f.fraction)))
        return identified(Parameter::Alkalinity);
    // The long form, which has no fraction, may name a parameter by its batch column too.
    for (Parameter parameter : Parameters)
        if (f.fraction.empty() && sameText(name, parameterColumn(parameter)))
            return identified(parameter);
    return skipped(SkipReason::OtherCharacteristic);
}

namespace {

Valuation refused(SkipReason reason)
{
    return {std::nullopt, reason};
}

Valuation valued(double value)
{
    return {value, SkipReason::UnreadableValue};
}

// A number and its unit in the model's unit; an empty unit is unknown unless a default is
// given.
Valuation inModelUnit(std::string_view number, std::string_view unit, const UnitList& units,
                      std::optional<double> emptyUnitFactor)
{
    const std::optional<double> factor = unit.empty() ? emptyUnitFactor : factorOf(units, unit);
    if (!factor)
        return refused(SkipReason::UnknownUnit);
    const std::optional<double> value = readDecimal(number);
    // A value beyond the range of numbers once in the model's unit is as unreadable as text.
    if (!value || !std::isfinite(*value * *factor))
        return refused(SkipReason::UnreadableValue);
    return valued(*value * *factor);
}

bool isNonDetectCondition(std::string_view condition)
{
    return isAnyOf(condition, {"Not Detected", "Below Detection Limit", "Present Below Quantification Limit"});
}

std::string_view afterLessThan(std::string_view text)
{
    text.remove_prefix(1);
    while (!text.empty() && text.front() == ' ')
        text.remove_prefix(1);
    return text;
}

std::optional<double> emptyUnitFactor(const SampleFields& f)
{
    return f.columnParameter ? std::optional<double>(1) : std::nullopt;
}

// The value a non-detect counts as, from its detection limit.
Valuation censoredValue(const SampleFields& f, Parameter parameter, const SampleRules& rules)
{
    const UnitList& units = unitsOf(parameter);
    Valuation limit;
    if (!f.limitValue.empty())
        limit = inModelUnit(f.limitValue, f.limitUnit.empty() ? f.unit : f.limitUnit, units, emptyUnitFactor(f));
    else if (!f.value.empty() && f.value.front() == '<')
        limit = inModelUnit(afterLessThan(f.value), f.unit, units, emptyUnitFactor(f));
    else if (f.flaggedNonDetect && !f.value.empty())
        limit = inModelUnit(f.value, f.unit, units, emptyUnitFactor(f));
    else
        return refused(SkipReason::NonDetectWithoutLimit);
    if (!limit.value)
        return limit;
    if (!(*limit.value > 0))
        return refused(SkipReason::UnreadableValue);
    switch (rules.censoring) {
    case Censoring::Half:
        return valued(*limit.value / 2);
    case Censoring::Zero:
        return valued(0);
    case Censoring::Limit:
        return limit;
    case Censoring::Drop:
        break;
    }
    return refused(SkipReason::NonDetectDropped);
}

// A depth in metres, its unit metres when none is given.
Valuation depthInMetres(std::string_view depth, std::string_view unit)
{
    return inModelUnit(depth, unit, lengthUnits(), 1.0);
}

// Whether the result was taken in the epilimnion, or why not.
std::optional<SkipReason> depthRefusal(const SampleFields& f, const SampleRules& rules)
{
    if (!f.relativeDepth.empty()) {
        if (isAnyOf(f.relativeDepth, {"Surface", "Near Surface", "Epilimnion", "Photic zone"}))
            return std::nullopt;
        return SkipReason::TooDeep;
    }
    Valuation depth;
    if (!f.bottomDepth.empty())  // an integrated sample: its bottom decides, whatever its top
        depth = depthInMetres(f.bottomDepth, f.bottomDepthUnit);
    else if (!f.depth.empty())
        depth = depthInMetres(f.depth, f.depthUnit);
    else if (!f.topDepth.empty())
        depth = depthInMetres(f.topDepth, f.topDepthUnit);
    else
        return rules.requireDepth ? std::optional<SkipReason>(SkipReason::NoDepth) : std::nullopt;
    if (!depth.value)
        return depth.reason;
    if (*depth.value > rules.maxDepthMetres)
        return SkipReason::TooDeep;
    return std::nullopt;
}

}  // namespace

Valuation valueResult(const SampleFields& f, Parameter parameter, const SampleRules& rules)
{
    const bool nonDetect = f.flaggedNonDetect || isNonDetectCondition(f.detectionCondition)
                           || (!f.value.empty() && f.value.front() == '<');
    if (!nonDetect && !f.detectionCondition.empty())
        return refused(SkipReason::OtherDetectionCondition);
    Valuation valuation = nonDetect ? censoredValue(f, parameter, rules)
                                    : inModelUnit(f.value, f.unit, unitsOf(parameter), emptyUnitFactor(f));
    if (!valuation.value)
        return valuation;
    if (!nonDetect && parameter != Parameter::Alkalinity && !(*valuation.value > 0))
        return refused(SkipReason::UnreadableValue);
    if (parameter != Parameter::SecchiDepth)
        if (const std::optional<SkipReason> refusal = depthRefusal(f, rules))
            return refused(*refusal);
    return valuation;
}

}  // namespace trophex::samples
