#include "ui/tsichart.h"

#include <QPainter>

namespace trophex::ui {

namespace {

constexpr int TickEvery = 50;      // pixels, 10 index units
constexpr int TickAbove = 2;       // pixels above the baseline
constexpr int TickBelow = 5;       // pixels below the baseline
constexpr int RangeAboveBottom = 5;
constexpr int MarkerAboveBottom = 10;
constexpr int MarkerPenWidth = 5;

int sign(int v)
{
    return (v > 0) - (v < 0);
}

// A line of the painter's pen colour, one pixel wide, from one point up to but not
// including the other; the chart draws only horizontal and vertical lines.
void lineTo(QPainter& painter, QPoint from, QPoint to)
{
    if (from == to)
        return;
    const QPoint last = to - QPoint(sign(to.x() - from.x()), sign(to.y() - from.y()));
    painter.fillRect(QRect(from, last).normalized(), painter.pen().color());
}

}  // namespace

const QColor& chartSilver()
{
    static const QColor Silver(192, 192, 192);
    return Silver;
}

QColor barCellColour(int cell)
{
    return QColor(0, 128, 5 * (CellCount - cell));
}

void drawTsiBars(QPainter& painter)
{
    for (int row = 0; row < 4; ++row) {
        const int offset = row * RowStep;
        for (int cell = 0; cell < CellCount; ++cell) {
            // One pixel wider than the cell but for the last: the next cell paints over it,
            // and a scaled picture of the chart shows no seams between cells.
            const int width = cell + 1 < CellCount ? CellWidth + 1 : CellWidth;
            painter.fillRect(QRect(CellWidth * cell, BarTop + offset, width, BarBottom - BarTop), barCellColour(cell));
        }
    }
    painter.setPen(QPen(Qt::black, 1));
    for (int row = 0; row < 4; ++row) {
        const int baseline = BarBottom + row * RowStep;
        lineTo(painter, QPoint(0, baseline), QPoint(CellWidth * CellCount, baseline));
        for (int x = 0; x <= CellWidth * CellCount; x += TickEvery)
            lineTo(painter, QPoint(x, baseline - TickAbove), QPoint(x, baseline + TickBelow));
    }
}

void DrawEcoRegInt(QPainter& painter, const TsiRanges& ranges, int barBottom, int rowStep)
{
    for (int row = 0; row < 4; ++row) {
        const int y = barBottom - RangeAboveBottom + row * rowStep;
        lineTo(painter, QPoint(PixelsPerIndex * ranges[row].low, y), QPoint(PixelsPerIndex * ranges[row].high, y));
    }
}

void GraphTSIresults(QPainter& painter, int rowStep, int barBottom, const std::array<std::optional<int>, 4>& values)
{
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.setPen(QPen(Qt::white, MarkerPenWidth, Qt::SolidLine, Qt::RoundCap));
    for (int row = 0; row < 4; ++row) {
        if (!values[row])
            continue;
        const int x = PixelsPerIndex * *values[row];
        const int y = barBottom - MarkerAboveBottom + row * rowStep;
        painter.drawLine(QPoint(x, y), QPoint(x, y - 1));
    }
    painter.restore();
}

void drawTsiChart(QPainter& painter, const TsiRanges& ranges, const std::array<std::optional<int>, 4>& values)
{
    drawTsiBars(painter);
    painter.setPen(QPen(Qt::red, 1));
    DrawEcoRegInt(painter, ranges, BarBottom, RowStep);
    GraphTSIresults(painter, RowStep, BarBottom, values);
}

TsiChart::TsiChart(QWidget* parent)
    : QWidget(parent), surface_(ChartWidth, ChartHeight, QImage::Format_ARGB32_Premultiplied)
{
    setFixedSize(ChartWidth, ChartHeight);
    surface_.fill(Qt::transparent);
}

void TsiChart::SaveTSIgraph()
{
    TSIrect_ = QRect(0, 0, width(), height());
    TSIbitmap_ = surface_.copy(TSIrect_);
}

void TsiChart::copyBitmapToSurface()
{
    QPainter painter(&surface_);
    painter.setCompositionMode(QPainter::CompositionMode_Source);
    painter.drawImage(TSIrect_, *TSIbitmap_, TSIrect_);
}

void TsiChart::eraseToSilver()
{
    QPainter painter(&surface_);
    painter.fillRect(TSIrect_, chartSilver());
    update();
}

void TsiChart::paintEvent(QPaintEvent*)
{
    if (repaintHandler_)
        repaintHandler_();
    QPainter painter(this);
    painter.drawImage(0, 0, surface_);
}

void TsiChart::showEvent(QShowEvent*)
{
    surface_.fill(Qt::transparent);
}

}  // namespace trophex::ui
