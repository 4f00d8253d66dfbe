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

// Whether the link's format had to change: a mail link loses its query (a mail program may read "attach=" in it),
// and a link that may not be opened becomes plain text that does not look like a link either.
bool sanitizeLink(QTextCharFormat &format)
{
    const QUrl href(format.anchorHref());
    QUrl url = href;
    if (url.scheme().compare(u"mailto"_s, Qt::CaseInsensitive) == 0)
        url = url.adjusted(QUrl::RemoveQuery | QUrl::RemoveFragment);
    if (isExternalLink(url)) {
        if (url == href) return false;
        format.setAnchorHref(url.toString(QUrl::FullyEncoded));
        return true;
    }
    format.setAnchor(false);
    format.setAnchorHref(QString());
    format.clearProperty(QTextFormat::TextToolTip);
    format.setFontUnderline(false);
    format.clearForeground();
    return true;
}

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
            } else if (format.isAnchor()) {
                if (sanitizeLink(format)) links.push_back({ fragment.position(), fragment.length(), format });
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
    if (scheme == u"mailto"_s) return !url.path().isEmpty() && !url.hasQuery() && !url.hasFragment();
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
