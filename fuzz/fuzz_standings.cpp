// Feeds arbitrary bytes to the standings decoder and, when they decode, derives every text of the tables.

#include "stats/decoder.h"
#include "stats/serviceerror.h"
#include "stats/standings.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArrayView bytes(reinterpret_cast<const char *>(data), static_cast<qsizetype>(size));
    try {
        for (const StandingsRecord &record : decode<StandingsResponse>(bytes).records) {
            (void)divisionDisplayName(record.division.id);
            for (const TeamRecord &team : record.teamRecords) {
                (void)team.pctText();
                (void)team.lastTenText();
            }
        }
    } catch (const ServiceError &) {
        // Rejected input is the expected outcome for most mutations.
    }
    return 0;
}
