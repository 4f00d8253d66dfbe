#include "boxscore/plays.h"

#include "stats/documentdecoder.h"

#include <QStringList>
#include <algorithm>

using namespace Qt::StringLiterals;

namespace {

QString trimmed(const std::optional<QString> &text)
{
    return text ? text->simplified() : QString();
}

// A play that is over: the feed marks the one under way incomplete, and its description then says only what
// happened last ("Batter Timeout."), not how the at-bat ended.
bool isFinished(const PlaysFeedPlay &play)
{
    if (play.about && play.about->isComplete && !*play.about->isComplete) return false;
    return play.result && !trimmed(play.result->description).isEmpty();
}

QString teamAbbreviation(const std::optional<PlaysFeedTeams> &teams, qint64 teamId)
{
    if (!teams) return {};
    for (const auto *team : { &teams->away, &teams->home }) {
        if (*team && (*team)->id == teamId && (*team)->abbreviation) return *(*team)->abbreviation;
    }
    return {};
}

} // namespace

QString inningOrdinal(qint64 inning)
{
    const qint64 lastTwo = inning % 100;
    QString suffix = u"th"_s;
    if (lastTwo < 11 || lastTwo > 13) {
        switch (inning % 10) {
        case 1:
            suffix = u"st"_s;
            break;
        case 2:
            suffix = u"nd"_s;
            break;
        case 3:
            suffix = u"rd"_s;
            break;
        default:
            break;
        }
    }
    return QString::number(inning) + suffix;
}

Plays::AtBatEvent buildAtBatEvent(const PlaysFeedEvent &event)
{
    Plays::AtBatEvent result;
    const bool isPitch = event.isPitch.value_or(false);
    if (isPitch) result.pitchNumber = event.pitchNumber;
    if (const auto &details = event.details) {
        result.description = trimmed(details->description);
        if (result.description.isEmpty()) result.description = trimmed(details->event);
        if (isPitch && details->type && details->type->description && !details->type->description->isEmpty())
            result.pitchType = details->type->description;
        if (isPitch) {
            using Kind = Plays::AtBatEvent::Kind;
            if (details->isInPlay.value_or(false))
                result.kind = Kind::InPlay;
            else if (details->isStrike.value_or(false))
                result.kind = Kind::Strike;
            else if (details->isBall.value_or(false))
                result.kind = Kind::Ball;
        }
    }
    if (result.description.isEmpty()) result.description = isPitch ? u"Pitch"_s : trimmed(event.type);
    if (isPitch && event.pitchData) {
        const auto &data = *event.pitchData;
        if (data.startSpeed && *data.startSpeed > 0)
            result.speed = QString::number(*data.startSpeed, 'f', 1) + u" mph"_s;
        if (data.coordinates && data.coordinates->pX && data.coordinates->pZ) {
            result.pX = data.coordinates->pX;
            result.pZ = data.coordinates->pZ;
        }
    }
    return result;
}

Plays::AtBat buildAtBat(const PlaysFeedPlay &play)
{
    Plays::AtBat atBat;
    if (play.about) atBat.atBatIndex = play.about->atBatIndex.value_or(0);
    if (play.matchup) {
        if (play.matchup->batter) atBat.batter = trimmed(play.matchup->batter->fullName);
        if (play.matchup->pitcher) atBat.pitcher = trimmed(play.matchup->pitcher->fullName);
    }
    if (!play.playEvents) return atBat;
    for (const PlaysFeedEvent &event : *play.playEvents) {
        Plays::AtBatEvent built = buildAtBatEvent(event);
        if (built.description.isEmpty()) continue;
        atBat.events.push_back(std::move(built));
        const auto &data = event.pitchData;
        // The zone is measured on each pitch, as the batter stands; the latest measure is the one to draw.
        if (event.isPitch.value_or(false) && data && data->strikeZoneTop && data->strikeZoneBottom
            && *data->strikeZoneTop > *data->strikeZoneBottom) {
            atBat.strikeZoneTop = data->strikeZoneTop;
            atBat.strikeZoneBottom = data->strikeZoneBottom;
        }
    }
    return atBat;
}

