#include "notifications/gamestartnotificationplanner.h"

#include "stats/datetime.h"

#include <QSet>
#include <algorithm>

using namespace Qt::StringLiterals;

QString GameStartNotificationPlanner::identifier(qint64 gamePk)
{
    return identifierPrefix + QString::number(gamePk);
}

GameStartNotificationPlanner::Plan GameStartNotificationPlanner::plan(
    const std::vector<Game> &games, qint64 leadMinutes, const QDateTime &now, const QStringList &pendingIds)
{
    Plan result;
    QSet<qint64> seen;
    for (const Game &game : games) {
        // Two of the user's clubs playing each other bring the same game twice; it gets one alert.
        if (seen.contains(game.gamePk)) continue;
        seen.insert(game.gamePk);
        // Only games still to be played; a postponement reported in the detailed state is not consulted.
        if (game.status.abstractGameState != u"Preview"_s) continue;
        const auto start = parseInternetDateTime(game.gameDate);
        if (!start) continue;
        const QDateTime trigger = start->addSecs(-leadMinutes * 60);
        if (trigger <= now) continue;
        result.requests.push_back({ identifier(game.gamePk), game, trigger, leadMinutes });
    }
    std::stable_sort(result.requests.begin(), result.requests.end(), [](const Request &a, const Request &b) {
        if (a.triggerDate != b.triggerDate) return a.triggerDate < b.triggerDate;
        return a.game.gamePk < b.game.gamePk;
    });

    QSet<QString> planned;
    for (const Request &request : result.requests)
        planned.insert(request.id);
    for (const QString &id : pendingIds) {
        if (!planned.contains(id)) result.staleIds.append(id);
    }
    // QString compares UTF-16 code units, which is the plain character-code order wanted here.
    std::sort(result.staleIds.begin(), result.staleIds.end());
    return result;
}

std::optional<GameStartNotificationPlanner::Request> GameStartNotificationPlanner::nextRequest(
    const std::vector<Request> &requests)
{
    const Request *next = nullptr;
    for (const Request &request : requests) {
        if (!next || request.triggerDate < next->triggerDate) next = &request;
    }
    return next ? std::optional(*next) : std::nullopt;
}

GameStartNotificationPlanner::Content GameStartNotificationPlanner::content(const Request &request)
{
    const Game &game = request.game;
    Content content;
    content.title = u"Game Starting Soon"_s;
    content.body = game.teams.away.team.name + u" @ "_s + game.teams.home.team.name + u" starts in "_s
        + QString::number(request.leadMinutes) + u" minutes"_s;
    content.userInfo = { { u"kind"_s, u"gameStart"_s }, { u"gamePk"_s, game.gamePk } };
    content.trigger = QDateTime::fromSecsSinceEpoch(request.triggerDate.toSecsSinceEpoch());
    return content;
}

GameStartNotificationPlanner::Request GameStartNotificationPlanner::testRequest(const QDateTime &firingAt)
{
    Game game;
    game.gamePk = -1;
    game.gameDate = firingAt.addSecs(900).toUTC().toString(Qt::ISODate);
    game.status.abstractGameState = u"Preview"_s;
    game.status.detailedState = u"Preview"_s;
    game.status.startTimeTBD = false;
    game.teams.away.team = { 147, u"New York Yankees"_s };
    game.teams.home.team = { 110, u"Baltimore Orioles"_s };
    return { testRequestId, std::move(game), firingAt, 15 };
}
