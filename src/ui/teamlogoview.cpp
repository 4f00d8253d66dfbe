#include "ui/teamlogoview.h"

#include "stats/logocache.h"

#include <QPainter>
#include <cmath>

LogoView::LogoView(int size, LogoCache *cache, QWidget *parent)
    : QWidget(parent)
    , m_size(size)
    , m_cache(cache ? cache : &LogoCache::shared())
{
    setFixedSize(size, size);
    connect(m_cache, &LogoCache::changed, this, &LogoView::handleCacheChange);
}

void LogoView::handleCacheChange()
{
    // A stored logo never changes, so only a view still waiting for its own has anything to redraw.
    if (m_scaled.isNull() && cachedImage()) update();
}

void LogoView::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    if (!cachedImage()) requestImage();
}

void LogoView::paintEvent(QPaintEvent *)
{
    const std::optional<QImage> image = cachedImage();
    if (!image || image->isNull()) return;

    // Resampled to the screen's own pixels so the logo stays sharp on high-density screens.
    const qreal ratio = devicePixelRatioF();
    if (m_scaled.isNull() || m_scaledSource != image->cacheKey() || m_scaledRatio != ratio) {
        const int side = std::max(1, int(std::lround(m_size * ratio)));
        m_scaled = image->scaled(side, side, Qt::KeepAspectRatio, Qt::SmoothTransformation);
        m_scaled.setDevicePixelRatio(ratio);
        m_scaledSource = image->cacheKey();
        m_scaledRatio = ratio;
    }

    // Centred on a whole device pixel, so drawing does not resample the image a second time.
    const QPointF offset((width() * ratio - m_scaled.width()) / 2, (height() * ratio - m_scaled.height()) / 2);
    const QPointF origin(std::round(offset.x()) / ratio, std::round(offset.y()) / ratio);
    QPainter painter(this);
    painter.setRenderHints(QPainter::Antialiasing | QPainter::SmoothPixmapTransform);
    painter.drawImage(origin, m_scaled);
}

TeamLogoView::TeamLogoView(qint64 teamId, int size, QWidget *parent, LogoCache *cache)
    : LogoView(size, cache, parent)
    , m_teamId(teamId)
{ }

std::optional<QImage> TeamLogoView::cachedImage() const
{
    return logoCache().teamLogo(m_teamId);
}

void TeamLogoView::requestImage()
{
    logoCache().loadTeamLogo(m_teamId);
}

LeagueLogoView::LeagueLogoView(qint64 leagueId, int size, QWidget *parent, LogoCache *cache)
    : LogoView(size, cache, parent)
    , m_leagueId(leagueId)
{ }

std::optional<QImage> LeagueLogoView::cachedImage() const
{
    return logoCache().leagueLogo(m_leagueId);
}

void LeagueLogoView::requestImage()
{
    logoCache().loadLeagueLogo(m_leagueId);
}
