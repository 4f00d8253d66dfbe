#include "ui/spokentexts.h"

#include "stats/teams.h"

using namespace Qt::StringLiterals;

QString spokenClubName(qint64 teamId, const QString &fallback)
{
    if (const std::optional<MLBTeam> known = MLBTeam::team(teamId)) return known->name;
    return fallback.isEmpty() ? MLBTeam::label(teamId) : fallback;
}

QString spokenMatchup(const Game &game)
{
    return spokenClubName(game.teams.away.team.id, game.teams.away.team.name) + u" at "_s
        + spokenClubName(game.teams.home.team.id, game.teams.home.team.name);
}

QString spokenInning(const QString &half, const QString &ordinal)
{
    const QString lower = half.toLower();
    const QString word = lower == u"bot"_s ? u"bottom"_s : lower;
    return word + u" of the "_s + ordinal;
}

QString spokenInning(const Game &game)
{
    if (!game.linescore || !game.linescore->currentInningOrdinal) return u"live"_s;
    return spokenInning(
        game.linescore->isTopInning.value_or(false) ? u"Top"_s : u"Bottom"_s, *game.linescore->currentInningOrdinal);
}

QString spokenScore(qint64 awayRuns, qint64 homeRuns)
{
    return QString::number(awayRuns) + u" to "_s + QString::number(homeRuns);
}
