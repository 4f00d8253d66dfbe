#include "stats/logocache.h"

#include "stats/mlbapiservice.h"
#include "stats/serviceerror.h"
#include "stats/teams.h"

#include <QCoroFuture>
#include <QPainter>
#include <QPointer>
#include <QSvgRenderer>
#include <QtConcurrent>

using namespace Qt::StringLiterals;

namespace {

// An SVG names its own size; one from the network that asks for more than this
// is drawn smaller rather than allocating whatever it claims.
constexpr int maximumSvgSide = 1024;

QImage decodeRaster(const QByteArray &body)
{
    return QImage::fromData(body);
}

QImage renderSvg(const QByteArray &body)
{
    QSvgRenderer renderer(body);
    if (!renderer.isValid()) return {};
    QSize size = renderer.defaultSize();
    if (size.isEmpty()) return {};
    if (size.width() > maximumSvgSide || size.height() > maximumSvgSide)
        size = size.scaled(maximumSvgSide, maximumSvgSide, Qt::KeepAspectRatio).expandedTo(QSize(1, 1));
    QImage image(size, QImage::Format_ARGB32_Premultiplied);
    if (image.isNull()) return {};
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    renderer.render(&painter);
    painter.end();
    return image;
}

} // namespace

LogoCache::LogoCache(Endpoints endpoints, Fetch fetch, QObject *parent, Clock now)
    : QObject(parent)
    , m_endpoints(std::move(endpoints))
    , m_fetch(std::move(fetch))
    , m_now(now ? std::move(now) : Clock([] { return std::chrono::steady_clock::now(); }))
{
    m_decoder.setMaxThreadCount(1);
}

LogoCache::~LogoCache()
{
    m_decoder.waitForDone();
}

LogoCache &LogoCache::shared()
{
    static auto *instance = new LogoCache(MLBAPIService::shared().endpoints(), [](QUrl url) {
        // Behind the stats service's own requests: a slow image host never holds up the schedule.
        return MLBAPIService::shared().get(std::move(url), QNetworkRequest::LowPriority);
    });
    return *instance;
}

std::optional<QImage> LogoCache::teamLogo(qint64 teamId) const
{
    const auto it = m_cache.constFind(teamId);
    if (it == m_cache.cend()) return std::nullopt;
    return *it;
}

std::optional<QImage> LogoCache::leagueLogo(qint64 leagueId) const
{
    const auto it = m_leagueCache.constFind(leagueId);
    if (it == m_leagueCache.cend()) return std::nullopt;
    return *it;
}

std::optional<QUrl> LogoCache::teamLogoURL(qint64 teamId) const
{
    const auto team = MLBTeam::team(teamId);
    if (!team) return std::nullopt;
    QString name = team->abbreviation.toLower();
    // The image host files Arizona under its older abbreviation.
    if (name == u"az"_s) name = u"ari"_s;
    return QUrl(m_endpoints.teamLogoHost + u"/i/teamlogos/mlb/500/"_s + name + u".png"_s);
}

std::optional<QUrl> LogoCache::leagueLogoURL(qint64 leagueId) const
{
    if (leagueId != 103 && leagueId != 104) return std::nullopt;
    return QUrl(m_endpoints.leagueLogoHost + u"/team-logos/league-on-light/"_s + QString::number(leagueId) + u".svg"_s);
}

void LogoCache::prefetchTeamLogos()
{
    for (const MLBTeam &team : MLBTeam::all())
        loadTeamLogo(team.id);
}

void LogoCache::loadTeamLogo(qint64 teamId)
{
    if (m_cache.contains(teamId) || m_inFlight.contains(teamId) || failedRecently(m_failedAt, teamId)) return;
    m_inFlight.insert(teamId);
    auto task = fetchTeamLogo(teamId);
    Q_UNUSED(task);
}

void LogoCache::loadLeagueLogo(qint64 leagueId)
{
    auto url = leagueLogoURL(leagueId);
    if (!url) return;
    if (m_leagueCache.contains(leagueId) || m_leagueInFlight.contains(leagueId)
        || failedRecently(m_leagueFailedAt, leagueId))
        return;
    m_leagueInFlight.insert(leagueId);
    auto task = fetchLeagueLogo(leagueId, std::move(*url));
    Q_UNUSED(task);
}

bool LogoCache::failedRecently(const QHash<qint64, std::chrono::steady_clock::time_point> &failures, qint64 id) const
{
    const auto failed = failures.constFind(id);
    return failed != failures.cend() && m_now() - *failed < retryAfterFailure;
}

QCoro::Task<> LogoCache::fetchTeamLogo(qint64 teamId)
{
    // A club the directory lacks keeps its in-flight mark, so it is never asked for again.
    const auto url = teamLogoURL(teamId);
    if (!url) co_return;

    QPointer self(this);
    QImage image;
    try {
        QByteArray body = co_await m_fetch(*url);
        if (!self) co_return;
        image = co_await QtConcurrent::run(
            &m_decoder, [body = std::move(body)] { return trimmedLogo(decodeRaster(body), alphaThreshold); });
        if (!self) co_return;
    } catch (const ServiceError &) {
        if (!self) co_return;
    }
    m_inFlight.remove(teamId);
    if (image.isNull()) {
        m_failedAt.insert(teamId, m_now());
        co_return;
    }
    m_failedAt.remove(teamId);
    m_cache.insert(teamId, std::move(image));
    Q_EMIT changed();
}

QCoro::Task<> LogoCache::fetchLeagueLogo(qint64 leagueId, QUrl url)
{
    QPointer self(this);
    QImage image;
    try {
        QByteArray body = co_await m_fetch(url);
        if (!self) co_return;
        image = co_await QtConcurrent::run(
            &m_decoder, [body = std::move(body)] { return trimmedLogo(renderSvg(body), alphaThreshold); });
        if (!self) co_return;
    } catch (const ServiceError &) {
        if (!self) co_return;
    }
    m_leagueInFlight.remove(leagueId);
    if (image.isNull()) {
        m_leagueFailedAt.insert(leagueId, m_now());
        co_return;
    }
    m_leagueFailedAt.remove(leagueId);
    m_leagueCache.insert(leagueId, std::move(image));
    Q_EMIT changed();
}

QImage LogoCache::trimmedLogo(const QImage &image, int threshold)
{
    if (image.isNull()) return image;
    // Premultiplying leaves the alpha byte as it was, so the scan reads the source's own alpha.
    const QImage pixels = image.convertToFormat(QImage::Format_RGBA8888_Premultiplied);
    if (pixels.isNull()) return image;

    const int width = pixels.width();
    const int height = pixels.height();
    int left = width, right = -1, top = height, bottom = -1;
    for (int y = 0; y < height; ++y) {
        const uchar *row = pixels.constScanLine(y);
        for (int x = 0; x < width; ++x) {
            if (row[x * 4 + 3] <= threshold) continue;
            left = std::min(left, x);
            right = std::max(right, x);
            top = std::min(top, y);
            bottom = std::max(bottom, y);
        }
    }
    if (right < 0) return image;

    QImage cropped = image.copy(QRect(left, top, right - left + 1, bottom - top + 1));
    cropped.setDevicePixelRatio(1.0);
    return cropped;
}
