#include "app/popupwindow.h"

#include "app/popupplacement.h"
#include "ui/accessibility.h"

#include <QEvent>
#include <QGuiApplication>
#include <QLabel>
#include <QPainter>
#include <QScreen>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;

namespace {

QWidget *makePlaceholder()
{
    auto *label = new QLabel(u"Baselark"_s);
    label->setAlignment(Qt::AlignCenter);
    return label;
}

} // namespace

PopupWindow::PopupWindow(QWidget *parent)
    : PopupWindow(std::chrono::steady_clock::now, parent)
{ }

PopupWindow::PopupWindow(Clock clock, QWidget *parent)
    : QWidget(parent, Qt::FramelessWindowHint | Qt::Tool | Qt::WindowStaysOnTopHint)
    , m_clock(std::move(clock))
    , m_layout(new QVBoxLayout(this))
{
    setWindowTitle(u"Baselark"_s);
    accessibility::setRole(this, QAccessible::Window);
    // Hiding or closing the popup must never end a status-area application.
    setAttribute(Qt::WA_QuitOnClose, false);
    setBackgroundRole(QPalette::Window);
    setAutoFillBackground(true);
    // One pixel for the border drawn in paintEvent: a frameless window needs its own edge on a same-coloured desktop.
    m_layout->setContentsMargins(1, 1, 1, 1);
    m_layout->setSpacing(0);
    setFixedSize(narrowWidth, windowHeight);
    setContent(nullptr);
}

void PopupWindow::setWide(bool wide)
{
    if (wide == m_wide) return;
    m_wide = wide;
    setFixedSize(wide ? wideWidth : narrowWidth, windowHeight);
    // A window that grows next to a screen edge must move back onto the screen.
    if (isVisible()) place();
}

void PopupWindow::setContent(QWidget *content)
{
    if (content && content == m_content) return;
    delete m_content;
    m_content = content ? content : makePlaceholder();
    m_layout->addWidget(m_content);
}

QList<PlacementScreen> PopupWindow::screens()
{
    QList<PlacementScreen> screens;
    const QScreen *primary = QGuiApplication::primaryScreen();
    if (primary) screens.append({ primary->geometry(), primary->availableGeometry() });
    for (const QScreen *screen : QGuiApplication::screens())
        if (screen != primary) screens.append({ screen->geometry(), screen->availableGeometry() });
    return screens;
}

void PopupWindow::popUpAt(QPoint itemPoint)
{
    PlacementInput where;
    where.activatePoint = itemPoint;
    where.screens = screens();
    popUp(std::move(where));
}

void PopupWindow::popUp(PlacementInput where)
{
    m_where = std::move(where);
    place();
    m_poppedUpAt = m_clock();
    m_hiddenOnDeactivationAt.reset();
    show();
    raise();
    activateWindow();
}

void PopupWindow::toggle(PlacementInput where)
{
    if (isVisible()) {
        hide();
        return;
    }
    // A click on the status item while the window is open first deactivates (and so hides) the window and only
    // then arrives here; without this check that click would reopen the window it was meant to close.
    if (withinGracePeriod(m_hiddenOnDeactivationAt)) {
        m_hiddenOnDeactivationAt.reset();
        return;
    }
    popUp(std::move(where));
}

bool PopupWindow::event(QEvent *event)
{
    if (event->type() == QEvent::WindowDeactivate) handleDeactivation();
    return QWidget::event(event);
}

void PopupWindow::changeEvent(QEvent *event)
{
    if (event->type() == QEvent::ActivationChange && !isActiveWindow()) handleDeactivation();
    QWidget::changeEvent(event);
}

void PopupWindow::paintEvent(QPaintEvent *event)
{
    QWidget::paintEvent(event);
    QPainter painter(this);
    painter.setPen(palette().color(QPalette::Mid));
    painter.drawRect(rect().adjusted(0, 0, -1, -1));
}

void PopupWindow::place()
{
    if (!m_where) return;
    const std::optional<QRect> geometry = placeWindow(*m_where, size());
    if (!geometry) return;
    if (QScreen *screen = QGuiApplication::screenAt(geometry->center())) setScreen(screen);
    move(geometry->topLeft());
}

void PopupWindow::handleDeactivation()
{
    if (!isVisible()) return;
    // Some status-item hosts take the focus back for a moment right after the click that opened the window;
    // that is not the user leaving, so ask for the focus again instead of closing.
    if (withinGracePeriod(m_poppedUpAt)) {
        activateWindow();
        return;
    }
    hide();
    m_hiddenOnDeactivationAt = m_clock();
}

bool PopupWindow::withinGracePeriod(std::optional<std::chrono::steady_clock::time_point> since) const
{
    return since && m_clock() - *since < activationGracePeriod;
}
