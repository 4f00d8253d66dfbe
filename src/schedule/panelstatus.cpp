#include "schedule/panelstatus.h"

#include <QStringList>
#include <algorithm>

using namespace Qt::StringLiterals;

namespace {

const Game *favoriteGame(const std::vector<Game> &games, qint64 favoriteTeamId)
{
    const auto game = std::ranges::find_if(games, [&](const Game &g) { return g.involves(favoriteTeamId); });
    return game == games.end() ? nullptr : &*game;
}

} // namespace

QString panelState(const std::vector<Game> &games, qint64 favoriteTeamId, bool noSpoilers)
{
    const Game *game = favoriteGame(games, favoriteTeamId);
    if (!game) return u"off-day"_s;
    // The same order of tests as the title, so the class never contradicts it.
    if (game->status.abstractGameState == u"Live"_s) return noSpoilers ? u"no-spoilers"_s : u"live"_s;
    if (game->status.detailedState.contains(u"postponed"_s, Qt::CaseInsensitive)) return u"postponed"_s;
    if (!game->isFinal()) return u"preview"_s;
    return noSpoilers ? u"no-spoilers"_s : u"final"_s;
}

QString panelTooltip(const std::vector<Game> &games, qint64 favoriteTeamId)
{
    const Game *game = favoriteGame(games, favoriteTeamId);
    if (!game) return {};
    QStringList lines { game->teams.away.team.name + u" @ "_s + game->teams.home.team.name };
    QString when = game->startTimeText();
    if (game->venue && !game->venue->name.isEmpty())
        when += (when.isEmpty() ? QString() : u" · "_s) + game->venue->name;
    if (!when.isEmpty()) lines << when;
    return lines.join(u'\n');
}
