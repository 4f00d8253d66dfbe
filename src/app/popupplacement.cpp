#include "app/popupplacement.h"

#include <algorithm>

namespace {

// Keeps the window clear of the pointer that opened it.
constexpr int anchorGap = 4;

// Fits [start, start + length) into [low, low + available); a window longer than that is pinned to low.
int clampSpan(int start, int length, int low, int available)
{
    return std::max(low, std::min(start, low + available - length));
}

} // namespace

QRect placePopup(QPoint anchor, QRect screenGeometry, QSize size)
{
    const bool onBottomPanel = anchor.y() >= screenGeometry.top() + screenGeometry.height() / 2;
    const int x = anchor.x() - size.width() / 2;
    const int y = onBottomPanel ? anchor.y() - anchorGap - size.height() : anchor.y() + anchorGap;
    return QRect(QPoint(clampSpan(x, size.width(), screenGeometry.left(), screenGeometry.width()),
                     clampSpan(y, size.height(), screenGeometry.top(), screenGeometry.height())),
        size);
}

QPoint popupAnchor(std::optional<QPoint> activatePoint, std::optional<QPoint> cursor, QRect screenGeometry)
{
    // Some status-item hosts call Activate(0, 0) because they do not know where the item is.
    if (activatePoint && !activatePoint->isNull()) return *activatePoint;
    if (cursor) return *cursor;
    return screenGeometry.topRight();
}
