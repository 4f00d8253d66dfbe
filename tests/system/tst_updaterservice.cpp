#include "replay/replayserver.h"
#include "system/installlocation.h"
#include "system/updaterdialogs.h"
#include "system/updaterservice.h"
#include "testdata.h"

#include <QFile>
#include <QScopeGuard>
#include <QSettings>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {

// Records what the updater would show, and lets a test answer the update dialog.
class RecordingDialogs : public UpdaterDialogs {
public:
    QStringList shown;
    std::function<void()> skip;
    std::function<void()> showAnnounced;

    void showUpdateFound(const AppcastItem &item, const QString &, std::function<void()> skipVersion) override
    {
        shown.append(u"update "_s + item.displayVersionString());
        skip = std::move(skipVersion);
    }
    void announceUpdate(const AppcastItem &item, std::function<void()> showUpdate) override
    {
        shown.append(u"announce "_s + item.displayVersionString());
        showAnnounced = std::move(showUpdate);
    }
    void showUpToDate(const QString &version) override { shown.append(u"up to date "_s + version); }
    void showCheckFailed(const QString &) override { shown.append(u"failed"_s); }
    void showInstallLocationAlert(const QString &path) override { shown.append(u"install location "_s + path); }
};

QByteArray demoFeed()
{
    return readFile(QStringLiteral(BASELARK_SOURCE_DIR "/data/demo/appcast.xml"));
}

const QDateTime launch(QDate(2026, 4, 20), QTime(9, 0), Qt::UTC);

} // namespace

class TestUpdaterService : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;
    std::unique_ptr<QSettings> m_settings;
    std::unique_ptr<ReplayServer> m_server;
    RecordingDialogs m_dialogs;
    QDateTime m_now;

    UpdaterEnvironment environment(bool available = true) const
    {
        UpdaterEnvironment env;
        env.updateChecksAvailable = available;
        env.feedURL = QUrl(m_server->baseUrl() + u"/appcast.xml"_s);
        env.feedIsLocalStandIn = true;
        env.shortVersionString = u"0.1.0"_s;
        env.bundleVersion = u"1"_s;
        env.programPath = u"/usr/bin/baselark"_s;
        env.transientFolders = QStringList { u"/home/ada/Downloads"_s, u"/tmp"_s };
        return env;
    }

    std::unique_ptr<UpdaterService> makeService(UpdaterEnvironment env, bool automatic = false)
    {
        return std::make_unique<UpdaterService>(
            std::move(env), m_settings.get(), nullptr, &m_dialogs, [this] { return m_now; }, automatic);
    }

    void serveFeed(QByteArray body, int delayMs = 0, Fault fault = Fault::None, int status = 200)
    {
        m_server = std::make_unique<ReplayServer>();
        m_server->addRoute({ .path = u"/appcast.xml"_s,
            .body = std::move(body),
            .status = status,
            .contentType = "application/rss+xml",
            .delayMs = delayMs,
            .fault = fault });
        QVERIFY(m_server->listen());
    }

