#pragma once

#include "boxscore/plays.h"
#include "stats/gamefeed.h"
#include "stats/schedule.h"

#include <QColor>
#include <QList>
#include <QPalette>
#include <QWidget>
#include <optional>

class QAbstractButton;
class QHBoxLayout;
class QLabel;
class QToolButton;
class QVBoxLayout;
class ProgressSpinner;
class StrikeZoneView;

// The line under the card's title: inning, postponement, "Final" or the start time.
QString panelStatusText(const Game &game, const std::optional<GameDetail> &detail);

// What a screen reader says of the card's game beyond its clubs: the runs unless `hidesScore`, and the state
// ("3 to 2, top of the 7th", "final", "7:05 PM").
QString panelAccessibleSummary(const Game &game, const std::optional<GameDetail> &detail, bool hidesScore);

// The fill behind a situation chip. Translucent white lifts a chip off a light card; on a dark card it would
// wash out the light text, so there the chip is a faint tint of the text colour instead.
QColor situationChipColor(const QPalette &palette);

// The card for the selected game: matchup, state, three actions and the facts that fit the game's state.
// With `hidesScore` a live or final game's score, and the live play that gives it away, sit behind "Show Score".
class GameDetailPanelView : public QWidget {
    Q_OBJECT

public:
    explicit GameDetailPanelView(QWidget *parent = nullptr);
    GameDetailPanelView(const Game &game, const std::optional<GameDetail> &detail, bool isLoading,
        const std::optional<QString> &detailError, bool hidesScore = false, QWidget *parent = nullptr);

    // Updates the card in place.
    void setInputs(const Game &game, const std::optional<GameDetail> &detail, bool isLoading,
        const std::optional<QString> &detailError, bool hidesScore = false);

    // The plays of the card's game, for its last play and the at-bat under way; those of another game are ignored.
    void setPlays(const std::optional<Plays> &plays);

    // Return and Enter belong to the "Show Score" button while it has the focus, not to the list's keys.
    bool showScoreHasFocus() const;

    const Game &game() const { return m_game; }
    QString accessibleSummary() const;

Q_SIGNALS:
    void openBoxScoreRequested();
    void openPlaysRequested();
    void openExternalRequested();
    void closeRequested();
    void showScoreRequested();

protected:
    void paintEvent(QPaintEvent *event) override;
    void changeEvent(QEvent *event) override;

private:
    struct Fact {
        QWidget *row = nullptr;
        QLabel *label = nullptr;
        QLabel *value = nullptr;
    };
    struct Chip {
        QWidget *chip = nullptr;
        QLabel *label = nullptr;
        QLabel *value = nullptr;
    };
    struct LineScoreTable {
        QWidget *table = nullptr;
        QList<QLabel *> headers;
        QLabel *abbreviations[2] = {};
        QLabel *numbers[2][3] = {};
    };

    void build();
    QWidget *buildSection(const QString &name);
    Fact addFact(QWidget *section, const QString &name, const QString &label);
    Chip addChip(QHBoxLayout *strip, const QString &name, const QString &label);
    LineScoreTable addLineScoreTable(QWidget *section);
    QAbstractButton *addShowScoreButton(QWidget *section);
    void refresh();
    void refreshScheduled();
    void refreshPostponed();
    void refreshFinal();
    void refreshLive();
    void refreshAtBat();
    void refreshLineScoreTable(LineScoreTable &table, const std::optional<LinescoreTeams> &teams);
    void applyColors();

    Game m_game;
    std::optional<GameDetail> m_detail;
    bool m_isLoading = false;
    std::optional<QString> m_detailError;
    bool m_hidesScore = false;
    std::optional<Plays> m_plays;

    QLabel *m_title = nullptr;
    QLabel *m_status = nullptr;
    QToolButton *m_boxScoreButton = nullptr;
    QToolButton *m_playsButton = nullptr;
    QToolButton *m_externalButton = nullptr;
    QToolButton *m_closeButton = nullptr;
    QLabel *m_error = nullptr;

    QWidget *m_scheduled = nullptr;
    Fact m_scheduledVenue;
    Fact m_scheduledProbables;
    Fact m_scheduledSeries;
    Fact m_scheduledTV;

    QWidget *m_postponed = nullptr;
    Fact m_postponedStatus;
    Fact m_postponedNewDate;
    Fact m_postponedVenue;
    Fact m_postponedSeries;
    Fact m_postponedTV;

    QWidget *m_final = nullptr;
    Fact m_finalVenue;
    Fact m_finalStarters;
    LineScoreTable m_finalTable;
    QAbstractButton *m_finalShowScore = nullptr;
    Fact m_finalTV;

    QWidget *m_live = nullptr;
    QWidget *m_situation = nullptr;
    Chip m_inningChip;
    Chip m_countChip;
    Chip m_outsChip;
    ProgressSpinner *m_outsSpinner = nullptr;
    Fact m_liveRunners;
    Fact m_liveMatchup;
    Fact m_liveOnDeck;
    Fact m_liveLastPlay;
    QWidget *m_atBat = nullptr;
    QLabel *m_atBatTitle = nullptr;
    QLabel *m_atBatPitches = nullptr;
    StrikeZoneView *m_strikeZone = nullptr;
    Fact m_liveVenue;
    LineScoreTable m_liveTable;
    QAbstractButton *m_liveShowScore = nullptr;
    Fact m_liveTV;

    QList<Fact *> m_facts;
    QList<Chip *> m_chips;
};
