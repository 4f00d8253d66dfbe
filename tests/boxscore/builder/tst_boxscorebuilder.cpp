#include "boxscore/boxscore.h"
#include "testdata.h"

#include <QLocale>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {

using Status = BoxScore::GameStatus;

GameLiveFeedResponse recordedFinal()
{
    return decode<GameLiveFeedResponse>(readTestData(u"feed-live-final-748534.json"_s));
}

QString person(qint64 id, const char *name, const QByteArray &extra)
{
    return u"\"ID%1\":{\"person\":{\"id\":%1,\"fullName\":\"%2\"}%3}"_s.arg(id).arg(
        QLatin1StringView(name), QString::fromUtf8(extra));
}

// One club: slot 1 with a starter and two substitutes listed out of order, a slot holding only a
// substitute, a pitcher who never batted, an unparsable order, and pitchers with and without stats.
BoxscoreTeam handMadeTeam()
{
    const QStringList players {
        person(10, "Al Sub", R"(,"battingOrder":"101","stats":{"batting":{"hits":1}})"),
        person(11, "Bo Starter",
            R"(,"battingOrder":"100","stats":{"batting":{"atBats":4,"hits":2,"rbi":1}},)"
            R"("seasonStats":{"batting":{"avg":".250"}})"),
        person(12, "Cy Pinch", R"(,"battingOrder":"102","allPositions":[{"abbreviation":"PH"},{"abbreviation":"LF"}])"),
        person(20, "Di Two",
            R"(,"battingOrder":"200","allPositions":[{"abbreviation":"LF"},{"abbreviation":"LF"},)"
            R"({"abbreviation":"CF"}])"),
        person(30, "Ed Ken Griffey Jr.",
            R"(,"battingOrder":"301","allPositions":[{"abbreviation":"PH"},)"
            R"({"abbreviation":"LF"}])"),
        person(40, "Fa Pitcher",
            R"json(,"stats":{"batting":{"hits":3},"pitching":{"note":"(W, 1-0)",)json"
            R"("inningsPitched":"6.0","runs":2}},"seasonStats":{"pitching":{"era":"3.00"}})"),
        person(50, "Gu Garbled", R"(,"battingOrder":"1x0","stats":{"batting":{"hits":5}})"),
        person(61, "Hi Batless", R"(,"stats":{"batting":{}})"),
        person(62, "Io Reliever", R"(,"stats":{"pitching":{"note":"","hits":0}})"),
    };
    const QString json
        = uR"({"batters":[10,11,12,20,30,40,50],"pitchers":[40,61,62,99],"players":{%1},)"
          uR"("info":[{"title":"Batting","fieldList":[{"label":"2B","value":"Starter (1)."},)"
          uR"({"label":"TB","value":"x"},{"label":"HR"}]},{"title":"Pitching","fieldList":)"
          uR"([{"label":"E","value":"no"}]},{"title":"FIELDING","fieldList":[{"label":"E","value":"Sub."}]}]})"_s.arg(
              players.join(u','));
    return decode<BoxscoreTeam>(json.toUtf8());
}

} // namespace

