#include "schedule/scheduleviewmodel.h"

#include "schedule/gameorder.h"
#include "schedule/panelstatus.h"
#include "stats/datetime.h"
#include "stats/gameday.h"
#include "stats/teams.h"
#include "system/daychangenotifier.h"

#include <QLocale>
#include <QNetworkInformation>

#include <algorithm>
#include <utility>

using namespace Qt::StringLiterals;

namespace {

const QString favoriteTeamIdKey = u"favoriteTeamId"_s;
const QString noSpoilersKey = u"noSpoilers"_s;
const QString notificationsEnabledKey = u"notificationsEnabled"_s;
const QString notificationLeadMinutesKey = u"notificationLeadMinutes"_s;
const QString standingsShowsWildCardKey = u"standingsShowsWildCard"_s;
const QString scoringPlayAlertsKey = u"scoringPlayAlerts"_s;
const QString finalScoreAlertsKey = u"finalScoreAlerts"_s;
const QString streamDelaySecondsKey = u"streamDelaySeconds"_s;
// Lists of club ids kept as one comma-separated string, a value any reader of the file can parse or ignore.
const QString followedTeamIdsKey = u"followedTeamIds"_s;
const QString teamAlertsOffKey = u"teamAlertsOff"_s;

std::vector<qint64> readTeamIds(const QVariant &value)
{
    std::vector<qint64> ids;
    // A list written by hand (a, b) reads back as a string list; a single id as a string.
    for (const QString &part : value.toStringList().join(u',').split(u',', Qt::SkipEmptyParts)) {
        bool ok = false;
        const qint64 id = part.trimmed().toLongLong(&ok);
        if (ok && id > 0 && std::ranges::find(ids, id) == ids.end()) ids.push_back(id);
    }
    return ids;
}

QString teamIdsText(const std::vector<qint64> &ids)
{
    QStringList parts;
    for (const qint64 id : ids)
        parts.append(QString::number(id));
    return parts.join(u',');
}

} // namespace

QString ScheduleViewModel::tabText(Tab tab)
{
    switch (tab) {
    case Tab::Schedule:
        return u"Schedule"_s;
    case Tab::Standings:
        return u"Standings"_s;
    case Tab::Settings:
        return u"Settings"_s;
    }
    return {};
}

std::optional<ScheduleViewModel::Tab> ScheduleViewModel::tabFromText(const QString &text)
{
    for (Tab tab : allTabs) {
        if (tabText(tab) == text) return tab;
    }
    return std::nullopt;
}

ScheduleViewModel::ScheduleViewModel(ScheduleAPI *apiService, GameStartNotificationServicing *notificationService,
    QSettings *settings, Clock now, bool startTimers, bool startFirstLoad, QObject *parent)
    : QObject(parent)
    , m_apiService(apiService)
    , m_notificationService(notificationService)
    , m_settings(settings)
    , m_now(std::move(now))
{
    if (!m_now) m_now = [] { return QDateTime::currentDateTimeUtc(); };
    m_apiService->setStreamDelay(streamDelay());
    m_delayTimer.setSingleShot(true);
    connect(&m_delayTimer, &QTimer::timeout, this, &ScheduleViewModel::showDelayedGames);
    m_lastGameDay = gameDay();
    m_selectedDate = m_lastGameDay;
    if (startTimers) {
        startRefreshTimer();
        startDayChangeObserver();
        // Deferred: loading the network backend talks to the system bus, which construction must not wait for.
        QTimer::singleShot(0, this, &ScheduleViewModel::startNetworkWatch);
    }
    if (startFirstLoad) {
        // The first load runs once the event loop is free, after the timers are in place.
        QTimer::singleShot(0, this, &ScheduleViewModel::startLoad);
    }
}

ScheduleViewModel::~ScheduleViewModel() = default;

void ScheduleViewModel::setSelectedTab(Tab tab)
{
    m_selectedTab = tab;
    Q_EMIT changed();
}

void ScheduleViewModel::setInlineBoxScoreGameId(std::optional<qint64> gamePk)
{
    m_inlineBoxScoreGameId = gamePk;
    Q_EMIT changed();
}

void ScheduleViewModel::setInlinePlaysGameId(std::optional<qint64> gamePk)
{
    m_inlinePlaysGameId = gamePk;
    Q_EMIT changed();
}

qint64 ScheduleViewModel::favoriteTeamId() const
{
    bool ok = false;
    const qint64 id = m_settings->value(favoriteTeamIdKey).toLongLong(&ok);
    return ok ? id : defaultFavoriteTeamId;
}

