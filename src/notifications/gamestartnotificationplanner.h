#pragma once

#include "stats/schedule.h"

#include <QDateTime>
#include <QString>
#include <QStringList>
#include <QVariantMap>
#include <optional>
#include <vector>

// Decides which game-start alerts should be pending, and what each one says; no input or output.
struct GameStartNotificationPlanner {
    struct Request {
        QString id;
        Game game;
        QDateTime triggerDate;
        qint64 leadMinutes = 0;
    };

    struct Plan {
        std::vector<Request> requests; // in adding order
        QStringList staleIds; // ascending
    };

    // What the notification centre shows, and when.
    struct Content {
        QString title;
        QString body;
        QVariantMap userInfo;
        // The trigger instant to the whole second, in local time.
        QDateTime trigger;
    };

    static inline const QString identifierPrefix = QStringLiteral("baselark-game-start-");
    static inline const QString testRequestId = QStringLiteral("baselark-game-start-test-preview");

    static QString identifier(qint64 gamePk);
    static Plan plan(
        const std::vector<Game> &games, qint64 leadMinutes, const QDateTime &now, const QStringList &pendingIds);
    static std::optional<Request> nextRequest(const std::vector<Request> &requests);
    static Content content(const Request &request);
    static Request testRequest(const QDateTime &firingAt);
};
