#include "childoutput.h"
#include "stats/gameday.h"
#include "testdata.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusVariant>
#include <QDir>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRegularExpression>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QTest>
#include <csignal>
#include <optional>

using namespace Qt::StringLiterals;

namespace {

// Calls a method over the session bus with plain messages.
QDBusMessage busCall(const QString &service, const QString &path, const QString &interface, const QString &method,
    const QVariantList &arguments = {})
{
    QDBusMessage message = QDBusMessage::createMethodCall(service, path, interface, method);
    message.setArguments(arguments);
    return QDBusConnection::sessionBus().call(message);
}

// Reads one property of a D-Bus object; an invalid variant when it cannot be read.
QVariant dbusProperty(const QString &service, const QString &path, const QString &interface, const QString &name)
{
    const QDBusMessage reply
        = busCall(service, path, u"org.freedesktop.DBus.Properties"_s, u"Get"_s, { interface, name });
    return reply.type() == QDBusMessage::ReplyMessage ? reply.arguments().value(0).value<QDBusVariant>().variant()
                                                      : QVariant();
}

QStringList registeredItems()
{
    return dbusProperty(u"org.kde.StatusNotifierWatcher"_s, u"/StatusNotifierWatcher"_s,
        u"org.kde.StatusNotifierWatcher"_s, u"RegisteredStatusNotifierItems"_s)
        .toStringList();
}

QString run(const QString &program, const QStringList &arguments)
{
    QProcess process;
    process.start(program, arguments);
    return process.waitForFinished(5000) ? QString::fromUtf8(process.readAllStandardOutput()) : QString();
}

// The X id of a shown top-level window of `size` ("WxH"); unmapped windows do not count.
std::optional<QString> shownWindow(const QString &size)
{
    static const QRegularExpression child(u"^\\s*(0x[0-9a-f]+) .*\\s(\\d+x\\d+)\\+-?\\d+\\+-?\\d+"_s);
    for (const QString &line : run(u"xwininfo"_s, { u"-root"_s, u"-children"_s }).split(u'\n')) {
        const auto match = child.match(line);
        if (match.hasMatch() && match.captured(2) == size
            && run(u"xwininfo"_s, { u"-id"_s, match.captured(1) }).contains(u"IsViewable"_s))
            return match.captured(1);
    }
    return std::nullopt;
}

// Today's schedule with one game under way, Texas at Arizona in the top of the 7th: the game of the
// recorded live feed. The application asks for the league's game day, wherever it runs.
QByteArray liveSchedule()
{
    const QDateTime now = QDateTime::currentDateTimeUtc();
    return uR"({"dates":[{"date":"%1","games":[{"gamePk":748534,"link":"/api/v1.1/game/748534/feed/live",)"
           uR"("gameDate":"%2","officialDate":"%1","status":{"abstractGameState":"Live","codedGameState":"I",)"
           uR"("detailedState":"In Progress","statusCode":"I","abstractGameCode":"L"},"teams":{)"
           uR"("away":{"team":{"id":140,"name":"Texas Rangers"},"score":1},)"
           uR"("home":{"team":{"id":109,"name":"Arizona Diamondbacks"},"score":0}},)"
           uR"("linescore":{"currentInning":7,"currentInningOrdinal":"7th","inningState":"Top","isTopInning":true}}]}]})"_s
               .arg(gameDay(now).toString(Qt::ISODate), now.addSecs(-2 * 3600).toString(Qt::ISODate))
               .toUtf8();
}

} // namespace

// Starts the real application under X against the replay server and reads its
// status item's label over the session bus, as a desktop's panel would.
class TestSmoke : public QObject {
    Q_OBJECT

