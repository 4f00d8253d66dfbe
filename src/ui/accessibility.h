#pragma once

#include <QAccessible>
#include <QAccessibleWidget>
#include <QPointer>
#include <QRect>
#include <QString>
#include <functional>
#include <map>
#include <optional>
#include <utility>
#include <vector>

class QWidget;

namespace accessibility {

// Interfaces that read their widget's content once and keep it until told it changed.
class ContentInterface {
public:
    virtual ~ContentInterface() = default;
    virtual void invalidate() = 0;
};

} // namespace accessibility

// A table as assistive technology reads it: an optional header row, then rows of cells whose first cell heads
// the row. Widgets that paint a table, or hide a grid of labels behind one, describe themselves with it.
struct AccessibleTable {
    struct Cell {
        QString text;
        QString description;
        // In the coordinates of the widget that shows the table; empty for the widget's whole area.
        QRect rect;
        // The widget that shows the cell, if one does: the cell is where it is now, whatever `rect` says.
        QPointer<QWidget> shownBy;
        bool selected = false;
        // What pressing the cell does; none for a cell that only reads.
        std::function<void()> press;
        QString pressName;
    };

    QString name;
    QString description;
    std::vector<Cell> header;
    std::vector<std::vector<Cell>> rows;
    // The cells take the keyboard focus one at a time: the selected cell holds it while the widget does.
    bool focusableCells = false;

    int columnCount() const;
    // The cell at a place of the grid, or none; row -1 is the header row.
    const Cell *cell(int row, int column) const;
};

// The cells of one accessible table, made when assistive technology first asks for them. The table's content
// comes from its widget and is read again after contentChanged(); cells that no longer exist then go.
class AccessibleTableCells {
public:
    using Provider = std::function<AccessibleTable()>;

    AccessibleTableCells(QAccessibleInterface *table, QWidget *host, Provider provider);
    ~AccessibleTableCells();
    AccessibleTableCells(const AccessibleTableCells &) = delete;
    AccessibleTableCells &operator=(const AccessibleTableCells &) = delete;

    const AccessibleTable &content() const;
    void invalidate();

    QAccessibleInterface *table() const { return m_table; }
    QWidget *host() const { return m_host; }
    int rowCount() const { return int(content().rows.size()); }
    int columnCount() const { return content().columnCount(); }
    bool hasHeader() const { return !content().header.empty(); }

    // Children in order: the header cells, then the cells row by row.
    int childCount() const;
    QAccessibleInterface *child(int index) const;
    int indexOfChild(const QAccessibleInterface *child) const;
    int childIndex(int row, int column) const;
    QAccessibleInterface *cell(int row, int column) const;
    QAccessibleInterface *cellAt(QPoint globalPosition) const;
    QList<QAccessibleInterface *> selectedCells() const;
    // The selected cell while the cells take the focus and the widget has it.
    QAccessibleInterface *focusedCell() const;
    // The area of a cell on the screen.
    QRect globalRect(const AccessibleTable::Cell &cell) const;
    QRect globalRect(const QRect &rect) const;

private:
    QAccessibleInterface *m_table;
    QPointer<QWidget> m_host;
    Provider m_provider;
    mutable std::optional<AccessibleTable> m_content;
    mutable std::map<std::pair<int, int>, QAccessible::Id> m_cells;
};

// The table part of an accessible table, answered from its cells.
class AccessibleTableAnswers : public QAccessibleTableInterface {
public:
    virtual AccessibleTableCells &cells() const = 0;

    QAccessibleInterface *caption() const override { return nullptr; }
    QAccessibleInterface *summary() const override { return nullptr; }
    QAccessibleInterface *cellAt(int row, int column) const override;
    int selectedCellCount() const override;
    QList<QAccessibleInterface *> selectedCells() const override;
    QString columnDescription(int column) const override;
    QString rowDescription(int row) const override;
    int selectedColumnCount() const override { return 0; }
    int selectedRowCount() const override { return 0; }
    int columnCount() const override;
    int rowCount() const override;
    QList<int> selectedColumns() const override { return {}; }
    QList<int> selectedRows() const override { return {}; }
    bool isColumnSelected(int) const override { return false; }
    bool isRowSelected(int) const override { return false; }
    bool selectRow(int) override { return false; }
    bool selectColumn(int) override { return false; }
    bool unselectRow(int) override { return false; }
    bool unselectColumn(int) override { return false; }
    void modelChange(QAccessibleTableModelChangeEvent *) override { cells().invalidate(); }
};

