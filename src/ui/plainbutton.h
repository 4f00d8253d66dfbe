#pragma once

#include <QFocusEvent>
#include <QKeyEvent>
#include <QToolButton>

class QPainter;

// What every borderless button of the window shares: a focus ring only when the focus came by Tab, and arrow
// keys left to the window instead of moving the focus on to a neighbouring button.
template <class Button> class FlatButton : public Button {
public:
    using Button::Button;

    // Whether the button holds the focus and got it from Tab or Shift+Tab.
    bool hasKeyboardFocus() const { return this->hasFocus() && m_keyboardFocus; }

protected:
    void focusInEvent(QFocusEvent *event) override
    {
        // The window hands its first button the focus when it opens; that is nothing to draw.
        m_keyboardFocus = event->reason() == Qt::TabFocusReason || event->reason() == Qt::BacktabFocusReason;
        Button::focusInEvent(event);
    }

    void keyPressEvent(QKeyEvent *event) override
    {
        switch (event->key()) {
        case Qt::Key_Left:
        case Qt::Key_Right:
        case Qt::Key_Up:
        case Qt::Key_Down:
            event->ignore();
            return;
        default:
            Button::keyPressEvent(event);
        }
    }

private:
    bool m_keyboardFocus = false;
};

// A symbol or a short text with no bevel, in hover or otherwise: it dims while pressed.
class PlainButton : public FlatButton<QToolButton> {
    Q_OBJECT

public:
    explicit PlainButton(QWidget *parent = nullptr);

protected:
    void paintEvent(QPaintEvent *event) override;
};

// Draws the focus ring the window's flat buttons share, inside `area`.
void paintKeyboardFocusRing(QPainter &painter, const QWidget &button, const QRectF &area, qreal radius = 5);
