#include "print/responsechart.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace trophex {

namespace {

constexpr int PercentStep = 10;       // ticks along the cut
constexpr int PercentLabelStep = 20;  // labelled ticks
constexpr double SecchiHeadroom = 3;  // the scale of a rising value ends at this times its start
constexpr double TargetReach = 3;     // a target further off than this times the data stays off the scale
constexpr int LabelledSteps = 5;      // labelled values up the side, about

// 1, 2 or 5 times a power of ten, near raw.
double niceStep(double raw)
{
    if (!(raw > 0) || !std::isfinite(raw))
        return 1;
    const double magnitude = std::pow(10.0, std::floor(std::log10(raw)));
    const double f = raw / magnitude;
    return (f <= 1 ? 1 : f <= 2 ? 2 : f <= 5 ? 5 : 10) * magnitude;
}

NumberPattern labelPattern(double step)
{
    if (step >= 1)
        return NumberPattern::Whole;
    if (step >= 0.1)
        return NumberPattern::OneDecimal;
    if (step >= 0.01)
        return NumberPattern::TwoDecimals;
    return NumberPattern::ThreeDecimals;
}

struct DataRange {
    double low = std::numeric_limits<double>::infinity();
    double high = -std::numeric_limits<double>::infinity();
    double start = 0;  // the largest value at no cut
    bool any() const { return low <= high; }
};

DataRange dataRange(const ChartSeries& s)
{
    DataRange range;
    for (std::size_t i = 0; i < s.values.size(); ++i) {
        if (!s.values[i])
            continue;
        const Band& b = *s.values[i];
        range.low = std::min({range.low, b.value, s.banded ? b.low : b.value});
        range.high = std::max({range.high, b.value, s.banded ? b.high : b.value});
        if (i == 0)
            range.start = s.banded ? b.high : b.value;
    }
    return range;
}

// Whether the target line lies on the scale of the data.
bool targetOnScale(const ChartSeries& s, const DataRange& range)
{
    if (!range.any() || s.scale == ChartScale::Percent)
        return true;
    const double span = std::max(range.high - range.low, std::abs(range.high));
    return s.target <= range.high + TargetReach * span && s.target >= range.low - TargetReach * span;
}

TextStyle chartText(const ChartBox& box, Rgb colour)
{
    return TextStyle{ReportFontName, box.pointSize, colour, ReportWhite};
}

// The runs of consecutive points that have values.
std::vector<std::pair<std::size_t, std::size_t>> runsWithValues(const ChartSeries& s)
{
    std::vector<std::pair<std::size_t, std::size_t>> runs;
    for (std::size_t i = 0; i < s.values.size();) {
        if (!s.values[i]) {
            ++i;
            continue;
        }
        std::size_t end = i;
        while (end < s.values.size() && s.values[end])
            ++end;
        runs.emplace_back(i, end);
        i = end;
    }
    return runs;
}

class ChartBuilder {
public:
    ChartBuilder(const ChartSeries& series, const ChartBox& box, const NumberFormat& format)
        : s_(series), box_(box), format_(format), frame_(chartFrame(series, box)),
          thin_(std::max(1, box.lineHeight / 14))
    {
    }

    std::vector<ReportItem> build()
    {
        items_.emplace_back(ReportRect{box_.left, box_.top, box_.left + box_.width, box_.top + box_.height, ReportWhite});
        addGridAndSideLabels();
        if (s_.banded)
            addBand();
        addBottom();
        addTarget();
        addCurve();
        addAnswer();
        addAxes();
        addTitleAndLegend();
        return std::move(items_);
    }

private:
    void text(int x, int y, std::string t, Rgb colour, TextAnchor anchor)
    {
        items_.emplace_back(ReportText{x, y, std::move(t), chartText(box_, colour), anchor});
    }

    ReportPoint at(std::size_t i, double value) const
    {
        return {frame_.xOf(s_.percent[i]), frame_.yOf(value)};
    }

    ExactPoint exactAt(std::size_t i, double value) const
    {
        return {static_cast<double>(frame_.xOf(s_.percent[i])), frame_.yExact(value)};
    }

