#include "replay/replayserver.h"
#include "stats/documentdecoder.h"
#include "stats/livefeedstore.h"

#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;
using Outcome = LiveFeedDocument::Outcome;

namespace {

QByteArray feedWithOuts(qint64 outs)
{
    return R"({"gamePk":1,"metaData":{"wait":10,"timeStamp":"20240101_000000"},"gameData":{},)"
           R"("liveData":{"linescore":{"outs":)"
        + QByteArray::number(outs) + "}}}";
}

// The error of a failed update, none when it succeeded.
QCoro::Task<std::optional<ServiceError>> failureOf(QCoro::Task<LiveFeedUpdate<qint64>> task)
{
    try {
        co_await task;
    } catch (const ServiceError &error) {
        co_return error;
    }
    co_return std::nullopt;
}

qint64 outsOf(const nlohmann::ordered_json &feed)
{
    return decodeDocument<GameDetailFeed>(feed).liveData.linescore.outs.value_or(-1);
}

const QString feedPath = u"/api/v1.1/game/1/feed/live"_s;
const QString patchPath = u"/api/v1.1/game/1/feed/live/diffPatch"_s;

} // namespace

// The kept feeds against the replay server: a whole feed first, then patches, and a whole feed again when a patch
// cannot be used.
class TestLiveFeedStore : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;
    std::unique_ptr<ReplayServer> m_server;
    std::unique_ptr<MLBAPIService> m_service;
    qint64 m_second = 0;

    LiveFeedUpdate<qint64> update(LiveFeedOptions options = {})
    {
        return QCoro::waitFor(m_service->liveFeeds().update(1, outsOf, std::move(options)));
    }

    QString writeFile(const QString &name, const QByteArray &bytes)
    {
        QFile out(m_dir.filePath(name));
        if (!out.open(QIODevice::WriteOnly) || out.write(bytes) != bytes.size()) qFatal("cannot write a test file");
        return out.fileName();
    }

    // The game's feed has one, two, then three outs, a minute apart.
    void serveTimeline()
    {
        std::vector<TimelineEntry> timeline;
        for (qint64 outs : { 1, 2, 3 })
            timeline.push_back({ (outs - 1) * 60, writeFile(u"feed-%1.json"_s.arg(outs), feedWithOuts(outs)) });
        m_server->addRoute({ .path = feedPath, .timeline = timeline });
    }

    QString patchTarget(qint64 second) const
    {
        return patchPath + u"?language=en&startTimecode="_s + m_server->timelineTimecode(second);
    }

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

    void patchesAfterTheFirstFetch()
    {
        serveTimeline();
        const LiveFeedFollow follow = m_service->liveFeeds().follow(1);
        const auto first = update();
        QCOMPARE(first.value, 1);
        QCOMPARE(first.outcome, Outcome::Replaced);
        QCOMPARE(first.timeStamp, m_server->timelineTimecode(0));
        QCOMPARE(first.wait, std::optional(std::chrono::seconds(10)));

        m_second = 60;
        const auto second = update();
        QCOMPARE(second.value, 2);
        QCOMPARE(second.outcome, Outcome::Patched);
        QCOMPARE(second.previousTimeStamp, m_server->timelineTimecode(0));
        QCOMPARE(second.timeStamp, m_server->timelineTimecode(60));
        QCOMPARE(update().outcome, Outcome::Unchanged);
        m_second = 120;
        QCOMPARE(update().value, 3);
        QCOMPARE(m_server->requestLog(), QStringList({ feedPath, patchTarget(0), patchTarget(60), patchTarget(60) }));
    }

    void unusablePatchMeansOneWholeFetch_data()
    {
        QTest::addColumn<QByteArray>("answer");
        QTest::addColumn<int>("status");
        QTest::addColumn<Outcome>("outcome");
        QTest::addColumn<bool>("refetched");
        QTest::newRow("garbage") << "<html>oops</html>"_ba << 200 << Outcome::Replaced << true;
        QTest::newRow("patch for another base")
            << R"([{"diff":[{"op":"remove","path":"/liveData/boxscore"}]}])"_ba << 200 << Outcome::Replaced << true;
        QTest::newRow("patch that leaves a feed the card cannot read")
            << R"([{"diff":[{"op":"replace","path":"/liveData/linescore","value":[]}]}])"_ba << 200 << Outcome::Replaced
            << true;
        QTest::newRow("service error") << R"({"message":"Internal error"})"_ba << 500 << Outcome::Replaced << true;
        QTest::newRow("whole feed") << feedWithOuts(2) << 200 << Outcome::Replaced << false;
        QTest::newRow("nothing new") << "[]"_ba << 200 << Outcome::Unchanged << false;
    }

    void unusablePatchMeansOneWholeFetch()
    {
        QFETCH(QByteArray, answer);
        QFETCH(bool, refetched);
        QFETCH(int, status);
        QFETCH(Outcome, outcome);
        serveTimeline();
        m_server->addRoute({ .path = patchPath, .body = answer, .status = status });
        const LiveFeedFollow follow = m_service->liveFeeds().follow(1);
        QCOMPARE(update().value, 1);
        m_second = 60;
        const auto next = update();
        QCOMPARE(next.outcome, outcome);
        QCOMPARE(next.value, next.outcome == Outcome::Unchanged ? 1 : 2);
        QStringList expected { feedPath, patchTarget(0) };
        if (refetched) expected.append(feedPath);
        QCOMPARE(m_server->requestLog(), expected);
    }

    void failedWholeFetchStartsOverNextTime()
    {
        m_server->addRoute({ .path = feedPath,
            .files = { writeFile(u"feed.json"_s, feedWithOuts(1)), writeFile(u"error.html"_s, "<html>") } });
        m_server->addRoute({ .path = patchPath, .body = "garbage" });
        const LiveFeedFollow follow = m_service->liveFeeds().follow(1);
        QCOMPARE(update().value, 1);
        const auto failure = QCoro::waitFor(failureOf(m_service->liveFeeds().update(1, outsOf, { u"x"_s })));
        QCOMPARE(failure->description(), u"The service sent data Baselark could not read"_s);
        // Nothing half done was kept: the next update starts with the whole feed.
        QVERIFY(QCoro::waitFor(failureOf(m_service->liveFeeds().update(1, outsOf))));
        QCOMPARE(m_server->requestLog(),
            QStringList({ feedPath, patchPath + u"?language=en&startTimecode=20240101_000000&endTimecode=x"_s,
                feedPath + u"?timecode=x"_s, feedPath }));
    }

    void oneRequestServesCallersAtOnce()
    {
        serveTimeline();
        const LiveFeedFollow follow = m_service->liveFeeds().follow(1);
        auto first = m_service->liveFeeds().update(1, outsOf);
        auto second = m_service->liveFeeds().update(1, outsOf);
        QCOMPARE(QCoro::waitFor(std::move(second)).value, 1);
        QCOMPARE(QCoro::waitFor(std::move(first)).value, 1);
        QCOMPARE(m_server->requestLog(), QStringList { feedPath });
    }

    void documentGoesWithItsLastFollower()
    {
        serveTimeline();
        LiveFeedStore &store = m_service->liveFeeds();
        std::optional<LiveFeedFollow> card = store.follow(1);
        std::optional<LiveFeedFollow> box = store.follow(1);
        update();
        card.reset();
        QCOMPARE(store.keptGames(), std::vector<qint64> { 1 });
        box.reset();
        QVERIFY(store.keptGames().empty());
        // Unfollowed, every update is a whole feed, kept by nobody.
        update();
        QVERIFY(store.keptGames().empty());
        QCOMPARE(m_server->requestLog(), QStringList({ feedPath, feedPath }));
    }
};

QTEST_GUILESS_MAIN(TestLiveFeedStore)
#include "tst_livefeedstore.moc"
