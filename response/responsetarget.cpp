#include "response/responsetarget.h"

#include "model/ecoregion.h"
#include "arithmetic/numberreader.h"
#include "arithmetic/shortestnumber.h"
#include "model/tsi.h"

#include <array>
#include <cmath>

namespace trophex {

namespace {

struct KindWord {
    TargetKind kind;
    const char* word;
};

constexpr std::array<KindWord, 6> KindWords = {{
    {TargetKind::TP, "tp"},
    {TargetKind::ChlrA, "chla"},
    {TargetKind::Secchi, "secchi"},
    {TargetKind::Tsi, "tsi"},
    {TargetKind::Frequency, "freq"},
    {TargetKind::Ecoregion, "ecoregion"},
}};

constexpr const char* TargetForms = "tp=V, chla=V, secchi=V, tsi=V, freq=B:P or ecoregion";

std::string_view trimmed(std::string_view text)
{
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t'))
        text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t'))
        text.remove_suffix(1);
    return text;
}

bool sameWord(std::string_view a, std::string_view b)
{
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        const char c = (a[i] >= 'A' && a[i] <= 'Z') ? static_cast<char>(a[i] - 'A' + 'a') : a[i];
        if (c != b[i])
            return false;
    }
    return true;
}

std::optional<TargetKind> kindNamed(std::string_view word)
{
    for (const KindWord& k : KindWords)
        if (sameWord(word, k.word))
            return k.kind;
    return std::nullopt;
}

// A finite number, read as typed numbers are read.
std::optional<double> numberIn(std::string_view text)
{
    const NumberReading reading = readNumber(trimmed(text));
    if (!reading.ok() || trimmed(text).empty())
        return std::nullopt;
    const double value = static_cast<double>(reading.value);
    if (!std::isfinite(value))
        return std::nullopt;
    return value;
}

TargetReading failure(std::string error)
{
    return {std::nullopt, std::move(error)};
}

TargetReading readFrequency(std::string_view text, std::string_view values)
{
    const std::size_t colon = values.find(':');
    const std::optional<double> bound = colon == std::string_view::npos ? std::nullopt : numberIn(values.substr(0, colon));
    const std::optional<double> percent =
        colon == std::string_view::npos ? std::nullopt : numberIn(values.substr(colon + 1));
    if (!bound || !percent)
        return failure("the target \"" + std::string(text) + "\" is not freq=B:P with two numbers, such as freq=20:10");
    if (!(*bound > 0))
        return failure("the chlorophyll a level B of freq=B:P must be above 0 ug/L");
    if (!(*percent > 0 && *percent <= 100))
        return failure("the percentage P of freq=B:P must be above 0 and at most 100: chlorophyll a is above "
                       "any level some of the time");
    return {TargetSpec{TargetKind::Frequency, *percent, *bound, std::string(trimmed(values.substr(colon + 1))),
                       std::string(trimmed(values.substr(0, colon)))},
            {}};
}

std::string_view unitOf(TargetKind kind)
{
    switch (kind) {
    case TargetKind::TP:
    case TargetKind::ChlrA:
    case TargetKind::Frequency:
    case TargetKind::Ecoregion:
        return "ug/L";
    case TargetKind::Secchi:
        return "m";
    case TargetKind::Tsi:
        return "";
    }
    return "";
}

}  // namespace

const char* targetKindName(TargetKind kind)
{
    return KindWords[static_cast<int>(kind)].word;
}

TargetReading readTargetSpec(std::string_view text)
{
    const std::string_view wanted = trimmed(text);
    const std::size_t eq = wanted.find('=');
    const std::optional<TargetKind> kind = kindNamed(trimmed(wanted.substr(0, eq)));
    if (!kind)
        return failure("unknown target \"" + std::string(wanted) + "\": give " + TargetForms);
    if (*kind == TargetKind::Ecoregion) {
        if (eq != std::string_view::npos)
            return failure("the ecoregion target takes no value: give just \"ecoregion\"");
        return {TargetSpec{}, {}};
    }
    if (eq == std::string_view::npos)
        return failure("the target \"" + std::string(wanted) + "\" needs a value, such as " + targetKindName(*kind) +
                       (*kind == TargetKind::Frequency ? "=20:10" : "=20"));
    const std::string_view values = wanted.substr(eq + 1);
    if (*kind == TargetKind::Frequency)
        return readFrequency(wanted, values);
    const std::optional<double> value = numberIn(values);
    if (!value)
        return failure("the target \"" + std::string(wanted) + "\" needs a number after \"" + targetKindName(*kind) +
                       "=\"");
    if (*kind == TargetKind::Tsi && !(*value >= 0 && *value <= 100))
        return failure("the tsi target must be from 0 to 100, the range of Carlson's index");
    if (*kind != TargetKind::Tsi && !(*value > 0))
        return failure(std::string("the ") + targetKindName(*kind) + " target must be above 0 " +
                       std::string(unitOf(*kind)));
    return {TargetSpec{*kind, *value, 0, std::string(trimmed(values)), {}}, {}};
}

Target resolveTarget(const TargetSpec& wanted, std::string_view ecoregionText)
{
    Target target;
    target.kind = wanted.kind;
    target.value = wanted.value;
    target.bound = wanted.bound;
    target.valueText = wanted.valueText;
    target.boundText = wanted.boundText;
    if (wanted.kind == TargetKind::Ecoregion) {
        const Ecoregion region = ecoregionOf(ecoregionText);
        target.ecoregion = EcoregionCodes[static_cast<int>(region)];
        target.ecoregionTsi = ecoregionTsiRanges(target.ecoregion, RangeUse::Chart)[1].high;
        target.value = phosphorusOfTsi(target.ecoregionTsi);
    }
    return target;
}

std::string shortestNumberText(double value, const NumberFormat& format)
{
    std::string shortest;
    appendShortestNumber(shortest, value);
    return typedNumberText(shortest, format);
}

std::string typedNumberText(const std::string& typed, const NumberFormat& format)
{
    std::string text;
    for (char c : typed) {
        if (c == '.')
            text += format.decimalSeparator;
        else
            text += c;
    }
    return text;
}

namespace {

std::string typedOrShortest(const std::string& typed, double value, const NumberFormat& format)
{
    return typed.empty() ? shortestNumberText(value, format) : typedNumberText(typed, format);
}

}  // namespace

std::string targetBoundText(const Target& t, const NumberFormat& format)
{
    return typedOrShortest(t.boundText, t.bound, format);
}

std::string targetDescription(const Target& t, const NumberFormat& format)
{
    const std::string value = typedOrShortest(t.valueText, t.value, format);
    switch (t.kind) {
    case TargetKind::TP:
        return "TP at most " + value + " ug/L";
    case TargetKind::ChlrA:
        return "chlorophyll a at most " + value + " ug/L";
    case TargetKind::Secchi:
        return "Secchi depth at least " + value + " m";
    case TargetKind::Tsi:
        return "average TSI at most " + value;
    case TargetKind::Frequency:
        return "chlorophyll a above " + targetBoundText(t, format) + " ug/L at most " + value +
               " % of the time";
    case TargetKind::Ecoregion:
        return "TP at most " + formatNumber(t.value, NumberPattern::OneDecimal, format) + " ug/L, the top of the " +
               t.ecoregion + " range (TSI " + std::to_string(t.ecoregionTsi) + ")";
    }
    return {};
}

}  // namespace trophex
