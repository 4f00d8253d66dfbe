#include "app/statuspublisher.h"
#include "recordedgames.h"
#include "schedule/panelstatus.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QSignalSpy>
#include <QTest>
#include <fcntl.h>
#include <memory>
#include <unistd.h>

using namespace Qt::StringLiterals;

Q_DECLARE_METATYPE(ScheduleAvailability)

namespace {

// The recorded Boston game of 2026-04-20, turned live.
std::vector<Game> liveDay()
{
    auto games = recordedDay(u"schedule-2026-04-20-hydrated.json"_s);
    for (Game &game : games)
        game.status.abstractGameState = u"Live"_s;
    return games;
}

struct Run {
    int exitCode;
    QString out;
    QString err;
};

// The event loop keeps running while the client works: this process answers its calls on the bus.
Run runBaselark(const QStringList &arguments)
{
    QProcess process;
    QSignalSpy finished(&process, &QProcess::finished);
    process.start(QStringLiteral(BASELARK_BINARY), arguments);
    finished.wait(10000);
    return { process.exitCode(), QString::fromUtf8(process.readAllStandardOutput()),
        QString::fromUtf8(process.readAllStandardError()) };
}

QString readLine(QProcess &process)
{
    QSignalSpy ready(&process, &QProcess::readyReadStandardOutput);
    while (!process.canReadLine()) {
        if (!ready.wait(5000)) return u"<nothing>"_s;
    }
    return QString::fromUtf8(process.readLine()).chopped(1);
}

const QString properties = u"org.freedesktop.DBus.Properties"_s;

// A call to the publisher in this process: the event loop runs while it waits, so the publisher can answer.
QDBusMessage callPublisher(const QString &interface, const QString &method, const QVariantList &arguments = {})
{
    QDBusMessage call = QDBusMessage::createMethodCall(
        StatusPublisher::serviceName(), StatusPublisher::objectPath(), interface, method);
    call.setArguments(arguments);
    return QDBusConnection::sessionBus().call(call, QDBus::BlockWithGui, 5000);
}

// What quitting the application does to the bus: its object and name go.
void unpublish()
{
    QDBusConnection::sessionBus().unregisterObject(StatusPublisher::objectPath());
    QDBusConnection::sessionBus().interface()->unregisterService(StatusPublisher::serviceName());
}

QJsonObject json(const QString &line)
{
    return QJsonDocument::fromJson(line.toUtf8()).object();
}

} // namespace

