#include "batch/lakegenerator.h"

#include "batch/batchtable.h"
#include "batch/csv.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace trophex::batch {

namespace {

// SplitMix64: small, fast and the same on every platform.
class Random {
public:
    explicit Random(std::uint64_t seed) : state_(seed) {}

    std::uint64_t next()
    {
        std::uint64_t z = (state_ += 0x9E3779B97F4A7C15ULL);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
        return z ^ (z >> 31);
    }

    double uniform() { return static_cast<double>(next() >> 11) * 0x1p-53; }  // [0, 1)
    bool chance(double p) { return uniform() < p; }

    // Log-normal around a median, limited to [low, high].
    double logNormal(double median, double sigma, double low, double high)
    {
        const double u1 = 1 - uniform();
        const double u2 = uniform();
        const double normal = std::sqrt(-2 * std::log(u1)) * std::cos(2 * 3.14159265358979323846 * u2);
        return std::clamp(median * std::exp(sigma * normal), low, high);
    }

private:
    std::uint64_t state_;  // generator state
};

struct RegionTraits {
    const char* code;         // ecoregion code
    double share;             // fraction of the lakes
    double medianTP;          // ug/L
    double medianAlkalinity;  // meq/L
};

constexpr RegionTraits Regions[] = {
    {"NLF", 0.40, 20, 0.4},
    {"CHF", 0.30, 45, 2.0},
    {"WCP", 0.20, 110, 3.0},
    {"NGP", 0.10, 250, 4.0},
};

const RegionTraits& pickRegion(Random& random)
{
    double u = random.uniform();
    for (const RegionTraits& region : Regions) {
        if (u < region.share)
            return region;
        u -= region.share;
    }
    return Regions[0];
}

void appendNumber(std::string& out, double value, int decimals)
{
    char buffer[48];
    const int n = std::snprintf(buffer, sizeof buffer, "%.*f", decimals, value);
    out.append(buffer, static_cast<std::size_t>(n));
}

// A value in the model's unit, written in the unit chosen for it with that unit's factor.
struct UnitChoice {
    const char* unit;     // unit text, empty for the model's unit
    double perModelUnit;  // how many of the unit make one model unit
};

UnitChoice pickUnit(Random& random, std::initializer_list<std::pair<double, UnitChoice>> choices)
{
    double u = random.uniform();
    for (const auto& choice : choices) {
        if (u < choice.first)
            return choice.second;
        u -= choice.first;
    }
    return choices.begin()->second;
}

void appendValueAndUnit(std::string& out, double modelValue, const UnitChoice& unit, int decimals)
{
    appendNumber(out, modelValue * unit.perModelUnit, decimals);
    out += ',';
    out += unit.unit;
    out += ',';
}

std::string lakeName(Random& random, std::uint64_t index)
{
    char number[24];
    std::snprintf(number, sizeof number, "%07llu", static_cast<unsigned long long>(index + 1));
    if (random.chance(0.02))
        return std::string("Lake ") + number + ", North \"Bay\"";
    if (random.chance(0.01))
        return std::string("Sj\xC3\xB6 ") + number;
    return std::string("Lake ") + number;
}

void appendLake(std::string& out, Random& random, std::uint64_t index)
{
    static const UnitChoice Km2{"", 1}, Hectares{"HA", 100}, Acres{"Acres", 247.1054}, SquareMiles{"mi2", 0.3861022};
    static const UnitChoice Metres{"", 1}, Feet{"ft", 3.280840};
    static const UnitChoice Micrograms{"", 1}, Milligrams{"mg/L", 0.001};
    static const UnitChoice Milliequivalents{"", 1}, AlkalinityMg{"mg/L", 50};

    const RegionTraits& region = pickRegion(random);
    const double watershed = random.logNormal(25, 1.2, 0.3, 5000);
    const double lake = watershed * random.logNormal(0.06, 0.6, 0.01, 0.25);
    const double depth = random.logNormal(4, 0.6, 0.5, 40);
    const double tp = random.logNormal(region.medianTP, 0.5, 2, 2000);
    const double chla = std::clamp(0.0661 * std::pow(tp, 1.46) * random.logNormal(1, 0.5, 0.1, 10), 0.2, 800.0);
    const double secchi = std::clamp(7.76 * std::pow(chla, -0.59) * random.logNormal(1, 0.3, 0.3, 3), 0.1, 20.0);
    const double alkalinity = random.logNormal(region.medianAlkalinity, 0.6, 0.02, 20);

    appendCsvField(out, lakeName(random, index));
    out += ',';
    out += region.code;
    out += ',';
    const UnitChoice areaUnit = pickUnit(random, {{0.8, Km2}, {0.1, Hectares}, {0.05, Acres}, {0.05, SquareMiles}});
    appendValueAndUnit(out, watershed, areaUnit, 2);
    appendValueAndUnit(out, lake, areaUnit, 3);
    const UnitChoice lengthUnit = pickUnit(random, {{0.9, Metres}, {0.1, Feet}});
    appendValueAndUnit(out, depth, lengthUnit, 1);
    const UnitChoice tpUnit = pickUnit(random, {{0.9, Micrograms}, {0.1, Milligrams}});
    appendValueAndUnit(out, tp, tpUnit, tpUnit.perModelUnit < 1 ? 4 : 1);
    appendValueAndUnit(out, chla, Micrograms, 1);
    if (random.chance(0.002))
        out += ",,";  // Secchi depth not measured
    else
        appendValueAndUnit(out, secchi, lengthUnit, 2);
    if (random.chance(0.1)) {
        out += ",,";  // alkalinity not measured
    } else {
        const UnitChoice alkalinityUnit = pickUnit(random, {{0.8, Milliequivalents}, {0.2, AlkalinityMg}});
        appendValueAndUnit(out, alkalinity, alkalinityUnit, 2);
    }
    if (random.chance(0.05)) {
        appendNumber(out, random.logNormal(0.2, 0.4, 0.03, 0.6), 2);
        out += ',';
        appendNumber(out, random.logNormal(region.medianTP * 1.5, 0.4, 10, 3000), 0);
    } else {
        out += ',';
    }
    out += '\n';
}

}  // namespace

void writeSyntheticLakes(std::uint64_t count, std::uint64_t seed, const WriteFunction& write)
{
    constexpr std::size_t PieceBytes = std::size_t{1} << 18;
    Random random(seed);
    std::string out =
        "name,ecoregion,watershed_area,watershed_area_unit,lake_area,lake_area_unit,mean_depth,mean_depth_unit,"
        "total_phosphorus,total_phosphorus_unit,chlorophyll_a,chlorophyll_a_unit,secchi_depth,secchi_depth_unit,"
        "alkalinity,alkalinity_unit,runoff,stream_p\n";
    for (std::uint64_t i = 0; i < count; ++i) {
        appendLake(out, random, i);
        if (out.size() >= PieceBytes) {
            write(out);
            out.clear();
        }
    }
    write(out);
}

std::vector<InputTexts> syntheticLakeInputs(std::size_t count, std::uint64_t seed)
{
    std::string table;
    writeSyntheticLakes(count, seed, [&](std::string_view bytes) { table += bytes; });
    CsvRecord record;
    std::size_t pos = scanCsvRecord(table, 0, true, &record);
    const ColumnLayout layout = *readHeader(record).layout;
    std::vector<InputTexts> lakes;
    while (pos < table.size()) {
        pos = scanCsvRecord(table, pos, true, &record);
        InputTexts texts;
        if (!rowInputs(record, layout, texts).failed())
            lakes.push_back(texts);
    }
    return lakes;
}

}  // namespace trophex::batch
