#pragma once

#include "stats/endpoints.h"

#include <QByteArray>
#include <QCoroTask>
#include <QHash>
#include <QImage>
#include <QObject>
#include <QSet>
#include <QThreadPool>
#include <QUrl>
#include <chrono>
#include <functional>
#include <optional>

// Club and league logos, each downloaded once per run, cropped to its visible pixels and kept in memory.
class LogoCache : public QObject {
    Q_OBJECT
public:
    // One GET: the body whatever the HTTP status, or ServiceError on a failed transfer.
    using Fetch = std::function<QCoro::Task<QByteArray>(QUrl)>;

    using Clock = std::function<std::chrono::steady_clock::time_point()>;

    // Pixels whose alpha is at most this are margin, not logo.
    static constexpr int alphaThreshold = 8;
    // A logo that failed is not asked for again before this has passed, however often its view appears.
    static constexpr std::chrono::hours retryAfterFailure { 1 };

    // An empty clock stands for the system's monotonic clock.
    LogoCache(Endpoints endpoints, Fetch fetch, QObject *parent = nullptr, Clock now = {});
    ~LogoCache() override;

    // Created on first use; downloads through the shared stats client.
    static LogoCache &shared();

    const QHash<qint64, QImage> &cache() const { return m_cache; }
    // Clubs being loaded, and clubs without a logo URL, which are never tried again.
    const QSet<qint64> &inFlight() const { return m_inFlight; }
    const QHash<qint64, QImage> &leagueCache() const { return m_leagueCache; }
    const QSet<qint64> &leagueInFlight() const { return m_leagueInFlight; }

    std::optional<QImage> teamLogo(qint64 teamId) const;
    std::optional<QImage> leagueLogo(qint64 leagueId) const;

    // Starts the load of every club in the directory that is neither cached nor in flight.
    void prefetchTeamLogos();
    // Start a download unless the logo is cached or already on its way; return at once.
    void loadTeamLogo(qint64 teamId);
    void loadLeagueLogo(qint64 leagueId);

    std::optional<QUrl> teamLogoURL(qint64 teamId) const;
    // Only the two major leagues (103 and 104) have a logo.
    std::optional<QUrl> leagueLogoURL(qint64 leagueId) const;

    // The smallest rectangle holding every pixel with alpha above the threshold, at one pixel per point;
    // the image unchanged when no pixel is that visible.
    static QImage trimmedLogo(const QImage &image, int threshold);

Q_SIGNALS:
    // After each image stored in either cache.
    void changed();

private:
    QCoro::Task<> fetchTeamLogo(qint64 teamId);
    QCoro::Task<> fetchLeagueLogo(qint64 leagueId, QUrl url);
    bool failedRecently(const QHash<qint64, std::chrono::steady_clock::time_point> &failures, qint64 id) const;

    Endpoints m_endpoints;
    Fetch m_fetch;
    Clock m_now;
    // Decoding and cropping a 500 px PNG takes milliseconds; thirty of them at launch stay off the UI thread.
    QThreadPool m_decoder;
    QHash<qint64, std::chrono::steady_clock::time_point> m_failedAt;
    QHash<qint64, std::chrono::steady_clock::time_point> m_leagueFailedAt;
    QHash<qint64, QImage> m_cache;
    QSet<qint64> m_inFlight;
    QHash<qint64, QImage> m_leagueCache;
    QSet<qint64> m_leagueInFlight;
};
