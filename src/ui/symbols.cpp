#include "ui/symbols.h"

#include <QFont>
#include <QPainter>
#include <QPainterPath>
#include <QtMath>

#include <algorithm>
#include <cmath>

namespace {

// Every symbol is drawn here rather than taken from the icon theme, so it comes in the colour asked for and
// looks the same under any theme. Every glyph is drawn on a 24-unit grid. Strokes are a whole number of device pixels
// wide and the straight ones sit on the pixel grid, so small sizes stay sharp instead of smearing across two pixels.
constexpr qreal grid = 24.0;

struct Canvas {
    QPainter &p;
    QColor color;
    qreal px; // device pixels per unit
    qreal stroke; // units

    // A stroke's centre line on the nearest pixel centre (odd widths) or pixel edge (even widths).
    qreal line(qreal v) const
    {
        const qreal device = v * px;
        const bool odd = std::max(1, qRound(stroke * px)) % 2 == 1;
        return (odd ? std::floor(device) + 0.5 : qRound(device)) / px;
    }
    QPointF at(qreal x, qreal y) const { return { line(x), line(y) }; }
    // The edge of a filled shape on a whole pixel.
    qreal edge(qreal v) const { return qRound(v * px) / px; }
    QRectF block(qreal x, qreal y, qreal w, qreal h) const
    {
        const qreal left = edge(x), top = edge(y);
        return QRectF(left, top, std::max(edge(x + w) - left, 1 / px), std::max(edge(y + h) - top, 1 / px));
    }
    bool small() const { return grid * px < 14; }

