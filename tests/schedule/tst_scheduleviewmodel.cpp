#include "fakescheduleapi.h"
#include "notifications/fakenotificationcenterclient.h"
#include "notifications/notificationservice.h"
#include "schedule/scheduleviewmodel.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <ctime>

using namespace Qt::StringLiterals;
using namespace std::chrono_literals;

Q_DECLARE_METATYPE(std::vector<Game>)

namespace {

Game makeGame(qint64 gamePk, qint64 awayId, qint64 homeId, const QString &gameDate,
    const QString &abstractState = u"Preview"_s, const QString &detailedState = u"Scheduled"_s)
{
    Game g;
    g.gamePk = gamePk;
    g.gameDate = gameDate;
    g.status = { abstractState, detailedState, {}, {}, {}, {} };
    g.teams.away.team = { awayId, {} };
    g.teams.home.team = { homeId, {} };
    return g;
}

Game liveGame(qint64 awayScore, qint64 homeScore, std::optional<bool> isTop, std::optional<QString> ordinal,
    bool withLinescore = true)
{
    Game g = makeGame(1, 147, 111, u"2024-04-01T23:05:00Z"_s, u"Live"_s, u"In Progress"_s);
    g.teams.away.score = awayScore;
    g.teams.home.score = homeScore;
    if (withLinescore) g.linescore = Linescore { 7, ordinal, isTop, {} };
    return g;
}

Game finalGame(qint64 awayScore, qint64 homeScore)
{
    Game g = makeGame(1, 147, 111, u"2024-04-01T23:05:00Z"_s, u"Final"_s, u"Final"_s);
    g.teams.away.score = awayScore;
    g.teams.home.score = homeScore;
    return g;
}

std::vector<qint64> gamePks(const std::vector<Game> &games)
{
    std::vector<qint64> pks;
    for (const Game &g : games)
        pks.push_back(g.gamePk);
    return pks;
}

} // namespace

// The schedule view model against a fake service whose answers the test releases.
class TestScheduleViewModel : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;
    // Without a desktop-file id the alert sync answers unavailable and touches nothing.
    NotificationService m_notifications { nullptr, QString() };
    std::unique_ptr<QSettings> m_settings;
    std::unique_ptr<FakeScheduleAPI> m_fake;
    int m_run = 0;
    FakeScheduleAPI &api() { return *m_fake; }

    // 2 PM in New York on game day 2024-04-01, unless a test moves it.
    QDateTime m_clock;

    std::unique_ptr<ScheduleViewModel> makeViewModel(bool startTimers = false)
    {
        return std::make_unique<ScheduleViewModel>(
            m_fake.get(), &m_notifications, m_settings.get(), [this] { return m_clock; }, startTimers, false);
    }

    // Answers request `index` with `games` on the game day (and nothing the day before), whatever else it covers.
    void answerGameDay(int index, QDate day, std::vector<Game> games)
    {
        ScheduleDays days;
        days[day] = std::move(games);
        api().succeedDays(index, std::move(days));
    }

