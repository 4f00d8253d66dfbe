#include "app/x11windowclass.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QPlatformSurfaceEvent>
#include <QWindow>

#include <xcb/xcb.h>
#include <xcb/xproto.h>

using namespace Qt::StringLiterals;

X11WindowClass::X11WindowClass(QByteArray windowClass, QObject *parent)
    : QObject(parent)
    // WM_CLASS holds two strings, each ending in a zero byte: the instance name, then the class.
    , m_value(QCoreApplication::applicationName().toUtf8() + '\0' + windowClass + '\0')
{
    if (QGuiApplication::platformName() == u"xcb"_s) qApp->installEventFilter(this);
}

bool X11WindowClass::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() != QEvent::PlatformSurface) return false;
    if (static_cast<QPlatformSurfaceEvent *>(event)->surfaceEventType() != QPlatformSurfaceEvent::SurfaceCreated)
        return false;
    auto *window = qobject_cast<QWindow *>(watched);
    const auto *x11 = qApp->nativeInterface<QNativeInterface::QX11Application>();
    if (!window || !x11 || !x11->connection()) return false;
    // The window is created but not yet mapped, so the window manager reads this value, not Qt's.
    xcb_change_property(x11->connection(), XCB_PROP_MODE_REPLACE, static_cast<xcb_window_t>(window->winId()),
        XCB_ATOM_WM_CLASS, XCB_ATOM_STRING, 8, static_cast<uint32_t>(m_value.size()), m_value.constData());
    return false;
}