std::vector<qint64> ScheduleViewModel::followedTeamIds() const
{
    std::vector<qint64> ids = readTeamIds(m_settings->value(followedTeamIdsKey));
    std::erase(ids, favoriteTeamId());
    if (ids.size() > maxFollowedTeams) ids.resize(maxFollowedTeams);
    return ids;
}

std::vector<qint64> ScheduleViewModel::myTeamIds() const
{
    std::vector<qint64> ids { favoriteTeamId() };
    std::ranges::copy(followedTeamIds(), std::back_inserter(ids));
    return ids;
}

bool ScheduleViewModel::isMyTeam(qint64 teamId) const
{
    const std::vector<qint64> clubs = myTeamIds();
    return std::ranges::find(clubs, teamId) != clubs.end();
}

bool ScheduleViewModel::teamAlerts(qint64 teamId) const
{
    const std::vector<qint64> off = readTeamIds(m_settings->value(teamAlertsOffKey));
    return std::ranges::find(off, teamId) == off.end();
}

bool ScheduleViewModel::noSpoilers() const
{
    return m_settings->value(noSpoilersKey, true).toBool();
}

void ScheduleViewModel::setNoSpoilers(bool on)
{
    writePreference(noSpoilersKey, on);
}

void ScheduleViewModel::revealScore(qint64 gamePk)
{
    if (!m_revealedScoreGamePks.insert(gamePk).second) return;
    Q_EMIT changed();
}

bool ScheduleViewModel::notificationsEnabled() const
{
    return m_settings->value(notificationsEnabledKey, false).toBool();
}

bool ScheduleViewModel::standingsShowsWildCard() const
{
    return m_settings->value(standingsShowsWildCardKey, false).toBool();
}

void ScheduleViewModel::setStandingsShowsWildCard(bool on)
{
    writePreference(standingsShowsWildCardKey, on);
}

qint64 ScheduleViewModel::notificationLeadMinutes() const
{
    bool ok = false;
    const qint64 minutes = m_settings->value(notificationLeadMinutesKey).toLongLong(&ok);
    return ok ? minutes : defaultNotificationLeadMinutes;
}

void ScheduleViewModel::writePreference(const QString &key, const QVariant &value)
{
    m_settings->setValue(key, value);
    m_settings->sync();
    updateGameEventFollow();
    Q_EMIT changed();
}

bool ScheduleViewModel::scoringPlayAlerts() const
{
    return m_settings->value(scoringPlayAlertsKey, true).toBool();
}

void ScheduleViewModel::setScoringPlayAlerts(bool on)
{
    writePreference(scoringPlayAlertsKey, on);
}

bool ScheduleViewModel::hidesScore(qint64 gamePk) const
{
    if (noSpoilers() && !isScoreRevealed(gamePk)) return true;
    return std::ranges::any_of(
        m_games, [gamePk](const Game &game) { return game.gamePk == gamePk && game.runsHeldBack; });
}

std::chrono::seconds ScheduleViewModel::streamDelay() const
{
    const int seconds = m_settings->value(streamDelaySecondsKey, 0).toInt();
    // A value this version does not offer is taken as the nearest shorter one, so nothing shows earlier than asked
    // by more than the difference.
    int chosen = 0;
    for (int choice : streamDelayChoices) {
        if (choice <= seconds) chosen = choice;
    }
    return std::chrono::seconds(chosen);
}

void ScheduleViewModel::setStreamDelay(std::chrono::seconds delay)
{
    m_delayedGames.holdFrom(now().addSecs(-streamDelay().count()));
    writePreference(streamDelaySecondsKey, qint64(delay.count()));
    m_apiService->setStreamDelay(streamDelay());
    showDelayedGames();
}

bool ScheduleViewModel::finalScoreAlerts() const
{
    return m_settings->value(finalScoreAlertsKey, true).toBool();
}

void ScheduleViewModel::setFinalScoreAlerts(bool on)
{
    writePreference(finalScoreAlertsKey, on);
}

void ScheduleViewModel::setGameEventFollowers(FollowerFactory makeFollower)
{
    for (auto &[gamePk, follow] : m_eventFollows)
        follow.follower->deleteLater();
    m_eventFollows.clear();
    m_makeEventFollower = std::move(makeFollower);
    updateGameEventFollow();
}

std::vector<qint64> ScheduleViewModel::eventFollowedGames() const
{
    std::vector<qint64> games;
    for (const auto &[gamePk, follow] : m_eventFollows)
        games.push_back(gamePk);
    return games;
}

GameEventFollower *ScheduleViewModel::gameEventFollower(qint64 gamePk) const
{
    const auto found = m_eventFollows.find(gamePk);
    return found == m_eventFollows.end() ? nullptr : found->second.follower;
}

