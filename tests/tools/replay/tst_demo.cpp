#include "replay/replayserver.h"
#include "settle.h"
#include "stats/gameday.h"
#include "stats/gamefeed.h"
#include "stats/logocache.h"
#include "stats/mlbapiservice.h"
#include "stats/serviceerror.h"
#include "stats/teams.h"

#include <QCoroTask>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {

// Runs the request to completion; a failed one (refused, unanswered or undecodable) fails the test.
template <class Result> Result run(QCoro::Task<Result> task)
{
    auto outcome = QCoro::waitFor(settle(std::move(task)));
    if (auto *error = std::get_if<ServiceError>(&outcome)) {
        QTest::qFail(qPrintable(error->description()), __FILE__, __LINE__);
        return {};
    }
    return std::get<Result>(std::move(outcome));
}

qint64 runs(const std::optional<LinescoreTeams> &teams, bool home)
{
    if (!teams) return -1;
    const auto &side = home ? teams->home : teams->away;
    return side && side->runs ? *side->runs : 0;
}

} // namespace

// The demo data set walked like a user would, at several moments of its live game: every day, every game's
// feed, the standings, the favourite's schedule, every logo and the update feed must be answered, and a
// game's card and box score must tell the same score as its schedule row.
class TestDemo : public QObject {
    Q_OBJECT

    std::unique_ptr<ReplayServer> m_server;
    std::unique_ptr<MLBAPIService> m_service;
    qint64 m_second = 0;

private Q_SLOTS:
    void init()
    {
        m_server = std::make_unique<ReplayServer>();
        QString error;
        QVERIFY2(m_server->loadManifest(QStringLiteral(BASELARK_SOURCE_DIR "/data/demo/manifest.json"), &error),
            qPrintable(error));
        m_server->setUptime([this] { return m_second; });
        QVERIFY(m_server->listen());
        m_service = std::make_unique<MLBAPIService>(Endpoints::overriddenBy(m_server->baseUrl()));
    }

    void cleanup()
    {
        m_service.reset();
        m_server.reset();
    }

    void everyDayAndGameIsAnswered_data()
    {
        QTest::addColumn<QDate>("day");
        QTest::addColumn<qint64>("second");
        QTest::addColumn<int>("games");
        QTest::addColumn<QString>("liveState");
        const QDate today = gameDay(QDateTime::currentDateTimeUtc());
        QTest::newRow("today at start") << today << qint64(0) << 13 << u"Live"_s;
        QTest::newRow("today, middle innings") << today << qint64(330) << 13 << u"Live"_s;
        QTest::newRow("today, ninth inning") << today << qint64(479) << 13 << u"Live"_s;
        QTest::newRow("today, over") << today << qint64(480) << 13 << u"Final"_s;
        QTest::newRow("any other day") << today.addDays(-1) << qint64(0) << 0 << QString();
        QTest::newRow("finals") << QDate(2026, 4, 20) << qint64(0) << 10 << QString();
        QTest::newRow("postponements") << QDate(2022, 4, 7) << qint64(0) << 9 << QString();
    }

    void everyDayAndGameIsAnswered()
    {
        QFETCH(QDate, day);
        QFETCH(qint64, second);
        QFETCH(int, games);
        QFETCH(QString, liveState);
        m_second = second;

        // With the day before, as the application asks for the game day: the server puts the two together.
        const auto days = run(m_service->fetchSchedule(day.addDays(-1), day));
        const std::vector<Game> schedule = days.contains(day) ? days.at(day) : std::vector<Game> {};
        QCOMPARE(int(schedule.size()), games);
        QVERIFY(!days.contains(day.addDays(-1)));
        int live = 0;
        for (const Game &game : schedule) {
            const QByteArray body = run(m_service->get(m_service->gameFeedURL(game.gamePk)));
            QVERIFY(!QTest::currentTestFailed());
            QCOMPARE(m_server->unansweredLog(), QStringList());
            const auto feed = decode<GameLiveFeedResponse>(body);
            QCOMPARE(feed.gamePk, game.gamePk);
            QCOMPARE(feed.gameData.teams->away->id, game.teams.away.team.id);
            QCOMPARE(feed.gameData.teams->home->id, game.teams.home.team.id);
            QCOMPARE(feed.gameData.venue->name, game.venue->name);
            QCOMPARE(feed.gameData.status->abstractGameState, game.status.abstractGameState);
            const auto &totals = feed.liveData.linescore.teams;
            if (game.status.abstractGameState == u"Live"_s) ++live;
            if (game.teams.away.score) {
                QCOMPARE(runs(totals, false), *game.teams.away.score);
                QCOMPARE(runs(totals, true), *game.teams.home.score);
            }
            if (game.linescore && game.linescore->teams && game.linescore->teams->away && totals) {
                QCOMPARE(totals->away->hits, game.linescore->teams->away->hits);
                QCOMPARE(totals->home->errors, game.linescore->teams->home->errors);
            }
            if (game.isFinal() && game.teams.away.score)
                QVERIFY(feed.liveData.decisions && feed.liveData.decisions->winner);
            QVERIFY(run(m_service->fetchGameDetail(game.gamePk)).gamePk == game.gamePk);
        }
        QCOMPARE(live, liveState == u"Live"_s ? 1 : 0);
        QCOMPARE(m_server->unansweredLog(), QStringList());
    }

    void everyOtherRequestIsAnswered()
    {
        const QDate today = gameDay(QDateTime::currentDateTimeUtc());
        QVERIFY(!run(m_service->fetchStandings(today.year())).empty());
        const auto ahead = run(m_service->fetchTeamSchedule(147, today.addDays(-1), today.addDays(14)));
        QVERIFY(!ahead.empty());
        QVERIFY(std::all_of(ahead.begin(), ahead.end(), [](const Game &game) { return game.involves(147); }));

        const QUrl appcast(QStringLiteral(BASELARK_APPCAST_URL));
        QVERIFY(run(m_service->get(QUrl(m_server->baseUrl() + appcast.path()))).contains("<rss"));

        LogoCache logos(m_service->endpoints(), [this](QUrl url) { return m_service->get(std::move(url)); });
        logos.prefetchTeamLogos();
        logos.loadLeagueLogo(103);
        logos.loadLeagueLogo(104);
        QTRY_COMPARE(logos.cache().size() + logos.leagueCache().size(), qsizetype(MLBTeam::all().size()) + 2);
        QCOMPARE(m_server->unansweredLog(), QStringList());
    }
};

QTEST_MAIN(TestDemo)
#include "tst_demo.moc"
