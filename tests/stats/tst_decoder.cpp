#include "stats/schedule.h"
#include "testdata.h"

#include <QTest>

using namespace Qt::StringLiterals;

// Decoding of schedule answers: presence rules, types, paths in errors, recordings.
class TestDecoder : public QObject {
    Q_OBJECT

    static QByteArray gameJson(const QByteArray &extraMembers = {}, const QByteArray &status = {})
    {
        const QByteArray statusJson
            = status.isEmpty() ? R"({"abstractGameState":"Preview","detailedState":"Scheduled"})"_ba : status;
        return R"({"dates":[{"date":"2024-04-01","games":[{"gamePk":745123,"gameDate":"2024-04-01T17:05:00Z","status":)"
            + statusJson
            + R"(,"teams":{"away":{"team":{"id":147,"name":"New York Yankees"}},"home":{"team":{"id":111,"name":"Boston Red Sox"}}})"
            + extraMembers + "}]}]}";
    }

private Q_SLOTS:
    void failures_data()
    {
        QTest::addColumn<QByteArray>("json");
        QTest::addColumn<QString>("path");

        QTest::newRow("missing required member")
            << R"({"dates":[{"date":"x","games":[{"gamePk":1,"status":{"abstractGameState":"Final","detailedState":"Final"},"teams":{}}]}]})"_ba
            << u"dates[0].games[0].gameDate"_s;
        QTest::newRow("required member null") << gameJson({}, R"({"abstractGameState":"Final","detailedState":null})")
                                              << u"dates[0].games[0].status.detailedState"_s;
        QTest::newRow("wrong type") << gameJson(R"(,"gamesInSeries":"3")") << u"dates[0].games[0].gamesInSeries"_s;
        QTest::newRow("optional with wrong type")
            << gameJson(R"(,"venue":{"id":"x","name":"Fenway"})") << u"dates[0].games[0].venue.id"_s;
        QTest::newRow("fractional integer")
            << gameJson(R"(,"seriesGameNumber":1.5)") << u"dates[0].games[0].seriesGameNumber"_s;
        QTest::newRow("beyond 64 bits") << gameJson(R"(,"seriesGameNumber":18446744073709551615)")
                                        << u"dates[0].games[0].seriesGameNumber"_s;
        QTest::newRow("broadcast lacking a member")
            << gameJson(R"(,"broadcasts":[{"name":"YES","type":"TV","language":"en","homeAway":"away"}])")
            << u"dates[0].games[0].broadcasts[0].isNational"_s;
        QTest::newRow("day without games") << R"({"dates":[{"date":"2024-04-01"}]})"_ba << u"dates[0].games"_s;
        QTest::newRow("service error body (404)")
            << R"({"messageNumber":10,"message":"Object not found","timestamp":"2024-04-01T00:00:00Z","traceId":null})"_ba
            << u"dates"_s;
        QTest::newRow("array where object expected") << R"([])"_ba << u"(root)"_s;
        QTest::newRow("malformed") << R"({"dates":[)"_ba << QString();
        QTest::newRow("truncated recording")
            << readTestData(u"schedule-2026-04-20-hydrated.json"_s).left(5000) << QString();
        QTest::newRow("html error page") << "<html><body>502 Bad Gateway</body></html>"_ba << QString();
        QTest::newRow("empty body") << QByteArray() << QString();
        QTest::newRow("byte-order mark alone") << QByteArray("\xEF\xBB\xBF") << QString();
    }

    void failures()
    {
        QFETCH(QByteArray, json);
        QFETCH(QString, path);
        try {
            decode<ScheduleResponse>(json);
            QFAIL("decoding succeeded");
        } catch (const ServiceError &error) {
            QCOMPARE(error.kind(), ServiceError::Kind::Decoding);
            if (path.isEmpty())
                QVERIFY2(error.description().startsWith(u"Malformed JSON"_s), qPrintable(error.description()));
            else
                QVERIFY2(error.description().contains(u" at "_s + path + u':'), qPrintable(error.description()));
        }
    }

    void optionalAndUnknownMembers()
    {
        const auto response = decode<ScheduleResponse>(
            gameJson(R"(,"venue":null,"linescore":{},"unknownMember":{"deep":[1,2,3]},"gamesInSeries":3)"));
        const Game &game = response.dates.at(0).games.at(0);
        QCOMPARE(game.gamePk, 745123);
        QVERIFY(!game.venue);
        QVERIFY(!game.broadcasts);
        QVERIFY(!game.officialDate);
        QVERIFY(game.linescore);
        QVERIFY(!game.linescore->teams);
        QCOMPARE(game.gamesInSeries, 3);
        QVERIFY(!game.teams.away.score);
    }

    void wideIntegersAndText()
    {
        // 2^53 + 1 does not survive a trip through a double.
        QByteArray json = gameJson(R"(,"venue":{"id":-4,"name":"Estadio Alfredo Harp Helú"})");
        json.replace("745123", "9007199254740993");
        const Game game = decode<ScheduleResponse>(json).dates.at(0).games.at(0);
        QCOMPARE(game.gamePk, Q_INT64_C(9007199254740993));
        QCOMPARE(game.venue->id, -4);
        QCOMPARE(game.venue->name, u"Estadio Alfredo Harp Helú"_s);
    }

    void emptyDates() { QVERIFY(decode<ScheduleResponse>(R"({"dates":[],"totalGames":0})"_ba).dates.empty()); }

    void recordedValues()
    {
        // Texts built from these records are checked where the views show them; here what only decoding shows.
        const auto postponedDay = decode<ScheduleResponse>(readTestData(u"schedule-2022-04-07-postponed.json"_s));
        const Game &postponed = postponedDay.dates.at(0).games.at(7);
        QVERIFY(!postponed.teams.home.score);

        const auto previewDay = decode<ScheduleResponse>(readTestData(u"schedule-2026-03-18-preview-probables.json"_s));
        const Game &preview = previewDay.dates.at(0).games.at(2);
        QVERIFY(preview.linescore->teams->home);
        QVERIFY(!preview.linescore->teams->home->runs);

        const auto finals = decode<ScheduleResponse>(readTestData(u"schedule-2026-04-20-hydrated.json"_s));
        const Game &extraInnings = finals.dates.at(0).games.at(5);
        QCOMPARE(extraInnings.linescore->currentInningOrdinal, u"12th"_s);
        QCOMPARE(extraInnings.linescore->isTopInning, false);
        QCOMPARE(extraInnings.linescore->teams->away->runs, 7);
        QCOMPARE(extraInnings.linescore->teams->home->hits, 14);
    }
};

QTEST_GUILESS_MAIN(TestDecoder)
#include "tst_decoder.moc"
