#pragma once

#include "notifications/gamestartnotificationplanner.h"

#include <QDateTime>
#include <QString>
#include <QStringList>
#include <optional>

enum class NotificationPermissionStatus { Unavailable, NotDetermined, Denied, Authorized };

enum class GameStartNotificationSyncState {
    Disabled,
    Unavailable,
    NeedsPermission,
    Denied,
    NoUpcomingGames,
    Scheduled,
    Failed
};

// What one service operation did to the pending alerts.
struct GameStartNotificationSyncResult {
    GameStartNotificationSyncState state = GameStartNotificationSyncState::Unavailable;
    NotificationPermissionStatus permissionStatus = NotificationPermissionStatus::Unavailable;
    std::optional<GameStartNotificationPlanner::Request> nextRequest;
    QStringList addedRequestIds;
    QStringList removedRequestIds;
    std::optional<QString> errorMessage;

    static GameStartNotificationSyncResult unavailable() { return {}; }
};

// The next alert as the settings line names it.
struct GameStartNotificationSummary {
    QString matchup;
    QDateTime alertDate;
    QDateTime gameDate;

    friend bool operator==(const GameStartNotificationSummary &, const GameStartNotificationSummary &) = default;
};

// The outcome of the last sync, as the settings view shows it.
class GameStartNotificationSyncStatus {
public:
    enum class Kind { Scheduled, Failed, Off, Syncing, Unavailable, NeedsPermission, Denied, NoUpcomingGames };

    GameStartNotificationSyncStatus() = default;
    static GameStartNotificationSyncStatus scheduled(GameStartNotificationSummary summary)
    {
        GameStartNotificationSyncStatus status(Kind::Scheduled);
        status.m_summary = std::move(summary);
        return status;
    }
    static GameStartNotificationSyncStatus failed(QString message)
    {
        GameStartNotificationSyncStatus status(Kind::Failed);
        status.m_message = std::move(message);
        return status;
    }
    static GameStartNotificationSyncStatus off() { return GameStartNotificationSyncStatus(Kind::Off); }
    static GameStartNotificationSyncStatus syncing() { return GameStartNotificationSyncStatus(Kind::Syncing); }
    static GameStartNotificationSyncStatus unavailable() { return GameStartNotificationSyncStatus(Kind::Unavailable); }
    static GameStartNotificationSyncStatus needsPermission()
    {
        return GameStartNotificationSyncStatus(Kind::NeedsPermission);
    }
    static GameStartNotificationSyncStatus denied() { return GameStartNotificationSyncStatus(Kind::Denied); }
    static GameStartNotificationSyncStatus noUpcomingGames()
    {
        return GameStartNotificationSyncStatus(Kind::NoUpcomingGames);
    }

    Kind kind() const { return m_kind; }
    // Set for Scheduled only.
    const std::optional<GameStartNotificationSummary> &summary() const { return m_summary; }
    // Set for Failed only.
    const QString &message() const { return m_message; }

    friend bool operator==(const GameStartNotificationSyncStatus &, const GameStartNotificationSyncStatus &) = default;

private:
    explicit GameStartNotificationSyncStatus(Kind kind)
        : m_kind(kind)
    { }

    Kind m_kind = Kind::Off;
    std::optional<GameStartNotificationSummary> m_summary;
    QString m_message;
};
