#include "samples/samplegenerator.h"

#include "batch/csv.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <random>
#include <string>
#include <vector>

namespace trophex::samples {

namespace {

// Draws from the 64-bit Mersenne Twister, whose sequence the standard fixes, with the
// distributions written here so that every platform draws the same.
class Draws {
public:
    explicit Draws(std::uint64_t seed) : engine_(seed) {}
    double uniform() { return static_cast<double>(engine_() >> 11) * 0x1p-53; }
    bool chance(double p) { return uniform() < p; }
    int between(int low, int high) { return low + static_cast<int>(uniform() * (high - low + 1)); }
    double logNormal(double median, double sigma)
    {
        const double u1 = 1 - uniform();
        const double u2 = uniform();
        return median * std::exp(sigma * std::sqrt(-2 * std::log(u1)) * std::cos(2 * 3.14159265358979323846 * u2));
    }

private:
    std::mt19937_64 engine_;
};

struct GeneratedLake {
    std::string name;
    std::vector<std::string> sites;
    double tp;          // ug/L in the first year
    double change;      // factor per year
    double alkalinity;  // meq/L
};

constexpr int Years = 12;
constexpr int FirstYear = 2011;
constexpr std::uint64_t RowsPerLake = 900;  // about, over all its years

std::string number(double value, int decimals)
{
    char text[48];
    std::snprintf(text, sizeof text, "%.*f", decimals, value);
    return text;
}

GeneratedLake makeLake(Draws& draws, std::uint64_t index)
{
    GeneratedLake lake;
    char id[24];
    std::snprintf(id, sizeof id, "%06llu", static_cast<unsigned long long>(index + 1));
    lake.name = draws.chance(0.03) ? std::string("Lake ") + id + ", North \"Bay\"" : std::string("Lake ") + id;
    const int siteCount = draws.between(1, 3);
    for (int s = 0; s < siteCount; ++s)
        lake.sites.push_back(std::string(draws.chance(0.5) ? "USGS-" : "21MNPCA-") + id + "-" + std::to_string(s + 1));
    lake.tp = std::clamp(draws.logNormal(35, 0.8), 4.0, 600.0);
    lake.change = draws.chance(0.3) ? draws.logNormal(1, 0.04) : 1;
    lake.alkalinity = std::clamp(draws.logNormal(1.5, 0.7), 0.05, 8.0);
    return lake;
}

void writeLakesTable(const std::vector<GeneratedLake>& lakes, Draws& draws, const batch::WriteFunction& write)
{
    static constexpr std::array<const char*, 4> Regions = {"NLF", "CHF", "WCP", "NGP"};
    std::string out = "name,ecoregion,watershed_area,watershed_area_unit,lake_area,lake_area_unit,mean_depth,"
                      "mean_depth_unit,alkalinity,alkalinity_unit,runoff,sites\n";
    for (const GeneratedLake& lake : lakes) {
        const double watershed = std::clamp(draws.logNormal(25, 1.2), 0.3, 5000.0);
        const double area = watershed * std::clamp(draws.logNormal(0.06, 0.6), 0.01, 0.25);
        std::string sites;
        for (const std::string& site : lake.sites)
            sites += (sites.empty() ? "" : ";") + site;
        const bool alkalinity = draws.chance(0.5);
        const std::array<std::string, 12> fields = {
            lake.name, Regions[static_cast<std::size_t>(draws.between(0, 3))], number(watershed, 2), "km2",
            number(area, 3), "km2", number(std::clamp(draws.logNormal(4, 0.6), 0.5, 40.0), 1), "m",
            alkalinity ? number(lake.alkalinity, 2) : "", alkalinity ? "meq/L" : "",
            draws.chance(0.2) ? number(draws.logNormal(0.25, 0.3), 2) : "", sites};
        std::array<std::string_view, 12> views;
        std::copy(fields.begin(), fields.end(), views.begin());
        batch::appendCsvFields(out, views.data(), views.size());
        out += '\n';
    }
    write(out);
}

// The columns of the result table, in order.
enum Column {
    Organization,
    Site,
    Date,
    ActivityType,
    Relative,
    Depth,
    DepthUnit,
    Top,
    TopUnit,
    Bottom,
    BottomUnit,
    Characteristic,
    Fraction,
    Value,
    Unit,
    Condition,
    Limit,
    LimitUnit,
    ColumnCount
};

constexpr const char* ResultHeader =
    "OrganizationIdentifier,MonitoringLocationIdentifier,ActivityStartDate,ActivityTypeCode,"
    "ActivityRelativeDepthName,ActivityDepthHeightMeasure/MeasureValue,ActivityDepthHeightMeasure/MeasureUnitCode,"
    "ActivityTopDepthHeightMeasure/MeasureValue,ActivityTopDepthHeightMeasure/MeasureUnitCode,"
    "ActivityBottomDepthHeightMeasure/MeasureValue,ActivityBottomDepthHeightMeasure/MeasureUnitCode,"
    "CharacteristicName,ResultSampleFractionText,ResultMeasureValue,ResultMeasure/MeasureUnitCode,"
    "ResultDetectionConditionText,DetectionQuantitationLimitMeasure/MeasureValue,"
    "DetectionQuantitationLimitMeasure/MeasureUnitCode\n";

using Row = std::array<std::string, ColumnCount>;

// Writes the rows of one visit of a site.
class VisitWriter {
public:
    VisitWriter(Draws& draws, std::string& out, std::uint64_t& rows) : draws_(draws), out_(out), rows_(rows) {}

