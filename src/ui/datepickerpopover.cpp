#include "ui/datepickerpopover.h"

#include "ui/symbols.h"
#include "ui/theme.h"

#include <QAbstractButton>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPainter>
#include <QPainterPath>
#include <QScreen>
#include <QVBoxLayout>
#include <QtGui/qguiapplication_platform.h>

#include <xcb/xcb.h>

#include <algorithm>
#include <cstdlib>
#include <memory>

using namespace Qt::StringLiterals;

namespace {

constexpr int columns = 7;
constexpr int rows = 6;
constexpr int weekdayRowHeight = 22;
constexpr int dayRowHeight = 30;
constexpr qreal dayDiameter = 26;
constexpr int chevronSize = 11;

constexpr int padding = 12;
constexpr qreal cornerRadius = 10;
constexpr int arrowHeight = 9;
constexpr qreal arrowHalfWidth = 10;
constexpr int shadowSize = 10;

QColor withAlpha(QColor color, qreal alpha)
{
    color.setAlphaF(static_cast<float>(color.alphaF() * alpha));
    return color;
}

// Two chevrons close together: a step of a year, beside the single chevron of a month.
QIcon doubleChevron(Symbol chevron, const QColor &color)
{
    QIcon icon;
    for (const qreal ratio : { 1.0, 2.0 }) {
        const QPixmap single = symbolPixmap(chevron, chevronSize, color, ratio);
        QPixmap pair(QSize(chevronSize * 3 / 2, chevronSize) * ratio);
        pair.setDevicePixelRatio(ratio);
        pair.fill(Qt::transparent);
        QPainter painter(&pair);
        painter.drawPixmap(QPointF(0, 0), single);
        painter.drawPixmap(QPointF(chevronSize / 2.0, 0), single);
        painter.end();
        icon.addPixmap(pair);
    }
    return icon;
}

} // namespace

MonthGrid::MonthGrid(QWidget *parent)
    : QWidget(parent)
{
    accessibility::setTable(this, [this] { return accessibleContent(); });
    setObjectName(u"monthGrid"_s);
    setFocusPolicy(Qt::StrongFocus);
    setMouseTracking(true);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    setSelectedDate(m_today);
}

void MonthGrid::setToday(QDate today)
{
    if (today == m_today) return;
    m_today = today;
    update();
    accessibility::reread(this);
}

QSize MonthGrid::sizeHint() const
{
    return QSize(columns * 36, weekdayRowHeight + rows * dayRowHeight);
}

void MonthGrid::setSelectedDate(QDate date)
{
    if (!date.isValid()) return;
    const bool changed = date != m_selected;
    m_selected = date;
    showMonth(date);
    update();
    if (changed) {
        accessibility::reread(this);
        announceSelectedDay();
    }
}

void MonthGrid::showMonth(QDate dayInMonth)
{
    const QDate month(dayInMonth.year(), dayInMonth.month(), 1);
    if (month == m_month) return;
    m_month = month;
    m_hovered = QDate();
    update();
    accessibility::reread(this);
    accessibility::notify(this, QAccessible::NameChanged);
    Q_EMIT shownMonthChanged();
}

QDate MonthGrid::firstShownDate() const
{
    const int leading = (m_month.dayOfWeek() - int(locale().firstDayOfWeek()) + columns) % columns;
    return m_month.addDays(-leading);
}

QRectF MonthGrid::cellRect(int index) const
{
    const qreal cellWidth = width() / qreal(columns);
    int column = index % columns;
    if (layoutDirection() == Qt::RightToLeft) column = columns - 1 - column;
    return QRectF(column * cellWidth, weekdayRowHeight + (index / columns) * dayRowHeight, cellWidth, dayRowHeight);
}

QRect MonthGrid::dayRect(QDate date) const
{
    const qint64 index = firstShownDate().daysTo(date);
    if (!date.isValid() || index < 0 || index >= columns * rows) return QRect();
    return cellRect(int(index)).toRect();
}

QDate MonthGrid::dateAt(QPoint position) const
{
    if (!rect().contains(position) || position.y() < weekdayRowHeight) return QDate();
    int column = std::min(columns - 1, int(position.x() * columns / qreal(width())));
    if (layoutDirection() == Qt::RightToLeft) column = columns - 1 - column;
    const int row = std::min(rows - 1, (position.y() - weekdayRowHeight) / dayRowHeight);
    return firstShownDate().addDays(row * columns + column);
}