void ScheduleViewModel::dropGameEventFollow(qint64 gamePk)
{
    const auto found = m_eventFollows.find(gamePk);
    if (found == m_eventFollows.end()) return;
    // Later: the follower may be the one telling that its game is over.
    found->second.follower->stop();
    found->second.follower->deleteLater();
    m_eventFollows.erase(found);
}

void ScheduleViewModel::updateGameEventFollow()
{
    if (!m_makeEventFollower) return;
    const GameEventFollower::Kinds kinds { scoringPlayAlerts(), finalScoreAlerts() };
    const bool wanted = gameEventAlertsAvailable() && (kinds.scoring || kinds.final);
    // One follower per game, so a game between two of the clubs is told once.
    std::map<qint64, const Game *> statusGames;
    bool answered = false;
    for (const qint64 club : myTeamIds()) {
        const auto [game, availability] = m_gameDaySchedule.status(gameDay(), { club });
        answered = answered || availability == ScheduleAvailability::Loaded;
        if (wanted && game && teamAlerts(club)) statusGames.emplace(game->gamePk, game);
    }
    // A club's status game stays followed until another game of it is live or the game day moves on, so a game the
    // schedule shows over is left to its follower, which tells the final and stops by itself. Without an answer
    // (offline) the follows stay as they are, unless the alerts are no longer wanted.
    for (const qint64 gamePk : eventFollowedGames()) {
        if (!statusGames.contains(gamePk) && (answered || !wanted)) dropGameEventFollow(gamePk);
    }
    for (const auto &[gamePk, game] : statusGames) {
        auto found = m_eventFollows.find(gamePk);
        if (found == m_eventFollows.end()) {
            if (!game->isLive()) continue;
            GameEventFollower *follower = m_makeEventFollower(this);
            connect(follower, &GameEventFollower::gameOver, this, [this](qint64 over) { dropGameEventFollow(over); });
            found = m_eventFollows.emplace(gamePk, EventFollow { follower, m_apiService->followGame(gamePk) }).first;
        }
        found->second.follower->follow(gamePk, kinds);
    }
}

QDateTime ScheduleViewModel::now() const
{
    return m_now();
}

QDate ScheduleViewModel::gameDay() const
{
    return ::gameDay(now());
}

GameDaySchedule::Status ScheduleViewModel::status() const
{
    return m_gameDaySchedule.status(gameDay(), myTeamIds());
}

std::optional<Game> ScheduleViewModel::shownStatusGame() const
{
    const Game *game = status().game;
    if (!game) return std::nullopt;
    return m_delayedGames.shown(*game, now(), streamDelay());
}

QString ScheduleViewModel::menuBarTitle() const
{
    const std::optional<Game> game = shownStatusGame();
    return ::menuBarTitle(game ? &*game : nullptr, favoriteTeamId(), noSpoilers(), status().availability);
}

QString ScheduleViewModel::panelState() const
{
    const std::optional<Game> game = shownStatusGame();
    return ::panelState(game ? &*game : nullptr, noSpoilers(), status().availability);
}

QString ScheduleViewModel::panelTooltip() const
{
    const std::optional<Game> shown = shownStatusGame();
    const QString tooltip = ::panelTooltip(shown ? &*shown : nullptr);
    const std::vector<qint64> clubs = myTeamIds();
    if (clubs.size() < 2) return tooltip;
    QStringList lines;
    if (!tooltip.isEmpty()) lines.append(tooltip);
    for (const qint64 club : clubs) {
        const auto [game, availability] = m_gameDaySchedule.status(gameDay(), { club });
        const std::optional<Game> clubGame
            = game ? std::optional(m_delayedGames.shown(*game, now(), streamDelay())) : std::nullopt;
        lines.append(::menuBarTitle(clubGame ? &*clubGame : nullptr, club, noSpoilers(), availability));
    }
    return lines.join(u'\n');
}

std::vector<Game> ScheduleViewModel::sortedGames() const
{
    return ::sortedGames(m_games, myTeamIds());
}

QString ScheduleViewModel::selectedDateTitle() const
{
    const QDate today = gameDay();
    if (m_selectedDate == today) return u"Today"_s;
    // Without the year, a day of another season reads as this one's.
    if (m_selectedDate.year() != today.year()) return QLocale().toString(m_selectedDate, u"ddd, MMM d, yyyy"_s);
    return formatWeekdayMonthDay(m_selectedDate);
}

bool ScheduleViewModel::hasLiveGames() const
{
    return std::ranges::any_of(m_games, &Game::isLive);
}

