#include "ui/datenavigationview.h"

#include "schedule/scheduleviewmodel.h"
#include "ui/accessibility.h"
#include "ui/datepickerpopover.h"
#include "ui/plainbutton.h"
#include "ui/symbols.h"
#include "ui/theme.h"

#include <QEvent>
#include <QHBoxLayout>
#include <QToolButton>

using namespace Qt::StringLiterals;

namespace {

QToolButton *plainButton(QWidget *parent)
{
    return new PlainButton(parent);
}

// The date row. The calendar that hangs from it is a window of its own, which Qt leaves out of the window's
// tree, so the row counts it among its children while it is open.
class AccessibleDateNavigation : public QAccessibleWidget {
public:
    explicit AccessibleDateNavigation(DateNavigationView *view)
        : QAccessibleWidget(view, QAccessible::ToolBar)
    { }

    int childCount() const override { return QAccessibleWidget::childCount() + (calendarShown() ? 1 : 0); }

    QAccessibleInterface *child(int index) const override
    {
        if (calendarShown() && index == QAccessibleWidget::childCount())
            return QAccessible::queryAccessibleInterface(view()->datePicker());
        return QAccessibleWidget::child(index);
    }

    int indexOfChild(const QAccessibleInterface *child) const override
    {
        if (child && child->object() == view()->datePicker())
            return calendarShown() ? QAccessibleWidget::childCount() : -1;
        return QAccessibleWidget::indexOfChild(child);
    }

private:
    DateNavigationView *view() const { return static_cast<DateNavigationView *>(widget()); }
    bool calendarShown() const { return view()->datePicker()->isVisible(); }
};

QAccessibleInterface *accessibleNavigationFactory(const QString &, QObject *object)
{
    if (auto *view = qobject_cast<DateNavigationView *>(object)) return new AccessibleDateNavigation(view);
    return nullptr;
}

} // namespace

DateNavigationView::DateNavigationView(ScheduleViewModel *viewModel, QWidget *parent)
    : QWidget(parent)
    , m_viewModel(viewModel)
    , m_previous(plainButton(this))
    , m_title(plainButton(this))
    , m_next(plainButton(this))
    , m_popover(new DatePickerPopover(plainButton, this))
{
    QAccessible::installFactory(&accessibleNavigationFactory);
    setAccessibleName(u"Date"_s);
    m_previous->setObjectName(u"previousDay"_s);
    m_previous->setToolTip(u"Previous day"_s);
    m_next->setObjectName(u"nextDay"_s);
    m_next->setToolTip(u"Next day"_s);
    m_title->setObjectName(u"dateTitle"_s);
    m_title->setFont(theme::font(12, QFont::Medium));
    m_title->setToolButtonStyle(Qt::ToolButtonTextOnly);

    auto *row = new QHBoxLayout(this);
    row->setContentsMargins(8, 6, 8, 6);
    row->addWidget(m_previous);
    row->addStretch();
    row->addWidget(m_title);
    row->addStretch();
    row->addWidget(m_next);

    m_popover->installEventFilter(this);

    connect(m_previous, &QToolButton::clicked, m_viewModel, &ScheduleViewModel::goToPreviousDay);
    connect(m_next, &QToolButton::clicked, m_viewModel, &ScheduleViewModel::goToNextDay);
    connect(m_title, &QToolButton::clicked, this, &DateNavigationView::titleClicked);
    connect(m_popover, &DatePickerPopover::picked, this, &DateNavigationView::datePicked);
    connect(m_viewModel, &ScheduleViewModel::changed, this, &DateNavigationView::update);
    applyColors();
    update();
    accessibility::claimInterface(this, QAccessible::ToolBar);
}

void DateNavigationView::update()
{
    m_title->setText(m_viewModel->selectedDateTitle());
    // The title does one of two things; the words say which.
    m_title->setAccessibleDescription(
        m_viewModel->selectedDate() == m_viewModel->gameDay() ? u"Pick a date"_s : u"Go to today"_s);
}

void DateNavigationView::setShowDatePicker(bool show)
{
    if (show == m_showDatePicker) return;
    m_showDatePicker = show;
    if (show) {
        m_popover->setToday(m_viewModel->gameDay());
        m_popover->setSelectedDate(m_viewModel->selectedDate());
        m_popover->popUp(m_title);
    } else {
        m_popover->hide();
    }
}

void DateNavigationView::titleClicked()
{
    if (m_viewModel->selectedDate() == m_viewModel->gameDay())
        setShowDatePicker(!m_showDatePicker);
    else
        m_viewModel->goToToday();
}

void DateNavigationView::datePicked(QDate date)
{
    setShowDatePicker(false);
    m_viewModel->selectDate(date);
}

bool DateNavigationView::eventFilter(QObject *watched, QEvent *event)
{
    // A click outside the popover closes it the platform's way; keep the flag in step.
    if (watched == m_popover && event->type() == QEvent::Hide) m_showDatePicker = false;
    if (watched == m_popover && (event->type() == QEvent::Show || event->type() == QEvent::Hide))
        accessibility::notify(this, QAccessible::ObjectReorder);
    return QWidget::eventFilter(watched, event);
}

void DateNavigationView::changeEvent(QEvent *event)
{
    if (event->type() == QEvent::PaletteChange) applyColors();
    QWidget::changeEvent(event);
}

void DateNavigationView::applyColors()
{
    const QColor color = theme::primary(palette());
    m_previous->setIcon(symbolIcon(Symbol::ChevronLeft, 11, color));
    m_next->setIcon(symbolIcon(Symbol::ChevronRight, 11, color));
    m_previous->setIconSize(QSize(11, 11));
    m_next->setIconSize(QSize(11, 11));
}