void MonthGrid::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QLocale locale = this->locale();
    const QPalette &colors = palette();
    const int firstDay = int(locale.firstDayOfWeek());

    painter.setFont(theme::font(10, QFont::DemiBold));
    painter.setPen(theme::secondary(colors));
    for (int column = 0; column < columns; ++column) {
        const int day = (firstDay - 1 + column) % columns + 1;
        QRectF cell = cellRect(column);
        cell.moveTop(0);
        cell.setHeight(weekdayRowHeight);
        painter.drawText(cell, Qt::AlignCenter, locale.standaloneDayName(day, QLocale::ShortFormat));
    }

    const QDate first = firstShownDate();
    const QDate today = m_today;
    const QFont dayFont = theme::font(12);
    const QFont markedFont = theme::font(12, QFont::DemiBold);
    for (int index = 0; index < columns * rows; ++index) {
        const QDate date = first.addDays(index);
        const QRectF cell = cellRect(index);
        const QRectF circle(
            cell.center().x() - dayDiameter / 2, cell.center().y() - dayDiameter / 2, dayDiameter, dayDiameter);
        const bool inMonth = date.month() == m_month.month();
        QColor text = theme::primary(colors);
        if (date == m_selected) {
            painter.setPen(Qt::NoPen);
            painter.setBrush(colors.color(QPalette::Highlight));
            painter.drawEllipse(circle);
            text = colors.color(QPalette::HighlightedText);
        } else {
            if (date == m_hovered) {
                painter.setPen(Qt::NoPen);
                painter.setBrush(withAlpha(theme::primary(colors), 0.09));
                painter.drawEllipse(circle);
            }
            if (date == today)
                text = theme::accent(colors);
            else if (!inMonth)
                text = withAlpha(text, 0.32);
        }
        painter.setFont(date == m_selected || date == today ? markedFont : dayFont);
        painter.setPen(text);
        painter.drawText(cell, Qt::AlignCenter, locale.toString(date.day()));
    }
}

void MonthGrid::keyPressEvent(QKeyEvent *event)
{
    const int forward = layoutDirection() == Qt::RightToLeft ? -1 : 1;
    switch (event->key()) {
    case Qt::Key_Left:
        setSelectedDate(m_selected.addDays(-forward));
        break;
    case Qt::Key_Right:
        setSelectedDate(m_selected.addDays(forward));
        break;
    case Qt::Key_Up:
        setSelectedDate(m_selected.addDays(-columns));
        break;
    case Qt::Key_Down:
        setSelectedDate(m_selected.addDays(columns));
        break;
    // With Shift, a year at a time: last season's games are twelve presses away otherwise.
    case Qt::Key_PageUp:
        setSelectedDate(event->modifiers() & Qt::ShiftModifier ? m_selected.addYears(-1) : m_selected.addMonths(-1));
        break;
    case Qt::Key_PageDown:
        setSelectedDate(event->modifiers() & Qt::ShiftModifier ? m_selected.addYears(1) : m_selected.addMonths(1));
        break;
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Space:
        // A held key repeats its press; the day is picked once.
        if (!event->isAutoRepeat()) Q_EMIT picked(m_selected);
        break;
    default:
        QWidget::keyPressEvent(event);
    }
}

void MonthGrid::focusInEvent(QFocusEvent *event)
{
    QWidget::focusInEvent(event);
    announceSelectedDay();
}

// The days' places follow the width.
void MonthGrid::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    accessibility::reread(this);
}

void MonthGrid::changeEvent(QEvent *event)
{
    QWidget::changeEvent(event);
    if (event->type() == QEvent::LocaleChange || event->type() == QEvent::LayoutDirectionChange)
        accessibility::reread(this);
}

