#include "ui/glyphs.h"

#include <QPainter>
#include <QPainterPath>
#include <QSvgRenderer>

#include <functional>

namespace trophex::ui {

namespace {

constexpr int GlyphSize = 20;

const QColor Outline(40, 40, 40);

QPixmap drawnPixmap(QSize size, const std::function<void(QPainter&)>& draw)
{
    QPixmap pixmap(size);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    draw(painter);
    return pixmap;
}

QIcon glyph(const std::function<void(QPainter&)>& draw)
{
    return QIcon(drawnPixmap(QSize(GlyphSize, GlyphSize), draw));
}

QPen outlinePen(qreal width = 1.2)
{
    return QPen(Outline, width, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
}

// Black and white quarters of a Secchi disk centred on c.
void drawSecchiDisk(QPainter& p, QPointF c, qreal radius)
{
    const QRectF box(c.x() - radius, c.y() - radius, 2 * radius, 2 * radius);
    p.setPen(Qt::NoPen);
    for (int quarter = 0; quarter < 4; ++quarter) {
        p.setBrush(quarter % 2 == 0 ? Qt::black : Qt::white);
        p.drawPie(box, quarter * 90 * 16, 90 * 16);
    }
    p.setPen(QPen(Qt::black, 1));
    p.setBrush(Qt::NoBrush);
    p.drawEllipse(box);
}

void drawWaves(QPainter& p, qreal left, qreal right, qreal y, qreal amplitude, const QPen& pen)
{
    QPainterPath wave;
    wave.moveTo(left, y);
    const qreal step = 2 * amplitude + 2;
    for (qreal x = left; x < right; x += 2 * step) {
        wave.quadTo(x + step / 2, y - amplitude, x + step, y);
        wave.quadTo(x + 1.5 * step, y + amplitude, x + 2 * step, y);
    }
    p.setPen(pen);
    p.setBrush(Qt::NoBrush);
    p.drawPath(wave);
}

}  // namespace

QIcon calibrateGlyph()
{
    return glyph([](QPainter& p) {
        const qreal knobs[3] = {6, 13, 9};
        for (int i = 0; i < 3; ++i) {
            const qreal x = 4.5 + 5.5 * i;
            p.setPen(QPen(Outline, 1.6, Qt::SolidLine, Qt::RoundCap));
            p.drawLine(QPointF(x, 2.5), QPointF(x, 17.5));
            p.setPen(outlinePen(1));
            p.setBrush(QColor(230, 120, 30));
            p.drawRoundedRect(QRectF(x - 2.5, knobs[i] - 2, 5, 4), 1, 1);
        }
    });
}

QIcon calculateGlyph()
{
    return glyph([](QPainter& p) {
        p.setPen(outlinePen());
        p.setBrush(QColor(150, 160, 175));
        p.drawRoundedRect(QRectF(3.5, 1.5, 13, 17), 2, 2);
        p.setBrush(QColor(190, 230, 190));
        p.drawRect(QRectF(5.5, 3.5, 9, 4));
        p.setPen(Qt::NoPen);
        for (int row = 0; row < 3; ++row)
            for (int col = 0; col < 3; ++col) {
                p.setBrush(row == 2 && col == 2 ? QColor(220, 60, 40) : QColor(250, 250, 250));
                p.drawRect(QRectF(5.5 + 3.2 * col, 9.5 + 2.8 * row, 2.4, 2));
            }
    });
}

QIcon printGlyph()
{
    return glyph([](QPainter& p) {
        p.setPen(outlinePen(1));
        p.setBrush(Qt::white);
        p.drawRect(QRectF(5.5, 1.5, 9, 7));
        p.setBrush(QColor(120, 125, 135));
        p.drawRoundedRect(QRectF(1.5, 7.5, 17, 7), 1.5, 1.5);
        p.setBrush(Qt::white);
        p.drawRect(QRectF(5.5, 12.5, 9, 6));
        p.setPen(QPen(QColor(90, 90, 90), 0.8));
        p.drawLine(QPointF(7, 14.8), QPointF(13, 14.8));
        p.drawLine(QPointF(7, 16.6), QPointF(12, 16.6));
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(60, 200, 60));
        p.drawEllipse(QPointF(15.5, 10), 1, 1);
    });
}

QIcon saveGlyph()
{
    return glyph([](QPainter& p) {
        p.setPen(outlinePen(1));
        QPainterPath body;
        body.moveTo(2.5, 2.5);
        body.lineTo(15, 2.5);
        body.lineTo(17.5, 5);
        body.lineTo(17.5, 17.5);
        body.lineTo(2.5, 17.5);
        body.closeSubpath();
        p.setBrush(QColor(40, 80, 160));
        p.drawPath(body);
        p.setBrush(QColor(210, 215, 225));
        p.drawRect(QRectF(5.5, 2.5, 8, 5));
        p.setBrush(QColor(60, 60, 60));
        p.drawRect(QRectF(10.5, 3.5, 2, 3));
        p.setBrush(Qt::white);
        p.drawRect(QRectF(4.5, 10.5, 11, 7));
    });
}

QIcon openGlyph()
{
    return glyph([](QPainter& p) {
        p.setPen(outlinePen(1));
        QPainterPath back;
        back.moveTo(1.5, 16.5);
        back.lineTo(1.5, 4.5);
        back.lineTo(6.5, 4.5);
        back.lineTo(8, 6.5);
        back.lineTo(15.5, 6.5);
        back.lineTo(15.5, 16.5);
        back.closeSubpath();
        p.setBrush(QColor(200, 150, 40));
        p.drawPath(back);
        QPainterPath front;
        front.moveTo(1.5, 16.5);
        front.lineTo(5, 9.5);
        front.lineTo(18.5, 9.5);
        front.lineTo(15.5, 16.5);
        front.closeSubpath();
        p.setBrush(QColor(250, 210, 90));
        p.drawPath(front);
    });
}

QIcon clearGlyph()
{
    return glyph([](QPainter& p) {
        p.translate(10, 10);
        p.rotate(-40);
        p.setPen(outlinePen(1));
        p.setBrush(QColor(235, 110, 130));
        p.drawRoundedRect(QRectF(-8, -4, 9, 8), 1.5, 1.5);
        p.setBrush(QColor(90, 130, 210));
        p.drawRoundedRect(QRectF(1, -4, 7, 8), 1.5, 1.5);
        p.resetTransform();
        p.setPen(QPen(QColor(120, 120, 120), 1, Qt::DotLine));
        p.drawLine(QPointF(2, 18.5), QPointF(18, 18.5));
    });
}

QIcon helpGlyph()
{
    return glyph([](QPainter& p) {
        p.setPen(QPen(QColor(20, 60, 140), 1));
        p.setBrush(QColor(50, 110, 210));
        p.drawEllipse(QRectF(1.5, 1.5, 17, 17));
        QFont font(QStringLiteral("Arial"));
        font.setPixelSize(14);
        font.setBold(true);
        p.setFont(font);
        p.setPen(Qt::white);
        p.drawText(QRectF(1.5, 1.5, 17, 17), Qt::AlignCenter, QStringLiteral("?"));
    });
}

QIcon okGlyph()
{
    return glyph([](QPainter& p) {
        QPainterPath tick;
        tick.moveTo(3, 10.5);
        tick.lineTo(8, 15.5);
        tick.lineTo(17, 4.5);
        p.setPen(QPen(QColor(20, 120, 30), 3.2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        p.setBrush(Qt::NoBrush);
        p.drawPath(tick);
    });
}

QIcon defaultGlyph()
{
    return glyph([](QPainter& p) {
        p.setPen(QPen(QColor(30, 90, 170), 2.4, Qt::SolidLine, Qt::RoundCap));
        p.setBrush(Qt::NoBrush);
        p.drawArc(QRectF(3.5, 3.5, 13, 13), 100 * 16, 290 * 16);
        QPainterPath head;
        head.moveTo(5.5, 1);
        head.lineTo(11.5, 3.8);
        head.lineTo(6.5, 8);
        head.closeSubpath();
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(30, 90, 170));
        p.drawPath(head);
    });
}

QPixmap programIcon(int size)
{
    QSvgRenderer icon(QStringLiteral(":/icons/org.trophex.Trophex.svg"));
    return drawnPixmap(QSize(size, size), [&icon](QPainter& p) { icon.render(&p); });
}

QPixmap secchiDiskPicture(QSize size)
{
    return drawnPixmap(size, [size](QPainter& p) {
        p.scale(size.width() / 48.0, size.height() / 40.0);
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(225, 240, 250));
        p.drawRect(QRectF(0, 0, 48, 14));
        QLinearGradient water(0, 14, 0, 40);
        water.setColorAt(0, QColor(60, 150, 130));
        water.setColorAt(1, QColor(15, 60, 55));
        p.setBrush(water);
        p.drawRect(QRectF(0, 14, 48, 26));
        drawWaves(p, 0, 48, 14, 1.5, QPen(QColor(200, 240, 235), 1.2));
        p.setPen(QPen(QColor(90, 60, 30), 1));
        p.drawLine(QPointF(24, 0), QPointF(24, 27));
        for (qreal y = 4; y < 27; y += 5)
            p.drawLine(QPointF(22.5, y), QPointF(25.5, y));
        p.save();
        p.translate(24, 29);
        p.scale(1, 0.45);
        drawSecchiDisk(p, QPointF(0, 0), 9);
        p.restore();
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(20, 60, 55, 90));
        p.drawRect(QRectF(0, 30, 48, 10));
    });
}

}  // namespace trophex::ui
