#pragma once

#include "system/appcast.h"
#include "system/updaterenvironment.h"

#include <QCoroTask>
#include <QDateTime>
#include <QObject>
#include <QTimer>

#include <chrono>
#include <functional>
#include <optional>

class AppcastUpdater;
class QNetworkAccessManager;
class QSettings;
class UpdaterDialogs;

// Keeps the application informed of new releases: daily and manual checks of the update feed, the update found,
// and the once-per-version warning about a program that runs from outside an installed location.
class UpdaterService : public QObject {
    Q_OBJECT

public:
    using Clock = std::function<QDateTime()>;

    static constexpr std::chrono::hours checkInterval { 24 };
    static constexpr std::chrono::seconds firstCheckDelay { 60 };
    // The longest single timer wait: the monotonic timers stand still while the machine sleeps, so the wall clock
    // is looked at again at least this often.
    static constexpr std::chrono::hours maxTimerWait { 1 };

    // `settings` holds the preferences and must outlive the service; `network` and `dialogs` may be null.
    // With `startAutomaticChecks` the daily schedule runs on its timer.
    UpdaterService(UpdaterEnvironment environment, QSettings *settings, QNetworkAccessManager *network,
        UpdaterDialogs *dialogs, Clock now, bool startAutomaticChecks, QObject *parent = nullptr);
    ~UpdaterService() override;

    bool canCheckForUpdates() const { return m_environment.updateChecksAvailable && !m_checkInProgress; }
    std::optional<QDateTime> lastCheckDate() const;
    const std::optional<AppcastItem> &pendingUpdate() const { return m_pendingUpdate; }
    bool automaticallyChecks() const;
    void setAutomaticallyChecks(bool on);
    // A manual check; its result, whatever it is, shows in a dialog.
    void checkForUpdates();
    // The update window for the pending update, when there is one.
    void showPendingUpdate();
    QString versionDescription() const;
    bool updateChecksAvailable() const { return m_environment.updateChecksAvailable; }

    bool isCheckInProgress() const { return m_checkInProgress; }
    std::optional<QString> skippedVersion() const;
    // When the next automatic check is due; empty while automatic checks are off.
    std::optional<QDateTime> nextCheckDate() const { return m_nextCheckDate; }
    // What the schedule's timer runs: checks when one is due by the clock, else waits on.
    void scheduledCheck();

Q_SIGNALS:
    void changed();

private:
    QCoro::Task<> runCheck(bool userInitiated);
    void didFindValidUpdate(const AppcastItem &item, bool userInitiated);
    void didNotFindUpdate(bool userInitiated);
    void skipVersion(const AppcastItem &item);
    void setLastCheckDate(const QDateTime &date);
    void setCheckInProgress(bool inProgress);
    void updateSchedule();
    void scheduleCheckAt(std::optional<QDateTime> due);
    void checkInstallLocation();

    UpdaterEnvironment m_environment;
    QSettings *m_settings;
    AppcastUpdater *m_updater;
    UpdaterDialogs *m_dialogs;
    Clock m_now;
    bool m_automaticChecksRun;
    bool m_checkInProgress = false;
    std::optional<AppcastItem> m_pendingUpdate;
    // The release the desktop was last told of, so that daily checks do not repeat the news.
    std::optional<AppcastItem> m_announcedUpdate;
    std::optional<QDateTime> m_nextCheckDate;
    QTimer m_timer;
};
