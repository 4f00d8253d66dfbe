#include "baseballicon.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

#include <algorithm>

QColor updateDotColor()
{
    return QColor(0x0a, 0x84, 0xff);
}

QRect updateDotRect(int size)
{
    // 5 pixels at the usual panel sizes, growing with the larger icons.
    const int diameter = std::max(5, size * 5 / 22);
    return QRect(size - diameter, size - diameter, diameter, diameter);
}

QImage paintBaseballIcon(int size, bool updatePending)
{
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);

    const qreal s = size;
    const qreal line = std::max<qreal>(1.0, s / 16);
    const QRectF ball = QRectF(0, 0, s, s).adjusted(line / 2, line / 2, -line / 2, -line / 2);

    // The grey rim keeps the white ball visible on light panels.
    painter.setPen(QPen(QColor(0x8a, 0x8a, 0x8a), line));
    painter.setBrush(Qt::white);
    painter.drawEllipse(ball);

    QPainterPath seams;
    seams.moveTo(0.28 * s, 0.12 * s);
    seams.cubicTo(0.46 * s, 0.36 * s, 0.46 * s, 0.64 * s, 0.28 * s, 0.88 * s);
    seams.moveTo(0.72 * s, 0.12 * s);
    seams.cubicTo(0.54 * s, 0.36 * s, 0.54 * s, 0.64 * s, 0.72 * s, 0.88 * s);
    painter.setPen(QPen(QColor(0xd6, 0x28, 0x28), line, Qt::SolidLine, Qt::RoundCap));
    painter.setBrush(Qt::NoBrush);
    painter.drawPath(seams);

    if (updatePending) {
        const QRectF dot = updateDotRect(size);
        // A transparent ring separates the dot from the ball it overlaps.
        painter.setCompositionMode(QPainter::CompositionMode_Clear);
        painter.setPen(Qt::NoPen);
        painter.setBrush(Qt::black);
        painter.drawEllipse(dot.adjusted(-line, -line, line, line));
        painter.setCompositionMode(QPainter::CompositionMode_SourceOver);
        painter.setBrush(updateDotColor());
        painter.drawEllipse(dot);
    }
    return image;
}

QIcon baseballIcon(bool updatePending)
{
    QIcon icon;
    for (const int size : baseballIconSizes)
        icon.addPixmap(QPixmap::fromImage(paintBaseballIcon(size, updatePending)));
    return icon;
}
