#include "notifications/gamestartnotificationplanner.h"
#include "stats/datetime.h"

#include <QTest>
#include <QTimeZone>

using namespace Qt::StringLiterals;
using Planner = GameStartNotificationPlanner;

Q_DECLARE_METATYPE(std::vector<Game>)

namespace {

const QDateTime now = QDateTime(QDate(2026, 4, 20), QTime(18, 0), Qt::UTC);

Game game(qint64 gamePk, const QString &gameDate, const QString &state = u"Preview"_s)
{
    Game g;
    g.gamePk = gamePk;
    g.gameDate = gameDate;
    g.status = { state, u"Scheduled"_s, {}, {}, {}, {} };
    g.teams.away.team = { 147, u"New York Yankees"_s };
    g.teams.home.team = { 111, u"Boston Red Sox"_s };
    return g;
}

QString startingIn(qint64 seconds)
{
    return now.addSecs(seconds).toString(Qt::ISODate);
}

QStringList ids(const std::vector<Planner::Request> &requests)
{
    QStringList result;
    for (const auto &request : requests)
        result.append(request.id);
    return result;
}

} // namespace

// Which alerts the planner wants pending, and what they say.
class TestPlanner : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void plan_data()
    {
        QTest::addColumn<std::vector<Game>>("games");
        QTest::addColumn<QStringList>("pending");
        QTest::addColumn<QStringList>("expected");
        QTest::addColumn<QStringList>("stale");
        QTest::addColumn<qint64>("lead");

        const auto p = [](qint64 pk) { return Planner::identifier(pk); };
        QTest::newRow("lead boundary 10/15/16 minutes")
            << std::vector { game(1, startingIn(600)), game(2, startingIn(900)), game(3, startingIn(960)) }
            << QStringList() << QStringList { p(3) } << QStringList() << qint64(15);
        QTest::newRow("live and final skipped") << std::vector { game(1, startingIn(3600), u"Live"_s),
            game(2, startingIn(3600), u"Final"_s), game(3, startingIn(3600)) }
                                                << QStringList() << QStringList { p(3) } << QStringList() << qint64(15);
        QTest::newRow("fractional seconds do not parse")
            << std::vector { game(1, u"2026-04-20T23:05:00.000Z"_s) } << QStringList() << QStringList() << QStringList()
            << qint64(15);
        QTest::newRow("trigger order, equal starts by gamePk")
            << std::vector { game(9, startingIn(7200)), game(12, startingIn(3600)), game(10, startingIn(3600)) }
            << QStringList() << QStringList { p(10), p(12), p(9) } << QStringList() << qint64(15);
        QTest::newRow("stale 1 and 3, 2 re-added")
            << std::vector { game(2, startingIn(3600)), game(4, startingIn(7200)) } << QStringList { p(3), p(1), p(2) }
            << QStringList { p(2), p(4) } << QStringList { p(1), p(3) } << qint64(15);
        QTest::newRow("test id always stale")
            << std::vector { game(-1, startingIn(3600)) } << QStringList { Planner::testRequestId }
            << QStringList { p(-1) } << QStringList { Planner::testRequestId } << qint64(15);
        QTest::newRow("lead boundary 29/30/31 minutes")
            << std::vector { game(1, startingIn(1740)), game(2, startingIn(1800)), game(3, startingIn(1860)) }
            << QStringList() << QStringList { p(3) } << QStringList() << qint64(30);
        // Two followed clubs playing each other: their schedules both hold the game.
        QTest::newRow("a game of two clubs once")
            << std::vector { game(5, startingIn(3600)), game(6, startingIn(7200)), game(5, startingIn(3600)) }
            << QStringList() << QStringList { p(5), p(6) } << QStringList() << qint64(15);
        QTest::newRow("empty list") << std::vector<Game>() << QStringList { p(10), p(9) } << QStringList()
                                    << QStringList { p(10), p(9) } << qint64(15);
    }

    void plan()
    {
        QFETCH(std::vector<Game>, games);
        QFETCH(QStringList, pending);
        QFETCH(QStringList, expected);
        QFETCH(QStringList, stale);
        QFETCH(qint64, lead);
        const auto result = Planner::plan(games, lead, now, pending);
        QCOMPARE(ids(result.requests), expected);
        QCOMPARE(result.staleIds, stale);
        for (const auto &request : result.requests) {
            QCOMPARE(request.leadMinutes, lead);
            QCOMPARE(request.triggerDate.secsTo(*parseInternetDateTime(request.game.gameDate)), lead * 60);
        }
    }

    void content()
    {
        Planner::Request request { Planner::identifier(7), game(7, u"2026-04-20T23:05:00Z"_s),
            QDateTime(QDate(2026, 4, 20), QTime(22, 55, 30, 750), Qt::UTC), 5 };
        const auto content = Planner::content(request);
        QCOMPARE(content.title, u"Game Starting Soon"_s);
        QCOMPARE(content.body, u"New York Yankees @ Boston Red Sox starts in 5 minutes"_s);
        QCOMPARE(content.userInfo.value(u"kind"_s).toString(), u"gameStart"_s);
        QCOMPARE(content.userInfo.value(u"gamePk"_s).toLongLong(), 7);
        // To the whole second, in local time.
        QCOMPARE(content.trigger.timeSpec(), Qt::LocalTime);
        QCOMPARE(content.trigger, QDateTime(QDate(2026, 4, 20), QTime(22, 55, 30), Qt::UTC));
    }

    void nextRequest()
    {
        QVERIFY(!Planner::nextRequest({}));
        const auto at = [](qint64 pk, int minutes) {
            return Planner::Request { Planner::identifier(pk), game(pk, {}), now.addSecs(minutes * 60), 15 };
        };
        // On equal instants the earlier entry wins.
        QCOMPARE(Planner::nextRequest({ at(1, 30), at(2, 10), at(3, 10) })->id, Planner::identifier(2));
    }
};

QTEST_GUILESS_MAIN(TestPlanner)
#include "tst_planner.moc"