    void visit(const GeneratedLake& lake, const std::string& site, int year, int month, int day)
    {
        base_ = Row{};
        base_[Organization] = site.substr(0, site.find('-'));
        base_[Site] = site;
        base_[Date] = dateText(year, month, day);
        base_[ActivityType] = "Sample-Routine";
        const double tp = lake.tp * std::pow(lake.change, year - FirstYear) * draws_.logNormal(1, 0.3);
        const double chla = std::clamp(0.0661 * std::pow(tp, 1.46) * draws_.logNormal(1, 0.4), 0.2, 800.0);
        const double secchi = std::clamp(7.76 * std::pow(chla, -0.59) * draws_.logNormal(1, 0.2), 0.1, 20.0);
        phosphorus(tp);
        chlorophyll(chla);
        secchiDepth(secchi);
        profile();
        if (draws_.chance(0.15))
            alkalinity(lake.alkalinity * draws_.logNormal(1, 0.1));
        if (draws_.chance(0.03))
            qualityControl(tp);
    }

private:
    std::string dateText(int year, int month, int day)
    {
        char text[64];
        if (draws_.chance(0.01))
            std::snprintf(text, sizeof text, "%02d/%02d/%04d", month, day, year);  // unreadable
        else if (draws_.chance(0.05))
            std::snprintf(text, sizeof text, "%04d/%02d/%02d", year, month, day);
        else if (draws_.chance(0.1))
            std::snprintf(text, sizeof text, "%04d-%02d-%02dT10:%02d:00", year, month, day, draws_.between(0, 59));
        else
            std::snprintf(text, sizeof text, "%04d-%02d-%02d", year, month, day);
        return text;
    }

    void surface(Row& row)
    {
        const double u = draws_.uniform();
        if (u < 0.3) {
            row[Relative] = "Surface";
        } else if (u < 0.5) {
            row[Top] = "0";
            row[TopUnit] = "m";
            row[Bottom] = draws_.chance(0.8) ? "2" : "6";  // an integrated sample, sometimes too deep
            row[BottomUnit] = "m";
        } else if (u < 0.9) {
            const bool feet = draws_.chance(0.2);
            row[Depth] = number(draws_.uniform() * (feet ? 6 : 2), 1);
            row[DepthUnit] = feet ? "ft" : "m";
        }
    }

    void phosphorus(double tp)
    {
        Row row = base_;
        surface(row);
        row[Characteristic] = "Phosphorus";
        row[Fraction] = "Total";
        if (tp < 8 && draws_.chance(0.5)) {
            if (draws_.chance(0.7)) {
                row[Condition] = "Not Detected";
                row[Limit] = "0.005";
                row[LimitUnit] = "mg/l";
            } else {
                row[Value] = "<5";
                row[Unit] = "ug/l";
            }
        } else if (draws_.chance(0.7)) {
            row[Value] = number(tp / 1000, 4);
            row[Unit] = draws_.chance(0.5) ? "mg/l" : "mg/l as P";
        } else {
            row[Value] = number(tp, 1);
            row[Unit] = draws_.chance(0.9) ? "ug/l" : "ppb";
        }
        emit(row);
        if (draws_.chance(0.3)) {
            Row dissolved = row;
            dissolved[Fraction] = "Dissolved";
            emit(dissolved);
        }
    }

