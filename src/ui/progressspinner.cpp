#include "ui/progressspinner.h"

#include "ui/accessibility.h"
#include "ui/theme.h"

#include <QPainter>

ProgressSpinner::ProgressSpinner(int diameter, QWidget *parent)
    : QWidget(parent)
{
    setFixedSize(diameter, diameter);
    accessibility::setRole(this, QAccessible::Animation);
    setAccessibleName(QStringLiteral("Loading"));
    m_timer.setInterval(50);
    connect(&m_timer, &QTimer::timeout, this, [this] {
        m_angle = (m_angle + 30) % 360;
        QWidget::update();
    });
}

void ProgressSpinner::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const qreal penWidth = qMax(1.5, width() / 9.0);
    const QRectF circle = QRectF(rect()).adjusted(penWidth, penWidth, -penWidth, -penWidth);
    QColor track = theme::secondary(palette());
    track.setAlphaF(0.2f);
    painter.setPen(QPen(track, penWidth));
    painter.drawEllipse(circle);
    painter.setPen(QPen(theme::secondary(palette()), penWidth, Qt::SolidLine, Qt::RoundCap));
    painter.drawArc(circle, -m_angle * 16, 100 * 16);
}

void ProgressSpinner::showEvent(QShowEvent *event)
{
    m_timer.start();
    QWidget::showEvent(event);
}

void ProgressSpinner::hideEvent(QHideEvent *event)
{
    m_timer.stop();
    QWidget::hideEvent(event);
}