QCoro::Task<> ScheduleViewModel::loadSchedule()
{
    QPointer self(this);
    const QDate shown = m_selectedDate;
    const QDate today = gameDay();
    setIsLoading(true);
    setErrorMessage(std::nullopt);
    // One request in the common case: the shown day is the game day or next to it.
    bool failed = false;
    std::optional<std::vector<Game>> shownGames;
    for (const DayRange &range : m_gameDaySchedule.requests(shown, today, myTeamIds())) {
        try {
            ScheduleDays days = co_await m_apiService->fetchSchedule(range.first, range.last);
            if (!self) co_return;
            for (const auto &[day, games] : days)
                m_delayedGames.record(now(), games);
            m_gameDaySchedule.store(range, days, today);
            if (range.contains(shown)) shownGames = std::move(days[shown]);
        } catch (const std::exception &) {
            if (!self) co_return;
            m_gameDaySchedule.fail(range, today);
            failed = true;
        }
    }
    if (!shownGames) {
        setErrorMessage(u"Failed to load schedule"_s);
        rearmRefreshTimerAfterLoad(true);
        setIsLoading(false);
        co_return;
    }
    m_loadedDay = shown;
    setGames(std::move(*shownGames));
    updateGameEventFollow();
    rearmRefreshTimerAfterLoad(failed);
    reconcileSelection();
    co_await loadSelectedGameDetail(true);
    if (!self) co_return;
    // A new day's games do not change what the alert sync fetches, so a running loop is not asked for more.
    if (!m_isSyncingNotifications) {
        co_await notificationSyncLoop(false);
        if (!self) co_return;
    }
    setIsLoading(false);
    followGameDay();
}

QCoro::Task<> ScheduleViewModel::refresh()
{
    QPointer self(this);
    co_await loadSchedule();
    if (!self) co_return;
    co_await reloadStandings();
}

QCoro::Task<> ScheduleViewModel::loadStandings()
{
    QPointer self(this);
    // The season is the game day's year, whatever day the schedule shows.
    const qint64 season = gameDay().year();
    // A retry shows the spinner again while it runs.
    if (std::exchange(m_standingsLoadFailed, false)) Q_EMIT changed();
    try {
        auto records = co_await m_apiService->fetchStandings(season);
        if (!self) co_return;
        std::stable_sort(records.begin(), records.end(),
            [](const StandingsRecord &a, const StandingsRecord &b) { return a.division.id < b.division.id; });
        m_standings = std::move(records);
        Q_EMIT changed();
    } catch (const std::exception &) {
        if (!self) co_return;
        m_standingsLoadFailed = true;
        setErrorMessage(u"Failed to load standings"_s);
    }
}

QCoro::Task<> ScheduleViewModel::reloadStandings()
{
    // Standings never loaded stay unloaded: only the Standings tab loads them the first time.
    if (!m_standings.empty()) co_await loadStandings();
}

void ScheduleViewModel::startLoad()
{
    // Fire and forget: the task finishes on its own and applies its result when it completes.
    auto task = loadSchedule();
    Q_UNUSED(task);
}

void ScheduleViewModel::goToToday()
{
    chooseDate(gameDay());
}

void ScheduleViewModel::goToNextDay()
{
    chooseDate(m_selectedDate.addDays(1));
}

void ScheduleViewModel::goToPreviousDay()
{
    chooseDate(m_selectedDate.addDays(-1));
}

void ScheduleViewModel::selectDate(QDate date)
{
    chooseDate(date);
}

void ScheduleViewModel::chooseDate(QDate date)
{
    m_followsGameDay = false;
    // A day the calendar cannot hold leaves the shown day as it was.
    if (date.isValid()) setSelectedDate(date);
    startLoad();
}

void ScheduleViewModel::startRefreshTimer()
{
    if (m_refreshTimer) m_refreshTimer->deleteLater();
    m_refreshTimer = new QTimer(this);
    m_refreshTimer->setInterval(wantedRefreshPeriod());
    connect(m_refreshTimer, &QTimer::timeout, this, [this] {
        auto task = refreshTimerFired();
        Q_UNUSED(task);
    });
    m_refreshTimer->start();
}

QCoro::Task<> ScheduleViewModel::refreshTimerFired()
{
    QPointer self(this);
    co_await loadSchedule();
    if (!self) co_return;
    co_await reloadStandings();
    if (!self) co_return;
    startRefreshTimer();
}

std::optional<std::chrono::milliseconds> ScheduleViewModel::refreshTimerPeriod() const
{
    if (!m_refreshTimer) return std::nullopt;
    return m_refreshTimer->intervalAsDuration();
}

