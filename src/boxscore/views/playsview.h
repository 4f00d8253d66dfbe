#pragma once

#include "boxscore/plays.h"

#include <QWidget>
#include <optional>

class LiveFeedStore;
class PlaysViewModel;
class QCheckBox;
class QLabel;
class QScrollArea;
class QStackedWidget;
class QVBoxLayout;
class ScheduleViewModel;

// Every play of one game in the menu window, by half-inning, in place of the schedule; kept current while shown.
// It follows the schedule view model's inline plays game and leads back to the schedule.
class PlaysView : public QWidget {
    Q_OBJECT

public:
    // What fills the space under the top bar.
    enum class Content { Loading, Hidden, Plays };

    // Reads the feeds `store` keeps; without one, the shared stats service's.
    explicit PlaysView(ScheduleViewModel *scheduleViewModel, LiveFeedStore *store = nullptr, QWidget *parent = nullptr);
    ~PlaysView() override;

    Content content() const;
    PlaysViewModel *playsViewModel() const { return m_playsViewModel; }
    QScrollArea *scrollArea() const { return m_scrollArea; }
    QCheckBox *scoringOnlySwitch() const { return m_scoringOnly; }
    // The texts of the list as shown, one a row: half-inning titles, and each play as "score  description".
    QStringList rowTexts() const;

protected:
    void showEvent(QShowEvent *event) override;
    void hideEvent(QHideEvent *event) override;
    void changeEvent(QEvent *event) override;

private:
    QWidget *buildTopBar();
    void scheduleChanged();
    void refresh();
    void fillList(const std::vector<Plays::HalfInning> &halfInnings);
    void applyColors();

    ScheduleViewModel *m_scheduleViewModel;
    PlaysViewModel *m_playsViewModel;

    QLabel *m_title = nullptr;
    QCheckBox *m_scoringOnly = nullptr;
    QStackedWidget *m_contents = nullptr;
    QLabel *m_loadingText = nullptr;
    QLabel *m_hiddenText = nullptr;
    QScrollArea *m_scrollArea = nullptr;
    QWidget *m_list = nullptr;
    QLabel *m_errorNote = nullptr;
    std::vector<Plays::HalfInning> m_shown;
};