private Q_SLOTS:
    void init()
    {
        m_settings = std::make_unique<QSettings>(
            m_dir.filePath(u"prefs-%1.ini"_s.arg(QString::fromLatin1(QTest::currentTestFunction()))),
            QSettings::IniFormat);
        m_settings->clear();
        m_dialogs = {};
        m_now = launch;
        serveFeed(demoFeed());
    }

    void checkFindsTheNewerRelease()
    {
        auto service = makeService(environment());
        QVERIFY(service->canCheckForUpdates());
        QVERIFY(!service->lastCheckDate());

        service->checkForUpdates();
        // A second press while the first check runs does nothing.
        QVERIFY(!service->canCheckForUpdates());
        service->checkForUpdates();
        QTRY_VERIFY(service->canCheckForUpdates());
        QCOMPARE(m_server->requestLog(), QStringList { u"/appcast.xml"_s });
        QVERIFY(service->pendingUpdate());
        QCOMPARE(service->pendingUpdate()->displayVersionString(), u"0.2.0"_s);
        QCOMPARE(service->lastCheckDate(), launch);
        QCOMPARE(m_dialogs.shown, QStringList { u"update 0.2.0"_s });

        // Nothing newer any more: the dot goes, and a manual check says so.
        serveFeed(R"(<rss version="2.0"><channel><title>Baselark</title></channel></rss>)");
        auto later = makeService(environment());
        m_now = launch.addDays(1);
        later->checkForUpdates();
        QTRY_VERIFY(later->canCheckForUpdates());
        QVERIFY(!later->pendingUpdate());
        QCOMPARE(later->lastCheckDate(), launch.addDays(1));
        QCOMPARE(m_dialogs.shown.last(), u"up to date 0.1.0"_s);
    }

    void failedCheckChangesNothing_data()
    {
        QTest::addColumn<int>("status");
        QTest::addColumn<Fault>("fault");
        QTest::addColumn<QByteArray>("body");
        QTest::addColumn<bool>("localStandIn"); // plain HTTP only from the local stand-in
        QTest::newRow("server error") << 500 << Fault::None << demoFeed() << true;
        QTest::newRow("connection reset") << 200 << Fault::Reset << demoFeed() << true;
        QTest::newRow("cut short") << 200 << Fault::Truncate << demoFeed() << true;
        QTest::newRow("larger than 1 MiB") << 200 << Fault::Huge << demoFeed() << true;
        QTest::newRow("bad XML") << 200 << Fault::None << QByteArray("<rss><channel>") << true;
        QTest::newRow("plain HTTP from a real address") << 200 << Fault::None << demoFeed() << false;
    }

    void failedCheckChangesNothing()
    {
        QFETCH(int, status);
        QFETCH(Fault, fault);
        QFETCH(QByteArray, body);
        auto service = makeService(environment());
        service->checkForUpdates();
        QTRY_VERIFY(service->canCheckForUpdates());
        QCOMPARE(service->pendingUpdate()->version, u"2"_s);
        m_dialogs.shown.clear();

        serveFeed(body, 0, fault, status);
        UpdaterEnvironment env = environment();
        QFETCH(bool, localStandIn);
        env.feedIsLocalStandIn = localStandIn;
        auto again = makeService(env);
        m_now = launch.addDays(2);
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression(u"^Update check failed: "_s));
        again->checkForUpdates();
        QTRY_VERIFY(again->canCheckForUpdates());
        QCOMPARE(again->lastCheckDate(), launch);
        QCOMPARE(m_dialogs.shown, QStringList { u"failed"_s });
        QCOMPARE(m_server->requestLog().isEmpty(), !localStandIn); // plain HTTP is not even asked
    }

    void distributionBuildNeverFetches()
    {
        auto service = makeService(environment(false), true);
        QVERIFY(!service->canCheckForUpdates());
        QVERIFY(!service->nextCheckDate());
        service->checkForUpdates();
        m_now = launch.addDays(3);
        service->scheduledCheck();
        QTest::qWait(100);
        QVERIFY(m_server->requestLog().isEmpty());
        QVERIFY(m_dialogs.shown.isEmpty());
    }

    void checksEveryDay()
    {
        auto service = makeService(environment(), true);
        QVERIFY(service->automaticallyChecks());
        QCOMPARE(service->nextCheckDate(), launch.addSecs(60));

        m_now = launch.addSecs(59);
        service->scheduledCheck();
        QTest::qWait(50);
        QVERIFY(m_server->requestLog().isEmpty());

        m_now = launch.addSecs(60);
        service->scheduledCheck();
        QTRY_COMPARE(m_server->requestLog().size(), 1);
        QTRY_VERIFY(service->canCheckForUpdates());
        QCOMPARE(service->lastCheckDate(), launch.addSecs(60));
        QCOMPARE(service->nextCheckDate(), launch.addSecs(60).addDays(1));
        // An automatic check only announces what it found; the window opens when the user asks for it.
        QCOMPARE(m_dialogs.shown, QStringList { u"announce 0.2.0"_s });
        m_dialogs.showAnnounced();
        QCOMPARE(m_dialogs.shown.last(), u"update 0.2.0"_s);
        // The next day's check finds the same release: the desktop is not told again.
        m_now = launch.addSecs(60).addDays(1);
        service->scheduledCheck();
        QTRY_COMPARE(m_server->requestLog().size(), 2);
        QTRY_VERIFY(service->canCheckForUpdates());
        QCOMPARE(m_dialogs.shown.size(), 2);
        m_dialogs.skip();
        QVERIFY(!service->pendingUpdate());
        QCOMPARE(service->skippedVersion(), u"0.2.0"_s);

        m_now = launch.addSecs(60).addDays(2);
        service->scheduledCheck();
        QTRY_COMPARE(m_server->requestLog().size(), 3);
        QTRY_VERIFY(service->canCheckForUpdates());
        QVERIFY(!service->pendingUpdate());
        QCOMPARE(m_dialogs.shown.size(), 2);
        // Asked for, a skipped version is shown again.
        service->checkForUpdates();
        QTRY_COMPARE(m_dialogs.shown.size(), 3);
        QVERIFY(service->pendingUpdate());

        service->setAutomaticallyChecks(false);
        QVERIFY(!service->nextCheckDate());
        QCOMPARE(m_settings->value(u"automaticallyChecksForUpdates"_s).toBool(), false);
        // A manual check afterwards does not start the daily ones again.
        service->checkForUpdates();
        QTRY_VERIFY(service->canCheckForUpdates());
        QVERIFY(!service->nextCheckDate());
    }

    void scheduleFollowsTheLastCheck_data()
    {
        QTest::addColumn<QDateTime>("lastCheck");
        QTest::addColumn<QDateTime>("expected");
        QTest::newRow("never checked: a minute after launch") << QDateTime() << launch.addSecs(60);
        QTest::newRow("checked 2 hours ago: 22 hours on") << launch.addSecs(-7200) << launch.addSecs(22 * 3600);
        QTest::newRow("checked 3 days ago: a minute after launch") << launch.addDays(-3) << launch.addSecs(60);
        QTest::newRow("clock went back: a minute after launch") << launch.addDays(5) << launch.addSecs(60);
    }

    void scheduleFollowsTheLastCheck()
    {
        QFETCH(QDateTime, lastCheck);
        QFETCH(QDateTime, expected);
        if (lastCheck.isValid()) m_settings->setValue(u"lastUpdateCheckDate"_s, lastCheck.toString(Qt::ISODateWithMs));
        auto service = makeService(environment(), true);
        QCOMPARE(service->nextCheckDate(), expected);
        service->setAutomaticallyChecks(false);
        auto restarted = makeService(environment(), true);
        QVERIFY(!restarted->automaticallyChecks());
        QVERIFY(!restarted->nextCheckDate());
        restarted->setAutomaticallyChecks(true);
        QCOMPARE(restarted->nextCheckDate(), expected);
    }

    void feedAddress_data()
    {
        QTest::addColumn<QString>("endpoint");
        QTest::addColumn<QString>("expected");
        QTest::addColumn<bool>("localStandIn");
        QTest::newRow("no endpoint") << QString() << u"https://baselark.github.io/appcast.xml"_s << false;
        QTest::newRow("replay server") << u"http://127.0.0.1:8123"_s << u"http://127.0.0.1:8123/appcast.xml"_s << true;
        QTest::newRow("not an origin") << u"http://127.0.0.1:8123/x"_s << u"https://baselark.github.io/appcast.xml"_s
                                       << false;
        QTest::newRow("not http") << u"file:///tmp"_s << u"https://baselark.github.io/appcast.xml"_s << false;
    }

    void feedAddress()
    {
        QFETCH(QString, endpoint);
        QFETCH(QString, expected);
        QFETCH(bool, localStandIn);
        bool local = !localStandIn;
        QCOMPARE(feedURLFor(u"https://baselark.github.io/appcast.xml"_s, endpoint, &local), QUrl(expected));
        QCOMPARE(local, localStandIn);
    }

    void transientCopies_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<bool>("transient");
        QTest::newRow("a folder of the user's own") << u"/home/ada/apps/baselark"_s << false;
        QTest::newRow("Downloads") << u"/home/ada/Downloads/baselark"_s << true;
        QTest::newRow("prefix look-alike") << u"/home/ada/Downloadsx/baselark"_s << false;
        QTest::newRow("climbs out of /tmp") << u"/tmp/../usr/bin/baselark"_s << false;
        QTest::newRow("relative") << u"tmp/baselark"_s << false;
        QTest::newRow("a build tree") << QCoreApplication::applicationFilePath() << false;
    }

    void transientCopies()
    {
        QFETCH(QString, path);
        QFETCH(bool, transient);
        const QStringList folders { u"/home/ada/Downloads/"_s, u"/tmp"_s, u"/"_s, u"tmp"_s,
            QCoreApplication::applicationDirPath() };
        QCOMPARE(isTransientCopy(path, folders), transient);
    }

    // Desktops without user folders name the home folder as the download folder, which holds every other folder.
    void homeIsNoDownloadFolder()
    {
        QTemporaryDir home;
        const auto restore = qScopeGuard([old = qgetenv("HOME"), config = qgetenv("XDG_CONFIG_HOME")] {
            qputenv("HOME", old);
            qputenv("XDG_CONFIG_HOME", config);
        });
        qputenv("HOME", home.path().toUtf8());
        qputenv("XDG_CONFIG_HOME", home.path().toUtf8());
        for (const QByteArray folder : { "Downloads", "" }) {
            QVERIFY(writeFile(home.filePath(u"user-dirs.dirs"_s), "XDG_DOWNLOAD_DIR=\"$HOME/" + folder + "\"\n"));
            QCOMPARE(
                ::downloadFolders(), folder.isEmpty() ? QStringList() : QStringList { home.filePath(u"Downloads"_s) });
        }
    }

    void warnsOncePerVersion()
    {
        UpdaterEnvironment env = environment(false);
        env.programPath = u"/home/ada/Downloads/baselark"_s;
        // Without a version, as the first ever, the empty text is stored, and warned about once too.
        qsizetype warnings = 0;
        for (const QString &version : { QString(), u"1.2"_s, u"1.3"_s }) {
            env.shortVersionString = version;
            const auto first = makeService(env);
            const auto again = makeService(env);
            QTRY_COMPARE(m_dialogs.shown.size(), warnings + 1);
            QTest::qWait(20);
            QCOMPARE(m_dialogs.shown.size(), ++warnings);
            QCOMPARE(m_settings->value(u"installLocationWarnedVersion"_s, u"none"_s).toString(), version);
        }
        QCOMPARE(m_dialogs.shown.first(), u"install location /home/ada/Downloads/baselark"_s);

        // From an installed place, or under BASELARK_ENDPOINT: nothing shown, nothing written.
        m_settings->clear();
        env.programPath = u"/usr/bin/baselark"_s;
        const auto installed = makeService(env);
        env.programPath = u"/home/ada/Downloads/baselark"_s;
        env.endpointOverridden = true;
        const auto replayed = makeService(env);
        QTest::qWait(20);
        QCOMPARE(m_dialogs.shown.size(), 3);
        QVERIFY(!m_settings->contains(u"installLocationWarnedVersion"_s));
    }
};

QTEST_GUILESS_MAIN(TestUpdaterService)
#include "tst_updaterservice.moc"
