#include "stats/datetime.h"
#include "stats/gameday.h"
#include "stats/schedule.h"

#include <QTest>
#include <QTimeZone>
#include <functional>

using namespace Qt::StringLiterals;

Q_DECLARE_METATYPE(Game)

namespace {

const QString none = u"<none>"_s;

Game game(const std::function<void(Game &)> &adjust = {})
{
    Game g;
    g.gamePk = 745123;
    g.gameDate = u"2024-04-01T17:05:00Z"_s;
    g.status = { u"Preview"_s, u"Scheduled"_s, {}, {}, {}, {} };
    g.teams.away.team = { 147, u"New York Yankees"_s };
    g.teams.home.team = { 111, u"Boston Red Sox"_s };
    if (adjust) adjust(g);
    return g;
}

Game withStatus(const QString &abstractState, const QString &detailedState, std::optional<QString> reason = {})
{
    return game([&](Game &g) { g.status = { abstractState, detailedState, {}, {}, {}, reason }; });
}

Broadcast carrier(const QString &name, const QString &type, const QString &language)
{
    return { name, type, language, false, u"home"_s };
}

QString derive(const QString &operation, const Game &g)
{
    auto orNone = [](const std::optional<QString> &text) { return text.value_or(none); };
    if (operation == u"isFinal") return g.isFinal() ? u"true"_s : u"false"_s;
    if (operation == u"broadcastText") return g.broadcastText();
    if (operation == u"startTimeText") return g.startTimeText();
    if (operation == u"statusText") return g.statusText();
    if (operation == u"rescheduleText") return orNone(g.rescheduleText());
    if (operation == u"seriesText") return orNone(g.seriesText());
    if (operation == u"externalURL") return g.externalURL() ? g.externalURL()->toString() : none;
    return u"unknown operation"_s;
}

} // namespace

