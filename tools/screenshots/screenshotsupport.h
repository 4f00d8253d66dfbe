#pragma once

#include <QColor>
#include <QEventLoop>
#include <QPalette>
#include <QTimer>

// What the screenshot renderers share: the dark palette they draw with and a pause that lets layouts settle.
namespace screenshots {

// A dark window palette like the desktops' dark themes, so that dark renders do not depend on the machine.
inline QPalette darkPalette()
{
    QPalette palette;
    palette.setColor(QPalette::Window, QColor(0x2b, 0x2b, 0x2e));
    palette.setColor(QPalette::WindowText, QColor(0xec, 0xec, 0xee));
    palette.setColor(QPalette::Base, QColor(0x1e, 0x1e, 0x20));
    palette.setColor(QPalette::AlternateBase, QColor(0x33, 0x33, 0x36));
    palette.setColor(QPalette::Text, QColor(0xec, 0xec, 0xee));
    palette.setColor(QPalette::Button, QColor(0x3a, 0x3a, 0x3d));
    palette.setColor(QPalette::ButtonText, QColor(0xec, 0xec, 0xee));
    palette.setColor(QPalette::Highlight, QColor(0x3d, 0x8b, 0xfd));
    palette.setColor(QPalette::HighlightedText, Qt::white);
    palette.setColor(QPalette::Link, QColor(0x6c, 0xa8, 0xff));
    palette.setColor(QPalette::Mid, QColor(0x55, 0x55, 0x5a));
    palette.setColor(QPalette::PlaceholderText, QColor(0x9a, 0x9a, 0xa0));
    palette.setColor(QPalette::ToolTipBase, QColor(0x3a, 0x3a, 0x3d));
    palette.setColor(QPalette::ToolTipText, QColor(0xec, 0xec, 0xee));
    return palette;
}

// Runs the event loop for a while, so that queued layouts and repaints happen before a grab.
inline void settle(int ms)
{
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

} // namespace screenshots
