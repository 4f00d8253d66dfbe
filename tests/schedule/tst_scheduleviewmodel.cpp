#include "fakescheduleapi.h"
#include "notifications/notificationservice.h"
#include "schedule/scheduleviewmodel.h"

#include <QTemporaryDir>
#include <QTest>

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

    std::unique_ptr<ScheduleViewModel> makeViewModel(bool startTimers = false)
    {
        return std::make_unique<ScheduleViewModel>(
            m_fake.get(), &m_notifications, m_settings.get(), [] { return QDateTime::currentDateTime(); }, startTimers,
            false);
    }

private Q_SLOTS:
    void init()
    {
        m_settings = std::make_unique<QSettings>(m_dir.filePath(u"prefs-%1.ini"_s.arg(++m_run)), QSettings::IniFormat);
        m_fake = std::make_unique<FakeScheduleAPI>();
    }

    // The club and alert defaults are checked where the Settings tab shows them.
    void preferencesAreStored()
    {
        auto vm = makeViewModel();
        QCOMPARE(vm->noSpoilers(), true);
        vm->setNoSpoilers(false);
        vm->setFavoriteTeam(111);
        QSettings reread(m_settings->fileName(), QSettings::IniFormat);
        QCOMPARE(reread.value(u"noSpoilers"_s).toBool(), false);
        QCOMPARE(reread.value(u"favoriteTeamId"_s).toLongLong(), 111);
    }

    void failureKeepsGamesAndSuccessClearsError()
    {
        auto vm = makeViewModel();
        auto first = vm->loadSchedule();
        QVERIFY(vm->isLoading());
        api().succeed(0, { makeGame(1, 147, 111, u"2024-04-01T23:05:00Z"_s) });
        QVERIFY(!vm->isLoading());
        QVERIFY(!vm->errorMessage());

        auto second = vm->loadSchedule();
        api().fail(1);
        QCOMPARE(vm->errorMessage(), u"Failed to load schedule"_s);
        QCOMPARE(gamePks(vm->games()), std::vector<qint64> { 1 });
        QVERIFY(!vm->isLoading());

        auto third = vm->loadSchedule();
        QVERIFY(!vm->errorMessage()); // cleared while the load runs
        api().succeed(2, {});
        QVERIFY(!vm->errorMessage());
        QVERIFY(vm->games().empty());
    }

    void lastLoadToCompleteWins()
    {
        auto vm = makeViewModel();
        auto older = vm->loadSchedule();
        vm->goToNextDay();
        QCOMPARE(api().requestCount(), 2);
        QCOMPARE(api().request(1).date.date(), api().request(0).date.date().addDays(1));
        api().succeed(1, { makeGame(2, 110, 111, u"2024-04-02T23:05:00Z"_s) });
        api().succeed(0, { makeGame(1, 147, 111, u"2024-04-01T23:05:00Z"_s) });
        QCOMPARE(gamePks(vm->games()), std::vector<qint64> { 1 });
    }

    void timerPeriodFollowsEveryLoad()
    {
        auto vm = makeViewModel(true);
        vm->setFavoriteTeam(158); // nothing selected, so no live detail is awaited
        QCOMPARE(vm->refreshTimerPeriod(), std::chrono::milliseconds(300s));

        // A game already live at start is refreshed every minute from the first answer on.
        auto firstLoad = vm->loadSchedule();
        api().succeed(0, { liveGame(1, 0, true, u"1st"_s) });
        QCOMPARE(vm->refreshTimerPeriod(), std::chrono::milliseconds(60s));

        auto quietTick = vm->refreshTimerFired();
        api().succeed(1, { finalGame(2, 1) });
        QCOMPARE(vm->refreshTimerPeriod(), std::chrono::milliseconds(300s));
    }

    void failedLoadsRetrySoonThenAtTheNormalPeriod()
    {
        auto vm = makeViewModel(true);
        vm->setFavoriteTeam(158);
        int request = 0;
        for (const auto expected : { 15s, 30s, 60s, 300s, 300s }) {
            auto tick = vm->refreshTimerFired();
            api().fail(request++);
            QCOMPARE(vm->refreshTimerPeriod(), std::chrono::milliseconds(expected));
        }
        auto recovered = vm->loadSchedule();
        api().succeed(request++, { liveGame(1, 0, true, u"1st"_s) });
        QCOMPARE(vm->refreshTimerPeriod(), std::chrono::milliseconds(60s));
        // A failure after a success starts the retries over.
        auto failedAgain = vm->loadSchedule();
        api().fail(request++);
        QCOMPARE(vm->refreshTimerPeriod(), std::chrono::milliseconds(15s));
    }

    void networkBackOrResumeReloadsAtOnce()
    {
        auto vm = makeViewModel();
        vm->handleReachabilityChanged(false);
        QCOMPARE(api().requestCount(), 0);
        vm->handleReachabilityChanged(true);
        QCOMPARE(api().requestCount(), 1);
        vm->handleReachabilityChanged(true); // still online
        QCOMPARE(api().requestCount(), 1);
        vm->handleResume();
        QCOMPARE(api().requestCount(), 2);
        api().succeed(0, {});
        api().succeed(1, {});
    }

    void titleBeforeAndAfterFailedLoads()
    {
        auto vm = makeViewModel();
        QCOMPARE(vm->menuBarTitle(), u"NYY"_s); // nothing known about the day yet
        auto load = vm->loadSchedule();
        api().fail(0);
        QCOMPARE(vm->menuBarTitle(), u"NYY — Offline"_s);

        load = vm->loadSchedule();
        api().succeed(1, { makeGame(1, 147, 111, u"2024-04-01T23:05:00Z"_s) });
        QCOMPARE(vm->menuBarTitle(), u"NYY @ BOS 7:05 PM"_s);
        load = vm->loadSchedule();
        api().fail(2); // games on screen keep their title
        QCOMPARE(vm->menuBarTitle(), u"NYY @ BOS 7:05 PM"_s);

        // Another day is unknown until its own answer.
        vm->goToNextDay();
        QCOMPARE(vm->menuBarTitle(), u"NYY"_s);
        api().succeed(3, {});
        QCOMPARE(vm->menuBarTitle(), u"NYY — Off Day"_s);
    }

    void firstLoadStartsOnceTheEventLoopRuns()
    {
        ScheduleViewModel vm(m_fake.get(), &m_notifications, m_settings.get(), {}, true, true);
        QCOMPARE(api().requestCount(), 0);
        QTRY_COMPARE(api().requestCount(), 1);
        QVERIFY(vm.isLoading());
        api().succeed(0, {});
    }

    void dayChange_data()
    {
        QTest::addColumn<int>("selectedOffset");
        QTest::addColumn<bool>("moves");
        QTest::newRow("left on yesterday") << -1 << true;
        QTest::newRow("on tomorrow") << 1 << false;
        QTest::newRow("on today") << 0 << false;
    }

    void dayChange()
    {
        QFETCH(int, selectedOffset);
        QFETCH(bool, moves);
        auto vm = makeViewModel();
        const QDateTime picked = QDateTime::currentDateTime().addDays(selectedOffset);
        vm->selectDate(picked);
        api().succeed(0, {});

        vm->handleDayChange();
        QCOMPARE(api().requestCount(), moves ? 2 : 1);
        QCOMPARE(vm->selectedDate().date(), moves ? QDate::currentDate() : picked.date());
        if (moves) api().succeed(1, {});
    }

    void dayStepsCrossTheYear()
    {
        auto vm = makeViewModel();
        vm->selectDate(QDateTime(QDate(2025, 12, 31), QTime(20, 30)));
        vm->goToNextDay();
        QCOMPARE(vm->selectedDate(), QDateTime(QDate(2026, 1, 1), QTime(20, 30)));
        QCOMPARE(api().request(1).date.date(), QDate(2026, 1, 1));
        vm->goToPreviousDay();
        vm->goToPreviousDay();
        QCOMPARE(vm->selectedDate().date(), QDate(2025, 12, 30));
        QCOMPARE(vm->selectedDateTitle(), u"Tue, Dec 30"_s);
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
        Game postponed = finalGame(0, 0);
        postponed.status.detailedState = u"Postponed"_s;

        QTest::newRow("scheduled") << std::vector { scheduled } << false << qint64(147) << u"NYY @ BOS 7:05 PM"_s;
        QTest::newRow("live") << std::vector { liveGame(3, 2, true, u"7th"_s) } << false << qint64(147)
                              << u"NYY @ BOS 3-2 Top 7th"_s;
        QTest::newRow("live, no spoilers")
            << std::vector { liveGame(3, 2, true, u"7th"_s) } << true << qint64(147) << u"NYY @ BOS · Top 7th"_s;
        QTest::newRow("final") << std::vector { finalGame(5, 4) } << false << qint64(147) << u"NYY @ BOS 5-4 F"_s;
        QTest::newRow("postponed") << std::vector { postponed } << false << qint64(147) << u"NYY @ BOS · Postponed"_s;
        QTest::newRow("off day") << std::vector<Game> {} << true << qint64(147) << u"NYY — Off Day"_s;
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
    }
};

QTEST_GUILESS_MAIN(TestScheduleViewModel)
#include "tst_scheduleviewmodel.moc"