    QTemporaryDir m_home;
    QProcess m_watcher;

private Q_SLOTS:
    void initTestCase()
    {
        if (qEnvironmentVariableIsEmpty("DISPLAY")) QSKIP("needs an X display (scripts/run-tests starts Xvfb)");
        QVERIFY(QDBusConnection::sessionBus().isConnected());
        QVERIFY(QFile::setPermissions(m_home.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
        m_watcher.start(QStringLiteral(WATCHER_BINARY));
        QVERIFY(awaitLine(m_watcher, "ready"));
        QVERIFY(m_watcher.state() == QProcess::Running);
    }

    void cleanupTestCase()
    {
        m_watcher.terminate();
        m_watcher.waitForFinished(5000);
    }

    // Every fault of the replay server, once on the day's schedule and once on the live feed with the box
    // score open; the first row is the healthy feed, so quitting with the box score polling is covered too.
    void faultsKeepTheApplicationUsable_data()
    {
        QTest::addColumn<QString>("route");
        QTest::addColumn<QString>("fault");
        QTest::newRow("feed none") << u"feed"_s << u"none"_s;
        for (const QString &route : { u"schedule"_s, u"feed"_s }) {
            for (const QString &fault :
                { u"html500"_s, u"truncate"_s, u"stall"_s, u"reset"_s, u"huge"_s, u"malformed"_s })
                QTest::addRow("%s %s", qPrintable(route), qPrintable(fault)) << route << fault;
        }
    }

    void faultsKeepTheApplicationUsable()
    {
        QFETCH(QString, route);
        QFETCH(QString, fault);
        const bool onFeed = route == u"feed"_s;
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        QVERIFY(QFile::setPermissions(dir.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));

        // The favourite club is Texas when the feed fails, so its live game is followed; New York otherwise.
        QVERIFY(QDir().mkpath(dir.filePath(u"config/baselark"_s)));
        QVERIFY(writeFile(dir.filePath(u"config/baselark/baselark.ini"_s),
            onFeed ? "[General]\nfavoriteTeamId=140\n" : "[General]\nfavoriteTeamId=147\n"));
        QVERIFY(writeFile(dir.filePath(u"schedule.json"_s), liveSchedule()));
        const QString timeline = QStringLiteral(BASELARK_SOURCE_DIR "/data/timeline/");
        QJsonObject schedule { { u"path"_s, u"/api/v1/schedule"_s }, { u"file"_s, u"schedule.json"_s } };
        QJsonObject feed { { u"path"_s, u"/api/v1.1/game/748534/feed/live"_s },
            { u"files"_s, QJsonArray { timeline + u"748534-1-live.json"_s, timeline + u"748534-2-live.json"_s } } };
        (onFeed ? feed : schedule)[u"fault"_s] = fault;
        QVERIFY(writeFile(dir.filePath(u"manifest.json"_s),
            QJsonDocument(QJsonObject { { u"routes"_s, QJsonArray { schedule, feed } } }).toJson()));

        QProcess replay;
        const QString requests = dir.filePath(u"requests.txt"_s);
        replay.start(QStringLiteral(REPLAY_BINARY), { u"--dir"_s, dir.path(), u"--log"_s, requests });
        const QString endpoint = awaitLine(replay, "listening on ").value_or(QString());
        QVERIFY2(!endpoint.isEmpty(), replay.readAllStandardError().constData());
        const auto requested = [&](const QString &path) { return QString::fromUtf8(readFile(requests)).count(path); };

        // In Tokyo the game is played in the local morning of the next day: it is shown all the same.
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(u"BASELARK_ENDPOINT"_s, endpoint);
        env.insert(u"XDG_CONFIG_HOME"_s, dir.filePath(u"config"_s));
        env.insert(u"XDG_DATA_HOME"_s, dir.filePath(u"data"_s));
        env.insert(u"XDG_RUNTIME_DIR"_s, m_home.path());
        env.insert(u"TZ"_s, onFeed ? u"Asia/Tokyo"_s : u"America/New_York"_s);
        env.remove(u"QT_QPA_PLATFORM"_s);
        QProcess app;
        app.setProcessEnvironment(env);
        app.start(QStringLiteral(BASELARK_BINARY));
        QVERIFY(app.waitForStarted());
        const auto finish = qScopeGuard([&] {
            for (QProcess *process : { &app, &replay }) {
                if (process->state() == QProcess::NotRunning) continue;
                process->kill();
                process->waitForFinished(5000);
            }
        });

        QTRY_COMPARE_WITH_TIMEOUT(registeredItems().size(), 1, 20000);
        const QString item = registeredItems().first().section(u'/', 0, 0);
        const auto property = [&](const QString &name) {
            return dbusProperty(item, u"/StatusNotifierItem"_s, u"org.kde.StatusNotifierItem"_s, name).toString();
        };
        const auto title = [&] { return property(u"Title"_s); };
        const QString liveTitle = u"TEX @ AZ · Top 7th"_s;
        if (onFeed) {
            QTRY_COMPARE_WITH_TIMEOUT(title(), liveTitle, 20000);
        } else {
            QTRY_VERIFY_WITH_TIMEOUT(requested(u"/api/v1/schedule?"_s) > 0, 20000);
        }

        QCOMPARE(
            busCall(item, u"/StatusNotifierItem"_s, u"org.kde.StatusNotifierItem"_s, u"Activate"_s, { 600, 10 }).type(),
            QDBusMessage::ReplyMessage);
        QTRY_VERIFY_WITH_TIMEOUT(shownWindow(u"320x500"_s), 10000);

        if (onFeed) {
            // The card of the live game is open at the top; a click on its box score button (the first of the
            // card's four, 200 px from the window's left and 96 px from its top) widens the window.
            const QString window = shownWindow(u"320x500"_s).value_or(QString());
            QProcess keys;
            keys.start(u"xdotool"_s, { u"mousemove"_s, u"--window"_s, window, u"200"_s, u"96"_s, u"click"_s, u"1"_s });
            QVERIFY(keys.waitForFinished(5000));
            QCOMPARE(keys.exitCode(), 0);
            QTRY_VERIFY_WITH_TIMEOUT(shownWindow(u"440x500"_s), 10000);
            // The card's detail and the box score have both asked for the feed; while the card's request stalls, the
            // box score waits for its answer instead of asking again.
            QTRY_VERIFY_WITH_TIMEOUT(requested(u"/feed/live"_s) >= (fault == u"stall"_s ? 1 : 2), 10000);
        }

        // A failed load with no games on screen says so; a stalled one has not answered yet; a failed feed
        // leaves the status item as it was.
        const QString expected = onFeed ? liveTitle : fault == u"stall"_s ? u"NYY"_s : u"NYY — Offline"_s;
        if (fault == u"stall"_s || fault == u"none"_s) QTest::qWait(1500);
        QTRY_COMPARE_WITH_TIMEOUT(title(), expected, 20000);
        QCOMPARE(property(u"XAyatanaLabel"_s), expected);
        if (fault == u"none"_s) {
            // A second copy for the same user leaves at once, silently.
            QProcess second;
            second.setProcessEnvironment(env);
            second.start(QStringLiteral(BASELARK_BINARY));
            QVERIFY(second.waitForFinished(20000));
            QCOMPARE(second.exitStatus(), QProcess::NormalExit);
            QCOMPARE(second.exitCode(), 0);
            QCOMPARE(registeredItems().size(), 1);
        }
        // Give a failed answer time to reach the views, then check that nothing changed and nothing blocks.
        QTest::qWait(1000);
        for (int i = 0; i < 10; ++i, QTest::qWait(50))
            QCOMPARE(title(), expected);
        QVERIFY(shownWindow(onFeed ? u"440x500"_s : u"320x500"_s));

        // "Quit" in the item's menu, a logout's SIGTERM, Ctrl+C or a closed terminal ends the process normally,
        // without a sanitizer report.
        const QHash<QString, int> quitSignals { { u"stall"_s, SIGTERM }, { u"reset"_s, SIGINT },
            { u"huge"_s, SIGHUP } };
        if (quitSignals.contains(fault))
            QCOMPARE(::kill(pid_t(app.processId()), quitSignals[fault]), 0);
        else
            busCall(item, u"/MenuBar"_s, u"com.canonical.dbusmenu"_s, u"Event"_s,
                { 3, u"clicked"_s, QVariant::fromValue(QDBusVariant(0)), 0u });
        QVERIFY(app.waitForFinished(20000));
        const QByteArray errors = app.readAllStandardError();
        QVERIFY2(app.exitStatus() == QProcess::NormalExit && app.exitCode() == 0, errors.constData());
        QVERIFY2(!errors.contains("Sanitizer") && !errors.contains("runtime error"), errors.constData());
        QTRY_COMPARE_WITH_TIMEOUT(registeredItems().size(), 0, 5000);
    }
};

QTEST_GUILESS_MAIN(TestSmoke)
#include "tst_smoke.moc"
