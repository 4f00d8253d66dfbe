#pragma once

#include "app/desktopsession.h"

#include <QList>
#include <QPoint>
#include <QRect>
#include <QSize>

#include <optional>

// One screen as the window sees it: the whole of it and the part panels leave free.
struct PlacementScreen {
    QRect geometry;
    QRect available;
};

// Everything the window's place depends on, gathered when the user opens it.
struct PlacementInput {
    DesktopSession session;
    // Drawn through Qt's Wayland platform rather than X11 (or Xwayland).
    bool nativeWayland = false;
    // Where the status-area host said the item was clicked, this time or last time.
    std::optional<QPoint> activatePoint;
    std::optional<QPoint> pointer;
    // The tray icon's own rectangle, which only the X11 tray tells.
    std::optional<QRect> itemGeometry;
    // The primary screen first.
    QList<PlacementScreen> screens;
};

// Where a window of `size` goes: under the status item (above it on a bottom panel), never over it, kept on its
// screen; std::nullopt where the compositor alone places windows.
std::optional<QRect> placeWindow(const PlacementInput &input, QSize size);
