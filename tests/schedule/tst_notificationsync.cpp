#include "fakescheduleapi.h"
#include "notifications/fakenotificationcenterclient.h"
#include "notifications/notificationservice.h"
#include "schedule/scheduleviewmodel.h"

#include <QTemporaryDir>
#include <QTest>
#include <ctime>

using namespace Qt::StringLiterals;
using Permission = NotificationPermissionStatus;
using Kind = GameStartNotificationSyncStatus::Kind;
using Planner = GameStartNotificationPlanner;

Q_DECLARE_METATYPE(Permission)

namespace {

const QDateTime now(QDate(2026, 4, 20), QTime(16, 0), Qt::UTC);

// A Yankees game at Fenway starting `hours` after now.
Game gameIn(qint64 gamePk, int hours)
{
    Game g;
    g.gamePk = gamePk;
    g.gameDate = now.addSecs(hours * 3600).toString(Qt::ISODate);
    g.status = { u"Preview"_s, u"Scheduled"_s, {}, {}, {}, {} };
    g.teams.away.team = { 147, u"New York Yankees"_s };
    g.teams.home.team = { 111, u"Boston Red Sox"_s };
    return g;
}

} // namespace

// The alert sync of the schedule view model: one pass, and the loop that serialises passes.
class TestNotificationSync : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;
    int m_run = 0;
    std::unique_ptr<QSettings> m_settings;
    std::unique_ptr<FakeScheduleAPI> m_api;
    FakeNotificationCenterClient m_center;
    std::unique_ptr<NotificationService> m_service;
    std::unique_ptr<ScheduleViewModel> m_vm;
    QDateTime m_clock;

    void enable() { m_settings->setValue(u"notificationsEnabled"_s, true); }

