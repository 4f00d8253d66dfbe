// Feeds arbitrary bytes, read as UTF-8, to the release-notes sanitizer as an item's inline notes, then checks
// that nothing it lets through is an image or a link that may not be opened.

#include "system/dialogs/releasenotes.h"

#include <QGuiApplication>
#include <QTextBlock>
#include <QTextDocument>

#include <cstddef>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    // Laying out text needs fonts, and fonts need an application; offscreen, the fuzzer needs no display.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    static int argc = 1;
    static char name[] = "fuzz_releasenotes";
    static char *argv[] = { name, nullptr };
    static QGuiApplication application(argc, argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    AppcastItem item;
    item.version = QStringLiteral("2");
    item.itemDescription = QString::fromUtf8(reinterpret_cast<const char *>(data), static_cast<qsizetype>(size));
    QTextDocument document;
    document.setHtml(releaseNotesHtml(item));
    for (QTextBlock block = document.begin(); block.isValid(); block = block.next()) {
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            const QTextCharFormat format = it.fragment().charFormat();
            if (format.isImageFormat()) std::abort();
            if (format.isAnchor() && !isExternalLink(QUrl(format.anchorHref()))) std::abort();
        }
    }
    return 0;
}