// The texts and links a game shows, in the C locale and New York time (set by the test runner).
class TestGameTexts : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { QCOMPARE(qEnvironmentVariable("TZ"), u"America/New_York"_s); }

    void derivedTexts_data()
    {
        QTest::addColumn<QString>("operation");
        QTest::addColumn<Game>("game");
        QTest::addColumn<QString>("expected");

        QTest::newRow("final") << u"isFinal"_s << withStatus(u"Final"_s, u"Final"_s) << u"true"_s;
        QTest::newRow("final but postponed") << u"isFinal"_s << withStatus(u"Final"_s, u"Postponed"_s) << u"false"_s;
        QTest::newRow("final, postponed in lower case")
            << u"isFinal"_s << withStatus(u"Final"_s, u"Game postponed"_s) << u"false"_s;
        QTest::newRow("abstract state in lower case")
            << u"isFinal"_s << withStatus(u"final"_s, u"Final"_s) << u"false"_s;

        QTest::newRow("no broadcasts member") << u"broadcastText"_s << game() << u"No TV broadcast listed"_s;
        QTest::newRow("TV in another language") << u"broadcastText"_s << game([](Game &g) {
            g.broadcasts = std::vector { carrier(u"ESPN Deportes"_s, u"TV"_s, u"es"_s) };
        }) << u"No TV broadcast listed"_s;
        QTest::newRow("two English TV carriers in order") << u"broadcastText"_s << game([](Game &g) {
            g.broadcasts = std::vector { carrier(u"YES"_s, u"TV"_s, u"en"_s), carrier(u"WFAN"_s, u"FM"_s, u"en"_s),
                carrier(u"NESN"_s, u"TV"_s, u"en"_s), carrier(u"YES"_s, u"TV"_s, u"en"_s) };
        }) << u"YES, NESN, YES"_s;

        QTest::newRow("start in daylight time") << u"startTimeText"_s << game() << u"1:05 PM"_s;
        QTest::newRow("start in standard time, previous local day")
            << u"startTimeText"_s << game([](Game &g) { g.gameDate = u"2024-01-15T00:05:00Z"_s; }) << u"7:05 PM"_s;

        QTest::newRow("unparsable start")
            << u"startTimeText"_s << game([](Game &g) { g.gameDate = u"2024-04-01T17:05:00.000Z"_s; }) << u"TBD"_s;

        QTest::newRow("postponed with reason")
            << u"statusText"_s << withStatus(u"Final"_s, u"Postponed"_s, u"Rain"_s) << u"Postponed: Rain"_s;
        QTest::newRow("postponed with empty reason")
            << u"statusText"_s << withStatus(u"Final"_s, u"Postponed"_s, u""_s) << u"Postponed"_s;
        QTest::newRow("postponed without reason")
            << u"statusText"_s << withStatus(u"Final"_s, u"Postponed"_s) << u"Postponed"_s;
        QTest::newRow("delay keeps its own text")
            << u"statusText"_s << withStatus(u"Live"_s, u"Delayed"_s, u"Rain"_s) << u"Delayed"_s;

        QTest::newRow("make-up first pitch") << u"rescheduleText"_s << game([](Game &g) {
            g.rescheduleDate = u"2022-04-08T17:05:00Z"_s;
            g.rescheduleGameDate = u"2022-04-09"_s;
        }) << u"Apr 8, 1:05 PM"_s;
        QTest::newRow("unparsable make-up time falls back to its day") << u"rescheduleText"_s << game([](Game &g) {
            g.rescheduleDate = u"2022-04-08T17:05:00.000Z"_s;
            g.rescheduleGameDate = u"2022-04-09"_s;
            g.officialDate = u"2022-04-07"_s;
        }) << u"Apr 9"_s;
        QTest::newRow("official day only")
            << u"rescheduleText"_s << game([](Game &g) { g.officialDate = u"2022-04-07"_s; }) << u"Apr 7"_s;
        QTest::newRow("no day at all") << u"rescheduleText"_s << game() << none;
        QTest::newRow("day without leading zeros")
            << u"rescheduleText"_s << game([](Game &g) { g.officialDate = u"2022-4-7"_s; }) << none;

        QTest::newRow("game 2 of 3") << u"seriesText"_s << game([](Game &g) {
            g.seriesGameNumber = 2;
            g.gamesInSeries = 3;
        }) << u"Game 2 of 3"_s;
        QTest::newRow("one-game series") << u"seriesText"_s << game([](Game &g) {
            g.seriesGameNumber = 1;
            g.gamesInSeries = 1;
        }) << none;
        QTest::newRow("series length unknown")
            << u"seriesText"_s << game([](Game &g) { g.seriesGameNumber = 1; }) << none;

        QTest::newRow("live video page") << u"externalURL"_s << withStatus(u"Live"_s, u"In Progress"_s)
                                         << u"https://www.mlb.com/tv/g745123"_s;
        QTest::newRow("preview page") << u"externalURL"_s << withStatus(u"Preview"_s, u"Scheduled"_s)
                                      << u"https://www.mlb.com/gameday/745123/preview"_s;
        QTest::newRow("final page") << u"externalURL"_s << withStatus(u"Final"_s, u"Final"_s)
                                    << u"https://www.mlb.com/gameday/745123"_s;
        QTest::newRow("lower-case live is not live")
            << u"externalURL"_s << withStatus(u"live"_s, u"In Progress"_s) << u"https://www.mlb.com/gameday/745123"_s;
    }

    void derivedTexts()
    {
        QFETCH(QString, operation);
        QFETCH(Game, game);
        QFETCH(QString, expected);
        QCOMPARE(derive(operation, game), expected);
    }

    void internetDateTimes_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<qint64>("epochSeconds"); // -1: rejected
        QTest::newRow("Z") << u"2024-07-01T19:07:00Z"_s << Q_INT64_C(1719860820);
        QTest::newRow("negative offset") << u"2024-07-01T15:07:00-04:00"_s << Q_INT64_C(1719860820);
        QTest::newRow("positive offset") << u"2024-07-02T04:07:00+09:00"_s << Q_INT64_C(1719860820);
        QTest::newRow("milliseconds") << u"2023-11-02T00:06:00.000Z"_s << Q_INT64_C(-1);
        QTest::newRow("offset without colon") << u"2024-07-01T15:07:00-0400"_s << Q_INT64_C(-1);
        QTest::newRow("lower-case z") << u"2024-07-01T19:07:00z"_s << Q_INT64_C(-1);
        QTest::newRow("space separator") << u"2024-07-01 19:07:00Z"_s << Q_INT64_C(-1);
        QTest::newRow("hour 24") << u"2024-07-01T24:00:00Z"_s << Q_INT64_C(-1);
        QTest::newRow("non-ASCII digit") << u"2024-07-0١T19:07:00Z"_s << Q_INT64_C(-1);
        QTest::newRow("no zone") << u"2024-04-01T17:05:00"_s << Q_INT64_C(-1);
        QTest::newRow("impossible day") << u"2024-02-30T17:05:00Z"_s << Q_INT64_C(-1);
    }

    void internetDateTimes()
    {
        QFETCH(QString, text);
        QFETCH(qint64, epochSeconds);
        const auto parsed = parseInternetDateTime(text);
        QCOMPARE(parsed ? parsed->toSecsSinceEpoch() : Q_INT64_C(-1), epochSeconds);
    }

    // Without time-zone data the game day comes from the built-in rule: it must agree with the data on every hour
    // around every change of New York's clocks, and on where each of those days begins.
    void builtInEasternRuleAgreesWithTheTimeZoneData()
    {
        const QTimeZone newYork("America/New_York");
        QVERIFY(newYork.isValid());
        for (int year = 2008; year <= 2036; ++year) {
            for (const auto &transition : newYork.transitions(QDateTime(QDate(year, 1, 1), QTime(), Qt::UTC),
                     QDateTime(QDate(year, 12, 31), QTime(), Qt::UTC))) {
                const QDate day = transition.atUtc.date();
                QCOMPARE(gameDayStartByRule(day), gameDayStart(day));
                QCOMPARE(gameDayStart(day), QDateTime(day, QTime(0, 0), newYork).addSecs(5 * 3600));
                for (int minutes = -300; minutes <= 300; minutes += 30) {
                    const QDateTime instant = gameDayStart(day).addSecs(minutes * 60);
                    QCOMPARE(gameDayByRule(instant), gameDay(instant));
                    QCOMPARE(gameDay(instant), minutes < 0 ? day.addDays(-1) : day);
                }
            }
        }
    }
};

QTEST_GUILESS_MAIN(TestGameTexts)
#include "tst_gametexts.moc"
