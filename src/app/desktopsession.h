#pragma once

#include <QByteArray>
#include <QString>

#include <functional>

// The kind of session the desktop runs: whether an X server or a Wayland compositor owns the screen.
enum class SessionType { X11, Wayland };

// The compositor or window manager, as far as placing a window and trusting the status-area host go.
enum class Compositor { Gnome, Kde, Sway, Hyprland, Other };

// The desktop Baselark runs in, read once from the session's environment.
struct DesktopSession {
    SessionType type = SessionType::X11;
    Compositor compositor = Compositor::Other;

    bool operator==(const DesktopSession &) const = default;

    // `environment` returns a variable's value, empty when unset.
    static DesktopSession detect(const std::function<QString(const char *)> &environment);
    static DesktopSession current();
};

// The Qt platforms to try when the user named none: Xwayland first in a Wayland session whose compositor keeps an
// X11 client's own position for its window, else empty, which leaves the choice to Qt.
QByteArray preferredPlatform(DesktopSession session, bool userNamedPlatform, bool xDisplayAvailable);

// Whether the command line or the environment names a Qt platform (-platform NAME, QT_QPA_PLATFORM).
bool userNamedPlatform(int argc, const char *const *argv, bool platformVariableSet);