    void addGridAndSideLabels()
    {
        const NumberPattern pattern = labelPattern(frame_.yStep);
        const int steps = static_cast<int>(std::lround((frame_.yMax - frame_.yMin) / frame_.yStep));
        for (int i = 0; i <= steps; ++i) {
            const double value = frame_.yMin + i * frame_.yStep;
            const int y = frame_.yOf(value);
            items_.emplace_back(ReportLine{frame_.left, y, frame_.right, y, ChartGridGrey, thin_});
            text(frame_.left - box_.lineHeight / 3, y, formatNumber(value, pattern, format_), ReportBlack,
                 TextAnchor::MiddleRight);
        }
    }

    void addBand()
    {
        for (const auto& [first, end] : runsWithValues(s_)) {
            std::vector<ExactPoint> outline;
            for (std::size_t i = first; i < end; ++i)
                outline.push_back(exactAt(i, s_.values[i]->high));
            for (std::size_t i = end; i-- > first;)
                outline.push_back(exactAt(i, s_.values[i]->low));
            ReportPolygon band{clipPolygon(outline, frame_.top, frame_.bottom), ChartBandBlue};
            if (!band.points.empty())
                items_.emplace_back(std::move(band));
        }
    }

    // The lake's mean depth on a Secchi depth chart: the curve stops there.
    void addBottom()
    {
        if (!s_.bottom || *s_.bottom > frame_.yMax)
            return;
        const int y = frame_.yOf(*s_.bottom);
        items_.emplace_back(ReportLine{frame_.left, y, frame_.right, y, ChartBottomBrown, thin_});
        text(frame_.left + box_.lineHeight / 3, y - box_.lineHeight, "lake bottom (mean depth)", ChartBottomBrown,
             TextAnchor::TopLeft);
    }

    void addTarget()
    {
        const int width = std::max(1, box_.lineHeight / 8);
        if (!targetOnScale(s_, dataRange(s_))) {
            text(frame_.right, frame_.top, "target off the scale", ChartTargetRed, TextAnchor::TopRight);
            return;
        }
        const int y = frame_.yOf(s_.target);
        items_.emplace_back(ReportLine{frame_.left, y, frame_.right, y, ChartTargetRed, width});
    }

    void addCurve()
    {
        for (const auto& [first, end] : runsWithValues(s_)) {
            std::vector<ExactPoint> points;
            for (std::size_t i = first; i < end; ++i)
                points.push_back(exactAt(i, s_.values[i]->value));
            for (std::vector<ReportPoint>& stretch : clipPolyline(points, frame_.top, frame_.bottom))
                items_.emplace_back(ReportPolyline{std::move(stretch), ChartCurveBlue, std::max(2, box_.lineHeight / 6)});
        }
    }

    void addAnswer()
    {
        if (!s_.answerPercent || !targetOnScale(s_, dataRange(s_)))
            return;
        const int x = frame_.xOf(*s_.answerPercent);
        const int y = frame_.yOf(s_.target);
        const int half = std::max(2, box_.lineHeight / 5);
        items_.emplace_back(ReportLine{x, frame_.bottom, x, y, ChartAnswerGreen, std::max(1, box_.lineHeight / 10)});
        items_.emplace_back(ReportRect{x - half, y - half, x + half + 1, y + half + 1, ChartAnswerGreen});
        // Beside the marker, on the side with room: right of a cut up to half, left of a larger one.
        const bool leftOfMarker = *s_.answerPercent > 50;
        const int gap = box_.lineHeight / 3;
        std::string label = formatNumber(*s_.answerPercent, NumberPattern::OneDecimal, format_) + " %";
        const int width = static_cast<int>(label.size()) * box_.lineHeight / 2;  // wider than its characters
        const int left = leftOfMarker ? x - gap - width : x + gap;
        text(leftOfMarker ? x - gap : x + gap, answerLabelTop(left, left + width, y), std::move(label),
             ChartAnswerGreen, leftOfMarker ? TextAnchor::TopRight : TextAnchor::TopLeft);
    }

