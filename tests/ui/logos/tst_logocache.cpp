#include "replay/replayserver.h"
#include "stats/logocache.h"
#include "stats/mlbapiservice.h"
#include "stats/teams.h"
#include "ui/teamlogoview.h"

#include <QBuffer>
#include <QCoroTask>
#include <QPainter>
#include <QRegularExpression>
#include <QTest>

using namespace Qt::StringLiterals;
using namespace std::chrono_literals;

namespace {

// A transparent canvas with one opaque red block, the shape of a logo with a margin.
QImage logoImage(QSize canvas, QRect block)
{
    QImage image(canvas, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    QPainter(&image).fillRect(block, Qt::red);
    return image;
}

QByteArray pngBytes(const QImage &image)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return bytes;
}

const QByteArray leagueSvg = R"(<svg xmlns="http://www.w3.org/2000/svg" width="40" height="40">)"
                             R"(<rect x="10" y="5" width="20" height="30" fill="#0033aa"/></svg>)";

} // namespace

Q_DECLARE_METATYPE(Route)

// LogoCache: the crop, the URLs, one download per logo, and what a failure leaves behind.
class TestLogoCache : public QObject {
    Q_OBJECT

    std::unique_ptr<ReplayServer> m_server;
    std::unique_ptr<MLBAPIService> m_service;
    std::unique_ptr<LogoCache> m_cache;
    std::chrono::steady_clock::time_point m_now {};

private Q_SLOTS:
    void init()
    {
        m_server = std::make_unique<ReplayServer>();
        QVERIFY(m_server->listen());
        const Endpoints endpoints = Endpoints::overriddenBy(m_server->baseUrl());
        m_service = std::make_unique<MLBAPIService>(endpoints, nullptr, 2000ms);
        m_cache = std::make_unique<LogoCache>(
            endpoints,
            [service = m_service.get()](
                QUrl url) { return service->get(std::move(url), QNetworkRequest::LowPriority); },
            nullptr, [this] { return m_now; });
    }

    void cleanup()
    {
        m_cache.reset();
        m_service.reset();
        m_server.reset();
    }

    void trimmedLogo_data()
    {
        QTest::addColumn<QImage>("image");
        QTest::addColumn<QRect>("visible"); // empty: returned unchanged

        QTest::newRow("all transparent") << logoImage({ 12, 10 }, {}) << QRect();
        QImage single = logoImage({ 12, 10 }, {});
        single.setPixelColor(7, 3, QColor(0, 0, 0, 9));
        QTest::newRow("single visible pixel") << single << QRect(7, 3, 1, 1);
        // An alpha-8 speck outside the block is still margin; an alpha-9 one widens the crop.
        QImage bordered = logoImage({ 30, 20 }, { 4, 6, 10, 5 });
        bordered.setPixelColor(0, 0, QColor(0, 0, 0, 8));
        bordered.setPixelColor(20, 8, QColor(0, 0, 0, 9));
        bordered.setDevicePixelRatio(2);
        QTest::newRow("bordered") << bordered << QRect(4, 6, 17, 5);
    }

    void trimmedLogo()
    {
        QFETCH(QImage, image);
        QFETCH(QRect, visible);
        QImage expected = image;
        if (!visible.isEmpty()) {
            expected = image.copy(visible);
            expected.setDevicePixelRatio(1);
        }
        QCOMPARE(LogoCache::trimmedLogo(image, 8), expected);
    }

    void teamLogoLoadsOnce_data()
    {
        QTest::addColumn<qint64>("teamId");
        QTest::addColumn<QString>("file");
        QTest::newRow("Arizona") << qint64(109) << u"ari.png"_s;
        QTest::newRow("Athletics") << qint64(133) << u"ath.png"_s;
    }

    void teamLogoLoadsOnce()
    {
        QFETCH(qint64, teamId);
        QFETCH(QString, file);
        const QString path = u"/i/teamlogos/mlb/500/"_s + file;
        m_server->addRoute({ .path = path,
            .body = pngBytes(logoImage({ 40, 30 }, { 5, 4, 20, 10 })),
            .contentType = "image/png",
            .delayMs = 50 });

        TeamLogoView first(teamId, 18, nullptr, m_cache.get());
        TeamLogoView second(teamId, 18, nullptr, m_cache.get());
        first.show();
        second.show();
        QTRY_VERIFY(m_cache->teamLogo(teamId).has_value());
        QVERIFY(m_cache->inFlight().isEmpty());
        QCOMPARE(m_cache->teamLogo(teamId)->size(), QSize(20, 10));
        QCOMPARE(m_server->requestLog(), QStringList { path });
        QCOMPARE(second.grab().toImage().pixelColor(9, 9), QColor(Qt::red));

        m_cache->loadTeamLogo(teamId);
        QCOMPARE(m_server->requestLog().size(), 1);
    }

    void leagueLogo_data()
    {
        QTest::addColumn<qint64>("leagueId");
        QTest::addColumn<bool>("hasLogo");
        QTest::newRow("American League") << qint64(103) << true;
        QTest::newRow("minor league") << qint64(105) << false;
        QTest::newRow("no league") << qint64(0) << false;
    }

