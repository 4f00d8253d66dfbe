#include "notifications/freedesktopnotificationcenterclient.h"
#include "testdata.h"
#include "testnotificationserver.h"

#include <QDBusMessage>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;
using Planner = GameStartNotificationPlanner;

namespace {

// A request for game `gamePk` firing `seconds` from now, its game starting 15 minutes later.
Planner::Request firingIn(qint64 gamePk, qint64 seconds)
{
    auto request = Planner::testRequest(QDateTime::currentDateTimeUtc().addSecs(seconds));
    request.id = Planner::identifier(gamePk);
    request.game.gamePk = gamePk;
    return request;
}

QCoro::Task<bool> addingFails(FreedesktopNotificationCenterClient *centre, Planner::Request request)
{
    try {
        co_await centre->addGameStartNotification(std::move(request));
    } catch (const NotificationCenterError &) {
        co_return true;
    }
    co_return false;
}

} // namespace

// The freedesktop notification centre on a private bus against a stand-in daemon.
class TestFreedesktopClient : public QObject {
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> m_dir;
    QString m_store;
    TestNotificationServer m_server;

    std::unique_ptr<FreedesktopNotificationCenterClient> client(qint64 clockOffsetSeconds = 0)
    {
        return std::make_unique<FreedesktopNotificationCenterClient>(m_store, u"io.github.baselark.Baselark"_s,
            QDBusConnection::sessionBus(), QDBusConnection(u"no-system-bus"_s),
            [clockOffsetSeconds] { return QDateTime::currentDateTimeUtc().addSecs(clockOffsetSeconds); });
    }

    QJsonArray storedRequests() const { return QJsonDocument::fromJson(readFile(m_store))[u"requests"].toArray(); }

private Q_SLOTS:
    void init()
    {
        m_dir = std::make_unique<QTemporaryDir>();
        m_store = m_dir->filePath(u"baselark/pending-alerts.json"_s);
        m_server.received.clear();
        m_server.capabilities = { u"body"_s };
        QVERIFY(m_server.start());
    }

    void cleanup() { m_server.stop(); }

    void permission()
    {
        auto centre = client();
        QCOMPARE(QCoro::waitFor(centre->authorizationStatus()), NotificationPermissionStatus::Authorized);
        QVERIFY(QCoro::waitFor(centre->requestAuthorization()));
        m_server.stop();
        QCOMPARE(QCoro::waitFor(centre->authorizationStatus()), NotificationPermissionStatus::Unavailable);
        FreedesktopNotificationCenterClient noBus(
            m_store, u"x"_s, QDBusConnection(u"no-session-bus"_s), QDBusConnection(u"no-system-bus"_s));
        QCOMPARE(QCoro::waitFor(noBus.authorizationStatus()), NotificationPermissionStatus::Unavailable);
    }

    void deliveryAtTrigger_data()
    {
        QTest::addColumn<QStringList>("capabilities");
        QTest::addColumn<QString>("club");
        QTest::addColumn<QString>("body");
        QTest::newRow("plain text keeps markup characters")
            << QStringList { u"body"_s } << u"A&B <i>"_s << u"A&B <i> @ Baltimore Orioles starts in 15 minutes"_s;
        QTest::newRow("body markup: escaped") << QStringList { u"body"_s, u"body-markup"_s } << u"A&B <i>"_s
                                              << u"A&amp;B &lt;i&gt; @ Baltimore Orioles starts in 15 minutes"_s;
    }

    void deliveryAtTrigger()
    {
        QFETCH(QStringList, capabilities);
        QFETCH(QString, club);
        m_server.capabilities = capabilities;
        auto centre = client();
        auto request = firingIn(7, 1);
        request.game.teams.away.team.name = club;
        QCoro::waitFor(centre->addGameStartNotification(request));
        QCOMPARE(storedRequests().size(), 1);
        QCOMPARE(m_server.received.size(), 0u);
        QTRY_COMPARE_WITH_TIMEOUT(m_server.received.size(), 1u, 5000);
        const auto &shown = m_server.received.front();
        QCOMPARE(shown.appIcon, u"io.github.baselark.Baselark"_s);
        QTEST(shown.body, "body");
        QCOMPARE(shown.hints.value(u"desktop-entry"_s).toString(), u"io.github.baselark.Baselark"_s);
        QVERIFY(QCoro::waitFor(centre->pendingNotificationRequestIds()).isEmpty());
        QVERIFY(storedRequests().isEmpty());
        QVERIFY(!centre->timerInterval());
    }