std::chrono::milliseconds ScheduleViewModel::wantedRefreshPeriod() const
{
    if (m_consecutiveFailures > 0 && m_consecutiveFailures <= int(std::size(retryDelays)))
        return retryDelays[m_consecutiveFailures - 1];
    // The status line keeps up with the club's live game even while the window shows another day.
    const Game *titleGame = status().game;
    return hasLiveGames() || (titleGame && titleGame->isLive()) ? liveRefreshPeriod : idleRefreshPeriod;
}

void ScheduleViewModel::rearmRefreshTimerAfterLoad(bool failed)
{
    m_consecutiveFailures = failed ? m_consecutiveFailures + 1 : 0;
    if (!m_refreshTimer) return;
    // A retry counts from the failure. After a success the timer keeps its phase unless the period changes:
    // a game found live at start is then refreshed every minute from the first answer, not after five.
    if (failed || m_refreshTimer->intervalAsDuration() != wantedRefreshPeriod()) startRefreshTimer();
}

void ScheduleViewModel::startNetworkWatch()
{
    // Without a backend (no NetworkManager, say) the retries alone bring the schedule back.
    if (!QNetworkInformation::instance() && !QNetworkInformation::loadDefaultBackend()) return;
    QNetworkInformation *information = QNetworkInformation::instance();
    if (!information) return;
    const auto isOnline = [](QNetworkInformation::Reachability reachability) {
        return reachability == QNetworkInformation::Reachability::Online;
    };
    m_networkOnline = isOnline(information->reachability());
    connect(information, &QNetworkInformation::reachabilityChanged, this,
        [this, isOnline](
            QNetworkInformation::Reachability reachability) { handleReachabilityChanged(isOnline(reachability)); });
}

void ScheduleViewModel::handleReachabilityChanged(bool online)
{
    const bool regained = online && !m_networkOnline;
    m_networkOnline = online;
    if (regained) startRefresh();
}

void ScheduleViewModel::handleResume()
{
    for (auto &[gamePk, follow] : m_eventFollows)
        follow.follower->resumed();
    // The timers did not count the time asleep; what is on screen may be hours old.
    startRefresh();
}

void ScheduleViewModel::startRefresh()
{
    auto task = refresh();
    Q_UNUSED(task);
}

void ScheduleViewModel::startDayChangeObserver()
{
    m_dayChangeObserver = new DayChangeNotifier(m_now, this);
    connect(m_dayChangeObserver, &DayChangeNotifier::dayChanged, this, &ScheduleViewModel::handleDayChange);
    connect(m_dayChangeObserver, &DayChangeNotifier::resumed, this, &ScheduleViewModel::handleResume);
}

void ScheduleViewModel::handleDayChange()
{
    const QDate today = gameDay();
    const QDate previous = std::exchange(m_lastGameDay, today);
    if (today == previous) return;
    // Someone left looking at the day that just ended follows the league to the new one, but not while one of its
    // games is still being played; any other day was picked on purpose and stays. The title needs the new day's
    // answer either way.
    if (m_selectedDate == previous) {
        if (m_loadedDay == m_selectedDate && hasLiveGames())
            m_followsGameDay = true;
        else
            setSelectedDate(today);
    }
    Q_EMIT changed();
    startLoad();
}

void ScheduleViewModel::followGameDay()
{
    if (!m_followsGameDay) return;
    const QDate today = gameDay();
    if (m_selectedDate != today.addDays(-1)) {
        m_followsGameDay = false;
        return;
    }
    if (m_loadedDay != m_selectedDate || hasLiveGames()) return;
    m_followsGameDay = false;
    setSelectedDate(today);
    startLoad();
}

std::optional<Game> ScheduleViewModel::selectedGame() const
{
    if (!m_selectedGameId) return std::nullopt;
    for (Game &game : sortedGames()) {
        if (game.gamePk == *m_selectedGameId) return std::move(game);
    }
    return std::nullopt;
}

void ScheduleViewModel::reconcileSelection()
{
    const std::vector<Game> games = sortedGames();
    if (games.empty()) {
        setSelectedGameId(std::nullopt);
        clearDetail();
        return;
    }
    const auto listed = [&](qint64 gamePk) {
        return std::any_of(games.begin(), games.end(), [&](const Game &game) { return game.gamePk == gamePk; });
    };
    if (m_selectedGameId && listed(*m_selectedGameId)) return;
    // Favourite-club games sort first, so this is the club's earliest game of the day.
    const qint64 favorite = favoriteTeamId();
    const auto first
        = std::find_if(games.begin(), games.end(), [&](const Game &game) { return game.involves(favorite); });
    setSelectedGameId(first == games.end() ? std::nullopt : std::optional(first->gamePk));
    clearDetail();
}

