#pragma once

#include "boxscore/boxscore.h"
#include "ui/symbols.h"

#include <QWidget>
#include <optional>

class BoxScoreSymbolImage;
class BoxScoreView;
class BoxScoreViewModel;
class QLabel;
class QStackedWidget;
class ScheduleViewModel;
struct Game;

// One game's box score in the menu window, in place of the schedule list, kept current while it is shown.
// It follows the schedule view model's inline box-score game and leads back to the schedule.
class InlineBoxScoreView : public QWidget {
    Q_OBJECT

public:
    // What fills the space under the top bar.
    enum class Content { Nothing, Loading, Pregame, BoxScore };

    // Without `boxViewModel` the view makes its own, fetching through the shared stats service;
    // a given one must outlive the view.
    explicit InlineBoxScoreView(
        ScheduleViewModel *scheduleViewModel, BoxScoreViewModel *boxViewModel = nullptr, QWidget *parent = nullptr);
    ~InlineBoxScoreView() override;

    // A game that has not started, or one the feed calls live or final that has neither innings nor lineups.
    static bool isPregame(const BoxScore &box);

    Content content() const;
    BoxScoreViewModel *boxScoreViewModel() const { return m_boxViewModel; }
    BoxScoreView *boxScoreView() const { return m_boxScoreView; }
    // The image at the top of the pregame card.
    Symbol pregameSymbol() const;

protected:
    void showEvent(QShowEvent *event) override;
    void hideEvent(QHideEvent *event) override;
    void changeEvent(QEvent *event) override;

private:
    struct Fact {
        QWidget *row = nullptr;
        QLabel *label = nullptr;
        QLabel *value = nullptr;
    };

    QWidget *buildTopBar();
    QWidget *buildLoading();
    QWidget *buildPregame();
    QWidget *buildBoxScorePage();
    Fact addFact(QWidget *facts, const QString &name, const QString &label);
    void scheduleChanged();
    void followGame(std::optional<qint64> gameId);
    void refresh();
    void refreshPregame(const BoxScore &box);
    void applyColors();
    std::optional<Game> selectedGame() const;

    ScheduleViewModel *m_scheduleViewModel;
    BoxScoreViewModel *m_boxViewModel;
    std::optional<qint64> m_followedGameId;

    QLabel *m_title = nullptr;
    QStackedWidget *m_contents = nullptr;
    QWidget *m_loadingSpinner = nullptr;
    QLabel *m_loadingError = nullptr;
    BoxScoreSymbolImage *m_pregameSymbol = nullptr;
    QLabel *m_pregameTitle = nullptr;
    QLabel *m_pregameSubtitle = nullptr;
    QWidget *m_pregameFacts = nullptr;
    Fact m_newDate;
    Fact m_venue;
    Fact m_probables;
    Fact m_series;
    Fact m_tv;
    BoxScoreView *m_boxScoreView = nullptr;
    QLabel *m_errorNote = nullptr;
};
