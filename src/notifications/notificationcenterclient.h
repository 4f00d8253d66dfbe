#pragma once

#include "notifications/gamestartnotificationplanner.h"
#include "notifications/notificationsync.h"

#include <QCoroTask>
#include <QStringList>
#include <optional>
#include <stdexcept>

// A failure reported by a notification centre; description() is what the user reads.
class NotificationCenterError : public std::runtime_error {
public:
    explicit NotificationCenterError(const QString &description)
        : std::runtime_error(description.toStdString())
        , m_description(description)
    { }
    const QString &description() const { return m_description; }

private:
    QString m_description;
};

// The desktop's notification centre as the notification service needs it.
class NotificationCenterClient {
public:
    virtual ~NotificationCenterClient() = default;

    // Throws NotificationCenterError when asking fails.
    virtual QCoro::Task<bool> requestAuthorization() = 0;
    virtual QCoro::Task<NotificationPermissionStatus> authorizationStatus() = 0;
    virtual QCoro::Task<QStringList> pendingNotificationRequestIds() = 0;
    // Replaces a pending request of the same id. Throws NotificationCenterError.
    virtual QCoro::Task<> addGameStartNotification(GameStartNotificationPlanner::Request request) = 0;
    // Removal stands even when it cannot be stored; the centre keeps trying, and says why meanwhile.
    virtual QCoro::Task<> removePendingNotificationRequests(QStringList identifiers) = 0;
    // Why the pending requests on disk lag behind the ones in effect; empty while they agree.
    virtual std::optional<QString> storeError() const = 0;

    // Shows an alert at once. The popup of an alert of the same `thread` (one game's) is replaced by this one
    // rather than piling up. Failures to show are logged, never thrown.
    virtual QCoro::Task<> deliverNow(QString id, QString title, QString body, QString thread) = 0;
    // Ids of the in-game events already told or passed over, oldest first, kept across restarts (the latest few
    // hundred); adding is stored at once when anything is new.
    virtual QStringList seenEventIds() const = 0;
    virtual void addSeenEventIds(const QStringList &ids) = 0;
};