// A widget that is a table to assistive technology: its own children stay out of the tree, its cells stand in.
class AccessibleWidgetTable : public QAccessibleWidget,
                              public AccessibleTableAnswers,
                              public accessibility::ContentInterface {
public:
    AccessibleWidgetTable(QWidget *widget, AccessibleTableCells::Provider provider);

    AccessibleTableCells &cells() const override { return m_cells; }
    void invalidate() override { m_cells.invalidate(); }

    QString text(QAccessible::Text t) const override;
    int childCount() const override { return m_cells.childCount(); }
    QAccessibleInterface *child(int index) const override { return m_cells.child(index); }
    int indexOfChild(const QAccessibleInterface *child) const override { return m_cells.indexOfChild(child); }
    QAccessibleInterface *childAt(int x, int y) const override { return m_cells.cellAt(QPoint(x, y)); }
    QAccessibleInterface *focusChild() const override { return m_cells.focusedCell(); }
    void *interface_cast(QAccessible::InterfaceType type) override;

private:
    mutable AccessibleTableCells m_cells;
};

// A table inside a painted widget, next to other parts of it.
class AccessibleVirtualTable : public QAccessibleInterface, public AccessibleTableAnswers {
public:
    AccessibleVirtualTable(QAccessibleInterface *parent, QWidget *host, AccessibleTableCells::Provider provider);

    AccessibleTableCells &cells() const override { return m_cells; }

    bool isValid() const override { return m_cells.host() != nullptr; }
    QObject *object() const override { return nullptr; }
    QWindow *window() const override;
    QAccessibleInterface *parent() const override { return m_parent; }
    QAccessibleInterface *child(int index) const override { return m_cells.child(index); }
    int childCount() const override { return m_cells.childCount(); }
    int indexOfChild(const QAccessibleInterface *child) const override { return m_cells.indexOfChild(child); }
    QAccessibleInterface *childAt(int x, int y) const override { return m_cells.cellAt(QPoint(x, y)); }
    QString text(QAccessible::Text t) const override;
    void setText(QAccessible::Text, const QString &) override { }
    QRect rect() const override;
    QAccessible::Role role() const override { return QAccessible::Table; }
    QAccessible::State state() const override;
    void *interface_cast(QAccessible::InterfaceType type) override;

private:
    QAccessibleInterface *m_parent;
    mutable AccessibleTableCells m_cells;
};

// A line of text inside a painted widget.
class AccessibleVirtualText : public QAccessibleInterface {
public:
    // `rect` in the host's coordinates; empty for the host's whole area.
    AccessibleVirtualText(QAccessibleInterface *parent, QWidget *host, QString text, QRect rect);

    bool isValid() const override { return m_host != nullptr; }
    QObject *object() const override { return nullptr; }
    QWindow *window() const override;
    QAccessibleInterface *parent() const override { return m_parent; }
    QAccessibleInterface *child(int) const override { return nullptr; }
    int childCount() const override { return 0; }
    int indexOfChild(const QAccessibleInterface *) const override { return -1; }
    QAccessibleInterface *childAt(int, int) const override { return nullptr; }
    QString text(QAccessible::Text t) const override;
    void setText(QAccessible::Text, const QString &) override { }
    QRect rect() const override;
    QAccessible::Role role() const override { return QAccessible::StaticText; }
    QAccessible::State state() const override;

    void setContent(QString text, QRect rect);

private:
    QAccessibleInterface *m_parent;
    QPointer<QWidget> m_host;
    QString m_text;
    QRect m_rect;
};

namespace accessibility {

// Makes the window's interface factory known to Qt; every view that needs it calls this when it is made.
void installFactory();
// Qt may have made a stock interface for `widget` while its constructors ran, before its own factory or role
// applied; an interface of another role goes, so that the next query makes the widget's own.
void claimInterface(QWidget *widget, QAccessible::Role role);
// Makes `widget` a table to assistive technology, read through `provider`; its own children leave the tree.
void setTable(QWidget *widget, AccessibleTableCells::Provider provider);
// A role for a widget of no class of its own (a tab bar, an image); read when its interface is made.
void setRole(QWidget *widget, QAccessible::Role role);
// The content that `widget` paints or stands for changed: its interface reads it again and assistive
// technology hears that the children changed.
void contentChanged(QWidget *widget);
// The texts or states that `widget` shows for its parts changed, the parts themselves did not: its interface
// reads them again, without an event.
void reread(QWidget *widget);
// Sends one event about `object`, or about its child at `child`.
void notify(QObject *object, QAccessible::Event event, int child = -1);

} // namespace accessibility
