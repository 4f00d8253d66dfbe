#include "ui/gamelistview.h"

#include "ui/accessibility.h"
#include "ui/gamerowview.h"
#include "ui/theme.h"

#include <QEasingCurve>
#include <QEvent>
#include <QPainter>
#include <QPropertyAnimation>
#include <QScrollBar>
#include <QTimer>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;

namespace {

// A hairline between two rows, faint enough not to compete with the row fills.
class RowDivider : public QWidget {
public:
    explicit RowDivider(QWidget *parent)
        : QWidget(parent)
    {
        setFixedHeight(5);
        setAttribute(Qt::WA_TransparentForMouseEvents);
    }

protected:
    void paintEvent(QPaintEvent *) override
    {
        QPainter painter(this);
        QColor color = palette().color(QPalette::Mid);
        color.setAlphaF(0.45f);
        painter.fillRect(QRect(8, 2, width() - 16, 1), color);
    }
};

// The list of games as assistive technology reads it: the rows in their order, without the scroll area's parts.
class AccessibleGameList : public QAccessibleWidget {
public:
    explicit AccessibleGameList(GameListView *list)
        : QAccessibleWidget(list, QAccessible::List)
    { }

    int childCount() const override { return int(list()->rowOrder().size()); }

    QAccessibleInterface *child(int index) const override
    {
        const std::vector<qint64> order = list()->rowOrder();
        if (index < 0 || std::size_t(index) >= order.size()) return nullptr;
        return QAccessible::queryAccessibleInterface(list()->row(order[std::size_t(index)]));
    }

    int indexOfChild(const QAccessibleInterface *child) const override
    {
        const std::vector<qint64> order = list()->rowOrder();
        for (std::size_t index = 0; index < order.size(); ++index)
            if (child && child->object() == list()->row(order[index])) return int(index);
        return -1;
    }

    QAccessibleInterface *focusChild() const override
    {
        for (const qint64 gamePk : list()->rowOrder())
            if (GameRowView *row = list()->row(gamePk); row->hasFocus())
                return QAccessible::queryAccessibleInterface(row);
        return nullptr;
    }

private:
    GameListView *list() const { return static_cast<GameListView *>(widget()); }
};

QAccessibleInterface *accessibleListFactory(const QString &, QObject *object)
{
    if (auto *list = qobject_cast<GameListView *>(object)) return new AccessibleGameList(list);
    return nullptr;
}

} // namespace

GameListView::GameListView(QWidget *parent)
    : QScrollArea(parent)
    , m_column(new QWidget)
    , m_layout(new QVBoxLayout(m_column))
    , m_scroll(new QPropertyAnimation(verticalScrollBar(), "value", this))
{
    QAccessible::installFactory(&accessibleListFactory);
    setObjectName(u"gameList"_s);
    setAccessibleName(u"Games"_s);
    setFrameShape(QFrame::NoFrame);
    setWidgetResizable(true);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setFocusPolicy(Qt::NoFocus);
    m_column->setAutoFillBackground(false);
    viewport()->setAutoFillBackground(false);
    m_layout->setContentsMargins(4, 4, 4, 4);
    m_layout->setSpacing(0);
    m_layout->addStretch();
    setWidget(m_column);
    m_scroll->setDuration(scrollDurationMs);
    m_scroll->setEasingCurve(QEasingCurve::InOutQuad);
    accessibility::claimInterface(this, QAccessible::List);
    // Scrolling by key or by the selection moves rows under a pointer that stays put.
    connect(verticalScrollBar(), &QScrollBar::valueChanged, this, &GameListView::syncHover);
}