// What panels without tray labels read: the state class and tooltip, the interface on the session bus and the
// `--status`, `--follow` and `--toggle` clients of the same binary.
class TestPanelStatus : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void stateAndTooltip_data()
    {
        QTest::addColumn<std::vector<Game>>("games");
        QTest::addColumn<qint64>("favorite");
        QTest::addColumn<bool>("noSpoilers");
        QTest::addColumn<ScheduleAvailability>("availability");
        QTest::addColumn<QString>("state");

        const auto loaded = ScheduleAvailability::Loaded;
        const auto finals = recordedDay(u"schedule-2026-04-20-hydrated.json"_s);
        QTest::newRow("final") << finals << qint64(111) << false << loaded << u"final"_s;
        QTest::newRow("final, no spoilers") << finals << qint64(111) << true << loaded << u"no-spoilers"_s;
        QTest::newRow("live") << liveDay() << qint64(111) << false << loaded << u"live"_s;
        QTest::newRow("live, no spoilers") << liveDay() << qint64(111) << true << loaded << u"no-spoilers"_s;
        // Postponed games are final in the service's terms, but nothing is spoiled by saying so.
        QTest::newRow("postponed") << recordedDay(u"schedule-2022-04-07-postponed.json"_s) << qint64(147) << true
                                   << loaded << u"postponed"_s;
        QTest::newRow("preview") << recordedDay(u"schedule-2026-03-18-preview-probables.json"_s) << qint64(147) << true
                                 << loaded << u"preview"_s;
        QTest::newRow("off day") << finals << qint64(147) << true << loaded << u"off-day"_s;
        // What the title says before the game day's answer and after a load that failed with nothing to show.
        QTest::newRow("loading") << std::vector<Game> {} << qint64(147) << true << ScheduleAvailability::NotYetLoaded
                                 << u"loading"_s;
        QTest::newRow("offline") << std::vector<Game> {} << qint64(147) << true << ScheduleAvailability::Offline
                                 << u"offline"_s;
    }

    void stateAndTooltip()
    {
        QFETCH(std::vector<Game>, games);
        QFETCH(qint64, favorite);
        QFETCH(bool, noSpoilers);
        QFETCH(ScheduleAvailability, availability);
        QTEST(panelState(statusGame(games, {}, favorite), noSpoilers, availability), "state");
    }

    void tooltipNamesTheGame()
    {
        const auto games = recordedDay(u"schedule-2026-04-20-hydrated.json"_s);
        QCOMPARE(
            panelTooltip(statusGame(games, {}, 111)), u"Detroit Tigers @ Boston Red Sox\n11:10 AM · Fenway Park"_s);
        QCOMPARE(panelTooltip(statusGame(games, {}, 147)), QString());
    }

    // The interface itself: read-only properties, Changed once per real change, Toggle; nothing QObject brings
    // (objectName) can be read or written from outside.
    void busInterface()
    {
        StatusPublisher publisher;
        QVERIFY(publisher.publish(QDBusConnection::sessionBus()));
        QSignalSpy changed(&publisher, &StatusPublisher::Changed);
        QSignalSpy toggled(&publisher, &StatusPublisher::toggleRequested);
        publisher.setStatus(u"NYY @ BOS 7:05 PM"_s, u"preview"_s, u"tip"_s);
        publisher.setStatus(u"NYY @ BOS 7:05 PM"_s, u"preview"_s, u"tip"_s);
        QCOMPARE(changed.count(), 1);

        for (const QString &name : { u"Title"_s, u"objectName"_s }) {
            const QVariant value = QVariant::fromValue(QDBusVariant(u"hacked"_s));
            QCOMPARE(callPublisher(properties, u"Set"_s, { StatusPublisher::interfaceName(), name, value }).type(),
                QDBusMessage::ErrorMessage);
        }
        QCOMPARE(publisher.title(), u"NYY @ BOS 7:05 PM"_s);
        QCOMPARE(callPublisher(properties, u"Get"_s, { StatusPublisher::interfaceName(), u"objectName"_s }).type(),
            QDBusMessage::ErrorMessage);

        // A second publisher (another copy) cannot take the name.
        StatusPublisher second;
        QVERIFY(!second.publish(QDBusConnection::connectToBus(QDBusConnection::SessionBus, u"second"_s)));
        QDBusConnection::disconnectFromBus(u"second"_s);

        // The thin clients of the binary read it.
        const Run status = runBaselark({ u"--status"_s });
        QCOMPARE(status.exitCode, 0);
        QCOMPARE(status.out, u"NYY @ BOS 7:05 PM\n"_s);
        QCOMPARE(runBaselark({ u"--toggle"_s }).exitCode, 0);
        QTRY_COMPARE(toggled.count(), 1);
        unpublish();
    }

    // Many times over: a warning from the bus thread racing the exit came in about one run of four.
    void clientsWithoutTheApplication()
    {
        for (int i = 0; i < 20; ++i) {
            for (const QString &option : { u"--status"_s, u"--toggle"_s }) {
                const Run run = runBaselark({ option });
                QCOMPARE(run.exitCode, 1);
                QCOMPARE(run.err, u"baselark: Baselark is not running\n"_s);
            }
        }
    }

    // One line per change, in waybar's JSON and in plain text (the title alone), across a restart of the
    // application.
    void followAcrossRestarts()
    {
        auto publisher = std::make_unique<StatusPublisher>();
        publisher->setStatus(u"NYY @ BOS · Top 7th"_s, u"no-spoilers"_s, u"New York Yankees @ Boston Red Sox"_s);
        QVERIFY(publisher->publish(QDBusConnection::sessionBus()));

        QProcess follow;
        follow.start(QStringLiteral(BASELARK_BINARY), { u"--follow"_s, u"--format"_s, u"waybar"_s });
        QProcess plain;
        plain.start(QStringLiteral(BASELARK_BINARY), { u"--follow"_s });
        QJsonObject first = json(readLine(follow));
        QCOMPARE(first[u"text"].toString(), u"NYY @ BOS · Top 7th"_s);
        QCOMPARE(first[u"class"].toString(), u"no-spoilers"_s);
        QCOMPARE(first[u"alt"].toString(), u"no-spoilers"_s);
        QCOMPARE(first[u"tooltip"].toString(), u"New York Yankees @ Boston Red Sox"_s);
        QCOMPARE(readLine(plain), u"NYY @ BOS · Top 7th"_s);

        // Waybar reads text and tooltip as Pango markup.
        publisher->setStatus(u"NYY @ BOS <Final>"_s, u"no-spoilers"_s, u"<b>A</b> & B"_s);
        QJsonObject second = json(readLine(follow));
        QCOMPARE(second[u"text"].toString(), u"NYY @ BOS &lt;Final&gt;"_s);
        QCOMPARE(second[u"tooltip"].toString(), u"&lt;b&gt;A&lt;/b&gt; &amp; B"_s);
        QCOMPARE(readLine(plain), u"NYY @ BOS <Final>"_s);

        // The application quits: the line goes blank; a new copy comes up: its line follows.
        unpublish();
        publisher.reset();
        QCOMPARE(json(readLine(follow))[u"text"].toString(), QString());
        QCOMPARE(readLine(plain), QString());
        publisher = std::make_unique<StatusPublisher>();
        publisher->setStatus(u"NYY — Off Day"_s, u"off-day"_s, QString());
        QVERIFY(publisher->publish(QDBusConnection::sessionBus()));
        QCOMPARE(json(readLine(follow))[u"text"].toString(), u"NYY — Off Day"_s);
        QCOMPARE(readLine(plain), u"NYY — Off Day"_s);
        // A new tooltip is a new waybar line but the same plain one, which is not printed again.
        publisher->setStatus(u"NYY — Off Day"_s, u"off-day"_s, u"tip"_s);
        QCOMPARE(json(readLine(follow))[u"tooltip"].toString(), u"tip"_s);
        publisher->setStatus(u"NYY — Offline"_s, u"off-day"_s, u"tip"_s);
        QCOMPARE(json(readLine(follow))[u"text"].toString(), u"NYY — Offline"_s);
        QCOMPARE(readLine(plain), u"NYY — Offline"_s);

        // A panel stopping its clients.
        for (QProcess *client : { &follow, &plain }) {
            client->terminate();
            QVERIFY(client->waitForFinished(5000));
            QCOMPARE(client->exitStatus(), QProcess::NormalExit);
            QCOMPARE(client->exitCode(), 0);
        }
        unpublish();
    }

    // A follower nobody can read any more ends by itself, saying so, instead of lingering for ever.
    void followEndsWithItsReaderOrItsBus_data()
    {
        QTest::addColumn<QString>("ending");
        for (const char *ending : { "reader leaves", "no reader from the start", "output full", "bus goes away" })
            QTest::newRow(ending) << QString::fromLatin1(ending);
    }

    void followEndsWithItsReaderOrItsBus()
    {
        QFETCH(QString, ending);
        QProcess follow;
        QProcess bus;
        if (ending == u"bus goes away"_s) {
            bus.start(u"dbus-daemon"_s, { u"--session"_s, u"--nofork"_s, u"--print-address=1"_s });
            QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
            environment.insert(u"DBUS_SESSION_BUS_ADDRESS"_s, readLine(bus));
            follow.setProcessEnvironment(environment);
        }
        if (ending == u"output full"_s) follow.setStandardOutputFile(u"/dev/full"_s);
        // A pipe of the test's own, whose reading end it closes.
        int output[2] = { -1, -1 };
        if (ending.contains(u"reader"_s)) {
            QVERIFY(::pipe2(output, O_CLOEXEC) == 0);
            follow.setChildProcessModifier([&output] { ::dup2(output[1], STDOUT_FILENO); });
        }
        if (ending == u"no reader from the start"_s) ::close(output[0]);
        follow.start(QStringLiteral(BASELARK_BINARY), { u"--follow"_s });
        QVERIFY(follow.waitForStarted());
        if (ending.contains(u"reader"_s)) ::close(output[1]);
        // The first line is empty: the application is not running.
        if (ending == u"reader leaves"_s) {
            char line[16];
            QCOMPARE(::read(output[0], line, sizeof line), 1);
            ::close(output[0]);
        } else if (ending == u"bus goes away"_s) {
            QCOMPARE(readLine(follow), QString());
            bus.kill();
            bus.waitForFinished();
        }
        QVERIFY(follow.waitForFinished(5000));
        QCOMPARE(follow.exitStatus(), QProcess::NormalExit);
        QCOMPARE(follow.exitCode(), 1);
        QVERIFY(follow.readAllStandardError().startsWith("baselark: "));
    }
};

QTEST_GUILESS_MAIN(TestPanelStatus)
#include "tst_panelstatus.moc"
