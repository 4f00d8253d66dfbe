#pragma once

// STAND-IN until the notification sync lands: only what the Settings tab reads. Replace with the real header.

#include <QString>

class GameStartNotificationSyncStatus {
public:
    enum class Kind { Scheduled, Failed, Off, Syncing, Unavailable, NeedsPermission, Denied, NoUpcomingGames };

    GameStartNotificationSyncStatus() = default;
    explicit GameStartNotificationSyncStatus(Kind kind)
        : m_kind(kind)
    { }
    Kind kind() const { return m_kind; }

private:
    Kind m_kind = Kind::Off;
};
