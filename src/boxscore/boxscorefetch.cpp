#include "boxscore/boxscorefetch.h"

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

QCoro::Task<BoxScoreFetchResult> fetchBoxScore(MLBAPIService &service, qint64 gamePk)
{
    QByteArray body = co_await service.get(service.gameFeedURL(gamePk));
    co_return co_await service.runOnExecutor(
        [body = std::move(body)] { return makeBoxScoreFetchResult(decode<GameLiveFeedResponse>(body)); });
}