    void pen(qreal widthFactor = 1.0) const
    {
        const qreal width = std::max<qreal>(1, qRound(stroke * widthFactor * px)) / px;
        p.setPen(QPen(color, width, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        p.setBrush(Qt::NoBrush);
    }
    void fill() const
    {
        p.setPen(Qt::NoPen);
        p.setBrush(color);
    }
};

void drawCalendar(const Canvas &c)
{
    c.pen();
    const QPointF topLeft = c.at(3, 5), bottomRight = c.at(21, 21);
    c.p.drawRoundedRect(QRectF(topLeft, bottomRight), 2.5, 2.5);
    c.p.drawLine(c.at(3, 10), c.at(21, 10));
    c.p.drawLine(c.at(8, 2.5), c.at(8, 6.5));
    c.p.drawLine(c.at(16, 2.5), c.at(16, 6.5));
    if (c.small()) return; // the day grid is only noise below 14 pixels
    c.fill();
    for (const qreal y : { 13.0, 16.5 })
        for (const qreal x : { 6.5, 10.5, 14.5 })
            c.p.drawRect(c.block(x, y, 2.5, 2.5));
}

void drawListNumber(const Canvas &c)
{
    c.pen();
    for (const qreal y : { 5.5, 12.0, 18.5 })
        c.p.drawLine(c.at(10, y), c.at(21, y));
    QFont digits;
    digits.setPixelSize(8);
    digits.setWeight(QFont::Bold);
    QPainterPath numbers;
    const char *texts[] = { "1", "2", "3" };
    const qreal baselines[] = { 8.5, 15.0, 21.5 };
    for (int i = 0; i < 3; ++i)
        numbers.addText(QPointF(2.5, baselines[i]), digits, QString::fromLatin1(texts[i]));
    c.fill();
    c.p.drawPath(numbers);
}

void drawGearshape(const Canvas &c)
{
    constexpr int teeth = 8;
    constexpr qreal outer = 10.5;
    constexpr qreal inner = 8.0;
    const QPointF centre(12, 12);
    QPolygonF outline;
    for (int i = 0; i < teeth; ++i) {
        const qreal step = 2 * M_PI / teeth;
        const qreal a = i * step;
        // Each tooth spans a little under half its sector, with sloped flanks.
        const qreal angles[] = { a - 0.30 * step, a - 0.18 * step, a + 0.18 * step, a + 0.30 * step };
        const qreal radii[] = { inner, outer, outer, inner };
        for (int k = 0; k < 4; ++k)
            outline << centre + QPointF(radii[k] * std::cos(angles[k]), radii[k] * std::sin(angles[k]));
    }
    outline << outline.first();
    c.pen();
    c.p.drawPolygon(outline);
    c.p.drawEllipse(centre, 3.2, 3.2);
}

void drawExclamationTriangle(const Canvas &c)
{
    c.pen();
    const qreal base = c.line(20.5);
    const QPolygonF triangle { QPointF(c.line(12), 3), QPointF(22, base), QPointF(2, base) };
    c.p.drawPolygon(triangle);
    c.p.drawLine(c.at(12, 9), c.at(12, 13.5));
    c.fill();
    const qreal dot = std::max(c.stroke * 0.65, 0.5 / c.px);
    c.p.drawEllipse(QPointF(c.line(12), 17.3), dot, dot);
}

void drawBaseball(const Canvas &c)
{
    c.pen();
    c.p.drawEllipse(QPointF(12, 12), 9.5, 9.5);
    QPainterPath seams;
    seams.moveTo(7.0, 4.0);
    seams.cubicTo(10.5, 8.5, 10.5, 15.5, 7.0, 20.0);
    seams.moveTo(17.0, 4.0);
    seams.cubicTo(13.5, 8.5, 13.5, 15.5, 17.0, 20.0);
    c.p.drawPath(seams);
}

void drawArrowClockwise(const Canvas &c)
{
    // An arc running clockwise from two o'clock round to twelve, with the head pointing on along it.
    const QRectF circle(4, 5, 16, 16);
    QPainterPath arc;
    arc.arcMoveTo(circle, 30);
    arc.arcTo(circle, 30, -290);
    c.pen();
    c.p.drawPath(arc);
    const QPointF end = arc.currentPosition();
    c.fill();
    c.p.drawPolygon(QPolygonF { end + QPointF(5.0, 0.3), end + QPointF(-0.6, -3.8), end + QPointF(-0.6, 4.2) });
}

void drawChevron(const Canvas &c, bool left)
{
    c.pen();
    const qreal tip = left ? 8.0 : 16.0;
    const qreal tail = left ? 15.5 : 8.5;
    c.p.drawPolyline(QPolygonF { QPointF(tail, 4), QPointF(tip, c.line(12)), QPointF(tail, 20) });
}

void drawFigureBaseball(const Canvas &c)
{
    c.fill();
    c.p.drawEllipse(QPointF(9, 4.5), 2.4, 2.4);
    c.pen();
    // Body, legs in a stance, both arms reaching up to the hands, then the bat over the shoulder.
    c.p.drawLine(QPointF(9, 8), QPointF(9.5, 15));
    c.p.drawPolyline(QPolygonF { QPointF(5.5, 21.5), QPointF(9.5, 15), QPointF(13, 21.5) });
    c.p.drawPolyline(QPolygonF { QPointF(9, 9.5), QPointF(12, 11.5), QPointF(14, 9.5) });
    c.pen(1.4);
    c.p.drawLine(QPointF(14, 9.5), QPointF(20.5, 2.5));
}

void drawMapPin(const Canvas &c)
{
    c.pen();
    const qreal middle = c.line(12);
    QPainterPath pin;
    pin.moveTo(middle, 18);
    pin.cubicTo(8.5, 14, 6, 11.5, 6, 8.5);
    pin.arcTo(QRectF(6, 2.5, 12, 12), 180, -180);
    pin.cubicTo(18, 11.5, 15.5, 14, middle, 18);
    c.p.drawPath(pin);
    if (!c.small()) c.p.drawEllipse(QPointF(middle, 8.5), 2.2, 2.2);
    // The ground ellipse, open where the pin stands on it.
    QPainterPath ground;
    const QRectF ellipse(3, 17, 18, 5.5);
    ground.arcMoveTo(ellipse, 115);
    ground.arcTo(ellipse, 115, 310);
    c.p.drawPath(ground);
}

void drawTableCells(const Canvas &c)
{
    // Three rows of two cells; the lines sit on the pixel grid like the frame's.
    c.pen();
    c.p.drawRoundedRect(QRectF(c.at(3, 4.5), c.at(21, 19.5)), 2.5, 2.5);
    c.p.drawLine(c.at(3, 9.5), c.at(21, 9.5));
    c.p.drawLine(c.at(3, 14.5), c.at(21, 14.5));
    c.p.drawLine(c.at(12, 9.5), c.at(12, 19.5));
}

void drawArrowUpRightSquare(const Canvas &c)
{
    c.pen();
    c.p.drawRoundedRect(QRectF(c.at(3, 3), c.at(21, 21)), 3.5, 3.5);
    c.p.drawLine(QPointF(8.5, 15.5), QPointF(15.5, 8.5));
    c.p.drawPolyline(QPolygonF { QPointF(10, 8.5), QPointF(15.5, 8.5), QPointF(15.5, 14) });
}

void drawXmarkCircleFill(const Canvas &c)
{
    // The cross is cut out of the disc, so whatever lies beneath shows through it.
    QPainterPath cross;
    cross.moveTo(8.5, 8.5);
    cross.lineTo(15.5, 15.5);
    cross.moveTo(15.5, 8.5);
    cross.lineTo(8.5, 15.5);
    QPainterPathStroker stroker;
    stroker.setWidth(std::max<qreal>(1, qRound(c.stroke * c.px)) / c.px);
    stroker.setCapStyle(Qt::RoundCap);
    QPainterPath disc;
    disc.addEllipse(QPointF(12, 12), 10, 10);
    c.fill();
    c.p.drawPath(disc.subtracted(stroker.createStroke(cross)));
}

void drawCloudRain(const Canvas &c)
{
    // The cloud's outline is the union of three bumps on a flat base; the rain falls in three slanted strokes.
    QPainterPath cloud;
    cloud.setFillRule(Qt::WindingFill);
    cloud.addEllipse(QPointF(7.5, 12), 4, 4);
    cloud.addEllipse(QPointF(12.5, 9), 5.5, 5.5);
    cloud.addEllipse(QPointF(17, 12), 4, 4);
    cloud.addRect(QRectF(7.5, 12, 9.5, 4));
    c.pen();
    c.p.drawPath(cloud.simplified());
    for (const qreal x : { 8.5, 12.5, 16.5 })
        c.p.drawLine(QPointF(x, 19), QPointF(x - 1.2, 22));
}

} // namespace

QPixmap symbolPixmap(Symbol symbol, int pixelSize, const QColor &color, qreal devicePixelRatio)
{
    const int side = std::max(1, pixelSize);
    const qreal ratio = devicePixelRatio > 0 ? devicePixelRatio : 1.0;
    QPixmap pixmap(QSize(side, side) * ratio);
    pixmap.setDevicePixelRatio(ratio);
    pixmap.fill(Qt::transparent);

    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    const qreal scale = side / grid;
    p.scale(scale, scale);
    // 2 units at 24 points, rounded to whole device pixels, never under one.
    const Canvas c { p, color, scale * ratio, 2.0 };

    switch (symbol) {
    case Symbol::Calendar:
        drawCalendar(c);
        break;
    case Symbol::ListNumber:
        drawListNumber(c);
        break;
    case Symbol::Gearshape:
        drawGearshape(c);
        break;
    case Symbol::ExclamationTriangle:
        drawExclamationTriangle(c);
        break;
    case Symbol::Baseball:
        drawBaseball(c);
        break;
    case Symbol::ArrowClockwise:
        drawArrowClockwise(c);
        break;
    case Symbol::ChevronLeft:
        drawChevron(c, true);
        break;
    case Symbol::ChevronRight:
        drawChevron(c, false);
        break;
    case Symbol::FigureBaseball:
        drawFigureBaseball(c);
        break;
    case Symbol::MapPin:
        drawMapPin(c);
        break;
    case Symbol::TableCells:
        drawTableCells(c);
        break;
    case Symbol::ArrowUpRightSquare:
        drawArrowUpRightSquare(c);
        break;
    case Symbol::XmarkCircleFill:
        drawXmarkCircleFill(c);
        break;
    case Symbol::CloudRain:
        drawCloudRain(c);
        break;
    }
    return pixmap;
}

QIcon symbolIcon(Symbol symbol, int pixelSize, const QColor &color)
{
    QIcon icon;
    icon.addPixmap(symbolPixmap(symbol, pixelSize, color, 1.0));
    icon.addPixmap(symbolPixmap(symbol, pixelSize, color, 2.0));
    return icon;
}
