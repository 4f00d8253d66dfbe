#include "stats/gamefeed.h"

#include "stats/documentdecoder.h"

using namespace Qt::StringLiterals;

QString shortPlayerName(const QString &fullName)
{
    const QStringList pieces = fullName.split(u' ', Qt::SkipEmptyParts);
    if (pieces.isEmpty()) return fullName;
    if (pieces.size() == 1) return pieces.front();
    static const QStringList suffixes { u"Jr."_s, u"Sr."_s, u"II"_s, u"III"_s, u"IV"_s, u"V"_s };
    if (suffixes.contains(pieces.back(), Qt::CaseSensitive)) return pieces[pieces.size() - 2] + u' ' + pieces.back();
    return pieces.back();
}

QStringList GameDetailOffense::runnerTexts() const
{
    QStringList texts;
    const auto add = [&texts](const QString &base, const std::optional<GameDetailPlayer> &runner) {
        if (runner) texts.append(base + shortPlayerName(runner->fullName));
    };
    add(u"1B "_s, first);
    add(u"2B "_s, second);
    add(u"3B "_s, third);
    return texts;
}

GameDetail GameDetail::fromFeed(GameLiveFeedResponse feed)
{
    GameDetail detail;
    detail.gamePk = feed.gamePk;
    if (feed.gameData.venue) detail.venueName = std::move(feed.gameData.venue->name);
    detail.probablePitchers = std::move(feed.gameData.probablePitchers);
    detail.linescore = std::move(feed.liveData.linescore);
    return detail;
}

GameDetail GameDetail::fromFeed(GameDetailFeed feed)
{
    GameDetail detail;
    detail.gamePk = feed.gamePk;
    if (feed.gameData.venue) detail.venueName = std::move(feed.gameData.venue->name);
    detail.probablePitchers = std::move(feed.gameData.probablePitchers);
    detail.linescore = std::move(feed.liveData.linescore);
    return detail;
}

GameDetail readGameDetail(const nlohmann::ordered_json &feed)
{
    return GameDetail::fromFeed(decodeDocument<GameDetailFeed>(feed));
}

std::optional<QString> GameDetail::countText() const
{
    if (!linescore.balls || !linescore.strikes) return std::nullopt;
    return QString::number(*linescore.balls) + u'-' + QString::number(*linescore.strikes);
}

std::optional<QString> GameDetail::outsText() const
{
    if (!linescore.outs) return std::nullopt;
    if (*linescore.outs == 1) return u"1 out"_s;
    return QString::number(*linescore.outs) + u" outs"_s;
}

std::optional<QString> GameDetail::matchupText() const
{
    const auto &offense = linescore.offense;
    const auto &defense = linescore.defense;
    // The offense's own pitcher slot names the batting club's pitcher, not the one on the mound.
    if (!offense || !offense->batter || !defense || !defense->pitcher) return std::nullopt;
    return shortPlayerName(offense->batter->fullName) + u" vs "_s + shortPlayerName(defense->pitcher->fullName);
}
