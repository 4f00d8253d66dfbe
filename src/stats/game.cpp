#include "stats/datetime.h"
#include "stats/schedule.h"

using namespace Qt::StringLiterals;

namespace {

const QString leagueWebsite = u"https://www.mlb.com"_s;

bool mentionsPostponed(const QString &detailedState)
{
    return detailedState.contains(u"postponed"_s, Qt::CaseInsensitive);
}

} // namespace

bool Game::isFinal() const
{
    return status.abstractGameState == u"Final"_s && !mentionsPostponed(status.detailedState);
}

std::vector<Broadcast> Game::tvBroadcasts() const
{
    std::vector<Broadcast> result;
    if (broadcasts) {
        for (const Broadcast &broadcast : *broadcasts) {
            if (broadcast.type == u"TV"_s && broadcast.language == u"en"_s) result.push_back(broadcast);
        }
    }
    return result;
}

QString Game::broadcastText() const
{
    const auto carriers = tvBroadcasts();
    if (carriers.empty()) return u"No TV broadcast listed"_s;
    QStringList names;
    for (const Broadcast &broadcast : carriers)
        names.append(broadcast.name);
    return names.join(u", "_s);
}

QString Game::startTimeText() const
{
    const auto start = parseInternetDateTime(gameDate);
    return start ? formatClockTime(*start) : u"TBD"_s;
}

QString Game::statusText() const
{
    if (mentionsPostponed(status.detailedState) && status.reason && !status.reason->isEmpty())
        return status.detailedState + u": "_s + *status.reason;
    return status.detailedState;
}

std::optional<QString> Game::rescheduleText() const
{
    if (rescheduleDate) {
        if (const auto start = parseInternetDateTime(*rescheduleDate)) return formatMonthDayTime(*start);
    }
    const std::optional<QString> &dayText = rescheduleGameDate ? rescheduleGameDate : officialDate;
    if (!dayText) return std::nullopt;
    const auto day = parseDay(*dayText);
    if (!day) return std::nullopt;
    return formatMonthDay(*day);
}

std::optional<QString> Game::seriesText() const
{
    if (!seriesGameNumber || !gamesInSeries || *gamesInSeries < 2) return std::nullopt;
    return u"Game %1 of %2"_s.arg(*seriesGameNumber).arg(*gamesInSeries);
}

std::optional<QUrl> Game::externalURL() const
{
    QString path;
    if (status.abstractGameState == u"Live"_s)
        path = u"/tv/g"_s + QString::number(gamePk);
    else if (status.abstractGameState == u"Preview"_s)
        path = u"/gameday/"_s + QString::number(gamePk) + u"/preview"_s;
    else
        path = u"/gameday/"_s + QString::number(gamePk);
    const QUrl url(leagueWebsite + path, QUrl::StrictMode);
    return url.isValid() ? std::optional(url) : std::nullopt;
}
