#pragma once

#include "notifications/gameeventfollower.h"
#include "notifications/gamestartnotificationservicing.h"
#include "notifications/notificationsync.h"
#include "schedule/delayedgames.h"
#include "schedule/gamedayschedule.h"
#include "stats/gamefeed.h"
#include "stats/schedule.h"
#include "stats/scheduleapi.h"

#include <QCoroTask>
#include <QDateTime>
#include <QObject>
#include <QPointer>
#include <QSettings>
#include <QTimer>
#include <chrono>
#include <functional>
#include <map>
#include <optional>
#include <set>
#include <vector>

class DayChangeNotifier;

// The one state object behind the status item and its window: the shown day and
// its games, the preferences, the tab, and the loading that keeps them current.
// Days are game days (see gameDay): the league's, not the local calendar's.
class ScheduleViewModel : public QObject {
    Q_OBJECT
public:
    enum class Tab { Schedule, Standings, Settings };
    static QString tabText(Tab tab);
    static std::optional<Tab> tabFromText(const QString &text);
    static constexpr Tab allTabs[] = { Tab::Schedule, Tab::Standings, Tab::Settings };

    static constexpr qint64 defaultFavoriteTeamId = 147;
    static constexpr std::size_t maxFollowedTeams = 5;
    static constexpr qint64 defaultNotificationLeadMinutes = 15;
    static constexpr qint64 notificationScheduleDaysAhead = 14;
    static constexpr std::chrono::seconds liveRefreshPeriod { 60 };
    static constexpr std::chrono::seconds idleRefreshPeriod { 300 };
    // After the first, second and third failed load in a row; from the fourth on, the normal period.
    static constexpr std::chrono::seconds retryDelays[]
        = { std::chrono::seconds(15), std::chrono::seconds(30), std::chrono::seconds(60) };

    using Clock = std::function<QDateTime()>;

    // `settings` holds the preferences; it and the notification service must outlive the view model. `now` is the
    // clock of everything that depends on the time (the game day, the alerts); empty means the system's.
    ScheduleViewModel(ScheduleAPI *apiService, GameStartNotificationServicing *notificationService, QSettings *settings,
        Clock now, bool startTimers, bool startFirstLoad, QObject *parent = nullptr);
    ~ScheduleViewModel() override;

    // Published fields; every change emits changed().
    const std::vector<Game> &games() const { return m_games; }
    QDate selectedDate() const { return m_selectedDate; }
    // The game day now: the day the date row calls "Today".
    QDate gameDay() const;
    bool isLoading() const { return m_isLoading; }
    const std::optional<QString> &errorMessage() const { return m_errorMessage; }
    Tab selectedTab() const { return m_selectedTab; }
    void setSelectedTab(Tab tab);
    std::optional<qint64> inlineBoxScoreGameId() const { return m_inlineBoxScoreGameId; }
    void setInlineBoxScoreGameId(std::optional<qint64> gamePk);
    // The game whose plays fill the window in place of the tabs, as the inline box score does.
    std::optional<qint64> inlinePlaysGameId() const { return m_inlinePlaysGameId; }
    void setInlinePlaysGameId(std::optional<qint64> gamePk);

    // The season's division standings, sorted by division id; empty until the first successful load.
    const std::vector<StandingsRecord> &standings() const { return m_standings; }
    // The last standings load failed and none were ever loaded: the tab offers a retry instead of a spinner.
    bool standingsLoadFailed() const { return m_standingsLoadFailed && m_standings.empty(); }
    QCoro::Task<> loadStandings();

    // The selected game of the shown day and whether its detail card is open.
    std::optional<qint64> selectedGameId() const { return m_selectedGameId; }
    bool isShowingSelectedGameDetail() const { return m_isShowingSelectedGameDetail; }
    std::optional<Game> selectedGame() const;
    void selectGame(qint64 gamePk);
    void moveSelection(int step);
    void closeGameDetail();
    // Keeps the selection when its game is still listed, else picks the favourite club's first game.
    void reconcileSelection();
    // The live detail of the selected game, fetched only while its card is open and the game is live.
    const std::optional<GameDetail> &selectedGameDetail() const { return m_selectedGameDetail; }
    bool isLoadingSelectedGameDetail() const { return m_isLoadingSelectedGameDetail; }
    const std::optional<QString> &selectedGameDetailError() const { return m_selectedGameDetailError; }
    QCoro::Task<> loadSelectedGameDetail(bool force);

