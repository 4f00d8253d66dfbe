#pragma once

#include <QColor>
#include <QIcon>
#include <QPixmap>

// Small line-art symbol images for the views, drawn here so that they take any colour and stay alike
// whatever the desktop's icon theme.
enum class Symbol {
    Calendar,
    ListNumber,
    Gearshape,
    ExclamationTriangle,
    Baseball,
    ArrowClockwise,
    ChevronLeft,
    ChevronRight,
    FigureBaseball,
    MapPin,
    TableCells,
    ArrowUpRightSquare,
    XmarkCircleFill,
    CloudRain,
};

// The symbol in `color`, `pixelSize` device-independent pixels square, sharp at the device pixel ratio.
QPixmap symbolPixmap(Symbol symbol, int pixelSize, const QColor &color, qreal devicePixelRatio = 1.0);
QIcon symbolIcon(Symbol symbol, int pixelSize, const QColor &color);
