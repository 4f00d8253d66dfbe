#include "fakescheduleapi.h"
#include "notifications/fakenotificationcenterclient.h"
#include "notifications/notificationservice.h"
#include "schedule/scheduleviewmodel.h"
#include "stats/decoder.h"
#include "system/loginitemservice.h"
#include "system/updaterservice.h"
#include "testdata.h"
#include "ui/settingsview.h"

#include <QAccessible>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;

Q_DECLARE_METATYPE(NotificationPermissionStatus)

namespace {

std::vector<Game> recordedDay(const QString &name)
{
    auto response = decode<ScheduleResponse>(readTestData(name));
    return response.dates.empty() ? std::vector<Game>() : response.dates.front().games;
}

} // namespace

// The Settings tab over a fresh installation: empty preferences, an autostart folder in a temporary directory.
class TestSettingsView : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;
    std::unique_ptr<QSettings> m_settings;
    std::unique_ptr<FakeScheduleAPI> m_api;
    FakeNotificationCenterClient m_centre;
    NotificationService m_notifications { &m_centre, u"io.github.baselark.Baselark"_s };
    std::unique_ptr<ScheduleViewModel> m_viewModel;
    std::unique_ptr<UpdaterService> m_updater;
    std::unique_ptr<LoginItemService> m_loginItem;
    std::unique_ptr<SettingsView> m_view;

    template <typename T> T *child(const QString &name) const
    {
        T *found = m_view->findChild<T *>(name);
        if (!found) qFatal("no child %s", qPrintable(name));
        return found;
    }
    QString autostartFolder() const { return m_dir.filePath(u"autostart"_s); }
    QString entryPath() const { return autostartFolder() + u"/io.github.baselark.Baselark.desktop"_s; }

    void clickLogo(int times)
    {
        for (int i = 0; i < times; ++i)
            QTest::mouseClick(child<QWidget>(u"logo"_s), Qt::LeftButton);
    }

