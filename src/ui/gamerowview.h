#pragma once

#include "stats/schedule.h"
#include "ui/symbols.h"

#include <QColor>
#include <QPalette>
#include <QWidget>
#include <optional>

class QEnterEvent;
class QHBoxLayout;
class QLabel;
class QVBoxLayout;

// Texts shown only in a game row.
QString liveInningText(const Game &game);
std::optional<QString> probablePitchersText(const Game &game);
std::optional<QString> seriesVenueText(const Game &game);
QString gameRowToolTip(const Game &game, bool isClickable);
// What a screen reader says for the row: clubs, runs unless `noSpoilers` hides them, and the game's state.
QString gameRowAccessibleName(const Game &game, bool noSpoilers);
// The row's other facts and its carriers, as sentences.
QString gameRowAccessibleDescription(const Game &game);

// The fill and border of a game row in one state; a width of 0 means no border.
struct GameRowBackground {
    QColor fill;
    QColor border;
    qreal borderWidth = 0;
};

GameRowBackground gameRowBackground(
    const QPalette &palette, bool favoriteTeamPlays, bool isSelected, bool isHovered, bool isClickable);

// One game of the day's schedule list: clubs, line score or start time, facts before the game.
class GameRowView : public QWidget {
    Q_OBJECT

public:
    GameRowView(const Game &game, bool noSpoilers, qint64 favoriteTeamId, bool isClickable, bool isSelected,
        QWidget *parent = nullptr);
    ~GameRowView() override;

    // Updates the row in place; hover state survives.
    void setInputs(const Game &game, bool noSpoilers, qint64 favoriteTeamId, bool isClickable, bool isSelected);
    void setSelected(bool isSelected);
    // The clubs followed besides the favourite: their abbreviation carries a small star.
    void setFollowedTeamIds(std::vector<qint64> teamIds);

    const Game &game() const { return m_game; }
    bool noSpoilers() const { return m_noSpoilers; }
    bool isClickable() const { return m_isClickable; }
    bool isSelected() const { return m_isSelected; }
    bool isHovered() const { return m_isHovered; }
    // Takes the hover from where the pointer is now: rows that move under a still pointer get no enter or leave.
    void syncHoverWithPointer();

Q_SIGNALS:
    // A left-button release over the row; the list decides what that means.
    void clicked();

protected:
    void paintEvent(QPaintEvent *event) override;
    void enterEvent(QEnterEvent *event) override;
    void leaveEvent(QEvent *event) override;
    void hideEvent(QHideEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void focusInEvent(QFocusEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;
    void changeEvent(QEvent *event) override;

private:
    struct ClubLine {
        QString side;
        QHBoxLayout *layout = nullptr;
        QWidget *logo = nullptr;
        qint64 teamId = -1;
        QLabel *abbreviation = nullptr;
        QLabel *runs = nullptr;
        QLabel *hits = nullptr;
        QLabel *errors = nullptr;
    };
    struct InfoLine {
        QWidget *line = nullptr;
        QWidget *symbol = nullptr;
        QLabel *text = nullptr;
    };

    void build();
    ClubLine buildClubLine(QVBoxLayout *block, const QString &side);
    InfoLine buildInfoLine(QVBoxLayout *block, const QString &name, Symbol symbol);
    void refresh();
    void refreshClubLine(ClubLine &line, const GameTeamInfo &club, const std::optional<LinescoreTeamData> &totals,
        bool numbersShown, bool winner);
    void applyColors();
    void setHovered(bool hovered);
    void syncCursor();
    void announceChanges(const QString &previousName, bool wasSelected);

    Game m_game;
    bool m_noSpoilers = false;
    qint64 m_favoriteTeamId = 0;
    std::vector<qint64> m_followedTeamIds;
    bool m_isClickable = false;
    bool m_isSelected = false;
    bool m_isHovered = false;
    bool m_isShowingPointingHand = false;
    bool m_keyboardFocus = false;

    QWidget *m_header = nullptr;
    QList<QLabel *> m_headerLabels;
    ClubLine m_away;
    ClubLine m_home;
    QWidget *m_liveDot = nullptr;
    QLabel *m_statusText = nullptr;
    QLabel *m_statusPitchers = nullptr;
    QWidget *m_infoBlock = nullptr;
    InfoLine m_rescheduleInfo;
    InfoLine m_pitchersInfo;
    InfoLine m_seriesVenueInfo;
};
