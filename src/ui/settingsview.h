#pragma once

#include "notifications/notificationsync.h"
#include "stats/teams.h"

#include <QDateTime>
#include <QLocale>
#include <QScrollArea>
#include <chrono>
#include <vector>

class LoginItemService;
class MyTeamsEditor;
class QCheckBox;
class QComboBox;
class QLabel;
class QPushButton;
class ScheduleViewModel;
class UpdaterService;

// Counts clicks that follow each other within the double-click interval; every third completes a run.
class QuickClickCounter {
public:
    // True when this click, at `msecs` on a monotonic clock, is the third of a quick run.
    bool click(qint64 msecs, qint64 intervalMsecs);

private:
    int m_count = 0;
    qint64 m_last = 0;
};

// "Off", "30 s", "2 min": a stream delay as the Settings picker names it.
QString streamDelayText(std::chrono::seconds delay);

// The Settings tab: favourite club, No Spoilers Mode and the stream delay, start on login, game-start alerts,
// updates, and a Debug area behind three quick clicks on the logo. It holds no settings itself.
class SettingsView : public QScrollArea {
    Q_OBJECT

public:
    // The button under the alert status line.
    enum class NotificationButton { None, GrantPermission, OpenSystemSettings };
    static NotificationButton notificationButton(GameStartNotificationSyncStatus::Kind kind);
    // "Last checked " with the date abbreviated and the time short, as `locale` writes them.
    static QString lastCheckedText(const QDateTime &date, const QLocale &locale);
    // The clubs of the directory by full name.
    static std::vector<MLBTeam> teamsByName();
    // The lead times offered, in minutes.
    static constexpr qint64 leadMinutesChoices[] = { 5, 10, 15, 30 };

    SettingsView(
        ScheduleViewModel *viewModel, UpdaterService *updater, LoginItemService *loginItem, QWidget *parent = nullptr);
    ~SettingsView() override;

    bool isShowingDebugArea() const { return m_isShowingDebugArea; }
    const std::vector<MLBTeam> &sortedTeams() const { return m_sortedTeams; }
    MyTeamsEditor *myTeamsEditor() const { return m_myTeams; }

protected:
    void showEvent(QShowEvent *event) override;
    void changeEvent(QEvent *event) override;

private:
    QWidget *buildHeader(QWidget *parent);
    QWidget *buildFavoriteClub(QWidget *parent);
    QWidget *buildNoSpoilers(QWidget *parent);
    QWidget *buildStartOnLogin(QWidget *parent);
    QWidget *buildNotifications(QWidget *parent);
    QWidget *buildUpdates(QWidget *parent);
    QWidget *buildDebug(QWidget *parent);
    void logoClicked();
    void update();
    void applyColors();

    ScheduleViewModel *m_viewModel;
    UpdaterService *m_updater;
    LoginItemService *m_loginItem;
    bool m_isShowingDebugArea = false;
    const std::vector<MLBTeam> m_sortedTeams;

    QuickClickCounter m_logoClicks;
    QWidget *m_logo = nullptr;
    QList<QLabel *> m_secondaryLabels;
    QComboBox *m_team = nullptr;
    MyTeamsEditor *m_myTeams = nullptr;
    QCheckBox *m_noSpoilers = nullptr;
    QComboBox *m_streamDelay = nullptr;
    QCheckBox *m_startOnLogin = nullptr;
    QLabel *m_loginStatus = nullptr;
    QPushButton *m_openLoginItems = nullptr;
    QCheckBox *m_notifications = nullptr;
    QWidget *m_leadTime = nullptr;
    QComboBox *m_leadMinutes = nullptr;
    QWidget *m_gameEvents = nullptr;
    QCheckBox *m_scoringPlays = nullptr;
    QCheckBox *m_finalScore = nullptr;
    QLabel *m_gameEventsHidden = nullptr;
    QLabel *m_notificationStatus = nullptr;
    QPushButton *m_grantPermission = nullptr;
    QPushButton *m_openSystemSettings = nullptr;
    QWidget *m_updateChecks = nullptr;
    QLabel *m_updatesByDistribution = nullptr;
    QCheckBox *m_automaticallyChecks = nullptr;
    QLabel *m_lastChecked = nullptr;
    QLabel *m_version = nullptr;
    QPushButton *m_checkForUpdates = nullptr;
    QWidget *m_debugDivider = nullptr;
    QWidget *m_debug = nullptr;
    QPushButton *m_sendTest = nullptr;
    QLabel *m_debugStatus = nullptr;
};