void GameListView::setGames(const std::vector<Game> &games, bool noSpoilers, qint64 favoriteTeamId,
    std::optional<qint64> selectedGameId, const std::vector<qint64> &followedTeamIds)
{
    std::vector<qint64> order;
    std::map<qint64, GameRowView *> rows;
    for (const Game &game : games) {
        if (rows.count(game.gamePk)) continue; // a gamePk listed twice is shown once
        const bool selected = selectedGameId == game.gamePk;
        GameRowView *row = nullptr;
        if (auto found = m_rows.find(game.gamePk); found != m_rows.end()) {
            row = found->second;
            m_rows.erase(found);
            row->setInputs(game, noSpoilers, favoriteTeamId, true, selected);
        } else {
            row = new GameRowView(game, noSpoilers, favoriteTeamId, true, selected, m_column);
            connect(row, &GameRowView::clicked, this, [this, gamePk = game.gamePk] { Q_EMIT gameClicked(gamePk); });
        }
        row->setFollowedTeamIds(followedTeamIds);
        rows.emplace(game.gamePk, row);
        order.push_back(game.gamePk);
    }
    // Rows of games no longer listed go; deleting a hovered row gives back the cursor it took.
    for (auto &[gamePk, row] : m_rows)
        delete row;
    m_rows = std::move(rows);

    if (order != m_order) {
        for (QWidget *divider : m_dividers)
            delete divider;
        m_dividers.clear();
        while (m_layout->count() > 0)
            delete m_layout->takeAt(0);
        for (std::size_t i = 0; i < order.size(); ++i) {
            if (i > 0) {
                auto *divider = new RowDivider(m_column);
                m_dividers.push_back(divider);
                m_layout->addWidget(divider);
            }
            m_layout->addWidget(m_rows.at(order[i]));
        }
        m_layout->addStretch();
        m_order = std::move(order);
        accessibility::notify(this, QAccessible::ObjectReorder);
        // Once the layout has placed the rows, the one under the pointer may be another.
        QTimer::singleShot(0, this, &GameListView::syncHover);
    }

    const std::optional<qint64> previous = m_selectedGameId;
    m_selectedGameId = selectedGameId;
    // One row at a time is in the Tab order; the arrow keys move between the rows.
    GameRowView *current = currentRow();
    for (auto &[gamePk, row] : m_rows)
        row->setFocusPolicy(row == current ? Qt::StrongFocus : Qt::ClickFocus);
    if (selectedGameId && selectedGameId != previous && m_rows.count(*selectedGameId)) {
        // Wait for the layout to place the rows before measuring where the selected one is.
        const qint64 gamePk = *selectedGameId;
        QTimer::singleShot(0, this, [this, gamePk] { scrollToCentre(gamePk); });
    }
}

void GameListView::syncHover()
{
    for (auto &[gamePk, row] : m_rows)
        row->syncHoverWithPointer();
}

GameRowView *GameListView::row(qint64 gamePk) const
{
    const auto found = m_rows.find(gamePk);
    return found == m_rows.end() ? nullptr : found->second;
}

std::vector<qint64> GameListView::rowOrder() const
{
    return m_order;
}

GameRowView *GameListView::currentRow() const
{
    if (m_selectedGameId)
        if (GameRowView *selected = row(*m_selectedGameId)) return selected;
    return m_order.empty() ? nullptr : row(m_order.front());
}

void GameListView::focusSelectedRow()
{
    if (!m_selectedGameId) return;
    if (GameRowView *selected = row(*m_selectedGameId); selected && !selected->hasFocus())
        selected->setFocus(Qt::OtherFocusReason);
}

int GameListView::centredScrollValue(qint64 gamePk) const
{
    const GameRowView *target = row(gamePk);
    if (!target) return verticalScrollBar()->value();
    const int centre = target->geometry().center().y();
    const int value = centre - viewport()->height() / 2;
    return std::clamp(value, verticalScrollBar()->minimum(), verticalScrollBar()->maximum());
}

void GameListView::resizeEvent(QResizeEvent *event)
{
    QScrollArea::resizeEvent(event);
    recentreAfterLayout();
}

// The scroll area watches its column already, to follow the column's size with the scroll range.
bool GameListView::eventFilter(QObject *watched, QEvent *event)
{
    const bool handled = QScrollArea::eventFilter(watched, event);
    if (watched == m_column && event->type() == QEvent::Resize) recentreAfterLayout();
    return handled;
}

// The detail card above takes the height it needs and the list the rest, so a card that grows or shrinks
// (another game's facts, a live detail arriving, a score revealed) moves the selected row off the centre; so
// do rows above it that change height. Both show here once the layout has placed everything anew.
void GameListView::recentreAfterLayout()
{
    const int viewportHeight = viewport()->height();
    const int columnHeight = m_column->height();
    if (viewportHeight == m_viewportHeight && columnHeight == m_columnHeight) return;
    m_viewportHeight = viewportHeight;
    m_columnHeight = columnHeight;
    if (!m_selectedGameId || !row(*m_selectedGameId)) return;
    const int value = centredScrollValue(*m_selectedGameId);
    if (m_scroll->state() == QAbstractAnimation::Running)
        m_scroll->setEndValue(value);
    else
        verticalScrollBar()->setValue(value);
}

void GameListView::scrollToCentre(qint64 gamePk)
{
    if (!row(gamePk)) return;
    m_column->adjustSize();
    m_scroll->stop();
    m_scroll->setStartValue(verticalScrollBar()->value());
    m_scroll->setEndValue(centredScrollValue(gamePk));
    m_scroll->start();
}
