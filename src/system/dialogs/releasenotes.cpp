#include "system/dialogs/releasenotes.h"

#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextDocumentFragment>

using namespace Qt::StringLiterals;

namespace {

// A document that never loads anything the notes name: images, style sheets and local files stay where they are.
class InertDocument : public QTextDocument {
protected:
    QVariant loadResource(int, const QUrl &) override { return {}; }
};

void sanitize(QTextDocument &document)
{
    // Ranges are collected first and changed after: formatting a fragment can merge it with its neighbour and
    // free it, and removing text shifts every position behind it.
    struct Range {
        int position;
        int length;
        QTextCharFormat format;
    };
    std::vector<Range> links;
    std::vector<Range> images;
    for (QTextBlock block = document.begin(); block.isValid(); block = block.next()) {
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            const QTextFragment fragment = it.fragment();
            if (!fragment.isValid()) continue;
            QTextCharFormat format = fragment.charFormat();
            if (format.isImageFormat()) {
                images.push_back({ fragment.position(), fragment.length(), {} });
            } else if (format.isAnchor() && !isExternalLink(QUrl(format.anchorHref()))) {
                format.setAnchor(false);
                format.setAnchorHref(QString());
                format.clearProperty(QTextFormat::TextToolTip);
                links.push_back({ fragment.position(), fragment.length(), format });
            }
        }
    }
    QTextCursor cursor(&document);
    for (const Range &link : links) {
        cursor.setPosition(link.position);
        cursor.setPosition(link.position + link.length, QTextCursor::KeepAnchor);
        cursor.setCharFormat(link.format);
    }
    for (auto image = images.rbegin(); image != images.rend(); ++image) {
        cursor.setPosition(image->position);
        cursor.setPosition(image->position + image->length, QTextCursor::KeepAnchor);
        cursor.removeSelectedText();
    }
}

} // namespace

bool isExternalLink(const QUrl &url)
{
    const QString scheme = url.scheme().toLower();
    if (scheme == u"mailto"_s) return !url.path().isEmpty();
    return (scheme == u"https"_s || scheme == u"http"_s) && !url.host().isEmpty();
}

QString releaseNotesHtml(const AppcastItem &item)
{
    InertDocument document;
    if (item.itemDescription) {
        if (Qt::mightBeRichText(*item.itemDescription))
            document.setHtml(*item.itemDescription);
        else
            document.setPlainText(*item.itemDescription);
    } else if (item.releaseNotesLink) {
        document.setHtml(u"<p><a href=\"%1\">Read the release notes online</a></p>"_s.arg(
            item.releaseNotesLink->toString(QUrl::FullyEncoded).toHtmlEscaped()));
    }
    sanitize(document);
    return document.toHtml();
}
