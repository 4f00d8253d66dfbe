#include "app/popupplacement.h"

#include <algorithm>

namespace {

// Keeps the window clear of the item or the pointer that opened it.
constexpr int anchorGap = 4;

// What the window hangs from: the item's own rectangle or a point on it, or only the pointer.
struct Anchor {
    QRect rect;
    bool onItem = false;
};

// Fits [start, start + length) into [low, low + available); a window longer than that is pinned to low.
int clampSpan(int start, int length, int low, int available)
{
    return std::max(low, std::min(start, low + available - length));
}

const PlacementScreen *screenAt(const QList<PlacementScreen> &screens, QPoint point)
{
    const auto found
        = std::ranges::find_if(screens, [&](const PlacementScreen &s) { return s.geometry.contains(point); });
    return found == screens.end() ? nullptr : &*found;
}

bool compositorPlacesWindows(const PlacementInput &input)
{
    // A Wayland client can neither move its window nor read the pointer outside its own windows.
    if (input.nativeWayland) return true;
    // Measured under sway: an Xwayland window opens centred whatever position it asks for. Tiling compositors
    // place windows by the user's rules.
    const Compositor compositor = input.session.compositor;
    return input.session.type == SessionType::Wayland
        && (compositor == Compositor::Sway || compositor == Compositor::Hyprland);
}

// In a Wayland session only the compositor knows where anything is; the hosts of other compositors are ordinary
// clients and send points relative to their own icon (waybar sends Activate(19, 28)).
bool hostKnowsScreenPoints(DesktopSession session)
{
    return session.type == SessionType::X11 || session.compositor == Compositor::Gnome
        || session.compositor == Compositor::Kde;
}

std::optional<Anchor> findAnchor(const PlacementInput &input)
{
    if (input.itemGeometry && !input.itemGeometry->isEmpty() && screenAt(input.screens, input.itemGeometry->center()))
        return Anchor { *input.itemGeometry, true };
    if (input.activatePoint && hostKnowsScreenPoints(input.session) && screenAt(input.screens, *input.activatePoint))
        return Anchor { QRect(*input.activatePoint, QSize(1, 1)), true };
    if (input.pointer) return Anchor { QRect(*input.pointer, QSize(1, 1)), false };
    return std::nullopt;
}

} // namespace

std::optional<QRect> placeWindow(const PlacementInput &input, QSize size)
{
    if (compositorPlacesWindows(input) || input.screens.isEmpty()) return std::nullopt;

    const std::optional<Anchor> anchor = findAnchor(input);
    const PlacementScreen *found = anchor ? screenAt(input.screens, anchor->rect.center()) : nullptr;
    const PlacementScreen &screen = found ? *found : input.screens.first();
    const QRect whole = screen.geometry;
    const QRect free = screen.available;
    const bool panelAtTop = free.top() > whole.top();
    const bool panelAtBottom = free.bottom() < whole.bottom();

    int x = 0;
    int y = 0;
    if (!anchor) {
        // Nothing tells where the item is: the right end of the panel's edge, where status areas usually sit.
        x = free.right() + 1 - size.width();
        y = panelAtBottom && !panelAtTop ? free.bottom() + 1 - size.height() : free.top();
    } else {
        const QRect item = anchor->rect;
        x = item.center().x() - size.width() / 2;
        const bool upperHalf = item.center().y() < whole.center().y();
        if (anchor->onItem) {
            y = upperHalf ? item.bottom() + 1 + anchorGap : item.top() - anchorGap - size.height();
        } else {
            // The pointer is on the item's menu, or anywhere for a keyboard shortcut: the window hangs from the
            // panel where one is known.
            const bool top = panelAtTop == panelAtBottom ? upperHalf : panelAtTop;
            if (panelAtTop || panelAtBottom)
                y = top ? free.top() : free.bottom() + 1 - size.height();
            else
                y = top ? item.y() + anchorGap : item.y() - anchorGap - size.height();
        }
    }
    return QRect(QPoint(clampSpan(x, size.width(), free.left(), free.width()),
                     clampSpan(y, size.height(), free.top(), free.height())),
        size);
}
