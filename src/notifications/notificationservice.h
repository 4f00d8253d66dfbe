#pragma once

#include "notifications/gamestartnotificationservicing.h"
#include "notifications/notificationcenterclient.h"

#include <QDateTime>
#include <functional>

// The one place that talks to the notification centre: permission, and the feature's pending alerts.
class NotificationService : public GameStartNotificationServicing {
public:
    using Clock = std::function<QDateTime()>;

    // bundleIdentifier is the application's desktop-file id; without one no operation touches the centre.
    NotificationService(
        NotificationCenterClient *center, QString bundleIdentifier,
        Clock now = [] { return QDateTime::currentDateTime(); });

    QCoro::Task<NotificationPermissionStatus> currentPermissionStatus() override;
    QCoro::Task<NotificationPermissionStatus> requestNotificationPermission() override;
    QCoro::Task<QStringList> pendingGameStartNotificationIds() override;
    QCoro::Task<GameStartNotificationSyncResult> disableGameStartNotifications() override;
    QCoro::Task<GameStartNotificationSyncResult> syncGameStartNotifications(
        std::vector<GameStartNotificationPlanner::Request> requests, QStringList removing) override;
    QCoro::Task<GameStartNotificationSyncResult> scheduleTestNotification(double afterSeconds) override;

private:
    bool hasBundleIdentifier() const { return !m_bundleIdentifier.isEmpty(); }

    NotificationCenterClient *m_center;
    QString m_bundleIdentifier;
    Clock m_now;
};