    // Where the answer's label between left and right stands: near the bottom of the frame, or
    // where the curve passes there, just above or below the target line (the side the curve is
    // not on), so that the opaque label never hides the curve.
    int answerLabelTop(int left, int right, int targetY) const
    {
        const int height = box_.lineHeight;
        const int gap = box_.lineHeight / 3;
        for (const int top : {frame_.bottom - height * 3 / 2, targetY - gap - height, targetY + gap}) {
            const bool inFrame = top >= frame_.top && top + height <= frame_.bottom;
            if (inFrame && !curvePasses(left, right, top, top + height))
                return top;
        }
        return frame_.bottom - height * 3 / 2;
    }

    // Whether the curve has a point in the rectangle, or near enough for its pen to reach it.
    bool curvePasses(int left, int right, int top, int bottom) const
    {
        const int pen = box_.lineHeight / 6 + 1;
        for (std::size_t i = 0; i < s_.values.size(); ++i) {
            if (!s_.values[i])
                continue;
            const ReportPoint p = at(i, s_.values[i]->value);
            if (p.x >= left - pen && p.x <= right + pen && p.y >= top - pen && p.y <= bottom + pen)
                return true;
        }
        return false;
    }

    void addAxes()
    {
        items_.emplace_back(ReportLine{frame_.left, frame_.top, frame_.left, frame_.bottom, ReportBlack, thin_});
        items_.emplace_back(ReportLine{frame_.left, frame_.bottom, frame_.right, frame_.bottom, ReportBlack, thin_});
        const int tick = std::max(2, box_.lineHeight / 4);
        for (int p = 0; p <= 100; p += PercentStep) {
            const int x = frame_.xOf(p);
            items_.emplace_back(ReportLine{x, frame_.bottom, x, frame_.bottom + tick, ReportBlack, thin_});
            if (p % PercentLabelStep == 0)
                text(x, frame_.bottom + tick, std::to_string(p), ReportBlack, TextAnchor::TopCentre);
        }
        text((frame_.left + frame_.right) / 2, frame_.bottom + tick + box_.lineHeight, "Watershed load cut (%)",
             ReportBlack, TextAnchor::TopCentre);
    }

    void addTitleAndLegend()
    {
        const int y = box_.top + box_.lineHeight / 4;
        text(box_.left + box_.lineHeight / 2, y, s_.title, ReportBlack, TextAnchor::TopLeft);
        const int sample = box_.lineHeight;
        const int middle = y + box_.lineHeight / 2;
        int x = (frame_.left + frame_.right) / 2;
        if (s_.banded) {
            items_.emplace_back(ReportRect{x, middle - sample / 4, x + sample, middle + sample / 4, ChartBandBlue});
            text(x + sample + box_.lineHeight / 3, y, "90 % band", ReportBlack, TextAnchor::TopLeft);
            x += 6 * box_.lineHeight;
        }
        items_.emplace_back(ReportLine{x, middle, x + sample, middle, ChartTargetRed, std::max(1, box_.lineHeight / 8)});
        text(x + sample + box_.lineHeight / 3, y, "target", ChartTargetRed, TextAnchor::TopLeft);
    }

    const ChartSeries& s_;
    const ChartBox& box_;
    const NumberFormat& format_;
    const ChartFrame frame_;
    const int thin_;  // pen width of axes and grid, device pixels
    std::vector<ReportItem> items_;
};

}  // namespace

int ChartFrame::xOf(double percent) const
{
    return left + static_cast<int>(std::lround((right - left) * percent / 100));
}

int ChartFrame::yOf(double value) const
{
    const double clamped = std::clamp(value, yMin, yMax);
    return bottom - static_cast<int>(std::lround((bottom - top) * (clamped - yMin) / (yMax - yMin)));
}

double ChartFrame::yExact(double value) const
{
    return bottom - (bottom - top) * (value - yMin) / (yMax - yMin);
}

