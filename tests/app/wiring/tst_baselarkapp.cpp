#include "app/baselarkapp.h"
#include "app/popupwindow.h"
#include "app/statusitem.h"
#include "app/statuspublisher.h"
#include "boxscore/boxscoreviewmodel.h"
#include "boxscore/views/inlineboxscoreview.h"
#include "fakescheduleapi.h"
#include "replay/replayserver.h"
#include "schedule/scheduleviewmodel.h"
#include "system/dialogs/updatedialog.h"
#include "system/updaterservice.h"

#include <QApplication>
#include <QPushButton>
#include <QSettings>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;

// The application's wiring: the status item follows the view model, its clicks
// open and close the window, and the window widens for an inline box score.
class TestBaselarkApp : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;

    static UpdateDialog *visibleUpdateDialog()
    {
        for (QWidget *widget : QApplication::topLevelWidgets())
            if (auto *update = qobject_cast<UpdateDialog *>(widget); update && update->isVisible()) return update;
        return nullptr;
    }

private Q_SLOTS:
    void initTestCase()
    {
        QStandardPaths::setTestModeEnabled(true);
        setApplicationIdentity();
    }

    void statusItemAndWindowFollowTheViewModel()
    {
        FakeScheduleAPI api;
        QSettings settings(m_dir.filePath(u"prefs.ini"_s), QSettings::IniFormat);
        BaselarkApp app(&api, &settings);
        app.show();
        QCOMPARE(app.statusItem().label(), u"NYY"_s);

        QTRY_COMPARE(api.requestCount(), 1);
        Game game;
        game.gamePk = 1;
        game.gameDate = u"2024-04-01T23:05:00Z"_s;
        game.status = { u"Live"_s, u"In Progress"_s, {}, {}, {}, {} };
        game.teams.away = { { 147, {} }, 3, {}, {} };
        game.teams.home = { { 111, {} }, 2, {}, {} };
        game.linescore = Linescore { 7, u"7th"_s, true, {} };
        api.succeed(0, { game });
        QCOMPARE(app.statusItem().label(), u"NYY @ BOS · Top 7th"_s);
        app.viewModel().setNoSpoilers(false);
        QCOMPARE(app.statusItem().label(), u"NYY @ BOS 3-2 Top 7th"_s);
        // The panel status on the bus follows the same title, with its class.
        QCOMPARE(app.statusPublisher().title(), u"NYY @ BOS 3-2 Top 7th"_s);
        QCOMPARE(app.statusPublisher().state(), u"live"_s);
        app.statusPublisher().Toggle();
        QVERIFY(app.window().isVisible());
        app.statusPublisher().Toggle();
        QVERIFY(!app.window().isVisible());

        Q_EMIT app.statusItem().activateRequested(QPoint(600, 0));
        QVERIFY(app.window().isVisible());
        QCOMPARE(app.window().size(), QSize(320, 500));
        app.viewModel().setInlineBoxScoreGameId(1);
        QCOMPARE(app.window().size(), QSize(440, 500));
        // The inline box score takes the window's content for that game.
        auto *inlineBoxScore = app.window().findChild<InlineBoxScoreView *>();
        QVERIFY(inlineBoxScore && inlineBoxScore->isVisible());
        QCOMPARE(inlineBoxScore->boxScoreViewModel()->gamePk(), std::optional<qint64>(1));
        QVERIFY(inlineBoxScore->boxScoreViewModel()->hasPollingTask());
        // Closing the window stops the polling; opening it again starts it.
        Q_EMIT app.statusItem().activateRequested(QPoint(600, 0));
        QVERIFY(!app.window().isVisible());
        QVERIFY(!inlineBoxScore->boxScoreViewModel()->hasPollingTask());
        Q_EMIT app.statusItem().activateRequested(QPoint(600, 0));
        QVERIFY(inlineBoxScore->boxScoreViewModel()->hasPollingTask());
        app.viewModel().setInlineBoxScoreGameId(std::nullopt);
        QCOMPARE(app.window().size(), QSize(320, 500));

        Q_EMIT app.statusItem().activateRequested(QPoint(600, 0));
        QVERIFY(!app.window().isVisible());
        Q_EMIT app.statusItem().openRequested();
        QVERIFY(app.window().isVisible());
        Q_EMIT app.statusItem().openRequested(); // already open: stays open
        QVERIFY(app.window().isVisible());
    }

    // The status item carries the update dot while an update waits, and loses it once the user skips it.
    void updateDotFollowsThePendingUpdate()
    {
        ReplayServer server;
        QString error;
        QVERIFY(server.loadManifest(QStringLiteral(BASELARK_SOURCE_DIR "/data/demo/manifest.json"), &error));
        QVERIFY(server.listen());
        const QByteArray endpoint = qgetenv("BASELARK_ENDPOINT");
        qputenv("BASELARK_ENDPOINT", server.baseUrl().toUtf8());
        FakeScheduleAPI api;
        QSettings settings(m_dir.filePath(u"updates.ini"_s), QSettings::IniFormat);
        BaselarkApp app(&api, &settings);
        qputenv("BASELARK_ENDPOINT", endpoint);
        app.show();
        QVERIFY(!app.statusItem().updatePending());

        app.updater().checkForUpdates();
        QTRY_VERIFY(app.statusItem().updatePending());
        QVERIFY(server.requestLog().contains(u"/appcast.xml"_s));
        UpdateDialog *dialog = visibleUpdateDialog();
        QVERIFY(dialog);
        QCOMPARE(dialog->item().displayVersionString(), u"0.2.0"_s);
        // Closed, it comes back from the status item's menu entry.
        dialog->remindLaterButton()->click();
        QTRY_VERIFY(!visibleUpdateDialog());
        Q_EMIT app.statusItem().updateRequested();
        dialog = visibleUpdateDialog();
        QVERIFY(dialog);
        QVERIFY(!dialog->windowIcon().isNull());
        dialog->skipButton()->click();
        QVERIFY(!app.statusItem().updatePending());
    }
};

QTEST_MAIN(TestBaselarkApp)
#include "tst_baselarkapp.moc"
