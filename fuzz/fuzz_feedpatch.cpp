// Feeds arbitrary bytes to a kept live feed as diffPatch answers and, when they apply, reads the detail card and the
// box score from the patched document.

#include "boxscore/boxscorefetch.h"
#include "stats/gamefeed.h"
#include "stats/livefeeddocument.h"
#include "stats/serviceerror.h"

#include <QFile>
#include <cstddef>
#include <cstdint>
#include <cstdlib>

namespace {

const QByteArray &baseFeed()
{
    static const QByteArray feed = [] {
        QFile file(QStringLiteral(BASE_FEED));
        if (!file.open(QIODevice::ReadOnly)) std::abort();
        return file.readAll();
    }();
    return feed;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArrayView answer(reinterpret_cast<const char *>(data), static_cast<qsizetype>(size));
    LiveFeedDocument document;
    if (document.replace(baseFeed()) != LiveFeedDocument::Outcome::Replaced) std::abort();
    if (document.apply(answer) == LiveFeedDocument::Outcome::Rejected) {
        if (!document.isEmpty()) std::abort();
        return 0;
    }
    try {
        const GameDetail detail = readGameDetail(document.json());
        (void)detail.countText();
        (void)detail.matchupText();
        (void)readBoxScoreFetchResult(document.json());
    } catch (const ServiceError &) {
        // A patch may leave a feed the records do not accept; the application then fetches the whole feed.
    }
    return 0;
}
