#pragma once
// The trophic state chart: four colour bars on the index scale 0 to 100, red lines over
// the ecoregion's typical ranges and white markers at the lake's indices.
//
// The chart surface holds what the paint box shows. Drawing while the surface is hidden
// leaves no lasting picture: the surface starts blank each time it is shown, and only the
// off-screen copy taken while it was shown (TSIbitmap) is copied back on repaint.

#include "model/ecoregion.h"

#include <QImage>
#include <QWidget>

#include <array>
#include <functional>
#include <optional>

class QPainter;

namespace trophex::ui {

inline constexpr int ChartWidth = 505;   // pixels; the index scale covers x 0 to 500
inline constexpr int ChartHeight = 137;  // pixels
inline constexpr int CellWidth = 20;     // pixels per colour cell, 4 index units
inline constexpr int CellCount = 25;     // cells per bar
inline constexpr int BarTop = 15;        // top edge of the first bar
inline constexpr int BarBottom = 30;     // bottom edge of the first bar, its baseline
inline constexpr int RowStep = 32;       // pixels from one bar to the next
inline constexpr int PixelsPerIndex = 5;

const QColor& chartSilver();

// Fill colour of cell k of every bar: blue fades from 125 at the left to 5 at the right.
QColor barCellColour(int cell);

// The four bars, their baselines and their ticks every 10 index units.
void drawTsiBars(QPainter& painter);

// The four range lines, with the painter's current pen, 5 pixels above each bar's bottom.
void DrawEcoRegInt(QPainter& painter, const TsiRanges& ranges, int barBottom, int rowStep);

// The four white markers at the index values, in chart row order (average, phosphorus,
// chlorophyll a, Secchi depth); a missing value draws no marker.
void GraphTSIresults(QPainter& painter, int rowStep, int barBottom, const std::array<std::optional<int>, 4>& values);

// The whole chart: the bars, the ranges in red and the markers.
void drawTsiChart(QPainter& painter, const TsiRanges& ranges, const std::array<std::optional<int>, 4>& values);

class TsiChart : public QWidget {
public:
    explicit TsiChart(QWidget* parent);

    QImage& surface() { return surface_; }
    const QImage& surface() const { return surface_; }

    // Copies the surface into a new off-screen bitmap, replacing the one held before.
    void SaveTSIgraph();
    bool hasBitmap() const { return TSIbitmap_.has_value(); }
    const QRect& TSIrect() const { return TSIrect_; }

    // Copies TSIrect of the bitmap onto the surface.
    void copyBitmapToSurface();
    // Fills TSIrect of the surface with silver.
    void eraseToSilver();

    // Runs before each repaint of the surface: the main window's FormPaint.
    void setRepaintHandler(std::function<void()> handler) { repaintHandler_ = std::move(handler); }

protected:
    void paintEvent(QPaintEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    QImage surface_;
    std::optional<QImage> TSIbitmap_;
    QRect TSIrect_{0, 0, 0, 0};
    std::function<void()> repaintHandler_;
};

}  // namespace trophex::ui