private Q_SLOTS:
    void init()
    {
        m_settings = std::make_unique<QSettings>(m_dir.filePath(u"prefs-%1.ini"_s.arg(++m_run)), QSettings::IniFormat);
        m_api = std::make_unique<FakeScheduleAPI>();
        m_center = FakeNotificationCenterClient();
        m_service = std::make_unique<NotificationService>(&m_center, u"io.github.baselark.Baselark"_s);
        m_clock = now;
        m_vm = std::make_unique<ScheduleViewModel>(
            m_api.get(), m_service.get(), m_settings.get(), [this] { return m_clock; }, false, false);
    }

    void cleanup()
    {
        m_vm.reset();
        qputenv("TZ", "America/New_York");
        tzset();
    }

    void pass_data()
    {
        QTest::addColumn<Permission>("permission");
        QTest::addColumn<int>("answer"); // 0 fetch fails, 1 no games, 2 two games
        QTest::addColumn<QString>("text");
        QTest::newRow("unavailable") << Permission::Unavailable << -1
                                     << u"Notifications are unavailable in this build"_s;
        QTest::newRow("not asked") << Permission::NotDetermined << -1
                                   << u"Enable desktop notifications to receive game alerts"_s;
        QTest::newRow("denied") << Permission::Denied << -1 << u"Notifications are disabled in the desktop settings"_s;
        QTest::newRow("fetch fails") << Permission::Authorized << 0 << u"Could not sync notifications"_s;
        QTest::newRow("no games") << Permission::Authorized << 1 << u"No upcoming favorite-team games found"_s;
        QTest::newRow("scheduled") << Permission::Authorized << 2
                                   << u"Next alert: NYY @ BOS, "_s
                + ScheduleViewModel::alertTimeText(now.addSecs(3 * 3600 - 15 * 60));
    }

    void pass()
    {
        QFETCH(Permission, permission);
        QFETCH(int, answer);
        QFETCH(QString, text);
        m_center.status = permission;
        m_center.pending = { Planner::Request { Planner::identifier(5), gameIn(5, 1), now, 15 } };
        enable();
        auto task = m_vm->runNotificationSync(false);
        QCOMPARE(m_api->teamScheduleRequestCount(), answer < 0 ? 0 : 1);
        if (answer >= 0) {
            QCOMPARE(m_vm->notificationSyncStatus().kind(), Kind::Syncing);
            QCOMPARE(m_api->teamScheduleRequest(0).teamId, 147);
            // From the day before the game day (2026-04-20) to fourteen days after it.
            QCOMPARE(m_api->teamScheduleRequest(0).firstDay, QDate(2026, 4, 19));
            QCOMPARE(m_api->teamScheduleRequest(0).lastDay, QDate(2026, 5, 4));
            if (answer == 0)
                m_api->failTeamSchedule(0);
            else
                m_api->succeedTeamSchedule(
                    0, answer == 1 ? std::vector<Game>() : std::vector { gameIn(8, 5), gameIn(7, 3) });
        }
        QCOMPARE(m_vm->notificationStatusText(), text);
        QVERIFY(!m_vm->isSyncingNotifications());
        // Only a pass that planned touches what is pending.
        const QStringList scheduled { Planner::identifier(7), Planner::identifier(8) };
        const QStringList untouched { Planner::identifier(5) };
        QCOMPARE(m_center.pendingIds(), answer == 2 ? scheduled : (answer == 1 ? QStringList() : untouched));
    }

    // Each club with its alerts on is asked for in list order; a game between two of them is one alert.
    void passCoversEveryClubWithAlerts()
    {
        m_center.status = Permission::Authorized;
        auto task = m_vm->setFollowedTeams({ 111, 110 });
        task = m_vm->setTeamAlerts(110, false);
        enable();
        task = m_vm->runNotificationSync(false);
        m_api->succeedTeamSchedule(0, { gameIn(7, 3) });
        m_api->succeedTeamSchedule(1, { gameIn(7, 3), gameIn(9, 4) });
        QCOMPARE(m_api->teamScheduleRequestCount(), 2);
        QCOMPARE(m_api->teamScheduleRequest(0).teamId, 147);
        QCOMPARE(m_api->teamScheduleRequest(1).teamId, 111);
        QCOMPARE(m_center.pendingIds(), (QStringList { Planner::identifier(7), Planner::identifier(9) }));
        QVERIFY(!m_vm->isSyncingNotifications());
    }

    void switchingOnAsksOnce()
    {
        m_center.status = Permission::NotDetermined;
        auto task = m_vm->setNotificationsEnabled(true);
        QCOMPARE(m_center.callsOf(u"requestAuthorization"_s).size(), 1u);
        m_api->succeedTeamSchedule(0, { gameIn(7, 3) });
        QCOMPARE(m_vm->notificationSyncStatus().kind(), Kind::Scheduled);
        QCOMPARE(m_vm->notificationSyncStatus().summary()->matchup, u"NYY @ BOS"_s);
    }

    void loadAfterSuccessOnlyWhenIdle()
    {
        enable();
        auto load = m_vm->loadSchedule();
        m_api->succeed(0, {});
        QCOMPARE(m_api->teamScheduleRequestCount(), 1);
        QVERIFY(m_vm->isLoading()); // the load waits for its pass
        // A second load while the pass runs neither starts nor asks for another pass.
        auto second = m_vm->loadSchedule();
        m_api->succeed(1, {});
        QVERIFY(!m_vm->isLoading());
        m_api->succeedTeamSchedule(0, { gameIn(7, 3) });
        QCOMPARE(m_api->teamScheduleRequestCount(), 1);
        QVERIFY(!m_vm->isSyncingNotifications());
        // A failed load runs no pass.
        auto failed = m_vm->loadSchedule();
        m_api->fail(2);
        QCOMPARE(m_api->teamScheduleRequestCount(), 1);
    }

    void twoLeadChangesGiveOneMorePass()
    {
        enable();
        auto task = m_vm->runNotificationSync(false);
        auto first = m_vm->setNotificationLeadMinutes(20);
        auto second = m_vm->setNotificationLeadMinutes(30);
        m_api->succeedTeamSchedule(0, { gameIn(7, 3) });
        QCOMPARE(m_api->teamScheduleRequestCount(), 2);
        m_api->succeedTeamSchedule(1, { gameIn(7, 3) });
        QCOMPARE(m_api->teamScheduleRequestCount(), 2);
        QCOMPARE(m_center.pending.size(), 1u);
        QCOMPARE(m_center.pending.front().leadMinutes, 30);
        QVERIFY(m_center.callsOf(u"requestAuthorization"_s).empty());
    }

    // A change made while the extra pass runs gets a pass of its own, however many come in a row.
    void changesDuringTheExtraPassGetAnother()
    {
        enable();
        auto task = m_vm->runNotificationSync(false);
        auto first = m_vm->setNotificationLeadMinutes(20);
        m_api->succeedTeamSchedule(0, { gameIn(7, 3) });
        auto second = m_vm->setNotificationLeadMinutes(30);
        m_api->succeedTeamSchedule(1, { gameIn(7, 3) });
        QCOMPARE(m_api->teamScheduleRequestCount(), 3);
        m_api->succeedTeamSchedule(2, { gameIn(7, 3) });
        QCOMPARE(m_center.pending.front().leadMinutes, 30);
        QVERIFY(!m_vm->isSyncingNotifications());
    }

    // A new club brings its own games' alerts and drops the old club's, also when chosen during a pass.
    void clubChangeSyncsTheNewClub()
    {
        enable();
        Game bostonGame = gameIn(9, 4);
        bostonGame.teams.away.team = { 111, u"Boston Red Sox"_s };
        bostonGame.teams.home.team = { 110, u"Baltimore Orioles"_s };
        auto task = m_vm->runNotificationSync(false);
        auto change = m_vm->setFavoriteTeam(111);
        m_api->succeedTeamSchedule(0, { gameIn(7, 3) });
        QCOMPARE(m_api->teamScheduleRequest(1).teamId, 111);
        m_api->succeedTeamSchedule(1, { bostonGame });
        QCOMPARE(m_center.pendingIds(), QStringList { Planner::identifier(9) });
        QCOMPARE(m_vm->notificationSyncStatus().summary()->matchup, u"BOS @ BAL"_s);
    }

    // East of New York a night game starts after local midnight, on the next local day: its alert stays planned.
    void nightGameAlertSurvivesLocalMidnightEastOfNewYork()
    {
        qputenv("TZ", "Europe/Berlin");
        tzset();
        m_clock = QDateTime(QDate(2026, 4, 20), QTime(22, 30), Qt::UTC); // 00:30 in Berlin, 18:30 in New York
        const Game night = gameIn(11, 7); // 19:00 in New York on the 20th, 01:00 in Berlin on the 21st
        m_center.pending = { Planner::Request { Planner::identifier(11), night, m_clock.addSecs(15 * 60), 15 } };
        enable();
        auto task = m_vm->runNotificationSync(false);
        // As the service does: only the games of the days asked for.
        const bool asksForTheGamesDay = m_api->teamScheduleRequest(0).firstDay <= QDate(2026, 4, 20);
        m_api->succeedTeamSchedule(0, asksForTheGamesDay ? std::vector { night } : std::vector<Game> {});
        QCOMPARE(m_center.pendingIds(), QStringList { Planner::identifier(11) });
    }

    void switchingOffDuringPassEndsOff()
    {
        enable();
        m_center.pending = { Planner::Request { Planner::identifier(5), gameIn(5, 1), now, 15 } };
        auto task = m_vm->runNotificationSync(false);
        auto off = m_vm->setNotificationsEnabled(false);
        // Removed at once, outside the loop.
        QVERIFY(m_center.pending.empty());
        QCOMPARE(m_vm->notificationSyncStatus().kind(), Kind::Off);
        m_api->succeedTeamSchedule(0, { gameIn(7, 3) });
        QCOMPARE(m_api->teamScheduleRequestCount(), 1);
        QVERIFY(m_center.pending.empty());
        QCOMPARE(m_vm->notificationSyncStatus().kind(), Kind::Off);
        QCOMPARE(m_vm->notificationStatusText(), u"Notifications are off"_s);
    }
};

QTEST_GUILESS_MAIN(TestNotificationSync)
#include "tst_notificationsync.moc"