void ScheduleViewModel::selectGame(qint64 gamePk)
{
    m_isShowingSelectedGameDetail = true;
    // Clicking the selected game again fetches its detail anew without blanking the card first.
    if (m_selectedGameId != gamePk) {
        m_selectedGameId = gamePk;
        clearDetail();
    }
    Q_EMIT changed();
    startDetailLoad();
}

void ScheduleViewModel::moveSelection(int step)
{
    std::vector<qint64> ids;
    for (const Game &game : sortedGames())
        ids.push_back(game.gamePk);
    if (ids.empty()) return;
    qint64 target = ids.front();
    if (m_selectedGameId) {
        const auto found = std::find(ids.begin(), ids.end(), *m_selectedGameId);
        if (found != ids.end()) {
            const auto index = std::clamp<std::ptrdiff_t>(
                (found - ids.begin()) + step, 0, static_cast<std::ptrdiff_t>(ids.size()) - 1);
            target = ids[static_cast<std::size_t>(index)];
            // At either end the move stops; it never wraps around.
            if (target == *m_selectedGameId) return;
        }
    }
    setSelectedGameId(target);
    clearDetail();
    // With the card closed only the highlighted row moves.
    if (m_isShowingSelectedGameDetail) startDetailLoad();
}

void ScheduleViewModel::closeGameDetail()
{
    m_isShowingSelectedGameDetail = false;
    clearDetail();
    Q_EMIT changed();
}

void ScheduleViewModel::setSelectedGameId(std::optional<qint64> gamePk)
{
    m_selectedGameId = gamePk;
    Q_EMIT changed();
}

void ScheduleViewModel::clearDetail()
{
    m_selectedGameDetail.reset();
    m_selectedGameDetailError.reset();
    m_isLoadingSelectedGameDetail = false;
    m_selectedGameFollow = LiveFeedFollow();
    Q_EMIT changed();
}

void ScheduleViewModel::startDetailLoad()
{
    auto task = loadSelectedGameDetail(true);
    Q_UNUSED(task);
}

QCoro::Task<> ScheduleViewModel::loadSelectedGameDetail(bool force)
{
    if (!m_isShowingSelectedGameDetail) {
        clearDetail();
        co_return;
    }
    const std::optional<Game> game = selectedGame();
    // Only live games have a detail worth fetching; the card of any other game is drawn from the schedule.
    if (!game || !game->isLive()) {
        clearDetail();
        co_return;
    }
    if (!force && m_selectedGameDetail && m_selectedGameDetail->gamePk == game->gamePk) co_return;

    QPointer self(this);
    const qint64 gamePk = game->gamePk;
    if (!m_selectedGameFollow) m_selectedGameFollow = m_apiService->followGame(gamePk);
    // The detail on screen stays while it is fetched again, so a refresh does not blank the card.
    m_isLoadingSelectedGameDetail = true;
    m_selectedGameDetailError.reset();
    Q_EMIT changed();
    try {
        GameDetail detail = co_await m_apiService->fetchGameDetail(gamePk);
        if (!self) co_return;
        // An answer for a game that is no longer selected is dropped.
        if (m_selectedGameId == detail.gamePk) m_selectedGameDetail = std::move(detail);
        if (m_selectedGameId == gamePk) m_isLoadingSelectedGameDetail = false;
        Q_EMIT changed();
    } catch (const std::exception &) {
        if (!self) co_return;
        if (m_selectedGameId == gamePk) {
            m_selectedGameDetail.reset();
            m_selectedGameDetailError = u"Failed to load live detail"_s;
            m_isLoadingSelectedGameDetail = false;
            Q_EMIT changed();
        }
    }
}

void ScheduleViewModel::setGames(std::vector<Game> games)
{
    m_receivedGames = std::move(games);
    showDelayedGames();
}

void ScheduleViewModel::showDelayedGames()
{
    const QDateTime at = now();
    m_games = m_delayedGames.shown(m_receivedGames, at, streamDelay());
    if (const std::optional<QDateTime> next = m_delayedGames.nextChange(at, streamDelay()))
        m_delayTimer.start(std::chrono::milliseconds(std::max<qint64>(at.msecsTo(*next), 0)));
    else
        m_delayTimer.stop();
    Q_EMIT changed();
}

void ScheduleViewModel::setSelectedDate(QDate date)
{
    m_selectedDate = date;
    Q_EMIT changed();
}

void ScheduleViewModel::setIsLoading(bool loading)
{
    m_isLoading = loading;
    Q_EMIT changed();
}

void ScheduleViewModel::setErrorMessage(std::optional<QString> message)
{
    m_errorMessage = std::move(message);
    Q_EMIT changed();
}

