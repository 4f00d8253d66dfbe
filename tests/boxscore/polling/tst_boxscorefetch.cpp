#include "boxscore/boxscoreviewmodel.h"
#include "replay/replayserver.h"
#include "stats/livefeedstore.h"
#include "stats/mlbapiservice.h"
#include "testdata.h"

#include <QTest>

using namespace Qt::StringLiterals;
using namespace std::chrono_literals;

using Markers = std::tuple<std::optional<QString>, std::optional<qint64>, std::optional<qint64>>;

// fetchBoxScore against the replay server, alone and driving the polling through a game's timeline.
class TestBoxScoreFetch : public QObject {
    Q_OBJECT

    std::unique_ptr<ReplayServer> m_server;
    std::unique_ptr<MLBAPIService> m_service;

private Q_SLOTS:
    void init()
    {
        m_server = std::make_unique<ReplayServer>();
        QVERIFY(m_server->listen());
        m_service = std::make_unique<MLBAPIService>(Endpoints::overriddenBy(m_server->baseUrl()));
    }

    void cleanup()
    {
        m_service.reset();
        m_server.reset();
        QCoreApplication::sendPostedEvents();
    }

    void markers_data()
    {
        QTest::addColumn<QByteArray>("feed");
        QTest::addColumn<Markers>("markers");
        QTest::newRow("final recording") << readTestData(u"feed-live-final-748534.json"_s)
                                         << Markers { u"Final"_s, 76, 77 };
        QTest::newRow("in-progress recording")
            << readTestData(u"feed-live-inprogress-633860.json"_s) << Markers { u"Live"_s, 61, 62 };
        QTest::newRow("no status, no plays")
            << QByteArray(R"({"gamePk":1,"gameData":{},"liveData":{"linescore":{}}})") << Markers {};
        QTest::newRow("empty play list, current play without about")
            << QByteArray(R"({"gamePk":1,"gameData":{"status":{}},
                 "liveData":{"linescore":{},"plays":{"allPlays":[],"currentPlay":{}}}})")
            << Markers { std::nullopt, std::nullopt, 0 };
    }

    void markers()
    {
        QFETCH(QByteArray, feed);
        QFETCH(Markers, markers);
        m_server->addRoute({ .path = u"/api/v1.1/game/1/feed/live"_s, .body = feed });
        const BoxScoreFetchResult fetched = QCoro::waitFor(fetchBoxScore(*m_service, 1));
        QCOMPARE(m_server->requestLog(), QStringList { u"/api/v1.1/game/1/feed/live"_s });
        QCOMPARE(Markers(fetched.abstractGameState, fetched.currentAtBatIndex, fetched.allPlaysCount), markers);
        // The feed's own pace goes to the polling loop: 10 s in the recordings, none in the bare feeds.
        QCOMPARE(fetched.wait, feed.contains("\"wait\": 10") ? std::optional(10s) : std::nullopt);
        QCOMPARE(fetched.boxScore, buildBoxScore(decode<GameLiveFeedResponse>(feed)));
    }

    // Each step's box score, brought forward by the replay server's patches, is the one of that step's whole feed.
    void patchesMatchWholeSnapshots_data()
    {
        QTest::addColumn<qint64>("gamePk");
        QTest::addColumn<QStringList>("files");
        const QString timeline = QStringLiteral(BASELARK_SOURCE_DIR "/data/timeline/");
        QTest::newRow("a game's last innings")
            << qint64(748534)
            << QStringList { timeline + u"748534-1-live.json"_s, timeline + u"748534-2-live.json"_s,
                   timeline + u"748534-3-final-without-footer.json"_s,
                   QStringLiteral(BASELARK_TEST_DATA "/feed-live-final-748534.json") };
        QStringList demo;
        for (const QString &step :
            { u"00"_s, u"01"_s, u"02"_s, u"03"_s, u"04"_s, u"05"_s, u"06"_s, u"07"_s, u"final-early"_s, u"final"_s })
            demo.append(QStringLiteral(BASELARK_SOURCE_DIR "/data/demo/live/feed-") + step + u".json"_s);
        QTest::newRow("the demo's live game") << qint64(831607) << demo;
    }

    void patchesMatchWholeSnapshots()
    {
        QFETCH(qint64, gamePk);
        QFETCH(QStringList, files);
        std::vector<TimelineEntry> timeline;
        for (qsizetype i = 0; i < files.size(); ++i)
            timeline.push_back({ i * 60, files.at(i) });
        const QString path = u"/api/v1.1/game/%1/feed/live"_s.arg(gamePk);
        m_server->addRoute({ .path = path, .timeline = timeline });
        qint64 second = 0;
        m_server->setUptime([&second] { return second; });
        const LiveFeedFollow follow = m_service->liveFeeds().follow(gamePk);
        for (qsizetype i = 0; i < files.size(); ++i) {
            second = i * 60;
            QFile file(files.at(i));
            QVERIFY(file.open(QIODevice::ReadOnly));
            const BoxScoreFetchResult fetched = QCoro::waitFor(fetchBoxScore(*m_service, gamePk));
            QCOMPARE(fetched.boxScore, buildBoxScore(decode<GameLiveFeedResponse>(file.readAll())));
        }
        QCOMPARE(m_server->requestLog().filter(path + u"/diffPatch?"_s).size(), files.size() - 1);
    }
};

QTEST_GUILESS_MAIN(TestBoxScoreFetch)
#include "tst_boxscorefetch.moc"
