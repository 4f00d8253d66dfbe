#include "boxscore/boxscorefetch.h"

#include "stats/mlbapiservice.h"

#include <QPointer>

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
    QPointer guard(&service);
    MLBAPIService::Answer answer = co_await service.fetch(service.gameFeedURL(gamePk));
    co_return co_await MLBAPIService::decodeAnswer(guard, std::move(answer),
        [](const QByteArray &body) { return makeBoxScoreFetchResult(decode<GameLiveFeedResponse>(body)); });
}