    void replacementById()
    {
        auto centre = client();
        QCoro::waitFor(centre->addGameStartNotification(firingIn(7, 3600)));
        auto later = firingIn(7, 7200);
        later.leadMinutes = 30;
        QCoro::waitFor(centre->addGameStartNotification(later));
        QCoro::waitFor(centre->addGameStartNotification(firingIn(8, 5400)));
        QCOMPARE(QCoro::waitFor(centre->pendingNotificationRequestIds()),
            (QStringList { Planner::identifier(7), Planner::identifier(8) }));
        QVERIFY(storedRequests().first()[u"body"].toString().endsWith(u"30 minutes"_s));
        // An hour away: the timer still looks at the wall clock within the minute.
        QCOMPARE(centre->timerInterval(), FreedesktopNotificationCenterClient::maxWait);
        QCoro::waitFor(centre->removePendingNotificationRequests({ Planner::identifier(7) }));
        QCOMPARE(storedRequests().size(), 1);
    }

    // In-game alerts show at once, each game's newer popup replacing its older one; the events told or passed over
    // are kept for the next start.
    void inGameAlerts()
    {
        {
            auto centre = client();
            QCoro::waitFor(centre->deliverNow(u"a"_s, u"TEX 1, AZ 0"_s, u"Single"_s, u"game-1"_s));
            QCoro::waitFor(centre->deliverNow(u"b"_s, u"TEX 3, AZ 0"_s, u"Single"_s, u"game-1"_s));
            QCoro::waitFor(centre->deliverNow(u"c"_s, u"NYY 1, BOS 0"_s, u"Homer"_s, u"game-2"_s));
            centre->addSeenEventIds({ u"a"_s, u"b"_s });
            centre->addSeenEventIds({ u"b"_s, u"c"_s });
        }
        QCOMPARE(m_server.received.size(), 3u);
        QCOMPARE(m_server.received[1].replacesId, 1u);
        QCOMPARE(m_server.received[2].replacesId, 0u);
        QCOMPARE(client()->seenEventIds(), (QStringList { u"a"_s, u"b"_s, u"c"_s }));
    }

    // A suspended machine wakes with a trigger behind it; the private bus stands in for the system bus.
    void resumeDeliversWhatFellDueAsleep()
    {
        QDBusConnection logind = QDBusConnection::connectToBus(QDBusConnection::SessionBus, u"fake-logind"_s);
        QVERIFY(logind.registerService(u"org.freedesktop.login1"_s));
        qint64 slept = 0;
        FreedesktopNotificationCenterClient centre(m_store, u"io.github.baselark.Baselark"_s,
            QDBusConnection::sessionBus(), QDBusConnection::sessionBus(),
            [&slept] { return QDateTime::currentDateTimeUtc().addSecs(slept); });
        QCoro::waitFor(centre.addGameStartNotification(firingIn(7, 600)));
        slept = 700;
        const auto prepareForSleep = [](bool start) {
            return QDBusMessage::createSignal(
                       u"/org/freedesktop/login1"_s, u"org.freedesktop.login1.Manager"_s, u"PrepareForSleep"_s)
                << start;
        };
        QVERIFY(logind.send(prepareForSleep(true)));
        QTest::qWait(200);
        QCOMPARE(m_server.received.size(), 0u);
        QVERIFY(logind.send(prepareForSleep(false)));
        QTRY_COMPARE_WITH_TIMEOUT(m_server.received.size(), 1u, 5000);
        QDBusConnection::disconnectFromBus(u"fake-logind"_s);
    }

    void missedTrigger_data()
    {
        QTest::addColumn<qint64>("restartAfter");
        QTest::addColumn<size_t>("delivered");
        // The trigger is a minute away and first pitch 15 minutes after it.
        QTest::newRow("before first pitch") << qint64(5 * 60) << size_t(1);
        QTest::newRow("after first pitch") << qint64(20 * 60) << size_t(0);
    }

