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
    QTextCursor cursor(&document);
    for (QTextBlock block = document.begin(); block.isValid(); block = block.next()) {
        // Collected first: removing text while walking the fragments would invalidate the iterator.
        std::vector<std::pair<int, int>> images;
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            const QTextFragment fragment = it.fragment();
            if (!fragment.isValid()) continue;
            QTextCharFormat format = fragment.charFormat();
            if (format.isImageFormat()) {
                images.emplace_back(fragment.position(), fragment.length());
                continue;
            }
            if (format.isAnchor() && !isExternalLink(QUrl(format.anchorHref()))) {
                format.setAnchor(false);
                format.setAnchorHref(QString());
                format.clearProperty(QTextFormat::TextToolTip);
                cursor.setPosition(fragment.position());
                cursor.setPosition(fragment.position() + fragment.length(), QTextCursor::KeepAnchor);
                cursor.setCharFormat(format);
            }
        }
        for (auto image = images.rbegin(); image != images.rend(); ++image) {
            cursor.setPosition(image->first);
            cursor.setPosition(image->first + image->second, QTextCursor::KeepAnchor);
            cursor.removeSelectedText();
        }
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