    // Preferences, stored at every write.
    qint64 favoriteTeamId() const;
    // The clubs followed besides the favourite, in the user's order; never the favourite, no club twice, at most
    // maxFollowedTeams.
    std::vector<qint64> followedTeamIds() const;
    // The favourite club first, then the followed ones.
    std::vector<qint64> myTeamIds() const;
    bool isMyTeam(qint64 teamId) const;
    // Whether the club's games are alerted (game start, scoring plays, final); on unless the user turned it off.
    bool teamAlerts(qint64 teamId) const;
    bool noSpoilers() const;
    void setNoSpoilers(bool on);
    // Games whose score the user chose to see while No Spoilers Mode is on; remembered for this run only, so
    // turning the mode off and on again keeps them shown.
    bool isScoreRevealed(qint64 gamePk) const { return m_revealedScoreGamePks.contains(gamePk); }
    void revealScore(qint64 gamePk);
    // No Spoilers Mode is on and the user has not revealed this game, or the stream delay has no runs to show yet.
    bool hidesScore(qint64 gamePk) const;
    bool notificationsEnabled() const;
    // Which table the Standings tab shows: the divisions (default) or the wild-card race.
    bool standingsShowsWildCard() const;
    void setStandingsShowsWildCard(bool on);
    qint64 notificationLeadMinutes() const;
    // Alerts while the favourite club's game is on: each scoring play and the final. Both on by default; they
    // need alerts on and No Spoilers Mode off.
    bool scoringPlayAlerts() const;
    void setScoringPlayAlerts(bool on);
    bool finalScoreAlerts() const;
    void setFinalScoreAlerts(bool on);
    bool gameEventAlertsAvailable() const { return notificationsEnabled() && !noSpoilers(); }
    // The stream delay: live games are shown as they stood this long ago (rows, status line, card, box score and
    // the alerts while the game is on); one of streamDelayChoices, 0 (off) by default.
    static constexpr int streamDelayChoices[] = { 0, 10, 20, 30, 45, 60, 90, 120, 180, 300 };
    std::chrono::seconds streamDelay() const;
    void setStreamDelay(std::chrono::seconds delay);
    // Shows the day's games as the stream delay has them now, and arms a look again for when that next changes.
    void showDelayedGames();
    // Makes the follower of one live game of the user's clubs, a child of `parent`; one is made per followed game.
    using FollowerFactory = std::function<GameEventFollower *(QObject *parent)>;
    void setGameEventFollowers(FollowerFactory makeFollower);
    // The games followed for in-game alerts, ascending, and the follower of one of them (null if not followed).
    std::vector<qint64> eventFollowedGames() const;
    GameEventFollower *gameEventFollower(qint64 gamePk) const;

    // Settings that bring the pending game-start alerts into line after storing the value.
    QCoro::Task<> setFavoriteTeam(qint64 teamId);
    QCoro::Task<> setFollowedTeams(std::vector<qint64> teamIds);
    QCoro::Task<> setTeamAlerts(qint64 teamId, bool on);
    QCoro::Task<> setNotificationsEnabled(bool enabled);
    QCoro::Task<> setNotificationLeadMinutes(qint64 minutes);
    QCoro::Task<> grantNotificationPermission();
    QCoro::Task<> sendTestNotification();

    // The alert sync: its last outcome, the settings line and the test alert's outcome.
    const GameStartNotificationSyncStatus &notificationSyncStatus() const { return m_notificationSyncStatus; }
    QString notificationStatusText() const;
    bool isSchedulingTestNotification() const { return m_isSchedulingTestNotification; }
    const std::optional<QString> &debugNotificationStatusText() const { return m_debugNotificationStatusText; }
    bool isSyncingNotifications() const { return m_isSyncingNotifications; }
    // One sync pass, and the loop that never runs two at once and repeats when asked to meanwhile.
    QCoro::Task<> syncNotifications(bool requestPermission);
    QCoro::Task<> runNotificationSync(bool requestPermission);
    static GameStartNotificationSyncStatus syncStatus(const GameStartNotificationSyncResult &result);
    static GameStartNotificationSummary notificationSummary(const GameStartNotificationPlanner::Request &request);
    // "EEE, h:mm a" in the current time zone and locale.
    static QString alertTimeText(const QDateTime &instant);

