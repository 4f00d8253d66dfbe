#include "ui/plainbutton.h"

#include "ui/theme.h"

#include <QApplication>
#include <QPainter>
#include <QStyleOptionToolButton>
#include <QStylePainter>

namespace {

// Notes whether the last key or mouse press the application saw was Tab (or Shift+Tab).
class TabKeyWatcher : public QObject {
public:
    using QObject::QObject;
    bool lastInputWasTab = false;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        switch (event->type()) {
        case QEvent::KeyPress: {
            const int key = static_cast<QKeyEvent *>(event)->key();
            lastInputWasTab = key == Qt::Key_Tab || key == Qt::Key_Backtab;
            break;
        }
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonDblClick:
        case QEvent::Wheel:
            lastInputWasTab = false;
            break;
        default:
            break;
        }
        return QObject::eventFilter(watched, event);
    }
};

TabKeyWatcher *tabKeyWatcher = nullptr;

} // namespace

void watchTabKey()
{
    if (tabKeyWatcher || !qApp) return;
    // Owned by the application, and gone with it.
    tabKeyWatcher = new TabKeyWatcher(qApp);
    qApp->installEventFilter(tabKeyWatcher);
    QObject::connect(tabKeyWatcher, &QObject::destroyed, [] { tabKeyWatcher = nullptr; });
}

bool isFocusFromTabKey(Qt::FocusReason reason)
{
    const bool tabReason = reason == Qt::TabFocusReason || reason == Qt::BacktabFocusReason;
    return tabReason && tabKeyWatcher && tabKeyWatcher->lastInputWasTab;
}

PlainButton::PlainButton(QWidget *parent)
    : FlatButton<QToolButton>(parent)
{
    setAutoRaise(true);
    setCursor(Qt::PointingHandCursor);
    setFocusPolicy(Qt::TabFocus);
}

// A button that shows only a symbol is named by its tooltip, for those who cannot see the symbol.
bool PlainButton::event(QEvent *event)
{
    if (event->type() == QEvent::ToolTipChange && text().isEmpty()) setAccessibleName(toolTip());
    return FlatButton<QToolButton>::event(event);
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
