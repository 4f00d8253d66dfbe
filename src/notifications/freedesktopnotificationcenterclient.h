#pragma once

#include "notifications/notificationcenterclient.h"

#include <QDBusConnection>
#include <QDateTime>
#include <QHash>
#include <QObject>
#include <QTimer>
#include <chrono>
#include <functional>
#include <optional>
#include <vector>

// Our own notification centre over org.freedesktop.Notifications: the desktop has no scheduled delivery, so the
// pending requests live in a store on disk and one timer delivers each at its trigger.
class FreedesktopNotificationCenterClient : public QObject, public NotificationCenterClient {
    Q_OBJECT
public:
    using Clock = std::function<QDateTime()>;

    // The longest the timer waits before it looks at the wall clock again, so that a clock set forward or back
    // delays an alert by at most this much.
    static constexpr std::chrono::milliseconds maxWait { 60'000 };
    // How soon a store that could not be written is tried again; every change tries it as well.
    static constexpr std::chrono::milliseconds saveRetryInterval { 30'000 };
    // A store beyond either limit is not one we wrote (a sync plans two weeks of games): it is set aside unread,
    // so that a huge file cannot hold up the start.
    static constexpr qint64 maxStoreBytes = 1024 * 1024;
    static constexpr qsizetype maxStoreRequests = 1000;
    // In-game events remembered across restarts: a few games' worth.
    static constexpr qsizetype maxSeenEvents = 400;
    static inline const QString notificationsService = QStringLiteral("org.freedesktop.Notifications");

    // storePath: the JSON file of pending requests. desktopEntry: the application's desktop-file id, sent as the
    // icon and the desktop-entry hint. systemBus is where logind announces resume; a disconnected bus only loses
    // that wake-up.
    FreedesktopNotificationCenterClient(
        QString storePath, QString desktopEntry, QDBusConnection sessionBus, QDBusConnection systemBus,
        Clock now = [] { return QDateTime::currentDateTimeUtc(); }, QObject *parent = nullptr);
    ~FreedesktopNotificationCenterClient() override;

    // The desktop has no per-application consent to ask for; both answer whether a server is there.
    QCoro::Task<bool> requestAuthorization() override;
    QCoro::Task<NotificationPermissionStatus> authorizationStatus() override;
    QCoro::Task<QStringList> pendingNotificationRequestIds() override;
    QCoro::Task<> addGameStartNotification(GameStartNotificationPlanner::Request request) override;
    QCoro::Task<> removePendingNotificationRequests(QStringList identifiers) override;
    std::optional<QString> storeError() const override;
    QCoro::Task<> deliverNow(QString id, QString title, QString body, QString thread) override;
    QStringList seenEventIds() const override { return m_seenEvents; }
    void addSeenEventIds(const QStringList &ids) override;

    // Delivers every request whose trigger has passed (dropping those whose game has begun), then re-aims the timer.
    void deliverDue();
    // The timer's wait, or none while nothing is pending.
    std::optional<std::chrono::milliseconds> timerInterval() const;

private Q_SLOTS:
    void handlePrepareForSleep(bool start);

private:
    struct Pending {
        QString id;
        qint64 gamePk = 0;
        QDateTime triggerDate;
        QDateTime gameStart;
        QString title;
        QString body;

        bool operator==(const Pending &) const = default;
    };

    void load();
    void moveAsideCorruptStore(const QString &reason);
    // Writes the store atomically; false with the reason when it cannot, and then tries again later.
    bool save(QString *error = nullptr);
    void retryUnsaved();
    void aim();
    void notify(const Pending &pending);

    QString m_storePath;
    QString m_desktopEntry;
    QDBusConnection m_sessionBus;
    Clock m_now;
    std::vector<Pending> m_pending;
    QStringList m_seenEvents;
    // The server's id of the last popup of each thread, which the next one replaces.
    QHash<QString, uint> m_popups;
    QTimer m_timer;
    std::optional<QString> m_saveError;
    QTimer m_saveRetry;
};
