#pragma once

#include "stats/standings.h"

#include <QWidget>
#include <vector>

class QAbstractButton;
class QLabel;
class QScrollArea;
class QStackedLayout;
class QVBoxLayout;
class StandingsDivisionView;

// The Standings tab: both leagues' divisions as compact tables, the favourite club marked.
// Division tables and their rows are kept and updated in place, so the scroll position survives a reload.
class StandingsView : public QWidget {
    Q_OBJECT

public:
    explicit StandingsView(QWidget *parent = nullptr);
    ~StandingsView() override;

    // `records` sorted by division id; an empty list shows the progress indicator, or with `loadFailed` the
    // failure and a Retry button. With `wildCard` each league shows its division leaders and its wild-card race
    // instead of its divisions.
    void setStandings(const std::vector<StandingsRecord> &records, qint64 favoriteTeamId, bool wildCard = false,
        bool loadFailed = false);
    // The clubs followed besides the favourite, shown in bold like it from the next setStandings on.
    void setFollowedTeamIds(std::vector<qint64> teamIds);

Q_SIGNALS:
    // Retry under a failed first load.
    void retryRequested();
    // The user picked a side of the Division | Wild Card switch.
    void wildCardChosen(bool wildCard);

protected:
    void changeEvent(QEvent *event) override;

private:
    struct Section {
        qint64 leagueId = 0;
        std::vector<qint64> divisionIds;
        QWidget *header = nullptr;
        QLabel *title = nullptr;
        QWidget *divisions = nullptr;
        QVBoxLayout *layout = nullptr;
        std::vector<StandingsDivisionView *> blocks;
    };

    void buildSection(Section &section, const QString &name, const QString &title, int topPadding);
    void fillSection(
        Section &section, const std::vector<StandingsRecord> &records, qint64 favoriteTeamId, bool wildCard);
    void applyColors();

    std::vector<qint64> m_followedTeamIds;
    QAbstractButton *m_divisionButton = nullptr;
    QAbstractButton *m_wildCardButton = nullptr;
    QLabel *m_legend = nullptr;
    QStackedLayout *m_states = nullptr;
    QWidget *m_loading = nullptr;
    QWidget *m_failure = nullptr;
    QLabel *m_failureText = nullptr;
    QScrollArea *m_scroll = nullptr;
    bool m_showsWildCard = false;
    QWidget *m_column = nullptr;
    QVBoxLayout *m_columnLayout = nullptr;
    Section m_american;
    Section m_national;
};
