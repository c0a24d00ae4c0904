#pragma once
// The rules that turn one monitoring result, as a sample table gives it, into a value in the
// model's unit, or into the one reason why it is not used: which characteristics are which
// parameter, their units, quality control, non-detects, depth, dates and the season.
// Texts are compared ignoring ASCII letter case; the caller trims them.

#include <array>
#include <cstdint>
#include <optional>
#include <string_view>

namespace trophex::samples {

enum class Parameter { TotalPhosphorus, ChlorophyllA, SecchiDepth, Alkalinity };
inline constexpr int ParameterCount = 4;
inline constexpr std::array<Parameter, ParameterCount> Parameters = {
    Parameter::TotalPhosphorus, Parameter::ChlorophyllA, Parameter::SecchiDepth, Parameter::Alkalinity};

// The batch table's column of the parameter ("total_phosphorus", ...) and the model's unit.
const char* parameterColumn(Parameter parameter);
const char* parameterModelUnit(Parameter parameter);

// Why a result is not used; each skipped result has exactly one.
enum class SkipReason {
    QualityControl,
    OtherCharacteristic,
    UnreadableDate,
    OutsideSeason,
    SiteOfNoLake,
    OtherDetectionCondition,
    UnknownUnit,
    UnreadableValue,
    NonDetectWithoutLimit,
    NonDetectDropped,
    TooDeep,
    NoDepth,
    RowTooLong,
};
inline constexpr int SkipReasonCount = 13;

// "quality control", "outside the season", ...; and the same as a JSON key.
const char* skipReasonText(SkipReason reason);
const char* skipReasonKey(SkipReason reason);

// What a non-detect counts as: half its detection limit, zero, the limit, or nothing.
enum class Censoring { Half, Zero, Limit, Drop };
std::optional<Censoring> censoringNamed(std::string_view text);

struct MonthDay {
    int month = 1;
    int day = 1;
};

struct CivilDate {
    int year = 1970;
    int month = 1;
    int day = 1;
};

struct SampleRules {
    Censoring censoring = Censoring::Half;
    double maxDepthMetres = 2;     // deeper results are not epilimnetic
    bool requireDepth = false;     // a result without any depth is refused
    MonthDay seasonStart{6, 1};    // first day of the season
    MonthDay seasonEnd{9, 30};     // last day; before the start when the season wraps past December 31
    bool probeChlorophyll = false;  // probe readings count as chlorophyll a
    int minDays = 4;               // fewer days are noted
};

// "MM-DD"; nullopt for anything else or a day the month does not have (February 29 is one).
std::optional<MonthDay> readMonthDay(std::string_view text);
// "YYYY-MM-DD" (optionally followed by "T" and a time) or "YYYY/MM/DD".
std::optional<CivilDate> readSampleDate(std::string_view text);
// Days since 1970-01-01, and back.
std::int32_t dayNumber(const CivilDate& date);
CivilDate civilDate(std::int32_t days);
// "YYYY-MM-DD".
void appendIsoDate(std::string& out, const CivilDate& date);
// The year of the season the date lies in (the year the season starts in), or nullopt.
std::optional<int> seasonYear(const CivilDate& date, const SampleRules& rules);

// A number in decimal notation with an optional sign and exponent, nothing else.
std::optional<double> readDecimal(std::string_view text);

// One result's texts, trimmed; columns a table does not have are empty.
struct SampleFields {
    std::string_view activityType;
    std::string_view characteristic;
    std::string_view fraction;
    std::string_view value;
    std::string_view unit;
    std::string_view detectionCondition;
    std::string_view limitValue;
    std::string_view limitUnit;
    std::string_view depth;
    std::string_view depthUnit;
    std::string_view topDepth;
    std::string_view topDepthUnit;
    std::string_view bottomDepth;
    std::string_view bottomDepthUnit;
    std::string_view relativeDepth;
    bool flaggedNonDetect = false;             // the long form's flag: the value is the detection limit
    std::optional<Parameter> columnParameter;  // the wide form: the column names the parameter
};

// The parameter a result measures, with whether it is chlorophyll a corrected for or free
// of pheophytin; or why the result is skipped (quality control, other characteristic).
struct Identification {
    std::optional<Parameter> parameter;
    bool preferredMethod = false;
    SkipReason reason = SkipReason::OtherCharacteristic;
};
Identification identifyResult(const SampleFields& fields, const SampleRules& rules);

// The value in the model's unit, or why the result is skipped (detection condition, unit,
// value, non-detect, depth).
struct Valuation {
    std::optional<double> value;
    SkipReason reason = SkipReason::UnreadableValue;
};
Valuation valueResult(const SampleFields& fields, Parameter parameter, const SampleRules& rules);

}  // namespace trophex::samples