namespace {

ReportPoint rounded(const ExactPoint& p)
{
    return {static_cast<int>(std::lround(p.x)), static_cast<int>(std::lround(p.y))};
}

// Where the segment from a to b crosses the height y.
ExactPoint crossing(const ExactPoint& a, const ExactPoint& b, double y)
{
    const double t = (y - a.y) / (b.y - a.y);
    return {a.x + t * (b.x - a.x), y};
}

// The polygon's part on the inner side of one height: above it (keepBelow false) or below.
std::vector<ExactPoint> clipAtHeight(const std::vector<ExactPoint>& points, double y, bool keepBelow)
{
    const auto inside = [&](const ExactPoint& p) { return keepBelow ? p.y <= y : p.y >= y; };
    std::vector<ExactPoint> kept;
    for (std::size_t i = 0; i < points.size(); ++i) {
        const ExactPoint& a = points[i];
        const ExactPoint& b = points[(i + 1) % points.size()];
        if (inside(a))
            kept.push_back(a);
        if (inside(a) != inside(b))
            kept.push_back(crossing(a, b, y));
    }
    return kept;
}

}  // namespace

std::vector<std::vector<ReportPoint>> clipPolyline(const std::vector<ExactPoint>& points, int top, int bottom)
{
    const auto inside = [&](const ExactPoint& p) { return p.y >= top && p.y <= bottom; };
    const auto edgeBetween = [&](const ExactPoint& a, const ExactPoint& b) {
        return (a.y < top) != (b.y < top) ? static_cast<double>(top) : static_cast<double>(bottom);
    };
    std::vector<std::vector<ReportPoint>> stretches;
    std::vector<ReportPoint> stretch;
    for (std::size_t i = 0; i < points.size(); ++i) {
        const ExactPoint& p = points[i];
        if (i > 0 && inside(p) != inside(points[i - 1]))
            stretch.push_back(rounded(crossing(points[i - 1], p, edgeBetween(points[i - 1], p))));
        else if (i > 0 && !inside(p) && (p.y < top) != (points[i - 1].y < top)) {
            // From above the frame to below it, or back, in one step: the piece in between.
            stretches.push_back({rounded(crossing(points[i - 1], p, top)), rounded(crossing(points[i - 1], p, bottom))});
        }
        if (inside(p)) {
            stretch.push_back(rounded(p));
        } else if (!stretch.empty()) {
            stretches.push_back(std::move(stretch));
            stretch.clear();
        }
    }
    if (!stretch.empty())
        stretches.push_back(std::move(stretch));
    return stretches;
}

std::vector<ReportPoint> clipPolygon(const std::vector<ExactPoint>& points, int top, int bottom)
{
    std::vector<ReportPoint> clipped;
    for (const ExactPoint& p : clipAtHeight(clipAtHeight(points, top, false), bottom, true))
        clipped.push_back(rounded(p));
    return clipped;
}

ChartFrame chartFrame(const ChartSeries& s, const ChartBox& box)
{
    const int lh = box.lineHeight;
    ChartFrame f{};
    f.left = box.left + 4 * lh;
    f.right = box.left + box.width - lh;
    f.top = box.top + 2 * lh;
    f.bottom = box.top + box.height - 3 * lh;

    const DataRange range = dataRange(s);
    double low = range.any() ? range.low : 0;
    double high = range.any() ? range.high : 1;
    if (s.risesWithCut && range.any())
        high = std::min(high, SecchiHeadroom * std::max(range.start, s.target));
    if (targetOnScale(s, range)) {
        low = std::min(low, s.target);
        high = std::max(high, s.target);
    }
    if (s.scale != ChartScale::Free)
        low = 0;  // concentrations, depths and frequencies start at nothing
    if (s.scale == ChartScale::Free) {
        low = std::max(low, 0.0);  // an index has no meaning beyond Carlson's scale
        high = std::min(high, 100.0);
    }
    if (s.scale == ChartScale::Percent)
        high = std::min(high, 100.0);
    f.yStep = niceStep((high - low) / LabelledSteps);
    f.yMin = std::floor(low / f.yStep) * f.yStep;
    f.yMax = std::ceil(high / f.yStep) * f.yStep;
    if (!(f.yMax > f.yMin))
        f.yMax = f.yMin + f.yStep;
    return f;
}

std::vector<ReportItem> layoutResponseChart(const ChartSeries& series, const ChartBox& box, const NumberFormat& format)
{
    return ChartBuilder(series, box, format).build();
}

}  // namespace trophex