std::optional<QString> reviewText(
    const std::optional<PlaysFeedReview> &review, const std::optional<PlaysFeedTeams> &teams)
{
    if (!review) return std::nullopt;
    QString who = u"Umpire review"_s;
    if (review->challengeTeamId) {
        const QString abbreviation = teamAbbreviation(teams, *review->challengeTeamId);
        who = abbreviation.isEmpty() ? u"Challenge"_s : abbreviation + u" challenge"_s;
    }
    if (review->inProgress.value_or(false)) return who + u": under review"_s;
    if (!review->isOverturned) return who;
    return who + (*review->isOverturned ? u": call overturned"_s : u": call stands"_s);
}

Plays buildPlays(const PlaysFeed &feed)
{
    Plays plays;
    plays.gamePk = feed.gamePk;
    const auto &status = feed.gameData.status;
    plays.isFinal = status && status->abstractGameState
        && status->abstractGameState->compare(u"Final"_s, Qt::CaseInsensitive) == 0;
    const auto &teams = feed.gameData.teams;
    if (teams && teams->away) plays.awayAbbr = teams->away->abbreviation.value_or(QString());
    if (teams && teams->home) plays.homeAbbr = teams->home->abbreviation.value_or(QString());
    const auto &feedPlays = feed.liveData.plays;
    if (!feedPlays) return plays;

    if (feedPlays->allPlays) {
        for (const PlaysFeedPlay &play : *feedPlays->allPlays) {
            if (!isFinished(play)) continue;
            const qint64 inning = play.about ? play.about->inning.value_or(0) : 0;
            const bool isTop = !(play.about && play.about->halfInning
                && play.about->halfInning->compare(u"bottom"_s, Qt::CaseInsensitive) == 0);
            if (plays.halfInnings.empty() || plays.halfInnings.back().inning != inning
                || plays.halfInnings.back().isTop != isTop) {
                plays.halfInnings.push_back(
                    { inning, isTop, (isTop ? u"Top "_s : u"Bottom "_s) + inningOrdinal(inning), {} });
            }
            Plays::Play entry;
            entry.atBatIndex = play.about ? play.about->atBatIndex.value_or(0) : 0;
            entry.description = trimmed(play.result->description);
            entry.isScoring = play.about && play.about->isScoringPlay.value_or(false);
            entry.score = QString::number(play.result->awayScore.value_or(0)) + u'-'
                + QString::number(play.result->homeScore.value_or(0));
            entry.review = reviewText(play.reviewDetails, teams);
            plays.lastPlay = entry.description;
            plays.halfInnings.back().plays.push_back(std::move(entry));
        }
    }
    if (!plays.isFinal) std::reverse(plays.halfInnings.begin(), plays.halfInnings.end());

    if (!plays.isFinal && feedPlays->currentPlay && feedPlays->currentPlay->about)
        plays.currentAtBat = buildAtBat(*feedPlays->currentPlay);
    return plays;
}

Plays readPlays(const nlohmann::ordered_json &feed)
{
    return buildPlays(decodeDocument<PlaysFeed>(feed));
}

std::vector<Plays::HalfInning> scoringOnly(const std::vector<Plays::HalfInning> &halfInnings)
{
    std::vector<Plays::HalfInning> kept;
    for (const Plays::HalfInning &half : halfInnings) {
        Plays::HalfInning scoring { half.inning, half.isTop, half.title, {} };
        std::copy_if(half.plays.begin(), half.plays.end(), std::back_inserter(scoring.plays),
            [](const Plays::Play &play) { return play.isScoring; });
        if (!scoring.plays.empty()) kept.push_back(std::move(scoring));
    }
    return kept;
}

QString atBatEventLine(const Plays::AtBatEvent &event)
{
    QStringList parts { event.description };
    if (event.pitchType) parts.append(*event.pitchType);
    if (event.speed) parts.append(*event.speed);
    const QString text = parts.join(u" \u00B7 "_s);
    return event.pitchNumber ? QString::number(*event.pitchNumber) + u"  "_s + text : text;
}