// The month as a table: the weekdays head the columns, each day is a cell named by its full date.
AccessibleTable MonthGrid::accessibleContent() const
{
    const QLocale locale = this->locale();
    AccessibleTable table;
    table.name = locale.toString(m_month, u"MMMM yyyy"_s);
    table.focusableCells = true;
    const int firstDay = int(locale.firstDayOfWeek());
    for (int column = 0; column < columns; ++column) {
        QRectF cell = cellRect(column);
        cell.moveTop(0);
        cell.setHeight(weekdayRowHeight);
        AccessibleTable::Cell weekday;
        weekday.text = locale.standaloneDayName((firstDay - 1 + column) % columns + 1, QLocale::LongFormat);
        weekday.rect = cell.toRect();
        table.header.push_back(weekday);
    }
    const QDate first = firstShownDate();
    for (int row = 0; row < rows; ++row) {
        std::vector<AccessibleTable::Cell> week;
        for (int column = 0; column < columns; ++column) {
            const int index = row * columns + column;
            const QDate date = first.addDays(index);
            AccessibleTable::Cell day;
            day.text = locale.toString(date, QLocale::LongFormat);
            if (date == m_today) day.description = u"Today"_s;
            day.rect = cellRect(index).toRect();
            day.selected = date == m_selected;
            day.press = [grid = const_cast<MonthGrid *>(this), date] {
                grid->setSelectedDate(date);
                Q_EMIT grid->picked(date);
            };
            day.pressName = u"Pick"_s;
            week.push_back(std::move(day));
        }
        table.rows.push_back(std::move(week));
    }
    return table;
}

void MonthGrid::announceSelectedDay()
{
    auto *table = dynamic_cast<AccessibleWidgetTable *>(QAccessible::queryAccessibleInterface(this));
    const qint64 index = firstShownDate().daysTo(m_selected);
    if (!table || index < 0 || index >= columns * rows) return;
    const int child = table->cells().childIndex(int(index / columns), int(index % columns));
    accessibility::notify(this, QAccessible::SelectionAdd, child);
    if (hasFocus()) accessibility::notify(this, QAccessible::Focus, child);
}

void MonthGrid::mouseMoveEvent(QMouseEvent *event)
{
    const QDate hovered = dateAt(event->position().toPoint());
    if (hovered == m_hovered) return;
    m_hovered = hovered;
    update();
}

void MonthGrid::mouseReleaseEvent(QMouseEvent *event)
{
    const QDate date = dateAt(event->position().toPoint());
    if (event->button() != Qt::LeftButton || !date.isValid()) return;
    setSelectedDate(date);
    Q_EMIT picked(date);
}

void MonthGrid::leaveEvent(QEvent *)
{
    m_hovered = QDate();
    update();
}

DatePickerPopover::DatePickerPopover(const ButtonFactory &makeButton, QWidget *parent)
    : QWidget(parent, Qt::Popup | Qt::FramelessWindowHint)
    , m_heading(new QLabel(u"Pick a date"_s, this))
    , m_monthTitle(new QLabel(this))
    , m_previousYear(makeButton(this))
    , m_previousMonth(makeButton(this))
    , m_nextMonth(makeButton(this))
    , m_nextYear(makeButton(this))
    , m_grid(new MonthGrid(this))
{
    setObjectName(u"datePicker"_s);
    accessibility::setRole(this, QAccessible::Dialog);
    setAccessibleName(u"Pick a date"_s);
    // Follows the window's palette and font although it is a window of its own.
    setAttribute(Qt::WA_WindowPropagation);

    m_heading->setObjectName(u"datePickerHeading"_s);
    m_heading->setFont(theme::font(11, QFont::DemiBold));
    m_monthTitle->setObjectName(u"datePickerMonth"_s);
    m_monthTitle->setFont(theme::font(13, QFont::DemiBold));
    m_previousMonth->setObjectName(u"previousMonth"_s);
    m_previousMonth->setToolTip(u"Previous month"_s);
    m_nextMonth->setObjectName(u"nextMonth"_s);
    m_nextMonth->setToolTip(u"Next month"_s);
    m_previousYear->setObjectName(u"previousYear"_s);
    m_previousYear->setToolTip(u"Previous year (Shift+Page Up)"_s);
    m_nextYear->setObjectName(u"nextYear"_s);
    m_nextYear->setToolTip(u"Next year (Shift+Page Down)"_s);

    auto *column = new QVBoxLayout(this);
    column->setSpacing(6);
    column->addWidget(m_heading);
    auto *header = new QHBoxLayout;
    header->setSpacing(0);
    header->addWidget(m_monthTitle);
    header->addStretch();
    header->addWidget(m_previousYear);
    header->addWidget(m_previousMonth);
    header->addWidget(m_nextMonth);
    header->addWidget(m_nextYear);
    column->addLayout(header);
    column->addWidget(m_grid);
    setTranslucent(translucencyAvailable());

    connect(m_previousMonth, &QAbstractButton::clicked, this,
        [this] { m_grid->showMonth(m_grid->shownMonth().addMonths(-1)); });
    connect(
        m_nextMonth, &QAbstractButton::clicked, this, [this] { m_grid->showMonth(m_grid->shownMonth().addMonths(1)); });
    connect(m_previousYear, &QAbstractButton::clicked, this,
        [this] { m_grid->showMonth(m_grid->shownMonth().addYears(-1)); });
    connect(
        m_nextYear, &QAbstractButton::clicked, this, [this] { m_grid->showMonth(m_grid->shownMonth().addYears(1)); });
    connect(m_grid, &MonthGrid::shownMonthChanged, this, &DatePickerPopover::updateMonthTitle);
    connect(m_grid, &MonthGrid::picked, this, [this](QDate date) {
        close();
        Q_EMIT picked(date);
    });
    setFocusProxy(m_grid);
    applyColors();
    updateMonthTitle();
}

