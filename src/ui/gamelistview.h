#pragma once

#include "stats/schedule.h"

#include <QScrollArea>
#include <map>
#include <optional>
#include <vector>

class GameRowView;
class QPropertyAnimation;
class QVBoxLayout;

// The scrolling list of the day's games. Rows are kept by gamePk and updated in place, so hover and
// scroll position survive a refresh; the selected row is scrolled to the centre when the selection moves
// and again whenever the list's height changes.
class GameListView : public QScrollArea {
    Q_OBJECT

public:
    static constexpr int scrollDurationMs = 120;

    explicit GameListView(QWidget *parent = nullptr);

    // `games` in display order.
    void setGames(const std::vector<Game> &games, bool noSpoilers, qint64 favoriteTeamId,
        std::optional<qint64> selectedGameId, const std::vector<qint64> &followedTeamIds = {});

    GameRowView *row(qint64 gamePk) const;
    std::vector<qint64> rowOrder() const;
    // The row that Tab stops at: the selected game's, else the first.
    GameRowView *currentRow() const;
    // Gives the selected row the keyboard focus, so that moving the selection with the keys moves the focus too.
    void focusSelectedRow();
    // The scroll position that puts the row in the middle of the view, clamped to the scroll range.
    int centredScrollValue(qint64 gamePk) const;

Q_SIGNALS:
    void gameClicked(qint64 gamePk);

protected:
    void resizeEvent(QResizeEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void scrollToCentre(qint64 gamePk);
    void syncHover();
    void recentreAfterLayout();

    QWidget *m_column;
    QVBoxLayout *m_layout;
    std::map<qint64, GameRowView *> m_rows;
    std::vector<QWidget *> m_dividers;
    std::vector<qint64> m_order;
    std::optional<qint64> m_selectedGameId;
    QPropertyAnimation *m_scroll;
    // The heights the selected row was last centred in.
    int m_viewportHeight = -1;
    int m_columnHeight = -1;
};