    void chlorophyll(double chla)
    {
        Row row = base_;
        surface(row);
        row[Characteristic] = "Chlorophyll a, corrected for pheophytin";
        row[Value] = number(chla, 2);
        row[Unit] = draws_.chance(0.9) ? "ug/l" : "mg/m3";
        const bool corrected = draws_.chance(0.7);
        if (corrected)
            emit(row);
        if (!corrected || draws_.chance(0.3)) {
            row[Characteristic] = draws_.chance(0.5) ? "Chlorophyll a, uncorrected for pheophytin" : "Chlorophyll a";
            row[Value] = number(chla * draws_.logNormal(1.2, 0.1), 2);
            row[Unit] = draws_.chance(0.9) ? "ug/L" : "\xC2\xB5g/L";
            emit(row);
        }
        if (draws_.chance(0.2)) {
            row[Characteristic] = "Chlorophyll a (probe)";
            row[Value] = number(chla * draws_.logNormal(1, 0.3), 1);
            emit(row);
        }
    }

    void secchiDepth(double secchi)
    {
        Row row = base_;
        row[Characteristic] = "Depth, Secchi disk depth";
        const bool feet = draws_.chance(0.2);
        row[Value] = number(feet ? secchi / 0.3048 : secchi, 2);
        row[Unit] = feet ? "ft" : "m";
        emit(row);
    }

    void alkalinity(double meq)
    {
        Row row = base_;
        surface(row);
        row[Characteristic] = "Alkalinity, total";
        row[Value] = number(meq * 50, 1);
        row[Unit] = "mg/l CaCO3";
        emit(row);
    }

    // A temperature and oxygen profile, and phosphorus near the bottom.
    void profile()
    {
        const int deepest = draws_.between(2, 8);
        for (int depth = 0; depth <= deepest; depth += 2) {
            for (const char* characteristic : {"Temperature, water", "Dissolved oxygen (DO)"}) {
                Row row = base_;
                row[Characteristic] = characteristic;
                row[Depth] = std::to_string(depth);
                row[DepthUnit] = "m";
                row[Value] = number(draws_.uniform() * 20, 1);
                row[Unit] = characteristic[0] == 'T' ? "deg C" : "mg/l";
                emit(row);
            }
        }
        Row bottom = base_;
        bottom[Characteristic] = "Phosphorus";
        bottom[Relative] = draws_.chance(0.5) ? "Bottom" : "";
        bottom[Depth] = std::to_string(deepest);
        bottom[DepthUnit] = "m";
        bottom[Value] = number(draws_.uniform() * 0.2, 3);
        bottom[Unit] = "mg/l";
        emit(bottom);
    }

    void qualityControl(double tp)
    {
        Row row = base_;
        row[ActivityType] = draws_.chance(0.5) ? "Quality Control Sample-Field Replicate" : "Quality Control Sample-Field Blank";
        row[Characteristic] = "Phosphorus";
        row[Value] = number(tp / 1000, 4);
        row[Unit] = "mg/l";
        emit(row);
    }

    void emit(const Row& row)
    {
        std::array<std::string_view, ColumnCount> views;
        std::copy(row.begin(), row.end(), views.begin());
        batch::appendCsvFields(out_, views.data(), views.size());
        out_ += '\n';
        ++rows_;
    }

    Draws& draws_;
    std::string& out_;
    std::uint64_t& rows_;
    Row base_;  // the fields every row of the visit shares
};

}  // namespace

void writeGeneratedSamples(std::uint64_t rows, std::uint64_t seed, const batch::WriteFunction& samples,
                           const batch::WriteFunction& lakes)
{
    constexpr std::size_t PieceBytes = std::size_t{1} << 18;
    Draws draws(seed);
    const std::uint64_t lakeCount = std::max<std::uint64_t>(1, (rows + RowsPerLake / 2) / RowsPerLake);
    std::vector<GeneratedLake> generated;
    for (std::uint64_t i = 0; i < lakeCount; ++i)
        generated.push_back(makeLake(draws, i));
    if (lakes)
        writeLakesTable(generated, draws, lakes);

    std::string out = ResultHeader;
    std::uint64_t written = 0;
    VisitWriter visits(draws, out, written);
    // Each lake's years in turn, each year's visits from May to October, until the rows are
    // written; the visit writer counts them in written.
    std::size_t lake = 0;
    while (written < rows) {
        const GeneratedLake& lakeNow = generated[lake];
        lake = (lake + 1) % generated.size();
        for (int year = FirstYear; year < FirstYear + Years && written < rows; ++year) {
            const int visitCount = draws.between(4, 9);
            for (int v = 0; v < visitCount && written < rows; ++v) {
                const int month = 5 + v * 6 / visitCount;
                const std::string& site = lakeNow.sites[static_cast<std::size_t>(draws.between(
                    0, static_cast<int>(lakeNow.sites.size()) - 1))];
                visits.visit(lakeNow, site, year, month, draws.between(1, 28));
                if (out.size() >= PieceBytes) {
                    samples(out);
                    out.clear();
                }
            }
        }
    }
    samples(out);
}

}  // namespace trophex::samples
