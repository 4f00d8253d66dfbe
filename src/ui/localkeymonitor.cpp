#include "ui/localkeymonitor.h"

#include <QApplication>
#include <QKeyEvent>
#include <QWidget>

LocalKeyMonitor::LocalKeyMonitor(QWidget *view, Handler onKeyDown, QObject *parent)
    : QObject(parent)
    , m_view(view)
    , m_onKeyDown(std::move(onKeyDown))
{
    // Key presses go to the focused child, not the window, so the application is where all of them pass.
    qApp->installEventFilter(this);
}

LocalKeyMonitor::~LocalKeyMonitor()
{
    qApp->removeEventFilter(this);
}

bool LocalKeyMonitor::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() != QEvent::KeyPress || !m_view || !m_onKeyDown || !watched->isWidgetType()) return false;
    // The view's window as it is now: the view may be placed in its window after the monitor starts.
    if (static_cast<QWidget *>(watched)->window() != m_view->window()) return false;
    // An unhandled press travels up the parents and passes here again; the handler has no effect when it
    // declines, so seeing it twice is harmless.
    return m_onKeyDown(*static_cast<QKeyEvent *>(event));
}