bool DatePickerPopover::translucencyAvailable()
{
    const QString platform = QGuiApplication::platformName();
    if (platform == u"xcb"_s) return x11CompositingActive();
    return platform.startsWith(u"wayland"_s) || platform == u"windows"_s || platform == u"cocoa"_s;
}

bool DatePickerPopover::x11CompositingActive()
{
    const auto *x11 = qApp->nativeInterface<QNativeInterface::QX11Application>();
    if (!x11 || !x11->connection()) return false;
    xcb_connection_t *connection = x11->connection();
    // A compositing manager owns the selection _NET_WM_CM_S<n> of the screen it composites.
    const QByteArray display = qgetenv("DISPLAY");
    const qsizetype colon = display.lastIndexOf(':');
    const qsizetype dot = display.indexOf('.', colon + 1);
    const int screen = colon >= 0 && dot > colon ? display.mid(dot + 1).toInt() : 0;
    const QByteArray name = "_NET_WM_CM_S" + QByteArray::number(screen);
    const std::unique_ptr<xcb_intern_atom_reply_t, decltype(&std::free)> atom(
        xcb_intern_atom_reply(
            connection, xcb_intern_atom(connection, 0, static_cast<uint16_t>(name.size()), name.constData()), nullptr),
        &std::free);
    if (!atom) return false;
    const std::unique_ptr<xcb_get_selection_owner_reply_t, decltype(&std::free)> owner(
        xcb_get_selection_owner_reply(connection, xcb_get_selection_owner(connection, atom->atom), nullptr),
        &std::free);
    return owner && owner->owner != XCB_NONE;
}

void DatePickerPopover::setTranslucent(bool translucent)
{
    m_translucent = translucent;
    setAttribute(Qt::WA_TranslucentBackground, translucent);
    if (!translucent) setAttribute(Qt::WA_NoSystemBackground, false);
    const int shadow = translucent ? shadowSize : 0;
    setFixedWidth(panelWidth + 2 * shadow);
    layout()->setContentsMargins(
        shadow + padding, padding + (translucent ? arrowHeight : 0), shadow + padding, shadow + padding);
    update();
}

void DatePickerPopover::popUp(QWidget *anchor)
{
    m_anchor = anchor;
    // A compositor may have started or stopped since the last time; the native window takes the new format
    // when it is made again.
    if (QGuiApplication::platformName() == u"xcb"_s && !isVisible()) {
        if (const bool translucent = x11CompositingActive(); translucent != m_translucent) {
            destroy();
            setTranslucent(translucent);
        }
    }
    adjustSize();
    const QRect anchorRect(anchor->mapToGlobal(QPoint(0, 0)), anchor->size());
    const QRect screen = anchor->screen()->availableGeometry();
    const int centre = anchorRect.left() + anchorRect.width() / 2;
    const int x
        = std::clamp(centre - width() / 2, screen.left(), std::max(screen.left(), screen.right() + 1 - width()));
    // The arrow keeps pointing at the anchor when the screen's edge pushes the panel aside.
    m_arrowX
        = std::clamp(qreal(centre - x), cornerRadius + arrowHalfWidth, qreal(width()) - cornerRadius - arrowHalfWidth);
    move(x, anchorRect.bottom() + 1);
    show();
    update();
}