QCoro::Task<> ScheduleViewModel::setFavoriteTeam(qint64 teamId)
{
    // A followed club made the favourite leaves the followed list rather than coming back there later.
    std::vector<qint64> followed = readTeamIds(m_settings->value(followedTeamIdsKey));
    if (std::erase(followed, teamId) > 0) m_settings->setValue(followedTeamIdsKey, teamIdsText(followed));
    writePreference(favoriteTeamIdKey, teamId);
    co_await runNotificationSync(false);
}

QCoro::Task<> ScheduleViewModel::setFollowedTeams(std::vector<qint64> teamIds)
{
    std::vector<qint64> kept;
    for (const qint64 id : teamIds) {
        if (id != favoriteTeamId() && std::ranges::find(kept, id) == kept.end() && kept.size() < maxFollowedTeams)
            kept.push_back(id);
    }
    writePreference(followedTeamIdsKey, teamIdsText(kept));
    co_await runNotificationSync(false);
}

QCoro::Task<> ScheduleViewModel::setTeamAlerts(qint64 teamId, bool on)
{
    std::vector<qint64> off = readTeamIds(m_settings->value(teamAlertsOffKey));
    std::erase(off, teamId);
    if (!on) off.push_back(teamId);
    writePreference(teamAlertsOffKey, teamIdsText(off));
    co_await runNotificationSync(false);
}

QCoro::Task<> ScheduleViewModel::setNotificationLeadMinutes(qint64 minutes)
{
    writePreference(notificationLeadMinutesKey, minutes);
    co_await runNotificationSync(false);
}

QCoro::Task<> ScheduleViewModel::setNotificationsEnabled(bool enabled)
{
    writePreference(notificationsEnabledKey, enabled);
    if (enabled) {
        co_await runNotificationSync(true);
        co_return;
    }
    // The running loop's extra pass sees the feature off and removes whatever its interrupted pass added.
    if (m_isSyncingNotifications) m_needsNotificationResync = true;
    QPointer self(this);
    const auto result = co_await m_notificationService->disableGameStartNotifications();
    if (!self) co_return;
    setNotificationSyncStatus(syncStatus(result));
}

QCoro::Task<> ScheduleViewModel::grantNotificationPermission()
{
    writePreference(notificationsEnabledKey, true);
    co_await runNotificationSync(true);
}

QCoro::Task<> ScheduleViewModel::runNotificationSync(bool requestPermission)
{
    if (m_isSyncingNotifications) {
        m_needsNotificationResync = true;
        co_return;
    }
    co_await notificationSyncLoop(requestPermission);
}

QCoro::Task<> ScheduleViewModel::notificationSyncLoop(bool requestPermission)
{
    QPointer self(this);
    m_isSyncingNotifications = true;
    m_needsNotificationResync = false;
    co_await syncNotifications(requestPermission);
    if (!self) co_return;
    // Only the first pass may ask for permission.
    while (m_needsNotificationResync) {
        m_needsNotificationResync = false;
        co_await syncNotifications(false);
        if (!self) co_return;
    }
    m_isSyncingNotifications = false;
}

QCoro::Task<> ScheduleViewModel::syncNotifications(bool requestPermission)
{
    using Permission = NotificationPermissionStatus;
    QPointer self(this);
    if (!notificationsEnabled()) {
        const auto result = co_await m_notificationService->disableGameStartNotifications();
        if (!self) co_return;
        setNotificationSyncStatus(syncStatus(result));
        co_return;
    }
    setNotificationSyncStatus(GameStartNotificationSyncStatus::syncing());
    Permission permission = co_await m_notificationService->currentPermissionStatus();
    if (!self) co_return;
    if (permission == Permission::NotDetermined && requestPermission) {
        permission = co_await m_notificationService->requestNotificationPermission();
        if (!self) co_return;
    }
    switch (permission) {
    case Permission::Unavailable:
        setNotificationSyncStatus(GameStartNotificationSyncStatus::unavailable());
        co_return;
    case Permission::NotDetermined:
        setNotificationSyncStatus(GameStartNotificationSyncStatus::needsPermission());
        co_return;
    case Permission::Denied:
        setNotificationSyncStatus(GameStartNotificationSyncStatus::denied());
        co_return;
    case Permission::Authorized:
        break;
    }

    std::vector<Game> games;
    try {
        // From the day before the game day: a night game east of New York may be past local midnight but still ahead.
        const QDate today = gameDay();
        for (const qint64 club : myTeamIds()) {
            if (!teamAlerts(club)) continue;
            auto clubGames = co_await m_apiService->fetchTeamSchedule(
                club, today.addDays(-1), today.addDays(notificationScheduleDaysAhead));
            if (!self) co_return;
            std::ranges::move(clubGames, std::back_inserter(games));
        }
    } catch (const std::exception &) {
        if (!self) co_return;
        // The pending alerts stay as they are.
        setNotificationSyncStatus(GameStartNotificationSyncStatus::failed(u"Could not sync notifications"_s));
        co_return;
    }
    if (!self) co_return;
    const QStringList pending = co_await m_notificationService->pendingGameStartNotificationIds();
    if (!self) co_return;
    auto plan = GameStartNotificationPlanner::plan(games, notificationLeadMinutes(), m_now(), pending);
    const auto result = co_await m_notificationService->syncGameStartNotifications(
        std::move(plan.requests), std::move(plan.staleIds));
    if (!self) co_return;
    setNotificationSyncStatus(syncStatus(result));
}

