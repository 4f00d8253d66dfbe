#pragma once

#include <QPoint>
#include <QRect>
#include <QSize>

#include <optional>

// Where the popup window goes: under (or, on a bottom panel, above) the status item, kept on the screen.
QRect placePopup(QPoint anchor, QRect screenGeometry, QSize size);

// The point the popup hangs from: the status item's Activate point, else the cursor, else the screen's top-right.
QPoint popupAnchor(std::optional<QPoint> activatePoint, std::optional<QPoint> cursor, QRect screenGeometry);
