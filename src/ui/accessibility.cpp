#include "ui/accessibility.h"

#include <QAbstractButton>
#include <QVariant>
#include <QWidget>
#include <QWindow>
#include <algorithm>

namespace {

const char roleProperty[] = "baselarkAccessibleRole";

QWindow *windowOf(const QWidget *widget)
{
    return widget ? widget->window()->windowHandle() : nullptr;
}

// One cell of an AccessibleTableCells table; it reads its text from the table's content every time.
class AccessibleCell : public QAccessibleInterface,
                       public QAccessibleTableCellInterface,
                       public QAccessibleActionInterface {
public:
    AccessibleCell(const AccessibleTableCells *cells, int row, int column)
        : m_cells(cells)
        , m_row(row)
        , m_column(column)
    { }

    const AccessibleTableCells *cells() const { return m_cells; }
    int row() const { return m_row; }
    int column() const { return m_column; }

    bool isValid() const override { return m_cells->host() && cell() != nullptr; }
    QObject *object() const override { return nullptr; }
    QWindow *window() const override { return windowOf(m_cells->host()); }
    QAccessibleInterface *parent() const override { return m_cells->table(); }
    QAccessibleInterface *child(int) const override { return nullptr; }
    int childCount() const override { return 0; }
    int indexOfChild(const QAccessibleInterface *) const override { return -1; }
    QAccessibleInterface *childAt(int, int) const override { return nullptr; }
    void setText(QAccessible::Text, const QString &) override { }

    QString text(QAccessible::Text t) const override
    {
        const AccessibleTable::Cell *shown = cell();
        if (!shown) return {};
        if (t == QAccessible::Name) return shown->text;
        if (t == QAccessible::Description) return shown->description;
        return {};
    }

    QRect rect() const override
    {
        const AccessibleTable::Cell *shown = cell();
        return shown ? m_cells->globalRect(*shown) : QRect();
    }

    QAccessible::Role role() const override { return m_row < 0 ? QAccessible::ColumnHeader : QAccessible::Cell; }

    QAccessible::State state() const override
    {
        QAccessible::State state;
        state.readOnly = true;
        const QWidget *host = m_cells->host();
        state.invisible = !host || !host->isVisible();
        const AccessibleTable::Cell *shown = cell();
        if (shown && m_row >= 0 && m_cells->content().focusableCells) {
            state.selectable = true;
            state.focusable = true;
            state.selected = shown->selected;
            state.focused = shown->selected && host && host->hasFocus();
        }
        return state;
    }

    void *interface_cast(QAccessible::InterfaceType type) override
    {
        if (type == QAccessible::TableCellInterface) return static_cast<QAccessibleTableCellInterface *>(this);
        if (type == QAccessible::ActionInterface) return static_cast<QAccessibleActionInterface *>(this);
        return nullptr;
    }

    bool isSelected() const override
    {
        const AccessibleTable::Cell *shown = cell();
        return shown && shown->selected;
    }

    QList<QAccessibleInterface *> columnHeaderCells() const override
    {
        if (m_row < 0 || !m_cells->hasHeader()) return {};
        return { m_cells->cell(-1, m_column) };
    }

    // The first cell of a row names it: the club, the batter, the inning.
    QList<QAccessibleInterface *> rowHeaderCells() const override
    {
        if (m_row < 0 || m_column == 0) return {};
        return { m_cells->cell(m_row, 0) };
    }

    int columnIndex() const override { return m_column; }
    int rowIndex() const override { return std::max(m_row, 0); }
    int columnExtent() const override { return 1; }
    int rowExtent() const override { return 1; }
    QAccessibleInterface *table() const override { return m_cells->table(); }

    QStringList actionNames() const override
    {
        const AccessibleTable::Cell *shown = cell();
        if (shown && shown->press) return { pressAction() };
        return {};
    }

    QString localizedActionName(const QString &name) const override
    {
        const AccessibleTable::Cell *shown = cell();
        if (shown && name == pressAction() && !shown->pressName.isEmpty()) return shown->pressName;
        return QAccessibleActionInterface::localizedActionName(name);
    }

    QString localizedActionDescription(const QString &name) const override { return localizedActionName(name); }

    void doAction(const QString &name) override
    {
        const AccessibleTable::Cell *shown = cell();
        if (name != pressAction() || !shown || !shown->press) return;
        // Pressing may change the table and with it this cell.
        const std::function<void()> press = shown->press;
        press();
    }

    QStringList keyBindingsForAction(const QString &) const override { return {}; }

private:
    const AccessibleTable::Cell *cell() const { return m_cells->content().cell(m_row, m_column); }

    const AccessibleTableCells *m_cells;
    int m_row;
    int m_column;
};

// A checkable flat button read as what it stands for: a page tab, selected while its page shows, or one of a
// set of radio buttons, instead of the check box Qt makes of every checkable button.
class AccessibleChoiceButton : public QAccessibleWidget {
public:
    AccessibleChoiceButton(QAbstractButton *button, QAccessible::Role role)
        : QAccessibleWidget(button, role)
    { }

