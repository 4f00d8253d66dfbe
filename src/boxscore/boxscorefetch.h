#pragma once

#include "boxscore/boxscore.h"

#include <QCoroTask>
#include <chrono>
#include <optional>

class MLBAPIService;

// What one fetch of a game's live feed gives the polling: the built box score and the feed's progress markers.
struct BoxScoreFetchResult {
    BoxScore boxScore;
    // gameData.status.abstractGameState as the feed gives it ("Preview", "Live", "Final", ...).
    std::optional<QString> abstractGameState;
    // liveData.plays.currentPlay.about.atBatIndex.
    std::optional<qint64> currentAtBatIndex;
    // Entries of liveData.plays.allPlays; zero for a present, empty list.
    std::optional<qint64> allPlaysCount;
    // metaData.wait, the pause the service asks for before the next poll, within 5 to 60 s.
    std::optional<std::chrono::seconds> wait;
};

// The box score and the markers of a decoded feed.
BoxScoreFetchResult makeBoxScoreFetchResult(const GameLiveFeedResponse &feed);
// The same of a kept live-feed document. Throws ServiceError like decode().
BoxScoreFetchResult readBoxScoreFetchResult(const nlohmann::ordered_json &feed);

// The game's live feed brought up to date in the service's kept documents, decoded and built on its executor.
// Transfer and decoding errors reach the caller as the service's ServiceError.
QCoro::Task<BoxScoreFetchResult> fetchBoxScore(MLBAPIService &service, qint64 gamePk);
