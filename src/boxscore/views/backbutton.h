#pragma once

#include "ui/plainbutton.h"
#include "ui/symbols.h"
#include "ui/theme.h"

#include <QAbstractButton>
#include <QHBoxLayout>
#include <QPainter>

// "‹ Schedule": the way back to the schedule list.
class BackButton : public FlatButton<QAbstractButton> {
public:
    explicit BackButton(QWidget *parent)
        : FlatButton<QAbstractButton>(parent)
    {
        setText(QStringLiteral("Schedule"));
        setCursor(Qt::PointingHandCursor);
        setFocusPolicy(Qt::TabFocus);
        setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    }

    QSize sizeHint() const override
    {
        const QFontMetrics metrics(theme::font(11, QFont::DemiBold));
        return { symbolSize + spacing + metrics.horizontalAdvance(text()), metrics.height() };
    }

protected:
    void paintEvent(QPaintEvent *) override
    {
        QPainter painter(this);
        QColor color = theme::primary(palette());
        if (isDown()) color.setAlphaF(0.6f);
        const QPixmap chevron = symbolPixmap(Symbol::ChevronLeft, symbolSize, color, devicePixelRatioF());
        painter.drawPixmap(QPointF(0, (height() - symbolSize) / 2.0), chevron);
        painter.setFont(theme::font(11, QFont::DemiBold));
        painter.setPen(color);
        painter.drawText(rect().adjusted(symbolSize + spacing, 0, 0, 0), Qt::AlignLeft | Qt::AlignVCenter, text());
        if (hasKeyboardFocus())
            paintKeyboardFocusRing(painter, *this, QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5), 3);
    }

private:
    static constexpr int symbolSize = 10;
    static constexpr int spacing = 4;
};

// The row of a view's top bar, starting with the way back; `goBack` runs in `context` on a click.
template <class Slot> QHBoxLayout *topBarRow(QWidget *bar, QObject *context, Slot goBack)
{
    bar->setObjectName(QStringLiteral("topBar"));
    auto *row = new QHBoxLayout(bar);
    row->setContentsMargins(8, 6, 8, 6);
    row->setSpacing(6);
    auto *back = new BackButton(bar);
    back->setObjectName(QStringLiteral("backButton"));
    back->setToolTip(QStringLiteral("Return to schedule"));
    QObject::connect(back, &QAbstractButton::clicked, context, goBack);
    row->addWidget(back, 0, Qt::AlignVCenter);
    return row;
}
