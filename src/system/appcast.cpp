#include "system/appcast.h"

#include "system/versioncomparison.h"

#include <QXmlStreamReader>

using namespace Qt::StringLiterals;

namespace {

const auto sparkleNamespace = u"http://www.andymatuschak.org/xml-namespaces/sparkle"_s;

// Only web links are kept: a feed must not make the browser open local files or other programs.
std::optional<QUrl> webURL(const QString &text)
{
    const QUrl url(text.trimmed(), QUrl::StrictMode);
    if (!url.isValid() || url.host().isEmpty()) return std::nullopt;
    if (url.scheme() != u"https"_s && url.scheme() != u"http"_s) return std::nullopt;
    return url;
}

std::optional<QString> nonEmpty(const QString &text)
{
    const QString trimmed = text.trimmed();
    if (trimmed.isEmpty()) return std::nullopt;
    return trimmed;
}

bool isSparkle(const QXmlStreamReader &reader, QStringView name)
{
    return reader.namespaceUri() == sparkleNamespace && reader.name() == name;
}

bool isPlain(const QXmlStreamReader &reader, QStringView name)
{
    return reader.namespaceUri().isEmpty() && reader.name() == name;
}

// Reads the item whose start tag the reader is on; nullopt for an item that cannot be offered.
std::optional<AppcastItem> readItem(QXmlStreamReader &reader)
{
    AppcastItem item;
    QString enclosureVersion;
    QString enclosureShortVersion;
    bool otherSystem = false;
    while (reader.readNextStartElement()) {
        if (isPlain(reader, u"title")) {
            item.title = reader.readElementText(QXmlStreamReader::IncludeChildElements).trimmed();
        } else if (isPlain(reader, u"link")) {
            item.link = webURL(reader.readElementText(QXmlStreamReader::IncludeChildElements));
        } else if (isPlain(reader, u"description")) {
            item.itemDescription = nonEmpty(reader.readElementText(QXmlStreamReader::IncludeChildElements));
        } else if (isSparkle(reader, u"version")) {
            item.version = reader.readElementText(QXmlStreamReader::IncludeChildElements).trimmed();
        } else if (isSparkle(reader, u"shortVersionString")) {
            item.shortVersionString = nonEmpty(reader.readElementText(QXmlStreamReader::IncludeChildElements));
        } else if (isSparkle(reader, u"releaseNotesLink")) {
            item.releaseNotesLink = webURL(reader.readElementText(QXmlStreamReader::IncludeChildElements));
        } else if (isSparkle(reader, u"minimumSystemVersion")) {
            item.minimumSystemVersion = nonEmpty(reader.readElementText(QXmlStreamReader::IncludeChildElements));
        } else if (isPlain(reader, u"enclosure")) {
            const QXmlStreamAttributes attributes = reader.attributes();
            item.enclosureURL = webURL(attributes.value(u"url"_s).toString());
            bool ok = false;
            const qint64 length = attributes.value(u"length"_s).toLongLong(&ok);
            if (ok && length >= 0) item.enclosureLength = length;
            enclosureVersion = attributes.value(sparkleNamespace, u"version"_s).toString().trimmed();
            enclosureShortVersion = attributes.value(sparkleNamespace, u"shortVersionString"_s).toString().trimmed();
            const QStringView os = attributes.value(sparkleNamespace, u"os"_s);
            otherSystem = !os.isEmpty() && os.compare(u"linux", Qt::CaseInsensitive) != 0;
            reader.skipCurrentElement();
        } else {
            reader.skipCurrentElement();
        }
    }
    // Older feeds put the versions on the enclosure only.
    if (item.version.isEmpty()) item.version = enclosureVersion;
    if (!item.shortVersionString) item.shortVersionString = nonEmpty(enclosureShortVersion);
    if (item.version.isEmpty() || otherSystem) return std::nullopt;
    return item;
}

QString readError(const QXmlStreamReader &reader)
{
    return u"The update feed is not valid XML (line %1: %2)."_s.arg(reader.lineNumber()).arg(reader.errorString());
}

} // namespace

std::vector<AppcastItem> parseAppcast(QByteArrayView bytes)
{
    if (bytes.size() > maximumAppcastBytes) throw AppcastError(u"The update feed is larger than 1 MiB."_s);
    QXmlStreamReader reader(QByteArray::fromRawData(bytes.data(), bytes.size()));
    std::vector<AppcastItem> items;
    qsizetype itemCount = 0;
    bool sawChannel = false;
    while (!reader.atEnd()) {
        const auto token = reader.readNext();
        // Entities are how a feed makes a small document expand without bound.
        if (token == QXmlStreamReader::DTD && !reader.entityDeclarations().isEmpty())
            throw AppcastError(u"The update feed declares entities."_s);
        if (token != QXmlStreamReader::StartElement) continue;
        if (!isPlain(reader, u"rss")) throw AppcastError(u"The update feed is not an RSS feed."_s);
        while (reader.readNextStartElement()) {
            if (!isPlain(reader, u"channel")) {
                reader.skipCurrentElement();
                continue;
            }
            sawChannel = true;
            while (reader.readNextStartElement()) {
                if (!isPlain(reader, u"item")) {
                    reader.skipCurrentElement();
                    continue;
                }
                ++itemCount;
                if (auto item = readItem(reader)) items.push_back(std::move(*item));
            }
        }
    }
    if (reader.hasError()) throw AppcastError(readError(reader));
    if (!sawChannel) throw AppcastError(u"The update feed has no channel."_s);
    if (itemCount > 0 && items.empty()) throw AppcastError(u"The update feed has no release with a version."_s);
    return items;
}

std::strong_ordering compareItems(const AppcastItem &a, const AppcastItem &b)
{
    const auto order = compareVersions(a.displayVersionString(), b.displayVersionString());
    if (order != 0 || !a.shortVersionString || !b.shortVersionString) return order;
    return compareVersions(a.version, b.version);
}

std::optional<AppcastItem> newestItem(const std::vector<AppcastItem> &items)
{
    const AppcastItem *newest = nullptr;
    for (const AppcastItem &item : items) {
        if (!newest || compareItems(item, *newest) > 0) newest = &item;
    }
    if (!newest) return std::nullopt;
    return *newest;
}

bool isNewerThan(const AppcastItem &item, const QString &shortVersionString, const QString &buildVersion)
{
    const auto order = compareVersions(item.displayVersionString(), shortVersionString);
    if (order != 0) return order > 0;
    if (!item.shortVersionString || buildVersion.isEmpty()) return false;
    return compareVersions(item.version, buildVersion) > 0;
}