    // Derived values, computed on every read. The status line (title, panel state and tooltip) is about the
    // favourite club's game of the game day, whatever day the window shows, or a followed club's live one while
    // the favourite's is not live; the tooltip then names each club's game too.
    QString menuBarTitle() const;
    QString panelState() const;
    QString panelTooltip() const;
    std::vector<Game> sortedGames() const;
    QString selectedDateTitle() const;
    bool hasLiveGames() const;

    QCoro::Task<> loadSchedule();
    QCoro::Task<> refresh();
    void goToToday();
    void goToNextDay();
    void goToPreviousDay();
    void selectDate(QDate date);

    void startRefreshTimer();
    void startDayChangeObserver();
    void handleDayChange();
    // What the refresh timer does when it fires.
    QCoro::Task<> refreshTimerFired();
    std::optional<std::chrono::milliseconds> refreshTimerPeriod() const;
    // Reloads at once when the network comes back (online after being anything else) and after a resume.
    void handleReachabilityChanged(bool online);
    void handleResume();

Q_SIGNALS:
    void changed();

private:
    void setGames(std::vector<Game> games);
    void setSelectedDate(QDate date);
    // A user's choice of day: the view no longer follows the game day on its own.
    void chooseDate(QDate date);
    QDateTime now() const;
    GameDaySchedule::Status status() const;
    // The status game as the stream delay shows it.
    std::optional<Game> shownStatusGame() const;
    // After a load: moves a view left on the previous game day to the new one once none of its games is live.
    void followGameDay();
    void setIsLoading(bool loading);
    void setErrorMessage(std::optional<QString> message);
    void startLoad();
    void writePreference(const QString &key, const QVariant &value);
    void setSelectedGameId(std::optional<qint64> gamePk);
    void clearDetail();
    void startDetailLoad();
    QCoro::Task<> reloadStandings();
    std::chrono::milliseconds wantedRefreshPeriod() const;
    void rearmRefreshTimerAfterLoad(bool failed);
    void startNetworkWatch();
    void startRefresh();
    QCoro::Task<> notificationSyncLoop(bool requestPermission);
    void setNotificationSyncStatus(GameStartNotificationSyncStatus status);
    // Follows each club's status game while it is live and its alerts are wanted; stops when they are not.
    void updateGameEventFollow();
    void dropGameEventFollow(qint64 gamePk);

    ScheduleAPI *m_apiService;
    GameStartNotificationServicing *m_notificationService;
    QSettings *m_settings;
    Clock m_now;

    // The shown day's games as the service last answered them, and as shown (`m_games`, the stream delay applied).
    std::vector<Game> m_receivedGames;
    std::vector<Game> m_games;
    DelayedGames m_delayedGames;
    QTimer m_delayTimer;
    std::vector<StandingsRecord> m_standings;
    bool m_standingsLoadFailed = false;
    QDate m_selectedDate;
    bool m_isLoading = false;
    std::optional<QString> m_errorMessage;
    Tab m_selectedTab = Tab::Schedule;
    std::optional<qint64> m_inlineBoxScoreGameId;
    std::optional<qint64> m_inlinePlaysGameId;
    std::optional<qint64> m_selectedGameId;
    bool m_isShowingSelectedGameDetail = true;
    std::optional<GameDetail> m_selectedGameDetail;
    bool m_isLoadingSelectedGameDetail = false;
    std::optional<QString> m_selectedGameDetailError;
    // Keeps the card's live game's feed between loads.
    LiveFeedFollow m_selectedGameFollow;
    FollowerFactory m_makeEventFollower;
    struct EventFollow {
        GameEventFollower *follower;
        // Keeps the followed game's feed between the follower's looks.
        LiveFeedFollow feed;
    };
    std::map<qint64, EventFollow> m_eventFollows;
    std::set<qint64> m_revealedScoreGamePks;
    GameStartNotificationSyncStatus m_notificationSyncStatus = GameStartNotificationSyncStatus::off();
    std::optional<QString> m_debugNotificationStatusText;
    bool m_isSchedulingTestNotification = false;
    bool m_isSyncingNotifications = false;
    bool m_needsNotificationResync = false;

    // The day whose answer `games` holds.
    std::optional<QDate> m_loadedDay;
    // What the status line is made of.
    GameDaySchedule m_gameDaySchedule;
    // The game day as of the last day change, and whether the view waits to follow it (a game was live when it
    // turned).
    QDate m_lastGameDay;
    bool m_followsGameDay = false;
    int m_consecutiveFailures = 0;
    bool m_networkOnline = true;

    QPointer<QTimer> m_refreshTimer;
    QPointer<DayChangeNotifier> m_dayChangeObserver;
};
