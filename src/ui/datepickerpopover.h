#pragma once

#include "ui/accessibility.h"

#include <QDate>
#include <QPointer>
#include <QWidget>

#include <functional>

class QAbstractButton;
class QLabel;
class QPainterPath;

// One month of days under a row of weekday names, starting on the locale's first day of the week; the
// selected day moves with the arrow keys and is picked with Enter, Space or a click.
class MonthGrid : public QWidget {
    Q_OBJECT

public:
    explicit MonthGrid(QWidget *parent = nullptr);

    QDate selectedDate() const { return m_selected; }
    // Also shows the day's month.
    void setSelectedDate(QDate date);
    // The day marked as today: the league's game day, which may not be the local date.
    QDate today() const { return m_today; }
    void setToday(QDate today);
    // The first day of the shown month.
    QDate shownMonth() const { return m_month; }
    void showMonth(QDate dayInMonth);

    // The cell of a shown day (leading and trailing days of the neighbouring months included), else empty.
    QRect dayRect(QDate date) const;
    QDate dateAt(QPoint position) const;

    QSize sizeHint() const override;

Q_SIGNALS:
    void picked(QDate date);
    void shownMonthChanged();

protected:
    void paintEvent(QPaintEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void focusInEvent(QFocusEvent *event) override;
    void changeEvent(QEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void leaveEvent(QEvent *event) override;

private:
    QDate firstShownDate() const;
    QRectF cellRect(int index) const;
    AccessibleTable accessibleContent() const;
    // Tells assistive technology which day is selected, and that it has the focus while the grid does.
    void announceSelectedDay();

    QDate m_month;
    QDate m_selected;
    QDate m_today = QDate::currentDate();
    QDate m_hovered;
};

// The calendar that hangs below the date title: a caption, the month with its chevrons and the grid, on a
// rounded panel whose arrow points at the title. Closes on Escape or a click outside it.
class DatePickerPopover : public QWidget {
    Q_OBJECT

public:
    // Makes the month's and the year's chevron buttons, so that they look like the row's own.
    using ButtonFactory = std::function<QAbstractButton *(QWidget *parent)>;

    // The panel's width; a translucent popover adds room for its shadow on either side.
    static constexpr int panelWidth = 280;

    DatePickerPopover(const ButtonFactory &makeButton, QWidget *parent);

    MonthGrid *grid() const { return m_grid; }
    QDate selectedDate() const { return m_grid->selectedDate(); }
    void setSelectedDate(QDate date) { m_grid->setSelectedDate(date); }
    void setToday(QDate today) { m_grid->setToday(today); }

    // Shows the popover below `anchor`, the arrow on the anchor's centre, kept on the anchor's screen.
    void popUp(QWidget *anchor);

    // Without a compositor transparent pixels come out black, so there the panel fills the whole window and
    // has no arrow. Checked again each time the popover opens.
    static bool translucencyAvailable();
    // Whether a compositing manager runs on the X11 display; false on other platforms.
    static bool x11CompositingActive();
    bool isTranslucent() const { return m_translucent; }
    void setTranslucent(bool translucent);

Q_SIGNALS:
    void picked(QDate date);

protected:
    void paintEvent(QPaintEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void changeEvent(QEvent *event) override;
    void showEvent(QShowEvent *event) override;

private:
    void applyColors();
    void updateMonthTitle();
    QPainterPath panelPath() const;

    QLabel *m_heading;
    QLabel *m_monthTitle;
    QAbstractButton *m_previousYear;
    QAbstractButton *m_previousMonth;
    QAbstractButton *m_nextMonth;
    QAbstractButton *m_nextYear;
    MonthGrid *m_grid;
    QPointer<QWidget> m_anchor;
    qreal m_arrowX = panelWidth / 2.0;
    bool m_translucent = false;
};
