#include "print/reportpainter.h"

#include <QFont>
#include <QFontMetrics>
#include <QPaintDevice>
#include <QPainter>
#include <QPen>
#include <QPolygonF>
#include <QString>

#include <algorithm>
#include <cmath>

namespace trophex {

namespace {

QColor toQColor(Rgb rgb)
{
    return QColor(rgb.red, rgb.green, rgb.blue);
}

// Point sizes are meant for the device, so the pixel size comes from its own resolution
// rather than from the screen's.
QFont deviceFont(const TextStyle& style, const QPaintDevice& device)
{
    QFont font(QString::fromStdString(style.fontName));
    font.setStyleStrategy(QFont::PreferAntialias);
    const double pixels = style.pointSize * device.logicalDpiY() / 72.0;
    font.setPixelSize(std::max(1, static_cast<int>(std::lround(pixels))));
    return font;
}

// The top-left corner of the character cells of a text of this size placed by its anchor.
QPoint cellCorner(const ReportText& item, int width, int height)
{
    switch (item.anchor) {
    case TextAnchor::TopLeft:
        break;
    case TextAnchor::TopCentre:
        return {item.x - width / 2, item.y};
    case TextAnchor::TopRight:
        return {item.x - width, item.y};
    case TextAnchor::MiddleRight:
        return {item.x - width, item.y - height / 2};
    }
    return {item.x, item.y};
}

// Opaque text: the character cells are filled with the background first, and the
// characters are placed so that the cells' anchor point is at (x, y).
void drawText(QPainter& painter, const ReportText& item)
{
    const QFont font = deviceFont(item.style, *painter.device());
    const QFontMetrics metrics(font, painter.device());
    const QString text = QString::fromStdString(item.text);
    const QPoint corner = cellCorner(item, metrics.horizontalAdvance(text), metrics.height());
    painter.fillRect(QRect(corner, QSize(metrics.horizontalAdvance(text), metrics.height())),
                     toQColor(item.style.background));
    painter.setFont(font);
    painter.setPen(toQColor(item.style.colour));
    painter.drawText(QPoint(corner.x(), corner.y() + metrics.ascent()), text);
}

QPolygonF polygonOf(const std::vector<ReportPoint>& points)
{
    QPolygonF polygon;
    for (const ReportPoint& p : points)
        polygon << QPointF(p.x, p.y);
    return polygon;
}

void drawPolygon(QPainter& painter, const ReportPolygon& item)
{
    painter.setPen(Qt::NoPen);
    painter.setBrush(toQColor(item.colour));
    painter.drawPolygon(polygonOf(item.points));
    painter.setBrush(Qt::NoBrush);
}

void drawPolyline(QPainter& painter, const ReportPolyline& item)
{
    painter.setPen(QPen(toQColor(item.colour), item.width, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    painter.drawPolyline(polygonOf(item.points));
}

void drawRect(QPainter& painter, const ReportRect& item)
{
    painter.fillRect(QRect(QPoint(item.left, item.top), QPoint(item.right - 1, item.bottom - 1)),
                     toQColor(item.colour));
}

void drawLine(QPainter& painter, const ReportLine& item)
{
    painter.setPen(QPen(toQColor(item.colour), item.width, Qt::SolidLine, Qt::FlatCap));
    painter.drawLine(QPointF(item.x1, item.y1), QPointF(item.x2, item.y2));
}

}  // namespace

void paintItems(QPainter& painter, const std::vector<ReportItem>& items)
{
    painter.save();
    for (const ReportItem& item : items) {
        if (const auto* text = std::get_if<ReportText>(&item))
            drawText(painter, *text);
        else if (const auto* rect = std::get_if<ReportRect>(&item))
            drawRect(painter, *rect);
        else if (const auto* line = std::get_if<ReportLine>(&item))
            drawLine(painter, *line);
        else if (const auto* polygon = std::get_if<ReportPolygon>(&item))
            drawPolygon(painter, *polygon);
        else if (const auto* polyline = std::get_if<ReportPolyline>(&item))
            drawPolyline(painter, *polyline);
    }
    painter.restore();
}

void paintReport(QPainter& painter, const ReportLayout& layout)
{
    paintItems(painter, layout.items);
}

bool printPage(QPaintDevice& device, const PageLayouter& layout)
{
    QPainter painter;
    if (!painter.begin(&device))
        return false;
    paintReport(painter, layout(device.width(), device.height()));
    return painter.end();
}

bool printReport(QPaintDevice& device, const ReportTexts& texts)
{
    return printPage(device, [&](int width, int height) { return layoutReport(width, height, texts); });
}

}  // namespace trophex
