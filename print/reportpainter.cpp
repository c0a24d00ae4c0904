#include "print/reportpainter.h"

#include <QFont>
#include <QFontMetrics>
#include <QPaintDevice>
#include <QPainter>
#include <QPen>
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

// Opaque text: the character cells are filled with the background first, and the
// characters are placed so that the cells' top-left corner is at (x, y).
void drawText(QPainter& painter, const ReportText& item)
{
    const QFont font = deviceFont(item.style, *painter.device());
    const QFontMetrics metrics(font, painter.device());
    const QString text = QString::fromStdString(item.text);
    painter.fillRect(QRect(item.x, item.y, metrics.horizontalAdvance(text), metrics.height()),
                     toQColor(item.style.background));
    painter.setFont(font);
    painter.setPen(toQColor(item.style.colour));
    painter.drawText(QPoint(item.x, item.y + metrics.ascent()), text);
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

void paintReport(QPainter& painter, const ReportLayout& layout)
{
    painter.save();
    for (const ReportItem& item : layout.items) {
        if (const auto* text = std::get_if<ReportText>(&item))
            drawText(painter, *text);
        else if (const auto* rect = std::get_if<ReportRect>(&item))
            drawRect(painter, *rect);
        else if (const auto* line = std::get_if<ReportLine>(&item))
            drawLine(painter, *line);
    }
    painter.restore();
}

bool printReport(QPaintDevice& device, const ReportTexts& texts)
{
    QPainter painter;
    if (!painter.begin(&device))
        return false;
    paintReport(painter, layoutReport(device.width(), device.height(), texts));
    return painter.end();
}

}  // namespace trophex
