#pragma once

#include <QByteArrayView>
#include <QString>
#include <QUrl>

#include <optional>
#include <stdexcept>
#include <vector>

// One release offered by the update feed: an RSS item with the sparkle: extensions.
struct AppcastItem {
    QString title;
    QString version; // sparkle:version, the build the release carries
    std::optional<QString> shortVersionString; // the version people read
    std::optional<QString> itemDescription; // inline release notes, plain text or HTML
    std::optional<QUrl> releaseNotesLink;
    std::optional<QString> minimumSystemVersion;
    std::optional<QUrl> link; // the release's web page
    std::optional<QUrl> enclosureURL;
    std::optional<qint64> enclosureLength;

    QString displayVersionString() const { return shortVersionString.value_or(version); }
    // Where "Download" leads: the release's page, where the user picks the package for the system, else the
    // enclosure itself.
    std::optional<QUrl> downloadURL() const { return link ? link : enclosureURL; }

    bool operator==(const AppcastItem &) const = default;
};

// Why a feed could not be read; the message is short enough for a dialog.
class AppcastError : public std::runtime_error {
public:
    explicit AppcastError(const QString &message)
        : std::runtime_error(message.toStdString())
        , m_message(message)
    { }
    const QString &message() const { return m_message; }

private:
    QString m_message;
};

// A feed is small; anything larger is not one.
inline constexpr qint64 maximumAppcastBytes = 1024 * 1024;

// The feed's usable items in feed order. Throws AppcastError for anything that is not a well-formed RSS feed of
// at most maximumAppcastBytes, for entity declarations, and for a feed whose items all lack a version.
std::vector<AppcastItem> parseAppcast(QByteArrayView bytes);

// Orders items as releases: by the readable version, then by build when both give one.
std::strong_ordering compareItems(const AppcastItem &a, const AppcastItem &b);
std::optional<AppcastItem> newestItem(const std::vector<AppcastItem> &items);

// Whether the item is a later release than the running one; an unknown running build (empty) never decides.
bool isNewerThan(const AppcastItem &item, const QString &shortVersionString, const QString &buildVersion);
