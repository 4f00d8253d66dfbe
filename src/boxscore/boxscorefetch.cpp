#include "boxscore/boxscorefetch.h"

#include "stats/documentdecoder.h"
#include "stats/livefeedstore.h"
#include "stats/mlbapiservice.h"

BoxScoreFetchResult makeBoxScoreFetchResult(const GameLiveFeedResponse &feed)
{
    BoxScoreFetchResult result;
    result.boxScore = buildBoxScore(feed);
    if (const auto &status = feed.gameData.status) result.abstractGameState = status->abstractGameState;
    if (const auto &plays = feed.liveData.plays) {
        if (plays->currentPlay && plays->currentPlay->about)
            result.currentAtBatIndex = plays->currentPlay->about->atBatIndex;
        if (plays->allPlays) result.allPlaysCount = static_cast<qint64>(plays->allPlays->size());
    }
    return result;
}

BoxScoreFetchResult readBoxScoreFetchResult(const nlohmann::ordered_json &feed)
{
    return makeBoxScoreFetchResult(decodeDocument<GameLiveFeedResponse>(feed));
}

QCoro::Task<BoxScoreFetchResult> fetchBoxScore(MLBAPIService &service, qint64 gamePk)
{
    auto update = co_await service.liveFeeds().update(gamePk, readBoxScoreFetchResult);
    update.value.wait = update.wait;
    co_return std::move(update.value);
}
