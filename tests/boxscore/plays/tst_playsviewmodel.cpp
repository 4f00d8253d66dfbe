#include "boxscore/playsviewmodel.h"
#include "replay/replayserver.h"
#include "stats/gamefeed.h"
#include "stats/livefeedstore.h"
#include "stats/mlbapiservice.h"

#include <QSignalSpy>
#include <QTemporaryFile>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {

const QString feedPath = u"/api/v1.1/game/746139/feed/live"_s;

QString dataFile(const QString &name)
{
    return QStringLiteral(BASELARK_TEST_DATA "/") + name;
}

} // namespace

// PlaysViewModel against the replay server: fed by other callers' updates, and by its own polling.
class TestPlaysViewModel : public QObject {
    Q_OBJECT

    std::unique_ptr<ReplayServer> m_server;
    std::unique_ptr<MLBAPIService> m_service;
    qint64 m_second = 0;

private Q_SLOTS:
    void init()
    {
        m_server = std::make_unique<ReplayServer>();
        QVERIFY(m_server->listen());
        m_second = 0;
        m_server->setUptime([this] { return m_second; });
        m_service = std::make_unique<MLBAPIService>(Endpoints::overriddenBy(m_server->baseUrl()));
    }

    void cleanup()
    {
        m_service.reset();
        m_server.reset();
        QCoreApplication::sendPostedEvents();
    }

    // The card's own detail updates carry the plays along: no request of the plays' own, a patch the second time.
    void readsWhatOtherUpdatesBring()
    {
        m_server->addRoute({ .path = feedPath,
            .timeline = { { 0, dataFile(u"feed-live-inprogress-746139-a.json"_s) },
                { 60, dataFile(u"feed-live-inprogress-746139-b.json"_s) } } });
        PlaysViewModel model(&m_service->liveFeeds());
        model.setGamePk(746139);
        QVERIFY(!model.plays());

        QCoro::waitFor(m_service->fetchGameDetail(746139));
        QTRY_VERIFY(model.plays());
        QCOMPARE(model.plays()->lastPlay, u"Ezequiel Duran homers (2) on a fly ball to left center field."_s);

        m_second = 60;
        QCoro::waitFor(m_service->fetchGameDetail(746139));
        QTRY_COMPARE(model.plays()->lastPlay,
            u"Will Smith walks.   Shohei Ohtani to 3rd.    Enrique Hernández to 2nd."_s.simplified());
        QCOMPARE(model.plays()->halfInnings.front().title, u"Bottom 7th"_s);
        const QStringList log = m_server->requestLog();
        QCOMPARE(log.size(), 2);
        QCOMPARE(log.filter(u"/diffPatch?"_s).size(), 1);
    }

    // A feed that stops reading keeps the plays on screen, with the error beside them.
    void keepsPlaysOnBadFeed()
    {
        QTemporaryFile bad;
        QVERIFY(bad.open());
        bad.write(R"({"gamePk":746139,"gameData":{},"liveData":{"plays":{"allPlays":"none"}}})");
        bad.close();
        m_server->addRoute({ .path = feedPath,
            .timeline = { { 0, dataFile(u"feed-live-inprogress-746139-a.json"_s) }, { 60, bad.fileName() } } });
        PlaysViewModel model(&m_service->liveFeeds());
        model.setGamePk(746139);
        QCoro::waitFor(model.refresh());
        QVERIFY(model.plays());
        QVERIFY(!model.errorMessage());
        const Plays before = *model.plays();

        m_second = 60;
        QCoro::waitFor(model.refresh());
        QCOMPARE(model.errorMessage(), u"Failed to load plays"_s);
        QCOMPARE(*model.plays(), before);
    }

    // Polling asks again after the feed's wait; another game forgets the first one's plays at once.
    void pollsAndSwitchesGames()
    {
        m_server->addRoute(
            { .path = feedPath, .timeline = { { 0, dataFile(u"feed-live-inprogress-746139-a.json"_s) } } });
        PlaysViewModel model(&m_service->liveFeeds());
        model.setGamePk(746139);
        model.startPolling();
        QTRY_VERIFY(model.plays());
        QVERIFY(model.isPolling());
        model.setGamePk(1);
        QVERIFY(!model.plays());
        QCOMPARE(model.gamePk(), qint64(1));
        model.stopPolling();
        QVERIFY(!model.isPolling());
    }
};

QTEST_GUILESS_MAIN(TestPlaysViewModel)
#include "tst_playsviewmodel.moc"