// Building the display-ready box score from a live feed.
class TestBoxScoreBuilder : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void worldSeriesFinal()
    {
        const BoxScore box = buildBoxScore(recordedFinal());
        QCOMPARE(box.status, Status::Final);
        QCOMPARE(box.result.title, u"Texas Rangers 5, Arizona Diamondbacks 0"_s);
        QCOMPARE(box.result.decisions, u"W: Eovaldi \u00B7 L: Gallen \u00B7 Sv: Sborz"_s);

        const auto &line = box.lineScore;
        QCOMPARE(line.innings.size(), 9u);
        QCOMPARE(line.innings[8].homeRuns, u"0"_s); // Arizona trailed, so it batted in the ninth
        QCOMPARE(line.awayTotals, (BoxScore::LineScore::TeamTotals { 5, 9, 0 }));
        QCOMPARE(line.homeTotals, (BoxScore::LineScore::TeamTotals { 0, 5, 1 }));
        // The players' own lines add up to the line score.
        QCOMPARE((QStringList { box.away.battingTotals.runs, box.away.battingTotals.hits, box.home.battingTotals.runs,
                     box.home.battingTotals.hits }),
            (QStringList { u"5"_s, u"9"_s, u"0"_s, u"5"_s }));

        // Nine Rangers, no pitcher batted; Smith hit for Longoria and Rivera took over third.
        QCOMPARE(box.away.battingRows.size(), 9u);
        const auto &smith = box.home.battingRows[8];
        QCOMPARE(box.home.battingRows[7].playerName, u"Longoria"_s);
        QCOMPARE((QStringList { smith.playerName, smith.positionText, smith.roleNotation.value_or(u"<none>"_s) }),
            (QStringList { u"Smith"_s, u"ph"_s, u"ph"_s }));
        QCOMPARE(box.home.battingRows[9].positionText, u"3b"_s);
        QCOMPARE(box.home.battingRows[9].indentLevel, 1);

        QCOMPARE(box.scoringPlays.size(), 3u);
        const BoxScore::Footer footer { u"Brian Knight"_s, u"Bill Miller"_s, u"D.J. Reyburn"_s, u"Quinn Wolcott"_s,
            u"79 degrees, Clear"_s, u"2:54"_s, u"48,511"_s };
        QCOMPARE(box.footer, footer);
    }

    void unplayedBottomHalf_data()
    {
        QTest::addColumn<QString>("state");
        QTest::addColumn<int>("inning");
        QTest::addColumn<QString>("expected");
        QTest::newRow("final, last inning") << u"Final"_s << 9 << u"x"_s;
        QTest::newRow("live, last inning") << u"Live"_s << 9 << u"-"_s;
        QTest::newRow("final, earlier inning") << u"Final"_s << 8 << u"-"_s;
    }

    void unplayedBottomHalf()
    {
        QFETCH(QString, state);
        QFETCH(int, inning);
        auto feed = recordedFinal();
        feed.gameData.status->abstractGameState = state;
        (*feed.liveData.linescore.innings)[static_cast<size_t>(inning - 1)].home.reset();
        const BoxScore box = buildBoxScore(feed);
        QTEST(box.lineScore.innings[static_cast<size_t>(inning - 1)].homeRuns, "expected");
    }

    void gameStatus_data()
    {
        QTest::addColumn<std::optional<QString>>("abstractState");
        QTest::addColumn<std::optional<QString>>("detailedState");
        QTest::addColumn<QString>("expected");
        const std::optional<QString> none;
        QTest::newRow("postponed beats final")
            << std::optional(u"Final"_s) << std::optional(u"Postponed"_s) << u"postponed"_s;
        QTest::newRow("postponed in any case") << none << std::optional(u"Final: POSTPONED"_s) << u"postponed"_s;
        QTest::newRow("upper-case live") << std::optional(u"LIVE"_s) << none << u"live"_s;
        QTest::newRow("preview") << std::optional(u"Preview"_s) << std::optional(u"Scheduled"_s) << u"scheduled"_s;
        QTest::newRow("unknown word") << std::optional(u"Suspended"_s) << none << u"other"_s;
        QTest::newRow("no state") << none << none << u"other"_s;
    }

    void gameStatus()
    {
        QFETCH(std::optional<QString>, abstractState);
        QFETCH(std::optional<QString>, detailedState);
        QFETCH(QString, expected);
        const Status status = deriveGameStatus(abstractState, detailedState);
        QCOMPARE(BoxScore::rawValue(status), expected);
        QCOMPARE(BoxScore::gameStatusFromRawValue(expected), std::optional(status));
    }

    void slotOrder_data()
    {
        QTest::addColumn<QByteArray>("allPlays");
        QTest::addColumn<QList<qint64>>("order");
        QTest::newRow("no plays: by order number") << QByteArray("[]") << QList<qint64> { 11, 10, 12, 20, 30 };
        // 12 batted before 10 reached base; the play without an at-bat index is ignored.
        QTest::newRow("by first appearance")
            << QByteArray(R"([{"about":{},"matchup":{"batter":{"id":10}}},)"
                          R"({"about":{"atBatIndex":1},"matchup":{"batter":{"id":12},"pitcher":{"id":40}}},)"
                          R"({"about":{"atBatIndex":4},"runners":[{"details":{"runner":{"id":10}}}]}])")
            << QList<qint64> { 11, 12, 10, 20, 30 };
        QTest::newRow("neither appeared: by order number")
            << QByteArray(R"([{"about":{"atBatIndex":0},"matchup":{"batter":{"id":11}}}])")
            << QList<qint64> { 11, 10, 12, 20, 30 };
    }

    void slotOrder()
    {
        QFETCH(QByteArray, allPlays);
        const auto appearances = firstAppearanceIndex(decode<PlaysData>(R"({"allPlays":)" + allPlays + "}"));
        const auto box = buildTeamBox(handMadeTeam(), u"TST"_s, u"Testers"_s, appearances);
        QList<qint64> ids;
        QList<qint64> indents;
        for (const auto &row : box.battingRows) {
            ids << row.personId;
            indents << row.indentLevel;
            QCOMPARE(row.roleNotation.has_value(), row.indentLevel == 1);
        }
        QTEST(ids, "order");
        QCOMPARE(indents, (QList<qint64> { 0, 1, 1, 0, 0 }));
        // The pitcher without a batting order and the garbled order count nowhere.
        QCOMPARE(box.battingTotals.hits, u"3"_s);
        QCOMPARE(box.battingTotals.atBats, u"4"_s);
    }

    void battingAndPitchingRows()
    {
        const auto box = buildTeamBox(handMadeTeam(), u"TST"_s, u"Testers"_s, {});
        QStringList cells;
        for (const auto &row : box.battingRows) {
            cells << u"%1|%2|%3|%4|%5|%6"_s.arg(
                row.playerName, row.positionText, row.roleNotation.value_or(u"<none>"_s), row.hits, row.rbi, row.avg);
        }
        QCOMPARE(cells,
            (QStringList {
                u"Starter||<none>|2|1|.250"_s,
                u"Sub|?||1|0|.---"_s,
                u"Pinch|lf|ph-lf|0|0|.---"_s,
                u"Two|lf-cf|<none>|0|0|.---"_s,
                u"Griffey Jr.|ph-lf|<none>|0|0|.---"_s,
            }));

        QCOMPARE(box.pitchingRows.size(), 2u);
        const auto &starter = box.pitchingRows[0];
        QCOMPARE(starter.decisionTag, u" (W, 1-0)"_s);
        QCOMPARE((QStringList { starter.inningsPitched, starter.hits, starter.runs, starter.era }),
            (QStringList { u"6.0"_s, u"-"_s, u"2"_s, u"3.00"_s }));
        QCOMPARE(box.pitchingRows[1].decisionTag, std::nullopt);
        QCOMPARE(
            (QStringList { box.pitchingRows[1].inningsPitched, box.pitchingRows[1].hits, box.pitchingRows[1].era }),
            (QStringList { u"-"_s, u"0"_s, u"-"_s }));

        QCOMPARE(box.eventSummaries.size(), 2u);
        QCOMPARE(box.eventSummaries[0].label + box.eventSummaries[1].label, u"2BE"_s);
        QCOMPARE(box.eventSummaries[1].value, u"Sub."_s);
    }

    void missingBoxScoreAndTeams()
    {
        const auto feed = decode<GameLiveFeedResponse>(
            R"({"gamePk":7,"gameData":{"status":{"abstractGameState":"Preview"}},"liveData":{"linescore":{}}})");
        const BoxScore box = buildBoxScore(feed);
        QCOMPARE(box.result.title, u"Away at Home"_s);
        QCOMPARE(box.result.decisions, std::nullopt);
        QCOMPARE((QStringList { box.lineScore.awayAbbr, box.lineScore.homeAbbr, box.away.abbr, box.home.displayName }),
            (QStringList { u"AWY"_s, u"HOM"_s, u"AWY"_s, u"Home"_s }));
        const BoxScore::TeamBox::BattingTotals zeros { u"0"_s, u"0"_s, u"0"_s, u"0"_s, u"0"_s, u"0"_s };
        for (const auto *team : { &box.away, &box.home }) {
            QVERIFY(team->battingRows.empty() && team->pitchingRows.empty() && team->eventSummaries.empty());
            QCOMPARE(team->battingTotals, zeros);
        }
        QCOMPARE(box.footer, BoxScore::Footer {});
        QVERIFY(box.scoringPlays.empty() && box.lineScore.innings.empty());
    }

    void resultLine_data()
    {
        QTest::addColumn<Status>("status");
        QTest::addColumn<qint64>("awayRuns");
        QTest::addColumn<QByteArray>("decisions");
        QTest::addColumn<QString>("title");
        QTest::addColumn<QString>("line");
        QTest::newRow("final, winner only")
            << Status::Final << qint64(3) << QByteArray(R"({"winner":{"fullName":"A B"}})") << u"Visitors 3, Locals 2"_s
            << u"W: B"_s;
        QTest::newRow("final, tie names the away side first")
            << Status::Final << qint64(2) << QByteArray("{}") << u"Visitors 2, Locals 2"_s << u"<none>"_s;
        QTest::newRow("live, loser and save")
            << Status::Live << qint64(1) << QByteArray(R"({"loser":{"id":1},"save":{"fullName":"C D"}})")
            << u"Visitors 1, Locals 2"_s << u"Sv: D"_s;
        QTest::newRow("postponed") << Status::Postponed << qint64(0) << QByteArray() << u"Visitors at Locals"_s
                                   << u"<none>"_s;
    }

    void resultLine()
    {
        QFETCH(Status, status);
        QFETCH(qint64, awayRuns);
        QFETCH(QByteArray, decisions);
        BoxScore::TeamBox away, home;
        away.displayName = u"Visitors"_s;
        home.displayName = u"Locals"_s;
        const auto record = decisions.isEmpty() ? std::nullopt : std::optional(decode<DecisionsData>(decisions));
        const auto result = buildResultLine(status, away, home, awayRuns, 2, record);
        QTEST(result.title, "title");
        QTEST(result.decisions.value_or(u"<none>"_s), "line");
    }

    void scoringPlays()
    {
        // Indexes out of range are skipped; the last play lacks about and result.
        const auto rows = buildScoringPlays(decode<PlaysData>(
            R"({"scoringPlays":[-1,0,1,2,3],"allPlays":[)"
            R"({"about":{"halfInning":"Top","inning":3},"result":{"awayScore":1,"description":"\n Single. \n"}},)"
            R"({"about":{"halfInning":"bottom","inning":7},"result":{"homeScore":2}},{}]})"));
        QStringList texts;
        for (const auto &row : rows)
            texts << row.inningMarker + u' ' + row.scoreState + u' ' + row.description;
        QCOMPARE(texts, (QStringList { u"\u25B23 1-0 Single."_s, u"\u25BC7 0-2 "_s, u"\u25BC? 0-0 "_s }));
    }

    void footer_data()
    {
        QTest::addColumn<QByteArray>("weather");
        QTest::addColumn<qint64>("minutes");
        QTest::addColumn<qint64>("attendance");
        QTest::addColumn<QString>("locale");
        QTest::addColumn<QStringList>("expected");
        QTest::newRow("condition only, under an hour, nobody")
            << QByteArray(R"({"condition":"Dome","wind":"0 mph"})") << qint64(59) << qint64(0) << u"C"_s
            << QStringList { u"Dome"_s, u"0:59"_s, u"0"_s };
        QTest::newRow("temperature only, grouped") << QByteArray(R"({"temp":"72"})") << qint64(185) << qint64(41234)
                                                   << u"C"_s << QStringList { u"72 degrees"_s, u"3:05"_s, u"41,234"_s };
        QTest::newRow("no weather parts, German grouping")
            << QByteArray(R"({"wind":"5 mph"})") << qint64(600) << qint64(1234567) << u"de_DE"_s
            << QStringList { u"<none>"_s, u"10:00"_s, u"1.234.567"_s };
    }

    void footer()
    {
        QFETCH(QByteArray, weather);
        QFETCH(qint64, minutes);
        QFETCH(qint64, attendance);
        QFETCH(QString, locale);
        QLocale::setDefault(QLocale(locale));
        const auto officials
            = decode<BoxscoreData>(R"({"officials":[{"official":{"id":1,"fullName":"A"},"officialType":"Left Field"},)"
                                   R"({"official":{"id":2,"fullName":"B"},"officialType":"First Base"},)"
                                   R"({"official":{"id":3,"fullName":"C"},"officialType":"First Base"}]})");
        const auto footer = buildFooter(
            officials.officials, decode<WeatherData>(weather), GameInfoData { attendance, std::nullopt, minutes });
        QLocale::setDefault(QLocale::c());
        QTEST(
            (QStringList { footer.weather.value_or(u"<none>"_s), *footer.timeOfGame, *footer.attendance }), "expected");
        QCOMPARE(footer.umpire1B, u"B"_s);
        QCOMPARE(footer.umpireHP, std::nullopt);
    }
};

QTEST_GUILESS_MAIN(TestBoxScoreBuilder)
#include "tst_boxscorebuilder.moc"