GameStartNotificationSyncStatus ScheduleViewModel::syncStatus(const GameStartNotificationSyncResult &result)
{
    using State = GameStartNotificationSyncState;
    using Status = GameStartNotificationSyncStatus;
    switch (result.state) {
    case State::Disabled:
        return Status::off();
    case State::Unavailable:
        return Status::unavailable();
    case State::NeedsPermission:
        return Status::needsPermission();
    case State::Denied:
        return Status::denied();
    case State::NoUpcomingGames:
        return Status::noUpcomingGames();
    case State::Scheduled:
        return result.nextRequest ? Status::scheduled(notificationSummary(*result.nextRequest))
                                  : Status::noUpcomingGames();
    case State::Failed:
        return Status::failed(result.errorMessage.value_or(u"Could not sync notifications"_s));
    }
    return Status::off();
}

GameStartNotificationSummary ScheduleViewModel::notificationSummary(
    const GameStartNotificationPlanner::Request &request)
{
    const Game &game = request.game;
    return { MLBTeam::label(game.teams.away.team.id) + u" @ "_s + MLBTeam::label(game.teams.home.team.id),
        request.triggerDate, parseInternetDateTime(game.gameDate).value_or(request.triggerDate) };
}

QString ScheduleViewModel::alertTimeText(const QDateTime &instant)
{
    return QLocale().toString(instant.toLocalTime(), u"ddd, h:mm Ap"_s);
}

QString ScheduleViewModel::notificationStatusText() const
{
    using Kind = GameStartNotificationSyncStatus::Kind;
    const auto &status = m_notificationSyncStatus;
    switch (status.kind()) {
    case Kind::Scheduled:
        return u"Next alert: "_s + status.summary()->matchup + u", "_s + alertTimeText(status.summary()->alertDate);
    case Kind::Failed:
        return status.message();
    case Kind::Off:
        return u"Notifications are off"_s;
    case Kind::Syncing:
        return u"Syncing notifications..."_s;
    case Kind::Unavailable:
        return u"Notifications are unavailable in this build"_s;
    case Kind::NeedsPermission:
        return u"Enable desktop notifications to receive game alerts"_s;
    case Kind::Denied:
        return u"Notifications are disabled in the desktop settings"_s;
    case Kind::NoUpcomingGames:
        return u"No upcoming favorite-team games found"_s;
    }
    return {};
}

QCoro::Task<> ScheduleViewModel::sendTestNotification()
{
    using State = GameStartNotificationSyncState;
    if (m_isSchedulingTestNotification) co_return;
    QPointer self(this);
    m_isSchedulingTestNotification = true;
    m_debugNotificationStatusText = u"Scheduling test notification..."_s;
    Q_EMIT changed();
    const auto result = co_await m_notificationService->scheduleTestNotification(5);
    if (!self) co_return;
    const QString couldNot = u"Could not schedule test notification"_s;
    switch (result.state) {
    case State::Scheduled:
        m_debugNotificationStatusText = u"Test notification scheduled for 5 seconds from now"_s;
        break;
    case State::Unavailable:
        m_debugNotificationStatusText = u"Notifications are unavailable in this build"_s;
        break;
    case State::NeedsPermission:
        m_debugNotificationStatusText = u"Enable desktop notifications to send a test"_s;
        break;
    case State::Denied:
        m_debugNotificationStatusText = u"Notifications are disabled in the desktop settings"_s;
        break;
    case State::Failed:
        m_debugNotificationStatusText = result.errorMessage.value_or(couldNot);
        break;
    case State::Disabled:
    case State::NoUpcomingGames:
        m_debugNotificationStatusText = couldNot;
        break;
    }
    m_isSchedulingTestNotification = false;
    Q_EMIT changed();
}

void ScheduleViewModel::setNotificationSyncStatus(GameStartNotificationSyncStatus status)
{
    m_notificationSyncStatus = std::move(status);
    Q_EMIT changed();
}
