#pragma once

#include "notifications/gamestartnotificationplanner.h"
#include "notifications/notificationsync.h"

#include <QCoroTask>
#include <QStringList>
#include <vector>

// What the schedule view model's alert sync asks of the notification service; none of it throws.
class GameStartNotificationServicing {
public:
    virtual ~GameStartNotificationServicing() = default;

    virtual QCoro::Task<NotificationPermissionStatus> currentPermissionStatus() = 0;
    virtual QCoro::Task<NotificationPermissionStatus> requestNotificationPermission() = 0;
    virtual QCoro::Task<QStringList> pendingGameStartNotificationIds() = 0;
    virtual QCoro::Task<GameStartNotificationSyncResult> disableGameStartNotifications() = 0;
    virtual QCoro::Task<GameStartNotificationSyncResult> syncGameStartNotifications(
        std::vector<GameStartNotificationPlanner::Request> requests, QStringList removing)
        = 0;
    virtual QCoro::Task<GameStartNotificationSyncResult> scheduleTestNotification(double afterSeconds) = 0;
};
