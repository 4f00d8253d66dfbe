#include "ui/plainbutton.h"

#include "ui/theme.h"

#include <QPainter>
#include <QStyleOptionToolButton>
#include <QStylePainter>

PlainButton::PlainButton(QWidget *parent)
    : FlatButton<QToolButton>(parent)
{
    setAutoRaise(true);
    setCursor(Qt::PointingHandCursor);
    setFocusPolicy(Qt::TabFocus);
}

void PlainButton::paintEvent(QPaintEvent *)
{
    QStylePainter painter(this);
    QStyleOptionToolButton option;
    initStyleOption(&option);
    // Without hover, press and focus states an auto-raised tool button is drawn as its label alone.
    option.state &= ~(QStyle::State_MouseOver | QStyle::State_Sunken | QStyle::State_On | QStyle::State_HasFocus);
    option.state |= QStyle::State_AutoRaise;
    if (isDown()) painter.setOpacity(0.55);
    painter.drawComplexControl(QStyle::CC_ToolButton, option);
    painter.setOpacity(1);
    if (hasKeyboardFocus()) paintKeyboardFocusRing(painter, *this, QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5));
}

void paintKeyboardFocusRing(QPainter &painter, const QWidget &button, const QRectF &area, qreal radius)
{
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setBrush(Qt::NoBrush);
    painter.setPen(QPen(theme::accent(button.palette(), 0.6), 1));
    painter.drawRoundedRect(area, radius, radius);
    painter.restore();
}
