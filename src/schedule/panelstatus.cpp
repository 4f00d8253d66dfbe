#include "schedule/panelstatus.h"

#include <QStringList>

using namespace Qt::StringLiterals;

QString panelState(const Game *game, bool noSpoilers, ScheduleAvailability availability)
{
    if (availability == ScheduleAvailability::NotYetLoaded) return u"loading"_s;
    if (availability == ScheduleAvailability::Offline) return u"offline"_s;
    if (!game) return u"off-day"_s;
    noSpoilers = noSpoilers || game->runsHeldBack;
    // The same order of tests as the title, so the class never contradicts it.
    if (game->isLive()) return noSpoilers ? u"no-spoilers"_s : u"live"_s;
    if (game->status.detailedState.contains(u"postponed"_s, Qt::CaseInsensitive)) return u"postponed"_s;
    if (!game->isFinal()) return u"preview"_s;
    return noSpoilers ? u"no-spoilers"_s : u"final"_s;
}

QString panelTooltip(const Game *game)
{
    if (!game) return {};
    QStringList lines { game->teams.away.team.name + u" @ "_s + game->teams.home.team.name };
    QString when = game->startTimeText();
    if (game->venue && !game->venue->name.isEmpty())
        when += (when.isEmpty() ? QString() : u" · "_s) + game->venue->name;
    if (!when.isEmpty()) lines << when;
    return lines.join(u'\n');
}