private Q_SLOTS:
    void init()
    {
        m_settings = std::make_unique<QSettings>(m_dir.filePath(u"prefs.ini"_s), QSettings::IniFormat);
        m_settings->clear();
        m_centre = FakeNotificationCenterClient();
        m_api = std::make_unique<FakeScheduleAPI>();
        m_viewModel = std::make_unique<ScheduleViewModel>(
            m_api.get(), &m_notifications, m_settings.get(), [] { return QDateTime::currentDateTime(); }, false, false);
        UpdaterEnvironment environment;
        environment.updateChecksAvailable = true;
        m_updater = std::make_unique<UpdaterService>(
            environment, m_settings.get(), nullptr, nullptr, [] { return QDateTime::currentDateTime(); }, false);
        QDir(autostartFolder()).removeRecursively();
        m_loginItem
            = std::make_unique<LoginItemService>(autostartFolder(), QCoreApplication::applicationFilePath(), nullptr);
        m_view = std::make_unique<SettingsView>(m_viewModel.get(), m_updater.get(), m_loginItem.get());
        m_view->resize(320, 700);
        m_view->show();
    }

    void cleanup()
    {
        m_view.reset();
        m_loginItem.reset();
        m_updater.reset();
        m_viewModel.reset();
        m_api.reset();
    }

    void choosingAClubStoresItAndReordersTheDay()
    {
        auto load = m_viewModel->loadSchedule();
        m_api->succeed(0, recordedDay(u"schedule-2026-04-20-hydrated.json"_s));
        auto *picker = child<QComboBox>(u"teamPicker"_s);
        picker->setCurrentIndex(picker->findText(u"Baltimore Orioles"_s));
        // The keyboard moves the closed picker to the next club, Boston, as a choice of the user.
        picker->setFocus();
        QTest::keyClick(picker, Qt::Key_Down);
        QCOMPARE(picker->currentText(), u"Boston Red Sox"_s);
        QCOMPARE(m_viewModel->favoriteTeamId(), 111);
        QCOMPARE(m_settings->value(u"favoriteTeamId"_s).toLongLong(), 111);
        const Game first = m_viewModel->sortedGames().front();
        QVERIFY(first.teams.away.team.id == 111 || first.teams.home.team.id == 111);
    }

    // The alert switch shows the lead picker and the in-game switches. Alerts of runs and finals would spoil what
    // No Spoilers Mode hides: off and disabled, with the reason, until the mode is off; the user's choice is kept
    // meanwhile.
    void alertSwitchesFollowTheMainSwitchAndNoSpoilers()
    {
        auto *scoring = child<QCheckBox>(u"scoringPlayAlerts"_s);
        auto *final = child<QCheckBox>(u"finalScoreAlerts"_s);
        auto *hidden = child<QLabel>(u"gameEventAlertsHidden"_s);
        auto *lead = child<QComboBox>(u"leadPicker"_s);
        QVERIFY(!scoring->isVisible() && !lead->isVisible());
        QTest::mouseClick(child<QCheckBox>(u"notifications"_s), Qt::LeftButton);
        QVERIFY(m_viewModel->notificationsEnabled());
        QVERIFY(scoring->isVisible() && hidden->isVisible() && lead->isVisible());
        QCOMPARE(lead->currentText(), u"15 minutes"_s);
        lead->setFocus();
        QTest::keyClick(lead, Qt::Key_Down);
        QCOMPARE(m_viewModel->notificationLeadMinutes(), 30);
        QVERIFY(!scoring->isEnabled() && !scoring->isChecked() && !final->isEnabled() && !final->isChecked());
        QTest::mouseClick(child<QCheckBox>(u"noSpoilers"_s), Qt::LeftButton, {}, QPoint(8, 8));
        QVERIFY(!hidden->isVisible());
        QVERIFY(scoring->isEnabled() && scoring->isChecked() && final->isChecked());
        scoring->setFocus();
        QTest::keyClick(scoring, Qt::Key_Space);
        QVERIFY(!m_viewModel->scoringPlayAlerts());
        QVERIFY(m_viewModel->finalScoreAlerts());
        m_viewModel->setNoSpoilers(true);
        m_viewModel->setNoSpoilers(false);
        QVERIFY(!scoring->isChecked() && final->isChecked());
    }

    void alertStatusAndButton_data()
    {
        QTest::addColumn<bool>("enabled");
        QTest::addColumn<NotificationPermissionStatus>("permission");
        QTest::addColumn<QString>("storeError");
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("grant");
        QTest::addColumn<bool>("openSettings");
        using enum NotificationPermissionStatus;
        QTest::newRow("undecided: Grant Permission")
            << true << NotDetermined << QString() << u"Enable desktop notifications to receive game alerts"_s << true
            << false;
        QTest::newRow("denied: Open Notification Settings")
            << true << Denied << QString() << u"Notifications are disabled in the desktop settings"_s << false << true;
        QTest::newRow("unavailable: no button")
            << true << Unavailable << QString() << u"Notifications are unavailable in this build"_s << false << false;
        const QString failed = u"Could not save the pending alerts (No space left on device); trying again"_s;
        QTest::newRow("switched off, store not written") << false << Authorized << failed << failed << false << false;
    }

    void alertStatusAndButton()
    {
        QFETCH(bool, enabled);
        QFETCH(NotificationPermissionStatus, permission);
        QFETCH(QString, storeError);
        m_centre.status = m_centre.statusAfterRequest = permission;
        if (!storeError.isEmpty()) m_centre.unsavedError = storeError;
        auto task = m_viewModel->setNotificationsEnabled(enabled);
        QTRY_VERIFY(!m_viewModel->isSyncingNotifications());
        QTEST(child<QLabel>(u"notificationStatus"_s)->text(), "text");
        QTEST(child<QPushButton>(u"grantPermission"_s)->isVisible(), "grant");
        QTEST(child<QPushButton>(u"openSystemSettings"_s)->isVisible(), "openSettings");
    }

    void logoClicks_data()
    {
        QTest::addColumn<QList<int>>("runs"); // clicks in quick succession, runs apart
        QTest::addColumn<bool>("shown");
        QTest::newRow("three show") << QList<int> { 3 } << true;
        QTest::newRow("three more hide") << QList<int> { 6 } << false;
        QTest::newRow("two do nothing") << QList<int> { 2 } << false;
        QTest::newRow("four: the fourth starts a new run") << QList<int> { 4 } << true;
    }

    void logoClicks()
    {
        QFETCH(QList<int>, runs);
        QVERIFY(!child<QWidget>(u"debugSection"_s)->isVisible());
        for (int run : runs) {
            clickLogo(run);
            QTest::qWait(QApplication::doubleClickInterval() + 50);
        }
        QTEST(child<QWidget>(u"debugSection"_s)->isVisible(), "shown");
    }

    void testButtonDisabledWhileScheduling()
    {
        clickLogo(3);
        auto *send = child<QPushButton>(u"sendTestNotification"_s);
        QList<bool> enabledWhileScheduling;
        connect(m_viewModel.get(), &ScheduleViewModel::changed, this, [&] {
            if (m_viewModel->isSchedulingTestNotification()) enabledWhileScheduling << send->isEnabled();
        });
        send->click();
        QTRY_VERIFY(!m_viewModel->isSchedulingTestNotification());
        QVERIFY(!enabledWhileScheduling.isEmpty() && !enabledWhileScheduling.contains(true));
        QVERIFY(send->isEnabled());
        QVERIFY(child<QLabel>(u"debugStatus"_s)->isVisible());
        QCOMPARE(child<QLabel>(u"debugStatus"_s)->text(), *m_viewModel->debugNotificationStatusText());
    }

    // The locale's own order of day, month and year.
    void lastCheckedText()
    {
        const QDateTime date(QDate(2026, 4, 20), QTime(15, 45), Qt::LocalTime);
        QCOMPARE(SettingsView::lastCheckedText(date, QLocale(QLocale::German, QLocale::Germany)),
            u"Last checked 20.04.26 15:45"_s);
    }

    void startOnLoginFollowsTheEntry()
    {
        auto *box = child<QCheckBox>(u"startOnLogin"_s);
        auto *status = child<QLabel>(u"loginStatus"_s);
        auto *openSettings = child<QPushButton>(u"openLoginItems"_s);
        QCOMPARE(status->text(), u"Open Baselark automatically when you log in"_s);
        box->setFocus();
        QTest::keyClick(box, Qt::Key_Space);
        QVERIFY(QFile::exists(entryPath()));
        QVERIFY(!openSettings->isVisible());

        // The desktop switches the entry off while the tab is away; showing the tab again reads it anew.
        m_view->hide();
        const QByteArray approved = readFile(entryPath());
        QVERIFY(writeFile(entryPath(), approved + "Hidden=true\n"));
        m_view->show();
        QVERIFY(box->isChecked());
        QCOMPARE(status->text(), u"Approve Baselark in Startup Applications to finish enabling start on login"_s);
        QVERIFY(openSettings->isVisible());

        // Approved in the desktop's settings: coming back to the application is enough.
        QVERIFY(writeFile(entryPath(), approved));
        Q_EMIT qApp->applicationStateChanged(Qt::ApplicationInactive);
        QVERIFY(openSettings->isVisible());
        Q_EMIT qApp->applicationStateChanged(Qt::ApplicationActive);
        QVERIFY(!openSettings->isVisible());
    }

    // What a screen reader reads of the page: every control by a name, each picker labelled by its title, each
    // checkbox described by the line under it (the alert switches that No Spoilers Mode holds off by the reason),
    // the logo as a named image.
    void controlsAreNamedLabelledAndDescribed()
    {
        child<QCheckBox>(u"notifications"_s)->click();
        const auto accessible = [](QWidget *widget) { return QAccessible::queryAccessibleInterface(widget); };
        for (QWidget *control : m_view->findChildren<QWidget *>()) {
            if (control->focusPolicy() == Qt::NoFocus || !control->isVisibleTo(m_view.get())) continue;
            QVERIFY2(!accessible(control)->text(QAccessible::Name).isEmpty(), qPrintable(control->objectName()));
        }
        for (const auto &[picker, title] :
            { std::pair { u"teamPicker"_s, u"myTeamLabel"_s }, std::pair { u"leadPicker"_s, u"leadTimeLabel"_s } }) {
            const auto labels = accessible(child<QWidget>(picker))->relations(QAccessible::Label);
            QCOMPARE(labels.size(), 1);
            QCOMPARE(labels.first().first->object(), child<QLabel>(title));
        }
        for (const auto &[box, line] :
            { std::pair { u"noSpoilers"_s, u"noSpoilersDetail"_s }, std::pair { u"startOnLogin"_s, u"loginStatus"_s },
                std::pair { u"notifications"_s, u"notificationStatus"_s },
                std::pair { u"scoringPlayAlerts"_s, u"gameEventAlertsHidden"_s } }) {
            QVERIFY(!child<QLabel>(line)->text().isEmpty());
            QCOMPARE(accessible(child<QWidget>(box))->text(QAccessible::Description), child<QLabel>(line)->text());
        }
        QCOMPARE(accessible(child<QWidget>(u"logo"_s))->role(), QAccessible::Graphic);
        QCOMPARE(accessible(child<QWidget>(u"logo"_s))->text(QAccessible::Name), u"Baselark logo"_s);
    }

    // The clubs list by keys alone: Up/Down select, Alt+Up/Alt+Down move a followed club (never above the
    // favourite), Space switches its alerts, Delete stops following it; the buttons do the same.
    void myTeamsEditedByKeyboard()
    {
        auto task = m_viewModel->setFollowedTeams({ 111, 110, 121 });
        auto *list = child<QListWidget>(u"myTeamsList"_s);
        const auto followed = [&] { return m_viewModel->followedTeamIds(); };
        list->setFocus();
        list->setCurrentRow(0);
        QTest::keyClick(list, Qt::Key_Down);
        QTest::keyClick(list, Qt::Key_Down, Qt::AltModifier);
        QCOMPARE(followed(), (std::vector<qint64> { 110, 111, 121 }));
        QCOMPARE(list->currentRow(), 2);
        QTest::keyClick(list, Qt::Key_Up, Qt::AltModifier);
        QTest::keyClick(list, Qt::Key_Up, Qt::AltModifier);
        QCOMPARE(followed(), (std::vector<qint64> { 111, 110, 121 }));
        QCOMPARE(list->item(0)->data(Qt::UserRole).toLongLong(), 147);
        QTest::keyClick(list, Qt::Key_Space);
        QVERIFY(!m_viewModel->teamAlerts(111));
        QCOMPARE(list->currentItem()->checkState(), Qt::Unchecked);
        QTest::keyClick(list, Qt::Key_Delete);
        QCOMPARE(followed(), (std::vector<qint64> { 110, 121 }));
        QCOMPARE(list->currentRow(), 1);
        QTest::keyClick(list, Qt::Key_Home);
        QTest::keyClick(list, Qt::Key_Delete); // the favourite stays
        QCOMPARE(m_viewModel->myTeamIds(), (std::vector<qint64> { 147, 110, 121 }));

        auto *picker = child<QComboBox>(u"addTeamPicker"_s);
        for (int added = 0; added < 3; ++added) {
            QVERIFY(child<QPushButton>(u"addTeam"_s)->isEnabled());
            picker->setCurrentIndex(0);
            QTest::keyClick(child<QPushButton>(u"addTeam"_s), Qt::Key_Space);
        }
        QCOMPARE(followed().size(), ScheduleViewModel::maxFollowedTeams);
        QVERIFY(!child<QPushButton>(u"addTeam"_s)->isEnabled());
        child<QPushButton>(u"removeTeam"_s)->click();
        QCOMPARE(followed().size(), ScheduleViewModel::maxFollowedTeams - 1);
    }

    void tabMovesThroughTheControls()
    {
        child<QCheckBox>(u"notifications"_s)->click();
        m_view->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(m_view.get()));
        child<QWidget>(u"teamPicker"_s)->setFocus();
        const QStringList expected { u"myTeamsList"_s, u"addTeamPicker"_s, u"addTeam"_s, u"noSpoilers"_s,
            u"streamDelayPicker"_s, u"startOnLogin"_s, u"notifications"_s, u"leadPicker"_s, u"automaticallyChecks"_s,
            u"checkForUpdates"_s, u"teamPicker"_s };
        for (const QString &name : expected) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            QCOMPARE(QApplication::focusWidget()->objectName(), name);
        }
        // The delay is picked by keys alone.
        auto *delay = child<QComboBox>(u"streamDelayPicker"_s);
        delay->setFocus();
        QTest::keyClick(delay, Qt::Key_Down);
        QTest::keyClick(delay, Qt::Key_Down);
        QCOMPARE(m_viewModel->streamDelay(), std::chrono::seconds(20));
    }
};

QTEST_MAIN(TestSettingsView)
#include "tst_settingsview.moc"
