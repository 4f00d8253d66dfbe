#pragma once

#include "system/appcast.h"

#include <QString>
#include <QUrl>

// Release notes as HTML that is safe to show: no images or other resources, links only to web pages and mail
// addresses (without a query); other links become plain text.
// Plain-text notes keep their line breaks; an item with only a notes link gets that link.
QString releaseNotesHtml(const AppcastItem &item);

// Whether a link in the notes may be opened: a web page, or a mail address without a query.
bool isExternalLink(const QUrl &url);