    QString text(QAccessible::Text t) const override
    {
        const QString own = QAccessibleWidget::text(t);
        if (t == QAccessible::Name && own.isEmpty()) return button()->text();
        return own;
    }

    QAccessible::State state() const override
    {
        QAccessible::State state = QAccessibleWidget::state();
        if (role() == QAccessible::PageTab) {
            state.selectable = true;
            state.selected = button()->isChecked();
        } else {
            state.checkable = true;
            state.checked = button()->isChecked();
        }
        return state;
    }

    QStringList actionNames() const override
    {
        return QStringList { pressAction() } + QAccessibleWidget::actionNames();
    }

    void doAction(const QString &name) override
    {
        if (name == pressAction())
            button()->click();
        else
            QAccessibleWidget::doAction(name);
    }

private:
    QAbstractButton *button() const { return static_cast<QAbstractButton *>(widget()); }
};

// Keeps the provider of a widget made a table by accessibility::setTable, and goes with the widget.
class TableProvider : public QObject {
public:
    TableProvider(AccessibleTableCells::Provider provider, QWidget *widget)
        : QObject(widget)
        , provider(std::move(provider))
    { }

    const AccessibleTableCells::Provider provider;
};

// A window that hangs from a widget of another window, as the calendar hangs from the date row: Qt counts
// every window as a child of the application, the tree puts it under the widget.
class AccessibleHangingWindow : public QAccessibleWidget {
public:
    using QAccessibleWidget::QAccessibleWidget;

    QAccessibleInterface *parent() const override
    {
        return QAccessible::queryAccessibleInterface(widget()->parentWidget());
    }
};

QAccessibleInterface *roleFactory(const QString &, QObject *object)
{
    auto *widget = qobject_cast<QWidget *>(object);
    if (!widget) return nullptr;
    const QVariant property = widget->property(roleProperty);
    if (!property.isValid()) return nullptr;
    const auto role = QAccessible::Role(property.toInt());
    if (role == QAccessible::Table) {
        for (const QObject *child : widget->children())
            if (const auto *table = dynamic_cast<const TableProvider *>(child))
                return new AccessibleWidgetTable(widget, table->provider);
    }
    if (auto *button = qobject_cast<QAbstractButton *>(widget)) return new AccessibleChoiceButton(button, role);
    if (widget->isWindow() && widget->parentWidget()) return new AccessibleHangingWindow(widget, role);
    return new QAccessibleWidget(widget, role);
}

} // namespace

int AccessibleTable::columnCount() const
{
    std::size_t count = header.size();
    for (const auto &row : rows)
        count = std::max(count, row.size());
    return int(count);
}

// Rows shorter than the table read as empty cells.
const AccessibleTable::Cell *AccessibleTable::cell(int row, int column) const
{
    static const Cell empty;
    if (column < 0 || column >= columnCount()) return nullptr;
    if (row < 0) {
        if (row < -1 || header.empty()) return nullptr;
        return std::size_t(column) < header.size() ? &header[std::size_t(column)] : &empty;
    }
    if (std::size_t(row) >= rows.size()) return nullptr;
    const auto &cells = rows[std::size_t(row)];
    return std::size_t(column) < cells.size() ? &cells[std::size_t(column)] : &empty;
}

AccessibleTableCells::AccessibleTableCells(QAccessibleInterface *table, QWidget *host, Provider provider)
    : m_table(table)
    , m_host(host)
    , m_provider(std::move(provider))
{ }

AccessibleTableCells::~AccessibleTableCells()
{
    for (const auto &[place, id] : m_cells)
        QAccessible::deleteAccessibleInterface(id);
}

const AccessibleTable &AccessibleTableCells::content() const
{
    if (!m_content) m_content = m_host ? m_provider() : AccessibleTable();
    return *m_content;
}