private Q_SLOTS:
    void init()
    {
        m_settings = std::make_unique<QSettings>(m_dir.filePath(u"prefs-%1.ini"_s.arg(++m_run)), QSettings::IniFormat);
        m_fake = std::make_unique<FakeScheduleAPI>();
        m_clock = QDateTime(QDate(2024, 4, 1), QTime(18, 0), Qt::UTC);
    }

    void cleanup()
    {
        qputenv("TZ", "America/New_York");
        tzset();
    }

    // The followed clubs are keys of their own: a file of the version before them reads unchanged, and a file written
    // now keeps favoriteTeamId as that version reads it, the new keys plain strings it can skip.
    void preferencesFileReadByBothVersions()
    {
        QFile file(m_settings->fileName());
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("[General]\nfavoriteTeamId=111\nnoSpoilers=false\nfollowedTeamIds=\"112, x,112 , 111\"\n");
        file.close();
        m_settings->sync();
        auto vm = makeViewModel();
        QCOMPARE(vm->myTeamIds(), (std::vector<qint64> { 111, 112 }));
        QVERIFY(vm->teamAlerts(111) && vm->teamAlerts(112));
        QCOMPARE(vm->noSpoilers(), false);

        vm->setNoSpoilers(true);
        auto task = vm->setFollowedTeams({ 147, 121 });
        task = vm->setTeamAlerts(121, false);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QByteArray text = file.readAll();
        file.close();
        QVERIFY(text.contains("\nfavoriteTeamId=111\n"));
        QVERIFY(text.contains("\nfollowedTeamIds=\"147,121\"\n"));
        QVERIFY(text.contains("\nteamAlertsOff=121\n") && text.contains("\nnoSpoilers=true\n"));
        QSettings older(m_settings->fileName(), QSettings::IniFormat);
        QCOMPARE(older.status(), QSettings::NoError);
        older.setValue(u"favoriteTeamId"_s, 147); // the older version picks the Yankees
        older.sync();
        m_settings->sync();
        QCOMPARE(vm->myTeamIds(), (std::vector<qint64> { 147, 121 }));
        QVERIFY(!vm->teamAlerts(121));
        task = vm->setFavoriteTeam(121); // a followed club made the favourite is not listed twice, nor later
        task = vm->setFavoriteTeam(147);
        QCOMPARE(vm->myTeamIds(), std::vector<qint64> { 147 });
        task = vm->setFollowedTeams({ 108, 109, 110, 112, 113, 114 });
        QCOMPARE(vm->followedTeamIds(), (std::vector<qint64> { 108, 109, 110, 112, 113 }));
    }

    void lastLoadToCompleteWins()
    {
        auto vm = makeViewModel();
        auto older = vm->loadSchedule();
        vm->goToNextDay();
        QCOMPARE(api().requestCount(), 2);
        QCOMPARE(api().request(1).lastDay, api().request(0).lastDay.addDays(1));
        // The day before, the game day and the next day, in one request.
        QCOMPARE(api().request(1).firstDay, api().request(0).firstDay);
        api().succeed(1, { makeGame(2, 110, 111, u"2024-04-02T23:05:00Z"_s) });
        api().succeed(0, { makeGame(1, 147, 111, u"2024-04-01T23:05:00Z"_s) });
        QCOMPARE(gamePks(vm->games()), std::vector<qint64> { 1 });
    }

    // Failed loads retry soon, then at the normal period; a live game is refreshed every minute, and a failure after a
    // success starts the retries over.
    void timerPeriodFollowsEveryLoad()
    {
        auto vm = makeViewModel(true);
        vm->setFavoriteTeam(158); // nothing selected, so no live detail is awaited
        QCOMPARE(vm->refreshTimerPeriod(), std::chrono::milliseconds(300s));
        int request = 0;
        for (const auto expected : { 15s, 30s, 60s, 300s, 300s }) {
            auto load = vm->refreshTimerFired();
            api().fail(request++);
            QCOMPARE(vm->refreshTimerPeriod(), std::chrono::milliseconds(expected));
        }
        auto load = vm->loadSchedule();
        api().succeed(request++, { liveGame(1, 0, true, u"1st"_s) });
        QCOMPARE(vm->refreshTimerPeriod(), std::chrono::milliseconds(60s));
        load = vm->loadSchedule();
        api().fail(request++);
        QCOMPARE(vm->refreshTimerPeriod(), std::chrono::milliseconds(15s));
        load = vm->refreshTimerFired();
        api().succeed(request++, { finalGame(2, 1) });
        QCOMPARE(vm->refreshTimerPeriod(), std::chrono::milliseconds(300s));

        // The club's live game keeps the status line on the minute while the window shows another day.
        vm->setFavoriteTeam(147);
        vm->goToNextDay();
        api().succeedDays(request, { { vm->gameDay(), { liveGame(1, 0, true, u"1st"_s) } } });
        QCOMPARE(vm->refreshTimerPeriod(), std::chrono::milliseconds(60s));
    }

    void networkBackReloadsAtOnce()
    {
        auto vm = makeViewModel();
        vm->handleReachabilityChanged(false);
        QCOMPARE(api().requestCount(), 0);
        vm->handleReachabilityChanged(true);
        QCOMPARE(api().requestCount(), 1);
        vm->handleReachabilityChanged(true); // still online
        QCOMPARE(api().requestCount(), 1);
        api().succeed(0, {});
    }

    // The status line, the panel's class and the error agree while nothing is known, after a failure and once loaded.
    void titleBeforeAndAfterFailedLoads()
    {
        auto vm = makeViewModel();
        QCOMPARE(vm->menuBarTitle(), u"NYY"_s); // nothing known about the day yet
        QCOMPARE(vm->panelState(), u"loading"_s);
        QCOMPARE(vm->panelTooltip(), QString());
        auto load = vm->loadSchedule();
        QVERIFY(vm->isLoading());
        api().fail(0);
        QCOMPARE(vm->menuBarTitle(), u"NYY — Offline"_s);
        QCOMPARE(vm->panelState(), u"offline"_s);
        QCOMPARE(vm->errorMessage(), u"Failed to load schedule"_s);

        load = vm->loadSchedule();
        QVERIFY(!vm->errorMessage()); // cleared while the load runs
        api().succeed(1, { makeGame(1, 147, 111, u"2024-04-01T23:05:00Z"_s) });
        QCOMPARE(vm->menuBarTitle(), u"NYY @ BOS 7:05 PM"_s);
        QCOMPARE(vm->panelState(), u"preview"_s);
        load = vm->loadSchedule();
        api().fail(2); // games on screen stay, and keep their title
        QCOMPARE(gamePks(vm->games()), std::vector<qint64> { 1 });
        QVERIFY(!vm->isLoading());
        QCOMPARE(vm->menuBarTitle(), u"NYY @ BOS 7:05 PM"_s);

        // Browsing another day leaves the status line on the game day.
        vm->goToNextDay();
        QCOMPARE(vm->menuBarTitle(), u"NYY @ BOS 7:05 PM"_s);
        QCOMPARE(api().request(3).firstDay, QDate(2024, 4, 1)); // the title's day comes along
        answerGameDay(3, QDate(2024, 4, 1), { makeGame(1, 147, 111, u"2024-04-01T23:05:00Z"_s, u"Live"_s) });
        QVERIFY(vm->games().empty());
        QCOMPARE(vm->menuBarTitle(), u"NYY @ BOS · Live"_s);
    }

    void firstLoadStartsOnceTheEventLoopRuns()
    {
        ScheduleViewModel vm(m_fake.get(), &m_notifications, m_settings.get(), {}, true, true);
        QCOMPARE(api().requestCount(), 0);
        QTRY_COMPARE(api().requestCount(), 1);
        QVERIFY(vm.isLoading());
        api().succeed(0, {});
    }

    // The game day turns at 05:00 in New York, wherever the fan is; local midnight is no event at all.
    void gameDayTurnsAtFiveInNewYork_data()
    {
        QTest::addColumn<QByteArray>("zone");
        QTest::addColumn<QDateTime>("before");
        QTest::addColumn<bool>("turns"); // whether the game day differs a minute later
        const QDateTime turn(QDate(2024, 4, 2), QTime(9, 0), Qt::UTC); // 05:00 EDT
        for (const QByteArray zone : { "America/New_York", "America/Los_Angeles", "Europe/London", "Asia/Tokyo" }) {
            qputenv("TZ", zone);
            tzset();
            const QDateTime localMidnight = QDate(2024, 4, 2).startOfDay().addSecs(-30);
            QTest::addRow("%s, local midnight", zone.constData())
                << zone << localMidnight << (localMidnight.secsTo(turn) > 0 && localMidnight.secsTo(turn) < 60);
            QTest::addRow("%s, 05:00 in New York", zone.constData()) << zone << turn.addSecs(-30) << true;
        }
    }

    void gameDayTurnsAtFiveInNewYork()
    {
        QFETCH(QByteArray, zone);
        QFETCH(QDateTime, before);
        QFETCH(bool, turns);
        qputenv("TZ", zone);
        tzset();
        m_clock = before;
        auto vm = makeViewModel();
        const QDate day = vm->gameDay();
        auto load = vm->loadSchedule();
        answerGameDay(0, day, { makeGame(1, 147, 111, u"2024-04-01T23:05:00Z"_s, u"Live"_s) });
        QCOMPARE(vm->selectedDateTitle(), u"Today"_s);

        m_clock = before.addSecs(60);
        vm->handleDayChange();
        QCOMPARE(vm->gameDay() != day, turns);
        // The live game is never dropped: the view stays and the title keeps it.
        QCOMPARE(vm->selectedDate(), day);
        QCOMPARE(vm->menuBarTitle(), u"NYY @ BOS · Live"_s);
        QCOMPARE(api().requestCount(), turns ? 2 : 1);
    }

    // At the turn of the game day a view left on the day that ended follows the league to the new one, unless a
    // game of it is still live: then it stays, and moves with the first load that finds none live. The title
    // keeps the late game meanwhile, then takes the new day's game. A late game last seen before its start (the
    // machine slept through the evening) is asked about again.
    void rolloverWaitsForTheLastLiveGame_data()
    {
        QTest::addColumn<QString>("stateAtTurn");
        QTest::addColumn<bool>("viewStays");
        QTest::addColumn<bool>("dayBeforeAsked");
        QTest::newRow("a game still live") << u"Live"_s << true << true;
        QTest::newRow("every game over") << u"Final"_s << false << false;
        QTest::newRow("last seen before its start") << u"Preview"_s << false << true;
    }

    void rolloverWaitsForTheLastLiveGame()
    {
        QFETCH(QString, stateAtTurn);
        QFETCH(bool, viewStays);
        QFETCH(bool, dayBeforeAsked);
        const QDate monday(2024, 4, 1);
        const QDate tuesday(2024, 4, 2);
        m_clock = QDateTime(tuesday, QTime(8, 59), Qt::UTC); // 04:59 in New York
        auto vm = makeViewModel();
        vm->closeGameDetail(); // no live detail to wait for
        Game late = makeGame(1, 147, 111, u"2024-04-02T02:05:00Z"_s, stateAtTurn);
        const Game next = makeGame(2, 147, 111, u"2024-04-02T23:05:00Z"_s);
        auto load = vm->loadSchedule();
        answerGameDay(0, monday, { late });

        m_clock = QDateTime(tuesday, QTime(9, 1), Qt::UTC);
        vm->handleDayChange();
        QCOMPARE(vm->selectedDate(), viewStays ? monday : tuesday);
        QCOMPARE(api().request(1).firstDay, dayBeforeAsked ? monday : tuesday);
        QCOMPARE(api().request(1).lastDay, tuesday);
        late.status.abstractGameState = stateAtTurn == u"Final"_s ? u"Final"_s : u"Live"_s;
        api().succeedDays(1, { { monday, { late } }, { tuesday, { next } } });
        QCOMPARE(vm->selectedDate(), viewStays ? monday : tuesday);
        QCOMPARE(vm->menuBarTitle(), dayBeforeAsked ? u"NYY @ BOS · Live"_s : u"NYY @ BOS 7:05 PM"_s);
        QCOMPARE(vm->selectedDateTitle(), viewStays ? u"Mon, Apr 1"_s : u"Today"_s);
        QCOMPARE(api().requestCount(), 2);
        if (!viewStays) return;

        late.status.abstractGameState = u"Final"_s;
        load = vm->refreshTimerFired();
        api().succeedDays(2, { { monday, { late } }, { tuesday, { next } } });
        QCOMPARE(vm->selectedDate(), tuesday);
        QCOMPARE(vm->menuBarTitle(), u"NYY @ BOS 7:05 PM"_s);
        QCOMPARE(api().requestCount(), 4);
        // Monday's game is over: Tuesday alone from now on.
        QCOMPARE(api().request(3).firstDay, tuesday);
    }

    // A day picked on purpose stays picked when the game day turns; only the title moves on.
    void pickedDayStaysAtTheTurn()
    {
        m_clock = QDateTime(QDate(2024, 4, 2), QTime(8, 59), Qt::UTC);
        auto vm = makeViewModel();
        vm->selectDate(QDate(2024, 4, 10));
        api().succeed(0, {}); // the picked day, then the game day apart
        QCOMPARE(api().request(1).lastDay, QDate(2024, 4, 1));
        api().succeed(1, {});
        m_clock = m_clock.addSecs(120);
        vm->handleDayChange();
        QCOMPARE(vm->selectedDate(), QDate(2024, 4, 10));
        api().succeed(2, {});
        QCOMPARE(api().request(3).firstDay, QDate(2024, 4, 2));
        answerGameDay(3, QDate(2024, 4, 2), { makeGame(2, 111, 147, u"2024-04-02T23:05:00Z"_s) });
        QCOMPARE(vm->menuBarTitle(), u"BOS @ NYY 7:05 PM"_s);
    }

    // Each club's live game is followed for in-game alerts while they are wanted; a game the schedule shows over
    // stays with its follower, which tells its final; another club or the alerts off stop it.
    void inGameAlertsFollowTheClubsLiveGames()
    {
        FakeNotificationCenterClient center;
        auto vm = makeViewModel();
        vm->setGameEventFollowers([&](QObject *parent) {
            return new GameEventFollower(
                &center, [](qint64) -> QCoro::Task<GameEventFollower::Update> { throw std::runtime_error("offline"); },
                [this] { return m_clock; }, parent);
        });
        const auto follower = [&] { return vm->gameEventFollower(1); };
        m_settings->setValue(u"notificationsEnabled"_s, true);
        const QDate day(2024, 4, 1);
        auto load = vm->loadSchedule();
        answerGameDay(0, day, { makeGame(1, 147, 111, u"2024-04-01T23:05:00Z"_s, u"Live"_s) });
        QVERIFY(vm->eventFollowedGames().empty()); // No Spoilers Mode is on by default
        const std::size_t cardFollows = api().followedGames().size();
        vm->setNoSpoilers(false);
        QCOMPARE(vm->eventFollowedGames(), std::vector<qint64> { 1 });
        QCOMPARE(api().followedGames().size(), cardFollows + 1); // the feed is kept between looks
        vm->setScoringPlayAlerts(false);
        QCOMPARE(follower()->kinds(), (GameEventFollower::Kinds { .scoring = false, .final = true }));
        vm->setFinalScoreAlerts(false);
        QVERIFY(vm->eventFollowedGames().empty());
        QCOMPARE(api().followedGames().size(), cardFollows);
        vm->setFinalScoreAlerts(true);

        load = vm->loadSchedule();
        answerGameDay(1, day, { makeGame(1, 147, 111, u"2024-04-01T23:05:00Z"_s, u"Final"_s) });
        QCOMPARE(vm->eventFollowedGames(), std::vector<qint64> { 1 });
        QCoro::waitFor(follower()->look()); // fails: the next look in 15 s
        QCOMPARE(follower()->nextLookIn(), 15s);
        vm->handleResume(); // a look at once, and a reload
        QCOMPARE(follower()->nextLookIn(), 0ms);
        answerGameDay(2, day, { makeGame(1, 147, 111, u"2024-04-01T23:05:00Z"_s, u"Final"_s) });
        vm->setNoSpoilers(true);
        QVERIFY(vm->eventFollowedGames().empty());

        // A game over before it was followed is not taken up; another club's game day stops the follow.
        vm->setNoSpoilers(false);
        QVERIFY(vm->eventFollowedGames().empty());
        load = vm->loadSchedule();
        answerGameDay(3, day, { makeGame(1, 147, 111, u"2024-04-01T23:05:00Z"_s, u"Live"_s) });
        QCOMPARE(vm->eventFollowedGames(), std::vector<qint64> { 1 });
        load = vm->setFavoriteTeam(110);
        QVERIFY(vm->eventFollowedGames().empty());

        // One follower per live game of the clubs with alerts on; a game between two of them is followed once.
        load = vm->setFollowedTeams({ 147, 111, 112, 113 });
        load = vm->loadSchedule();
        const auto live = [](qint64 pk, qint64 away, qint64 home) {
            return makeGame(pk, away, home, u"2024-04-01T23:05:00Z"_s, u"Live"_s);
        };
        answerGameDay(4, day, { live(1, 147, 111), live(2, 112, 114), live(3, 113, 115), live(4, 116, 117) });
        QCOMPARE(vm->eventFollowedGames(), (std::vector<qint64> { 1, 2, 3 }));
        load = vm->setTeamAlerts(112, false);
        QCOMPARE(vm->eventFollowedGames(), (std::vector<qint64> { 1, 3 }));
        load = vm->setTeamAlerts(147, false); // the Red Sox still want game 1
        QCOMPARE(vm->eventFollowedGames(), (std::vector<qint64> { 1, 3 }));
        vm->setGameEventFollowers(nullptr);
        QVERIFY(vm->eventFollowedGames().empty());
    }

    // The date row names the year of a day outside the game day's year: at 02:00 UTC on New Year's Day it is 2026
    // in Tokyo, and the game day still Dec 31, 2025 everywhere.
    void dateTitleNamesAnotherYear()
    {
        m_clock = QDateTime(QDate(2026, 1, 1), QTime(2, 0), Qt::UTC);
        auto vm = makeViewModel();
        for (const QByteArray zone : { "America/Los_Angeles", "Asia/Tokyo" }) {
            qputenv("TZ", zone);
            tzset();
            const std::pair<QDate, QString> titles[] { { QDate(2025, 12, 30), u"Tue, Dec 30"_s },
                { QDate(2024, 9, 29), u"Sun, Sep 29, 2024"_s }, { QDate(2026, 1, 1), u"Thu, Jan 1, 2026"_s } };
            for (const auto &[day, title] : titles) {
                vm->selectDate(day);
                QCOMPARE(vm->selectedDateTitle(), title);
            }
        }
        vm->goToPreviousDay(); // back across the year
        vm->goToPreviousDay();
        QCOMPARE(vm->selectedDate(), QDate(2025, 12, 30));
        vm->goToToday();
        QCOMPARE(vm->selectedDateTitle(), u"Today"_s);
        for (int i = 0; i < api().requestCount(); ++i)
            api().succeed(i, {});
    }

    void menuBarTitle_data()
    {
        QTest::addColumn<std::vector<Game>>("games");
        QTest::addColumn<bool>("noSpoilers");
        QTest::addColumn<qint64>("favorite");
        QTest::addColumn<QString>("title");

        const Game scheduled = makeGame(1, 147, 111, u"2024-04-01T23:05:00Z"_s);

        QTest::newRow("live") << std::vector { liveGame(3, 2, true, u"7th"_s) } << false << qint64(147)
                              << u"NYY @ BOS 3-2 Top 7th"_s;
        QTest::newRow("live, no spoilers")
            << std::vector { liveGame(3, 2, true, u"7th"_s) } << true << qint64(147) << u"NYY @ BOS · Top 7th"_s;
        QTest::newRow("favourite not playing") << std::vector { makeGame(2, 110, 111, u"2024-04-01T23:05:00Z"_s) }
                                               << true << qint64(147) << u"NYY — Off Day"_s;
        QTest::newRow("unknown favourite") << std::vector { scheduled } << true << qint64(1) << u"MLB — Off Day"_s;
        QTest::newRow("unknown opponent") << std::vector { makeGame(1, 999, 147, u"2024-04-01T23:05:00Z"_s) } << true
                                          << qint64(147) << u"MLB @ NYY 7:05 PM"_s;
        QTest::newRow("top of inning absent")
            << std::vector { liveGame(0, 0, {}, u"3rd"_s) } << false << qint64(147) << u"NYY @ BOS 0-0 Bot 3rd"_s;
        QTest::newRow("no line score") << std::vector { liveGame(0, 0, {}, {}, false) } << true << qint64(147)
                                       << u"NYY @ BOS · Live"_s;
        Game noScores = liveGame(0, 0, false, u"1st"_s);
        noScores.teams.away.score.reset();
        noScores.teams.home.score.reset();
        QTest::newRow("absent scores as 0")
            << std::vector { noScores } << false << qint64(147) << u"NYY @ BOS 0-0 Bot 1st"_s;
        Game nightcap = makeGame(2, 147, 111, u"2024-04-01T17:05:00Z"_s);
        QTest::newRow("doubleheader uses service order")
            << std::vector { scheduled, nightcap } << true << qint64(147) << u"NYY @ BOS 7:05 PM"_s;
        QTest::newRow("doubleheader, the live game first")
            << std::vector { finalGame(5, 4), liveGame(1, 0, true, u"2nd"_s) } << false << qint64(147)
            << u"NYY @ BOS 1-0 Top 2nd"_s;
    }

    void menuBarTitle()
    {
        QFETCH(std::vector<Game>, games);
        QFETCH(bool, noSpoilers);
        QFETCH(qint64, favorite);
        QFETCH(QString, title);
        auto vm = makeViewModel();
        vm->setNoSpoilers(noSpoilers);
        vm->setFavoriteTeam(favorite);
        auto load = vm->loadSchedule();
        api().succeed(0, games);
        QCOMPARE(vm->menuBarTitle(), title);
    }

    // With followed clubs the title is the favourite's game while it is live, else the first followed club's in
    // list order that is live, else the favourite's; the tooltip names each club's game. Start times are local.
    void titleWithFollowedClubs_data()
    {
        QTest::addColumn<std::vector<Game>>("games");
        QTest::addColumn<QByteArray>("zone");
        QTest::addColumn<QString>("title");
        QTest::addColumn<QString>("lastTooltipLine");

        const auto game = [](qint64 gamePk, qint64 away, qint64 home, const QString &state) {
            return makeGame(gamePk, away, home, u"2024-04-01T23:05:00Z"_s, state);
        };
        const Game favorite = game(1, 147, 111, u"Preview"_s);
        QTest::newRow("two clubs live: the favourite")
            << std::vector { game(2, 112, 113, u"Live"_s), game(1, 147, 111, u"Live"_s) } << "America/New_York"_ba
            << u"NYY @ BOS · Live"_s << u"NYM — Off Day"_s;
        QTest::newRow("followed clubs live: the first in list order")
            << std::vector { favorite, game(3, 121, 120, u"Live"_s), game(2, 112, 113, u"Live"_s) }
            << "America/New_York"_ba << u"CHC @ CIN · Live"_s << u"NYM @ WSH · Live"_s;
        QTest::newRow("one live, favourite off") << std::vector { game(3, 121, 120, u"Live"_s) } << "Asia/Tokyo"_ba
                                                 << u"NYM @ WSH · Live"_s << u"NYM @ WSH · Live"_s;
        QTest::newRow("none live") << std::vector { favorite, game(2, 112, 113, u"Preview"_s) } << "Asia/Tokyo"_ba
                                   << u"NYY @ BOS 8:05 AM"_s << u"NYM — Off Day"_s;
        Game opener = game(4, 121, 112, u"Final"_s);
        opener.gameDate = u"2024-04-01T17:05:00Z"_s;
        QTest::newRow("doubleheader of two followed clubs: the live nightcap")
            << std::vector { opener, game(5, 121, 112, u"Live"_s) } << "Europe/Berlin"_ba << u"NYM @ CHC · Live"_s
            << u"NYM @ CHC · Live"_s;
        QTest::newRow("doubleheader of two followed clubs, neither live")
            << std::vector { opener, game(5, 121, 112, u"Preview"_s) } << "Europe/Berlin"_ba << u"NYY — Off Day"_s
            << u"NYM @ CHC · Final"_s;
    }

    void titleWithFollowedClubs()
    {
        QFETCH(std::vector<Game>, games);
        QFETCH(QByteArray, zone);
        qputenv("TZ", zone);
        tzset();
        auto vm = makeViewModel();
        auto task = vm->setFollowedTeams({ 112, 147, 121, 112 }); // the favourite and a repeat are dropped
        QCOMPARE(vm->myTeamIds(), (std::vector<qint64> { 147, 112, 121 }));
        auto load = vm->loadSchedule();
        answerGameDay(0, QDate(2024, 4, 1), games);
        QTEST(vm->menuBarTitle(), "title");
        QTEST(vm->panelTooltip().split(u'\n').last(), "lastTooltipLine");
        QCOMPARE(vm->panelTooltip().split(u'\n').size(), (vm->panelState() == u"off-day"_s ? 0 : 2) + 3);
    }

    void sortedGames()
    {
        auto vm = makeViewModel();
        auto load = vm->loadSchedule();
        api().succeed(0,
            {
                makeGame(1, 110, 111, u"2024-04-01T17:05:00Z"_s),
                makeGame(2, 112, 113, u"not a date"_s),
                makeGame(3, 147, 111, u"2024-04-01T23:05:00Z"_s), // nightcap of a doubleheader
                makeGame(4, 114, 115, u"2024-04-01T17:05:00Z"_s), // same start as 1
                makeGame(5, 111, 147, u"2024-04-01T17:05:00Z"_s), // opener
                makeGame(6, 116, 117, u"2024-04-01T16:05:00Z"_s),
            });
        QCOMPARE(gamePks(vm->sortedGames()), (std::vector<qint64> { 5, 3, 6, 1, 4, 2 }));
        vm->setFavoriteTeam(112);
        QCOMPARE(gamePks(vm->sortedGames()), (std::vector<qint64> { 2, 6, 1, 4, 5, 3 }));
        // Each followed club's games after those of the clubs before it; a game of two of them goes with the first.
        vm->setFollowedTeams({ 115, 111 });
        QCOMPARE(gamePks(vm->sortedGames()), (std::vector<qint64> { 2, 4, 1, 5, 3, 6 }));
    }
};

QTEST_GUILESS_MAIN(TestScheduleViewModel)
#include "tst_scheduleviewmodel.moc"
