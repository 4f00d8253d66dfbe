#include "notifications/fakenotificationcenterclient.h"
#include "notifications/notificationservice.h"

#include <QTest>
#include <QTimeZone>

using namespace Qt::StringLiterals;
using Planner = GameStartNotificationPlanner;
using Permission = NotificationPermissionStatus;
using State = GameStartNotificationSyncState;

Q_DECLARE_METATYPE(Permission)
Q_DECLARE_METATYPE(State)

namespace {

const QDateTime now(QDate(2026, 4, 20), QTime(18, 0), Qt::UTC);

Planner::Request request(qint64 gamePk, int minutesAhead)
{
    Game game;
    game.gamePk = gamePk;
    game.gameDate = now.addSecs(minutesAhead * 60 + 900).toString(Qt::ISODate);
    return { Planner::identifier(gamePk), game, now.addSecs(minutesAhead * 60), 15 };
}

} // namespace

// The notification service against a fake centre: permission, sync, disable and the test alert.
class TestNotificationService : public QObject {
    Q_OBJECT

    FakeNotificationCenterClient m_center;
    std::unique_ptr<NotificationService> m_service;

    // The pending requests before each test: a stale game and one of another program.
    void seed()
    {
        m_center.pending = { request(1, 60) };
        m_center.pending.back().id = u"other-app-reminder"_s;
        m_center.pending.push_back(request(9, 60));
    }

private Q_SLOTS:
    void init()
    {
        m_center = FakeNotificationCenterClient();
        m_service
            = std::make_unique<NotificationService>(&m_center, u"io.github.baselark.Baselark"_s, [] { return now; });
        seed();
    }

    void syncByPermission_data()
    {
        QTest::addColumn<Permission>("permission");
        QTest::addColumn<State>("state");
        QTest::addColumn<QStringList>("pendingAfter");
        QTest::newRow("unavailable") << Permission::Unavailable << State::Unavailable
                                     << QStringList { u"other-app-reminder"_s, Planner::identifier(9) };
        QTest::newRow("not determined") << Permission::NotDetermined << State::NeedsPermission
                                        << QStringList { u"other-app-reminder"_s, Planner::identifier(9) };
        QTest::newRow("denied keeps stale")
            << Permission::Denied << State::Denied << QStringList { u"other-app-reminder"_s, Planner::identifier(9) };
        QTest::newRow("authorized") << Permission::Authorized << State::Scheduled
                                    << QStringList { u"other-app-reminder"_s, Planner::identifier(2) };
    }

    void syncByPermission()
    {
        QFETCH(Permission, permission);
        QFETCH(State, state);
        QFETCH(QStringList, pendingAfter);
        m_center.status = permission;
        const auto result
            = QCoro::waitFor(m_service->syncGameStartNotifications({ request(2, 30) }, { Planner::identifier(9) }));
        QCOMPARE(result.state, state);
        QCOMPARE(result.permissionStatus, permission);
        QCOMPARE(m_center.pendingIds(), pendingAfter);
        // Permission is never asked for by a sync.
        QVERIFY(m_center.callsOf(u"requestAuthorization"_s).empty());
    }

    void secondOfThreeFails()
    {
        m_center.failingAddition = 2;
        const auto result = QCoro::waitFor(m_service->syncGameStartNotifications(
            { request(3, 60), request(4, 20), request(5, 90) }, { Planner::identifier(9) }));
        QCOMPARE(result.state, State::Failed);
        QCOMPARE(result.addedRequestIds, QStringList { Planner::identifier(3) });
        QCOMPARE(result.removedRequestIds, QStringList { Planner::identifier(9) });
        QCOMPARE(result.nextRequest->id, Planner::identifier(4));
        QCOMPARE(result.errorMessage, u"The notification could not be added"_s);
        QCOMPARE(m_center.callsOf(u"add"_s).size(), 2u);
    }

    void emptyPlanRemovesStale()
    {
        const auto result = QCoro::waitFor(m_service->syncGameStartNotifications({}, { Planner::identifier(9) }));
        QCOMPARE(result.state, State::NoUpcomingGames);
        QCOMPARE(result.removedRequestIds, QStringList { Planner::identifier(9) });
        QVERIFY(!result.nextRequest);
        QCOMPARE(m_center.callsOf(u"remove"_s).size(), 1u);
    }