    void missedTrigger()
    {
        QFETCH(qint64, restartAfter);
        QFETCH(size_t, delivered);
        client()->addGameStartNotification(firingIn(7, 60));
        auto restarted = client(restartAfter);
        QTRY_VERIFY(storedRequests().isEmpty());
        QTest::qWait(200);
        QCOMPARE(m_server.received.size(), delivered);
    }

    // A sync pass adds its whole plan again: only a change is written. A failed add is undone and reported; a
    // failed removal stands, is reported, and is written once the store can be written again.
    void storeWrites()
    {
        auto centre = client();
        const auto seven = firingIn(7, 3600);
        QCoro::waitFor(centre->addGameStartNotification(seven));
        QCoro::waitFor(centre->addGameStartNotification(firingIn(8, 3600)));
        QVERIFY(writeFile(m_store, readFile(m_store) + "\n "));
        QCoro::waitFor(centre->addGameStartNotification(seven));
        QVERIFY(readFile(m_store).endsWith("\n "));

        // The store's folder becomes a file.
        const QString folder = QFileInfo(m_store).absolutePath();
        QVERIFY(QDir().rename(folder, folder + u".away"_s));
        QVERIFY(writeFile(folder, {}));
        QVERIFY(QCoro::waitFor(addingFails(centre.get(), firingIn(9, 60))));
        QCOMPARE(QCoro::waitFor(centre->pendingNotificationRequestIds()).size(), 2);
        QVERIFY(!centre->storeError());
        QCoro::waitFor(centre->removePendingNotificationRequests({ Planner::identifier(7) }));
        QCOMPARE(QCoro::waitFor(centre->pendingNotificationRequestIds()), QStringList { Planner::identifier(8) });
        QVERIFY(centre->storeError() && centre->storeError()->startsWith(u"Could not save the pending alerts"_s));

        QVERIFY(QFile::remove(folder));
        QVERIFY(QDir().rename(folder + u".away"_s, folder));
        QCOMPARE(storedRequests().size(), 2);
        QCoro::waitFor(centre->pendingNotificationRequestIds());
        QVERIFY(!centre->storeError());
        QCOMPARE(storedRequests().size(), 1);
        QCOMPARE(storedRequests().first()[u"id"].toString(), Planner::identifier(8));
    }

    void corruptStore_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        const QByteArray good = R"({"id": "baselark-game-start-7", "gamePk": 7, "triggerDate": "2026-04-20T18:00:00Z",)"
                                R"( "gameStart": "2026-04-20T18:15:00Z", "title": "t", "body": "b"})";
        QTest::newRow("cut short") << QByteArray("{\"requests\": [ {\"id\": ");
        QTest::newRow("no list") << QByteArray("{\"requests\": {}}");
        QTest::newRow("one entry without its trigger")
            << "{\"requests\": [" + good + ", " + QByteArray(good).replace("triggerDate", "trigger") + "]}";
        QTest::newRow("over 1 MiB") << "{\"requests\": [" + good + "]}"
                + QByteArray(FreedesktopNotificationCenterClient::maxStoreBytes, ' ');
        QByteArrayList many(FreedesktopNotificationCenterClient::maxStoreRequests + 1, good);
        QTest::newRow("over 1000 requests") << "{\"requests\": [" + many.join(',') + "]}";
    }

    // Kept aside as it was, logged, and replaced by an empty store that takes new alerts.
    void corruptStore()
    {
        QFETCH(QByteArray, bytes);
        QDir().mkpath(QFileInfo(m_store).absolutePath());
        QVERIFY(writeFile(m_store, bytes));
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression(u"unreadable"_s));
        auto centre = client();
        QVERIFY(QCoro::waitFor(centre->pendingNotificationRequestIds()).isEmpty());
        QCOMPARE(readFile(m_store + u".bad"_s), bytes);
        QVERIFY(QFile::exists(m_store));
        QVERIFY(storedRequests().isEmpty());
        QCoro::waitFor(centre->addGameStartNotification(firingIn(7, 3600)));
        QCOMPARE(storedRequests().size(), 1);
    }
};

QTEST_GUILESS_MAIN(TestFreedesktopClient)
#include "tst_freedesktopclient.moc"
