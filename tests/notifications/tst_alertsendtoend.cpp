#include "childoutput.h"
#include "testnotificationserver.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <optional>

using namespace Qt::StringLiterals;

namespace {

bool writeFile(const QString &path, const QByteArray &bytes)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

QByteArray json(const QJsonObject &object)
{
    return QJsonDocument(object).toJson();
}

} // namespace

// The replay server with `replayArguments`, then the application against it with its files under `home`.
bool launch(QProcess &replay, QProcess &app, const QTemporaryDir &home, const QStringList &replayArguments)
{
    replay.start(QStringLiteral(REPLAY_BINARY), replayArguments);
    const QString endpoint = awaitLine(replay, "listening on ").value_or(QString());
    if (endpoint.isEmpty()) return false;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(u"BASELARK_ENDPOINT"_s, endpoint);
    env.insert(u"XDG_CONFIG_HOME"_s, home.filePath(u"config"_s));
    env.insert(u"XDG_DATA_HOME"_s, home.filePath(u"data"_s));
    env.insert(u"XDG_RUNTIME_DIR"_s, home.path());
    app.setProcessEnvironment(env);
    app.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    app.start(QStringLiteral(BASELARK_BINARY));
    return app.waitForStarted();
}

// The real application with alerts on, against the replay server and a stand-in notification daemon.
class TestAlertsEndToEnd : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void alertDeliveredAtItsTrigger()
    {
        QTemporaryDir home;
        QVERIFY(QFile::setPermissions(home.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
        // First pitch 15 minutes and a few seconds away: with the default lead the alert is due in a few seconds.
        const QString start = QDateTime::currentDateTimeUtc().addSecs(15 * 60 + 6).toString(Qt::ISODate);
        const auto team = [](qint64 id, const QString &name) {
            return QJsonObject { { u"team"_s, QJsonObject { { u"id"_s, id }, { u"name"_s, name } } } };
        };
        const QJsonObject game {
            { u"gamePk"_s, 4242 },
            { u"gameDate"_s, start },
            { u"status"_s,
                QJsonObject { { u"abstractGameState"_s, u"Preview"_s }, { u"detailedState"_s, u"Scheduled"_s } } },
            { u"teams"_s,
                QJsonObject {
                    { u"away"_s, team(147, u"New York Yankees"_s) }, { u"home"_s, team(111, u"Boston Red Sox"_s) } } },
        };
        const QJsonObject day { { u"date"_s, u"x"_s }, { u"games"_s, QJsonArray { game } } };
        QVERIFY(
            writeFile(home.filePath(u"replay/team.json"_s), json(QJsonObject { { u"dates"_s, QJsonArray { day } } })));
        QVERIFY(writeFile(home.filePath(u"replay/day.json"_s), json(QJsonObject { { u"dates"_s, QJsonArray() } })));
        const auto route = [](const QString &file, QJsonObject params) {
            return QJsonObject { { u"path"_s, u"/api/v1/schedule"_s }, { u"params"_s, params }, { u"file"_s, file } };
        };
        // The favourite club's schedule for the alert sync; an empty day for the schedule view.
        const QJsonArray routes { route(u"team.json"_s, { { u"teamId"_s, u"147"_s } }), route(u"day.json"_s, {}) };
        QVERIFY(writeFile(home.filePath(u"replay/manifest.json"_s), json(QJsonObject { { u"routes"_s, routes } })));
        QVERIFY(writeFile(home.filePath(u"config/baselark/baselark.ini"_s), "[General]\nnotificationsEnabled=true\n"));

        TestNotificationServer server;
        QVERIFY(server.start());

        QProcess replay;
        QProcess app;
        QVERIFY(launch(replay, app, home, { u"--dir"_s, home.filePath(u"replay"_s) }));

        // Planned and stored first, then delivered when the trigger comes.
        const QString store = home.filePath(u"data/baselark/pending-alerts.json"_s);
        QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(store), 20000);
        QTRY_COMPARE_WITH_TIMEOUT(server.received.size(), 1u, 30000);
        const auto &shown = server.received.front();
        QCOMPARE(shown.appName, u"Baselark"_s);
        QCOMPARE(shown.summary, u"Game Starting Soon"_s);
        QCOMPARE(shown.body, u"New York Yankees @ Boston Red Sox starts in 15 minutes"_s);
        QCOMPARE(shown.hints.value(u"desktop-entry"_s).toString(), u"io.github.baselark.Baselark"_s);

        app.terminate();
        QVERIFY(app.waitForFinished(10000));
        replay.terminate();
        replay.waitForFinished(5000);
    }

    // The demo's live game played ten times faster: its three runs after the first look and its final, each once,
    // in order, every popup replacing the one before.
    void runsAndFinalOfTheDemoGame()
    {
        QTemporaryDir home;
        QVERIFY(QFile::setPermissions(home.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
        QVERIFY(writeFile(home.filePath(u"config/baselark/baselark.ini"_s),
            "[General]\nnotificationsEnabled=true\nnoSpoilers=false\n"));
        TestNotificationServer server;
        QVERIFY(server.start());

        QProcess replay;
        QProcess app;
        QVERIFY(launch(replay, app, home,
            { u"--dir"_s, QStringLiteral(BASELARK_SOURCE_DIR "/data/demo"), u"--speed"_s, u"10"_s }));

        // Game-start alerts of the club's coming games and the demo's update notice may come too; only the game's
        // own are looked at, with their place among all the daemon received.
        const auto gameAlerts = [&server] {
            std::vector<std::pair<uint, TestNotificationServer::Notification>> alerts;
            for (std::size_t i = 0; i < server.received.size(); ++i) {
                const QString &summary = server.received[i].summary;
                if (summary.startsWith(u"BOS "_s) || summary.startsWith(u"NYY "_s) || summary.startsWith(u"Final"_s))
                    alerts.emplace_back(uint(i + 1), server.received[i]);
            }
            return alerts;
        };
        QTRY_COMPARE_WITH_TIMEOUT(gameAlerts().size(), 4u, 120000);
        QTest::qWait(15000); // a later look of the follower must not tell anything again
        const auto alerts = gameAlerts();
        QStringList titles;
        for (const auto &[id, shown] : alerts)
            titles << shown.summary;
        QCOMPARE(titles,
            (QStringList { u"BOS 1, NYY 0"_s, u"BOS 3, NYY 0"_s, u"BOS 5, NYY 0"_s,
                u"Final: Boston Red Sox 5, New York Yankees 0"_s }));
        QVERIFY(!alerts.front().second.body.isEmpty());
        QCOMPARE(alerts.front().second.replacesId, 0u);
        for (std::size_t i = 1; i < alerts.size(); ++i)
            QCOMPARE(alerts[i].second.replacesId, alerts.front().first); // one popup for the game

        app.terminate();
        QVERIFY(app.waitForFinished(10000));
        replay.terminate();
        replay.waitForFinished(5000);
    }
};

QTEST_GUILESS_MAIN(TestAlertsEndToEnd)
#include "tst_alertsendtoend.moc"
