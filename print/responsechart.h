#pragma once
// The chart of a load response: the target's variable against the cut of the watershed
// load, 0 to 100 %, with its 90 % band, the target as a line and the cut that meets it
// marked. Laid out as a list of things to draw in a box of a device, so that the window
// and the printed page draw the same chart and a test can check it without pixels.

#include "arithmetic/numberformat.h"
#include "response/responseresults.h"
#include "print/reportlayout.h"

#include <vector>

namespace trophex {

inline constexpr Rgb ChartCurveBlue{0, 64, 160};
inline constexpr Rgb ChartBandBlue{190, 212, 240};
inline constexpr Rgb ChartTargetRed{220, 0, 0};
inline constexpr Rgb ChartAnswerGreen{0, 128, 0};
inline constexpr Rgb ChartGridGrey{220, 220, 220};
inline constexpr Rgb ChartBottomBrown{140, 90, 40};

struct ChartBox {
    int left;        // device pixels
    int top;         // device pixels
    int width;       // device pixels
    int height;      // device pixels
    int lineHeight;  // device pixels a line of the chart's text takes
    int pointSize;   // of the chart's text, points on the device
};

// The plotting area inside the box and the values at its edges.
struct ChartFrame {
    int left;       // x of a cut of 0 %, device pixels
    int right;      // x of a cut of 100 %
    int top;        // y of yMax
    int bottom;     // y of yMin
    double yMin;    // value at the bottom edge
    double yMax;    // value at the top edge
    double yStep;   // between labelled values

    int xOf(double percent) const;
    // Values beyond the edges are drawn on the edge.
    int yOf(double value) const;
    // Where the value lies, beyond the edges too, in fractions of a pixel.
    double yExact(double value) const;
};

// A point of a curve before it is cut to the frame, in fractions of a pixel.
struct ExactPoint {
    double x;
    double y;
};

// The stretches of a polyline that lie between the heights top and bottom, each with the
// points where it crosses them: a curve that leaves the frame is cut there, not drawn along
// its edge.
std::vector<std::vector<ReportPoint>> clipPolyline(const std::vector<ExactPoint>& points, int top, int bottom);
// The part of a polygon that lies between the heights top and bottom.
std::vector<ReportPoint> clipPolygon(const std::vector<ExactPoint>& points, int top, int bottom);

ChartFrame chartFrame(const ChartSeries& series, const ChartBox& box);

std::vector<ReportItem> layoutResponseChart(const ChartSeries& series, const ChartBox& box,
                                            const NumberFormat& format);

}  // namespace trophex
