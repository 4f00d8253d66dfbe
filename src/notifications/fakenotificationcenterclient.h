#pragma once

#include "notifications/notificationcenterclient.h"

#include <QString>
#include <vector>

// A notification centre held in memory for tests: scripted permission and failures, every call recorded.
class FakeNotificationCenterClient : public NotificationCenterClient {
public:
    struct Call {
        QString operation;
        QStringList identifiers;
        friend bool operator==(const Call &, const Call &) = default;
    };

    NotificationPermissionStatus status = NotificationPermissionStatus::Authorized;
    // What the permission becomes when requestAuthorization() is called while NotDetermined.
    NotificationPermissionStatus statusAfterRequest = NotificationPermissionStatus::Authorized;
    bool requestAuthorizationFails = false;
    // The n-th addition (1-based, counted over the client's life) fails; 0 for none.
    int failingAddition = 0;
    QString additionError = QStringLiteral("The notification could not be added");
    std::optional<QString> unsavedError;

    // Pending requests in the order they were added.
    std::vector<GameStartNotificationPlanner::Request> pending;
    std::vector<Call> calls;
    int additionCount = 0;

    QCoro::Task<bool> requestAuthorization() override;
    QCoro::Task<NotificationPermissionStatus> authorizationStatus() override;
    QCoro::Task<QStringList> pendingNotificationRequestIds() override;
    QCoro::Task<> addGameStartNotification(GameStartNotificationPlanner::Request request) override;
    QCoro::Task<> removePendingNotificationRequests(QStringList identifiers) override;
    std::optional<QString> storeError() const override { return unsavedError; }
    QCoro::Task<> deliverNow(QString id, QString title, QString body, QString thread) override;
    QStringList seenEventIds() const override { return seen; }
    void addSeenEventIds(const QStringList &ids) override;

    // Alerts shown at once, in order.
    struct Shown {
        QString id;
        QString title;
        QString body;
        QString thread;
        friend bool operator==(const Shown &, const Shown &) = default;
    };
    std::vector<Shown> shown;
    QStringList seen;

    QStringList pendingIds() const;
    // The calls of one operation, for example "remove".
    std::vector<Call> callsOf(const QString &operation) const;
};
