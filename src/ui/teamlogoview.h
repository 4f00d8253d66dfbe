#pragma once

#include <QImage>
#include <QWidget>
#include <optional>

class LogoCache;

// A square that shows one cached logo fitted inside it, and asks the cache for the logo while it has none.
class LogoView : public QWidget {
    Q_OBJECT
public:
    int logoSize() const { return m_size; }

protected:
    LogoView(int size, LogoCache *cache, QWidget *parent);

    LogoCache &logoCache() const { return *m_cache; }
    virtual std::optional<QImage> cachedImage() const = 0;
    virtual void requestImage() = 0;

    void showEvent(QShowEvent *event) override;
    void paintEvent(QPaintEvent *event) override;

private:
    void handleCacheChange();

    int m_size;
    LogoCache *m_cache;
    // The logo resampled once for the current size and screen, not at every paint.
    QImage m_scaled;
    qint64 m_scaledSource = 0;
    qreal m_scaledRatio = 0;
};

// A club's logo, as in the game rows and the standings.
class TeamLogoView : public LogoView {
    Q_OBJECT
public:
    // The shared cache unless one is given.
    TeamLogoView(qint64 teamId, int size, QWidget *parent = nullptr, LogoCache *cache = nullptr);

    qint64 teamId() const { return m_teamId; }

protected:
    std::optional<QImage> cachedImage() const override;
    void requestImage() override;

private:
    qint64 m_teamId;
};

// A league's logo, heading its standings section.
class LeagueLogoView : public LogoView {
    Q_OBJECT
public:
    LeagueLogoView(qint64 leagueId, int size, QWidget *parent = nullptr, LogoCache *cache = nullptr);

    qint64 leagueId() const { return m_leagueId; }

protected:
    std::optional<QImage> cachedImage() const override;
    void requestImage() override;

private:
    qint64 m_leagueId;
};
