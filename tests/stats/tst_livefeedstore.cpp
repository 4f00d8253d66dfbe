#include "replay/replayserver.h"
#include "stats/documentdecoder.h"
#include "stats/livefeedstore.h"

#include <QElapsedTimer>
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

QDateTime stampTime(const QString &stamp)
{
    QDateTime at = QDateTime::fromString(stamp, u"yyyyMMdd_HHmmss"_s);
    at.setTimeSpec(Qt::UTC);
    return at;
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

    // The game's feed has one more out every ten seconds, from none to `last` outs.
    void serveOutEveryTenSeconds(qint64 last)
    {
        std::vector<TimelineEntry> timeline;
        for (qint64 outs = 0; outs <= last; ++outs)
            timeline.push_back({ outs * 10, writeFile(u"feed-%1.json"_s.arg(outs), feedWithOuts(outs)) });
        m_server->addRoute({ .path = feedPath, .timeline = timeline });
    }

    QDateTime startedAt() const { return stampTime(m_server->timelineTimecode(0)); }

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

    // Whatever the delay, the state kept is never newer than the delay allows and no older than the last one the
    // service had by then; the last out (the final) comes the delay late.
    void delayedStateNeverRunsAhead_data()
    {
        QTest::addColumn<qint64>("delay");
        QTest::newRow("off") << qint64(0);
        QTest::newRow("30 s") << qint64(30);
        QTest::newRow("5 min") << qint64(300);
    }

    void delayedStateNeverRunsAhead()
    {
        QFETCH(qint64, delay);
        serveOutEveryTenSeconds(30);
        LiveFeedStore &store = m_service->liveFeeds();
        store.setClock([this] { return startedAt().addSecs(m_second); });
        store.setDelay(std::chrono::seconds(delay));
        const LiveFeedFollow follow = store.follow(1);
        for (m_second = delay; m_second <= 320 + delay; m_second += 7) {
            const qint64 outs = update().value;
            QVERIFY2(outs * 10 <= m_second - delay, qPrintable(u"second %1: %2 outs"_s.arg(m_second).arg(outs)));
            QCOMPARE(outs, std::min<qint64>(30, (m_second - delay) / 10));
        }
        if (delay > 0) QVERIFY(m_server->requestLog().last().contains(u"endTimecode="_s));
    }

    // A shorter delay moves on at the next update; a longer one holds the state kept, asking nothing, until the
    // game catches up.
    void delayChangesMidGame()
    {
        serveOutEveryTenSeconds(30);
        LiveFeedStore &store = m_service->liveFeeds();
        store.setClock([this] { return startedAt().addSecs(m_second); });
        store.setDelay(std::chrono::seconds(60));
        const LiveFeedFollow follow = store.follow(1);
        m_second = 250;
        QCOMPARE(update().value, 19);
        store.setDelay(std::chrono::seconds(0));
        QCOMPARE(update().value, 25);
        store.setDelay(std::chrono::seconds(120));
        const qsizetype requests = m_server->requestLog().size();
        for (m_second = 250; m_second < 370; m_second += 10)
            QCOMPARE(update().value, 25);
        QCOMPARE(m_server->requestLog().size(), requests);
        m_second = 390;
        QCOMPARE(update().value, 27);
    }

    // A service that ignores time codes answers with its newest state: held until its time comes by the clock.
    void answerNewerThanAskedIsHeld()
    {
        QElapsedTimer sinceStart;
        sinceStart.start();
        // The second state comes three seconds in, as the real clock runs.
        m_server->setUptime([&sinceStart] { return sinceStart.elapsed() / 1000; });
        m_server->addRoute({ .path = feedPath,
            .timeline = { { 0, writeFile(u"first.json"_s, feedWithOuts(0)) },
                { 3, writeFile(u"second.json"_s, feedWithOuts(1)) } },
            .ignoresTimecodes = true });
        LiveFeedStore &store = m_service->liveFeeds();
        const std::chrono::seconds delay(2);
        store.setDelay(delay);
        const LiveFeedFollow follow = store.follow(1);
        const auto first = update();
        QCOMPARE(first.value, 0);
        QVERIFY(QDateTime::currentDateTimeUtc() >= stampTime(first.timeStamp).addSecs(delay.count()));
        QTest::qWait(int(3200 - sinceStart.elapsed()));
        const auto second = update();
        QCOMPARE(second.value, 1);
        QCOMPARE(second.outcome, Outcome::Patched);
        QVERIFY(QDateTime::currentDateTimeUtc() >= stampTime(second.timeStamp).addSecs(delay.count()));
        QVERIFY(m_server->requestLog().last().contains(u"endTimecode="_s));
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
