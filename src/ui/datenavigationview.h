#pragma once

#include <QWidget>

class DatePickerPopover;
class QToolButton;
class ScheduleViewModel;

// The row above the schedule: the shown day, a step back and forward, and a calendar to pick any day.
class DateNavigationView : public QWidget {
    Q_OBJECT

public:
    explicit DateNavigationView(ScheduleViewModel *viewModel, QWidget *parent = nullptr);

    bool showDatePicker() const { return m_showDatePicker; }
    void setShowDatePicker(bool show);

    QToolButton *titleButton() const { return m_title; }
    DatePickerPopover *datePicker() const { return m_popover; }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void changeEvent(QEvent *event) override;

private:
    void update();
    void titleClicked();
    void datePicked(QDate date);
    void applyColors();

    ScheduleViewModel *m_viewModel;
    QToolButton *m_previous;
    QToolButton *m_title;
    QToolButton *m_next;
    DatePickerPopover *m_popover;
    bool m_showDatePicker = false;
};