    void leagueLogo()
    {
        QFETCH(qint64, leagueId);
        QFETCH(bool, hasLogo);
        const QString path = u"/team-logos/league-on-light/%1.svg"_s.arg(leagueId);
        m_server->addRoute({ .path = path, .body = leagueSvg, .contentType = "image/svg+xml" });

        LeagueLogoView view(leagueId, 24, nullptr, m_cache.get());
        view.show();
        QCOMPARE(m_cache->leagueInFlight().contains(leagueId), hasLogo);
        if (hasLogo) {
            QTRY_VERIFY(m_cache->leagueLogo(leagueId).has_value());
            QCOMPARE(m_cache->leagueLogo(leagueId)->size(), QSize(20, 30));
            QCOMPARE(m_server->requestLog(), QStringList { path });
        } else {
            QTest::qWait(100);
            QVERIFY(m_server->requestLog().isEmpty());
            QVERIFY(m_cache->leagueCache().isEmpty());
        }
        QVERIFY(m_cache->leagueInFlight().isEmpty());
    }

    void failureFreesTheId_data()
    {
        QTest::addColumn<bool>("league");
        QTest::addColumn<Route>("route");
        const QString clubPath = u"/i/teamlogos/mlb/500/nyy.png"_s;
        QTest::newRow("not found") << false << Route { .path = u"/elsewhere"_s };
        QTest::newRow("not an image") << false
                                      << Route {
                                             .path = clubPath, .body = "<html>moved</html>", .contentType = "text/html"
                                         };
        QTest::newRow("connection reset") << false << Route { .path = clubPath, .fault = Fault::Reset };
        // Ends by the client's transfer timeout, two seconds here.
        QTest::newRow("stalled") << false << Route { .path = clubPath, .fault = Fault::Stall };
        QTest::newRow("broken svg") << true
                                    << Route { .path = u"/team-logos/league-on-light/103.svg"_s,
                                           .body = "<svg width=\"40\"",
                                           .contentType = "image/svg+xml" };
    }

    void failureFreesTheId()
    {
        QFETCH(bool, league);
        QFETCH(Route, route);
        m_server->addRoute(route);
        const auto load = [&] { league ? m_cache->loadLeagueLogo(103) : m_cache->loadTeamLogo(147); };
        const auto marked
            = [&] { return league ? m_cache->leagueInFlight().contains(103) : m_cache->inFlight().contains(147); };

        load();
        QVERIFY(marked());
        QTRY_VERIFY(!marked());
        // The network layer resends a GET once on a reset connection.
        const qsizetype asked = m_server->requestLog().size();
        QVERIFY(asked >= 1);
        QVERIFY(m_cache->cache().isEmpty() && m_cache->leagueCache().isEmpty());

        // Not again within the hour, however often its view appears...
        m_now += 59min;
        load();
        QVERIFY(!marked());
        QTest::qWait(50);
        QCOMPARE(m_server->requestLog().size(), asked);
        // ...and once more after it.
        m_now += 1min;
        load();
        QVERIFY(marked());
        QTRY_VERIFY(m_server->requestLog().size() > asked);
    }

    void decodingLeavesTheUiThread()
    {
        // A fetch that answers at once: only the decoding can make the image arrive later.
        LogoCache cache(Endpoints::overriddenBy(m_server->baseUrl()), [](QUrl) -> QCoro::Task<QByteArray> {
            co_return pngBytes(logoImage({ 500, 500 }, { 50, 60, 400, 300 }));
        });
        cache.loadTeamLogo(147);
        QVERIFY(!cache.teamLogo(147));
        QTRY_VERIFY(cache.teamLogo(147));
        QCOMPARE(cache.teamLogo(147)->size(), QSize(400, 300));
    }

    void serviceRequestsGoAheadOfLogos()
    {
        // Every logo answers slowly; the host's six connections are all taken by them.
        for (const MLBTeam &team : MLBTeam::all()) {
            m_server->addRoute({ .path = m_cache->teamLogoURL(team.id)->path(),
                .body = pngBytes(logoImage({ 4, 4 }, { 1, 1, 2, 2 })),
                .contentType = "image/png",
                .delayMs = 300 });
        }
        m_server->addRoute({ .path = u"/api/v1/schedule"_s, .body = R"({"dates":[]})" });
        m_cache->prefetchTeamLogos();
        auto schedule = m_service->fetchSchedule(QDate(2026, 4, 20), QDate(2026, 4, 20));
        QVERIFY(QCoro::waitFor(std::move(schedule)).empty());
        const auto position = m_server->requestLog().indexOf(QRegularExpression(u"/api/v1/schedule\\?.*"_s));
        // It takes the first connection that comes free, not the thirty-first turn.
        QVERIFY2(position >= 0 && position <= 12, qPrintable(QString::number(position)));
    }

    void unknownClubStaysInFlight()
    {
        TeamLogoView view(999, 18, nullptr, m_cache.get());
        view.show();
        QTest::qWait(100);
        m_cache->loadTeamLogo(999);
        QCOMPARE(m_cache->inFlight(), QSet<qint64> { 999 });
        QVERIFY(m_server->requestLog().isEmpty());
        QVERIFY(!m_cache->teamLogoURL(999));
    }
};

QTEST_MAIN(TestLogoCache)
#include "tst_logocache.moc"