// With cells out, the content is read now and the cells it no longer has go at once, so that no cell is asked
// about a place that has gone; without cells it waits until it is needed.
void AccessibleTableCells::invalidate()
{
    m_content.reset();
    if (m_cells.empty()) return;
    const AccessibleTable &fresh = content();
    for (auto it = m_cells.begin(); it != m_cells.end();) {
        if (fresh.cell(it->first.first, it->first.second)) {
            ++it;
            continue;
        }
        QAccessible::deleteAccessibleInterface(it->second);
        it = m_cells.erase(it);
    }
}

int AccessibleTableCells::childCount() const
{
    return (int(content().rows.size()) + (hasHeader() ? 1 : 0)) * columnCount();
}

int AccessibleTableCells::childIndex(int row, int column) const
{
    if (!content().cell(row, column)) return -1;
    return (row + (hasHeader() ? 1 : 0)) * columnCount() + column;
}

QAccessibleInterface *AccessibleTableCells::child(int index) const
{
    const int columns = columnCount();
    if (index < 0 || columns == 0) return nullptr;
    return cell(index / columns - (hasHeader() ? 1 : 0), index % columns);
}

int AccessibleTableCells::indexOfChild(const QAccessibleInterface *child) const
{
    const auto *cell = dynamic_cast<const AccessibleCell *>(child);
    if (!cell || cell->cells() != this) return -1;
    return childIndex(cell->row(), cell->column());
}

QAccessibleInterface *AccessibleTableCells::cell(int row, int column) const
{
    if (!content().cell(row, column)) return nullptr;
    const std::pair place(row, column);
    if (const auto found = m_cells.find(place); found != m_cells.end())
        return QAccessible::accessibleInterface(found->second);
    auto *made = new AccessibleCell(this, row, column);
    m_cells.emplace(place, QAccessible::registerAccessibleInterface(made));
    return made;
}

QAccessibleInterface *AccessibleTableCells::cellAt(QPoint globalPosition) const
{
    const AccessibleTable &shown = content();
    for (int row = shown.header.empty() ? 0 : -1; row < int(shown.rows.size()); ++row) {
        for (int column = 0; column < shown.columnCount(); ++column) {
            const AccessibleTable::Cell *candidate = shown.cell(row, column);
            if ((candidate->shownBy || !candidate->rect.isEmpty()) && globalRect(*candidate).contains(globalPosition))
                return cell(row, column);
        }
    }
    return nullptr;
}

QList<QAccessibleInterface *> AccessibleTableCells::selectedCells() const
{
    QList<QAccessibleInterface *> result;
    const AccessibleTable &shown = content();
    for (int row = 0; row < int(shown.rows.size()); ++row) {
        for (int column = 0; column < shown.columnCount(); ++column)
            if (shown.cell(row, column)->selected) result << cell(row, column);
    }
    return result;
}

QAccessibleInterface *AccessibleTableCells::focusedCell() const
{
    if (!content().focusableCells || !m_host || !m_host->hasFocus()) return nullptr;
    const QList<QAccessibleInterface *> selected = selectedCells();
    return selected.isEmpty() ? nullptr : selected.first();
}

QRect AccessibleTableCells::globalRect(const AccessibleTable::Cell &cell) const
{
    if (cell.shownBy) return QRect(cell.shownBy->mapToGlobal(QPoint()), cell.shownBy->size());
    return globalRect(cell.rect);
}

QRect AccessibleTableCells::globalRect(const QRect &rect) const
{
    if (!m_host) return {};
    const QRect area = rect.isEmpty() ? m_host->rect() : rect;
    return QRect(m_host->mapToGlobal(area.topLeft()), area.size());
}

QAccessibleInterface *AccessibleTableAnswers::cellAt(int row, int column) const
{
    return row < 0 ? nullptr : cells().cell(row, column);
}

int AccessibleTableAnswers::selectedCellCount() const
{
    return int(cells().selectedCells().size());
}

QList<QAccessibleInterface *> AccessibleTableAnswers::selectedCells() const
{
    return cells().selectedCells();
}

QString AccessibleTableAnswers::columnDescription(int column) const
{
    const AccessibleTable::Cell *header = cells().content().cell(-1, column);
    if (!header) return {};
    return header->description.isEmpty() ? header->text : header->description;
}

QString AccessibleTableAnswers::rowDescription(int row) const
{
    const AccessibleTable::Cell *first = cells().content().cell(row, 0);
    return first ? first->text : QString();
}

int AccessibleTableAnswers::columnCount() const
{
    return cells().columnCount();
}

int AccessibleTableAnswers::rowCount() const
{
    return cells().rowCount();
}

AccessibleWidgetTable::AccessibleWidgetTable(QWidget *widget, AccessibleTableCells::Provider provider)
    : QAccessibleWidget(widget, QAccessible::Table)
    , m_cells(this, widget, std::move(provider))
{ }

