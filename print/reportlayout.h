#pragma once
// The one-page report as a list of things to draw, in drawing order, computed from the
// printable area alone so that it can be checked without a printer.
//
// Coordinates are device pixels, origin at the top-left corner of the printable area,
// x to the right, y downwards.

#include "print/reporttexts.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace trophex {

struct Rgb {
    std::uint8_t red;    // 0..255
    std::uint8_t green;  // 0..255
    std::uint8_t blue;   // 0..255

    friend bool operator==(Rgb a, Rgb b) { return a.red == b.red && a.green == b.green && a.blue == b.blue; }
    friend bool operator!=(Rgb a, Rgb b) { return !(a == b); }
};

inline constexpr Rgb ReportGreen{0, 128, 0};
inline constexpr Rgb ReportWhite{255, 255, 255};
inline constexpr Rgb ReportBlack{0, 0, 0};
inline constexpr Rgb ReportMagenta{255, 0, 255};

inline constexpr const char* ReportFontName = "Arial";
inline constexpr int TitlePointSize = 16;
inline constexpr int BodyPointSize = 12;
inline constexpr int ScalePointSize = 10;

struct TextStyle {
    std::string fontName;  // font family
    int pointSize;         // font size in points on the device
    Rgb colour;            // colour of the characters
    Rgb background;        // brush colour that fills the character cells (opaque text)
};

// Which point of its text a text item's (x, y) gives.
enum class TextAnchor {
    TopLeft,      // the top-left corner of the first character's cell
    TopCentre,    // the middle of the top edge
    TopRight,     // the top-right corner of the last character's cell
    MiddleRight,  // the middle of the right edge
};

struct ReportText {
    int x;             // device pixels, placed as the anchor says
    int y;             // device pixels, placed as the anchor says
    std::string text;  // UTF-8
    TextStyle style;   // font and colours
    TextAnchor anchor = TextAnchor::TopLeft;  // which point of the text (x, y) is
};

// A filled rectangle; right and bottom edges are exclusive.
struct ReportRect {
    int left;    // device pixels
    int top;     // device pixels
    int right;   // device pixels, first column not filled
    int bottom;  // device pixels, first row not filled
    Rgb colour;  // fill colour
};

// A straight line of the given pen width, centred on the segment, with flat ends.
struct ReportLine {
    int x1;      // start, device pixels
    int y1;      // start, device pixels
    int x2;      // end, device pixels
    int y2;      // end, device pixels
    Rgb colour;  // pen colour
    int width;   // pen width, device pixels
};

struct ReportPoint {
    int x;  // device pixels
    int y;  // device pixels
};

// A filled polygon without outline.
struct ReportPolygon {
    std::vector<ReportPoint> points;  // corners in order
    Rgb colour{};                     // fill colour
};

// Connected straight lines through the points, with round joins.
struct ReportPolyline {
    std::vector<ReportPoint> points;  // in order
    Rgb colour{};                     // pen colour
    int width = 1;                    // pen width, device pixels
};

using ReportItem = std::variant<ReportText, ReportRect, ReportLine, ReportPolygon, ReportPolyline>;

// The integer units that every position of the page derives from.
struct ReportUnits {
    int Lh;  // line unit: printable height div 50
    int Cw;  // column unit: printable width div 8
    int U;   // one trophic state index point along the bars: (4 * Cw) div 100
    int x0;  // left end of the index bars, where index 0 lies: 3 * Cw
};

ReportUnits reportUnits(int printableWidth, int printableHeight);

struct ReportLayout {
    ReportUnits units;               // the units the page was laid out with
    std::vector<ReportItem> items;   // in drawing order
};

ReportLayout layoutReport(int printableWidth, int printableHeight, const ReportTexts& texts);

// The items drawn on a device whose printable area is the given size.
using PageLayouter = std::function<ReportLayout(int printableWidth, int printableHeight)>;

// One ecoregion range line across the index bar at height Y, from index Low to High.
ReportLine PrintEcoRegLine(int Cw, int Y, int U, int Low, int High, int Lh);

// The whole number an index box holds, or nullopt when it holds anything else.
std::optional<int> readIndexBox(std::string_view text);

}  // namespace trophex