    void pendingIdsFilteredAndSorted()
    {
        m_center.pending.push_back(request(10, 60));
        QCOMPARE(QCoro::waitFor(m_service->pendingGameStartNotificationIds()),
            (QStringList { Planner::identifier(10), Planner::identifier(9) }));
    }

    void disable()
    {
        const auto result = QCoro::waitFor(m_service->disableGameStartNotifications());
        QCOMPARE(result.state, State::Disabled);
        QCOMPARE(result.permissionStatus, Permission::NotDetermined);
        QCOMPARE(result.removedRequestIds, QStringList { Planner::identifier(9) });
        QCOMPARE(m_center.pendingIds(), QStringList { u"other-app-reminder"_s });
        // Nothing left: no removal call at all.
        QCoro::waitFor(m_service->disableGameStartNotifications());
        QCOMPARE(m_center.callsOf(u"remove"_s).size(), 1u);
        // A removal in effect but not stored is no success: a restart would bring the alerts back.
        m_center.unsavedError = u"not stored"_s;
        const auto unsaved = QCoro::waitFor(m_service->disableGameStartNotifications());
        QCOMPARE(unsaved.state, State::Failed);
        QCOMPARE(unsaved.errorMessage, u"not stored"_s);
        QCOMPARE(QCoro::waitFor(m_service->syncGameStartNotifications({ request(2, 30) }, {})).state, State::Failed);
    }

    void testNotification_data()
    {
        QTest::addColumn<Permission>("permission");
        QTest::addColumn<Permission>("afterAsking");
        QTest::addColumn<State>("state");
        QTest::newRow("asks, then granted") << Permission::NotDetermined << Permission::Authorized << State::Scheduled;
        QTest::newRow("asks, still undecided")
            << Permission::NotDetermined << Permission::NotDetermined << State::NeedsPermission;
        QTest::newRow("denied") << Permission::Denied << Permission::Denied << State::Denied;
        QTest::newRow("unavailable") << Permission::Unavailable << Permission::Unavailable << State::Unavailable;
    }

    void testNotification()
    {
        QFETCH(Permission, permission);
        QFETCH(Permission, afterAsking);
        QFETCH(State, state);
        m_center.status = permission;
        m_center.statusAfterRequest = afterAsking;
        const auto result = QCoro::waitFor(m_service->scheduleTestNotification(5));
        QCOMPARE(result.state, state);
        QCOMPARE(m_center.callsOf(u"requestAuthorization"_s).size(), permission == Permission::NotDetermined ? 1u : 0u);
        if (state == State::Scheduled) {
            QCOMPARE(result.nextRequest->triggerDate, now.addSecs(5));
            QCOMPARE(result.addedRequestIds, QStringList { Planner::testRequestId });
        }
    }

    void testReplacesPendingTest()
    {
        QCoro::waitFor(m_service->scheduleTestNotification(5));
        m_center.failingAddition = 3;
        QCoro::waitFor(m_service->scheduleTestNotification(5));
        QCOMPARE(m_center.pendingIds().count(Planner::testRequestId), 1);
        const auto failed = QCoro::waitFor(m_service->scheduleTestNotification(5));
        QCOMPARE(failed.state, State::Failed);
        QCOMPARE(failed.removedRequestIds, QStringList { Planner::testRequestId });
        QVERIFY(failed.addedRequestIds.isEmpty());
        // The earlier test alert went before the failed one was tried: no stale test alert is left.
        QVERIFY(!m_center.pendingIds().contains(Planner::testRequestId));
    }

    void withoutBundleIdentifierNothingIsTouched()
    {
        NotificationService service(&m_center, QString());
        QCOMPARE(QCoro::waitFor(service.currentPermissionStatus()), Permission::Unavailable);
        QCOMPARE(QCoro::waitFor(service.disableGameStartNotifications()).state, State::Unavailable);
        QCOMPARE(QCoro::waitFor(service.syncGameStartNotifications({ request(2, 30) }, {})).state, State::Unavailable);
        QCOMPARE(QCoro::waitFor(service.scheduleTestNotification(5)).state, State::Unavailable);
        QVERIFY(m_center.calls.empty());
    }
};

QTEST_GUILESS_MAIN(TestNotificationService)
#include "tst_notificationservice.moc"
