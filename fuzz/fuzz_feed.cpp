// Feeds arbitrary bytes to the live-feed decoders (whole and On-Demand) and, when they decode, derives the detail
// card's texts and builds the whole box score from them.

#include "boxscore/boxscore.h"
#include "stats/decoder.h"
#include "stats/gamefeed.h"
#include "stats/serviceerror.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArrayView bytes(reinterpret_cast<const char *>(data), static_cast<qsizetype>(size));
    try {
        const auto feed = decode<GameLiveFeedResponse>(bytes);
        (void)buildBoxScore(feed);
        const GameDetail detail = GameDetail::fromFeed(feed);
        (void)detail.countText();
        (void)detail.outsText();
        (void)detail.matchupText();
        if (detail.linescore.offense) (void)detail.linescore.offense->runnerTexts();
    } catch (const ServiceError &) {
        // Rejected input is the expected outcome for most mutations.
    }
    try {
        // What the feedtool reads On-Demand, only the members the records name.
        (void)GameDetail::fromFeed(decodeOnDemand<GameDetailFeed>(bytes)).countText();
        (void)buildBoxScore(decodeOnDemand<GameLiveFeedResponse>(bytes));
    } catch (const ServiceError &) { }
    return 0;
}
