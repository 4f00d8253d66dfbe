// Feeds arbitrary bytes to the update-feed reader and, when they parse, picks the newest release and compares it
// with a running version the way the update check does.

#include "system/appcast.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArrayView bytes(reinterpret_cast<const char *>(data), static_cast<qsizetype>(size));
    try {
        const auto items = parseAppcast(bytes);
        if (const auto newest = newestItem(items)) {
            (void)isNewerThan(*newest, QStringLiteral("0.1.0"), QStringLiteral("1"));
            (void)newest->downloadURL();
        }
    } catch (const AppcastError &) {
        // Rejected input is the expected outcome for most mutations.
    }
    return 0;
}