QPainterPath DatePickerPopover::panelPath() const
{
    // Half-pixel insets keep the one-pixel border sharp.
    const QRectF panel
        = QRectF(rect()).adjusted(shadowSize + 0.5, arrowHeight + 0.5, -shadowSize - 0.5, -shadowSize - 0.5);
    const qreal left = panel.left(), top = panel.top(), right = panel.right(), bottom = panel.bottom();
    constexpr qreal diameter = 2 * cornerRadius;
    QPainterPath path;
    path.moveTo(left + cornerRadius, top);
    path.lineTo(m_arrowX - arrowHalfWidth, top);
    path.lineTo(m_arrowX, top - arrowHeight);
    path.lineTo(m_arrowX + arrowHalfWidth, top);
    path.lineTo(right - cornerRadius, top);
    path.arcTo(right - diameter, top, diameter, diameter, 90, -90);
    path.lineTo(right, bottom - cornerRadius);
    path.arcTo(right - diameter, bottom - diameter, diameter, diameter, 0, -90);
    path.lineTo(left + cornerRadius, bottom);
    path.arcTo(left, bottom - diameter, diameter, diameter, 270, -90);
    path.lineTo(left, top + cornerRadius);
    path.arcTo(left, top, diameter, diameter, 180, -90);
    path.closeSubpath();
    return path;
}

void DatePickerPopover::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const bool dark = theme::isDark(palette());
    // A shade lighter than the window, as raised surfaces are on both light and dark desktops.
    const QColor window = palette().color(QPalette::Window);
    const QColor background = dark ? window.lighter(118) : window.lighter(104);
    const QColor border = withAlpha(theme::primary(palette()), dark ? 0.24 : 0.16);
    if (m_translucent) {
        const QPainterPath panel = panelPath();
        // A soft drop shadow from widening strokes, each adding a little darkness towards the edge.
        painter.setBrush(Qt::NoBrush);
        painter.translate(0, 2);
        for (int width = 2 * shadowSize; width > 0; width -= 2)
            painter.strokePath(panel, QPen(QColor(0, 0, 0, dark ? 14 : 7), width));
        painter.translate(0, -2);
        painter.setPen(QPen(border, 1));
        painter.setBrush(background);
        painter.drawPath(panel);
    } else {
        painter.setPen(QPen(border, 1));
        painter.setBrush(background);
        painter.setRenderHint(QPainter::Antialiasing, false);
        painter.fillRect(rect(), background);
        painter.drawRect(rect().adjusted(0, 0, -1, -1));
    }
}

void DatePickerPopover::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Escape)
        close();
    else
        QWidget::keyPressEvent(event);
}

void DatePickerPopover::mousePressEvent(QMouseEvent *event)
{
    const QPoint position = event->position().toPoint();
    const bool outside = !rect().contains(position) || (m_translucent && !panelPath().contains(position));
    if (!outside) {
        QWidget::mousePressEvent(event);
        return;
    }
    // A click on the title that closes the popover must not reach the title as well and open it again.
    const bool onAnchor
        = m_anchor && m_anchor->rect().contains(m_anchor->mapFromGlobal(event->globalPosition().toPoint()));
    setAttribute(Qt::WA_NoMouseReplay, onAnchor);
    close();
}

void DatePickerPopover::showEvent(QShowEvent *event)
{
    setAttribute(Qt::WA_NoMouseReplay, false);
    m_grid->setFocus();
    QWidget::showEvent(event);
}

void DatePickerPopover::changeEvent(QEvent *event)
{
    if (event->type() == QEvent::PaletteChange) applyColors();
    if (event->type() == QEvent::LocaleChange) updateMonthTitle();
    QWidget::changeEvent(event);
}

void DatePickerPopover::applyColors()
{
    theme::setTextColor(m_heading, theme::secondary(palette()));
    const QColor color = theme::primary(palette());
    m_previousMonth->setIcon(symbolIcon(Symbol::ChevronLeft, chevronSize, color));
    m_nextMonth->setIcon(symbolIcon(Symbol::ChevronRight, chevronSize, color));
    m_previousMonth->setIconSize(QSize(chevronSize, chevronSize));
    m_nextMonth->setIconSize(QSize(chevronSize, chevronSize));
    m_previousYear->setIcon(doubleChevron(Symbol::ChevronLeft, color));
    m_nextYear->setIcon(doubleChevron(Symbol::ChevronRight, color));
    m_previousYear->setIconSize(QSize(chevronSize * 3 / 2, chevronSize));
    m_nextYear->setIconSize(QSize(chevronSize * 3 / 2, chevronSize));
}

void DatePickerPopover::updateMonthTitle()
{
    m_monthTitle->setText(locale().toString(m_grid->shownMonth(), u"MMMM yyyy"_s));
}
