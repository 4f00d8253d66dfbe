#pragma once

#include <QFocusEvent>
#include <QKeyEvent>
#include <QToolButton>

class QPainter;

// Whether focus given for `reason` came from the user pressing Tab or Shift+Tab. Qt also gives Tab as the
// reason when it moves the focus on from a widget being hidden; that focus is not drawn.
bool isFocusFromTabKey(Qt::FocusReason reason);
// Starts noting which input came last, once per application; isFocusFromTabKey() needs it.
void watchTabKey();

// What every borderless button of the window shares: a focus ring only when the focus came by Tab, and arrow
// keys left to the window instead of moving the focus on to a neighbouring button.
template <class Button> class FlatButton : public Button {
public:
    explicit FlatButton(QWidget *parent = nullptr)
        : Button(parent)
    {
        watchTabKey();
    }

    // Whether the button holds the focus and got it from Tab or Shift+Tab.
    bool hasKeyboardFocus() const { return this->hasFocus() && m_keyboardFocus; }

protected:
    // Moves the focus to a neighbouring button of the same kind, its ring drawn as this one's was.
    void passFocusTo(QWidget *neighbour)
    {
        auto *next = dynamic_cast<FlatButton *>(neighbour);
        if (!next) return;
        const bool ring = hasKeyboardFocus();
        next->setFocus(Qt::OtherFocusReason);
        next->m_keyboardFocus = ring;
        next->update();
    }

    void focusInEvent(QFocusEvent *event) override
    {
        // The window hands its first button the focus when it opens; that is nothing to draw.
        m_keyboardFocus = isFocusFromTabKey(event->reason());
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
    bool event(QEvent *event) override;
    void paintEvent(QPaintEvent *event) override;
};

// Draws the focus ring the window's flat buttons share, inside `area`.
void paintKeyboardFocusRing(QPainter &painter, const QWidget &button, const QRectF &area, qreal radius = 5);