QString AccessibleWidgetTable::text(QAccessible::Text t) const
{
    const QString own = QAccessibleWidget::text(t);
    if (!own.isEmpty()) return own;
    if (t == QAccessible::Name) return m_cells.content().name;
    if (t == QAccessible::Description) return m_cells.content().description;
    return {};
}

void *AccessibleWidgetTable::interface_cast(QAccessible::InterfaceType type)
{
    if (type == QAccessible::TableInterface) return static_cast<QAccessibleTableInterface *>(this);
    return QAccessibleWidget::interface_cast(type);
}

AccessibleVirtualTable::AccessibleVirtualTable(
    QAccessibleInterface *parent, QWidget *host, AccessibleTableCells::Provider provider)
    : m_parent(parent)
    , m_cells(this, host, std::move(provider))
{ }

QWindow *AccessibleVirtualTable::window() const
{
    return windowOf(m_cells.host());
}

QString AccessibleVirtualTable::text(QAccessible::Text t) const
{
    if (t == QAccessible::Name) return m_cells.content().name;
    if (t == QAccessible::Description) return m_cells.content().description;
    return {};
}

// The area its cells cover.
QRect AccessibleVirtualTable::rect() const
{
    QRect area;
    const AccessibleTable &shown = m_cells.content();
    for (int row = shown.header.empty() ? 0 : -1; row < int(shown.rows.size()); ++row) {
        for (int column = 0; column < shown.columnCount(); ++column) {
            if (const AccessibleTable::Cell *cell = shown.cell(row, column); !cell->rect.isEmpty() || cell->shownBy)
                area |= m_cells.globalRect(*cell);
        }
    }
    return area.isEmpty() ? m_cells.globalRect(QRect()) : area;
}

QAccessible::State AccessibleVirtualTable::state() const
{
    QAccessible::State state;
    state.readOnly = true;
    state.invisible = !m_cells.host() || !m_cells.host()->isVisible();
    return state;
}

void *AccessibleVirtualTable::interface_cast(QAccessible::InterfaceType type)
{
    if (type == QAccessible::TableInterface) return static_cast<QAccessibleTableInterface *>(this);
    return nullptr;
}

AccessibleVirtualText::AccessibleVirtualText(QAccessibleInterface *parent, QWidget *host, QString text, QRect rect)
    : m_parent(parent)
    , m_host(host)
    , m_text(std::move(text))
    , m_rect(rect)
{ }

QWindow *AccessibleVirtualText::window() const
{
    return windowOf(m_host);
}

QString AccessibleVirtualText::text(QAccessible::Text t) const
{
    return t == QAccessible::Name ? m_text : QString();
}

QRect AccessibleVirtualText::rect() const
{
    if (!m_host) return {};
    const QRect area = m_rect.isEmpty() ? m_host->rect() : m_rect;
    return QRect(m_host->mapToGlobal(area.topLeft()), area.size());
}

void AccessibleVirtualText::setContent(QString text, QRect rect)
{
    m_text = std::move(text);
    m_rect = rect;
}

QAccessible::State AccessibleVirtualText::state() const
{
    QAccessible::State state;
    state.readOnly = true;
    state.invisible = !m_host || !m_host->isVisible();
    return state;
}

namespace accessibility {

void installFactory()
{
    QAccessible::installFactory(&roleFactory);
}

void claimInterface(QWidget *widget, QAccessible::Role role)
{
    QAccessibleInterface *made = QAccessible::queryAccessibleInterface(widget);
    if (made && made->role() != role) QAccessible::deleteAccessibleInterface(QAccessible::uniqueId(made));
}

void setRole(QWidget *widget, QAccessible::Role role)
{
    installFactory();
    widget->setProperty(roleProperty, int(role));
    claimInterface(widget, role);
}

void setTable(QWidget *widget, AccessibleTableCells::Provider provider)
{
    new TableProvider(std::move(provider), widget);
    setRole(widget, QAccessible::Table);
}

void reread(QWidget *widget)
{
    if (auto *content = dynamic_cast<ContentInterface *>(QAccessible::queryAccessibleInterface(widget)))
        content->invalidate();
}

void contentChanged(QWidget *widget)
{
    reread(widget);
    notify(widget, QAccessible::ObjectReorder);
}

void notify(QObject *object, QAccessible::Event event, int child)
{
    QAccessibleEvent update(object, event);
    if (child >= 0) update.setChild(child);
    QAccessible::updateAccessibility(&update);
}

} // namespace accessibility
