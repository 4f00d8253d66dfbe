#include "app/desktopsession.h"

#include <QStringList>

using namespace Qt::StringLiterals;

DesktopSession DesktopSession::detect(const std::function<QString(const char *)> &environment)
{
    DesktopSession session;
    const QString type = environment("XDG_SESSION_TYPE").toLower();
    if (type == u"wayland"_s)
        session.type = SessionType::Wayland;
    else if (type.isEmpty() && !environment("WAYLAND_DISPLAY").isEmpty())
        session.type = SessionType::Wayland;

    // XDG_CURRENT_DESKTOP is a list such as "ubuntu:GNOME"; any entry names the desktop.
    const QStringList desktops = environment("XDG_CURRENT_DESKTOP").toLower().split(u':', Qt::SkipEmptyParts);
    if (desktops.contains(u"gnome"_s))
        session.compositor = Compositor::Gnome;
    else if (desktops.contains(u"kde"_s))
        session.compositor = Compositor::Kde;
    else if (desktops.contains(u"sway"_s) || !environment("SWAYSOCK").isEmpty())
        session.compositor = Compositor::Sway;
    else if (desktops.contains(u"hyprland"_s) || !environment("HYPRLAND_INSTANCE_SIGNATURE").isEmpty())
        session.compositor = Compositor::Hyprland;
    return session;
}

DesktopSession DesktopSession::current()
{
    return detect([](const char *name) { return qEnvironmentVariable(name); });
}

QByteArray preferredPlatform(DesktopSession session, bool userNamedPlatform, bool xDisplayAvailable)
{
    if (userNamedPlatform || !xDisplayAvailable || session.type != SessionType::Wayland) return {};
    // Mutter and KWin place an Xwayland window where it asks to be; through their Wayland protocols a client
    // cannot say where its window goes at all. Wayland remains should Xwayland fail to start.
    if (session.compositor == Compositor::Gnome || session.compositor == Compositor::Kde) return "xcb;wayland"_ba;
    return {};
}

bool userNamedPlatform(int argc, const char *const *argv, bool platformVariableSet)
{
    if (platformVariableSet) return true;
    for (int i = 1; i < argc; ++i) {
        // Qt reads its options in either form and takes the next argument as the value.
        const QByteArray argument(argv[i]);
        if ((argument == "-platform" || argument == "--platform") && i + 1 < argc) return true;
    }
    return false;
}
