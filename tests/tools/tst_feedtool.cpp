#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryFile>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {

struct Run {
    int exitCode = -1;
    QByteArray out;
    QByteArray err;
};

Run feedtool(const QStringList &arguments, const QString &zone = QString())
{
    QProcess process;
    if (!zone.isEmpty()) {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(u"TZ"_s, zone);
        process.setProcessEnvironment(environment);
    }
    process.start(QStringLiteral(FEEDTOOL), arguments);
    process.waitForFinished(30000);
    return { process.exitCode(), process.readAllStandardOutput(), process.readAllStandardError() };
}

QString recording(const char *name)
{
    return QStringLiteral(BASELARK_TEST_DATA "/") + QString::fromLatin1(name);
}

} // namespace

// The feedtool's commands on recordings: their JSON shape, flags and errors.
class TestFeedtool : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void postponedDay()
    {
        const Run run = feedtool({ u"schedule"_s, recording("schedule-2022-04-07-postponed.json") });
        QCOMPARE(run.exitCode, 0);
        const QJsonObject root = QJsonDocument::fromJson(run.out).object();
        QCOMPARE(root.keys(), (QStringList { u"games"_s, u"menuBarTitle"_s, u"sortedGamePks"_s }));
        const QJsonArray games = root[u"games"].toArray();
        QCOMPARE(games.size(), 9);
        const QJsonObject postponed = games[7].toObject();
        QCOMPARE(postponed[u"gamePk"].toInteger(), 661333);
        // Every derived text is written; their values are the records' own tests.
        QCOMPARE(postponed.keys(),
            (QStringList { u"broadcastText"_s, u"externalURL"_s, u"gamePk"_s, u"isFinal"_s, u"rescheduleText"_s,
                u"seriesText"_s, u"startTimeText"_s, u"statusText"_s }));
        QCOMPARE(postponed[u"statusText"].toString(), u"Postponed: Inclement Weather"_s);
        QCOMPARE(root[u"sortedGamePks"].toArray().first().toInteger(), 661333); // the Yankees by default
        QCOMPARE(root[u"menuBarTitle"].toString(), u"BOS @ NYY · Postponed"_s);
    }

    void flagsAndNulls()
    {
        const Run spoilers
            = feedtool({ u"schedule"_s, recording("schedule-2026-04-20-hydrated.json"), u"--favorite"_s, u"117"_s });
        QCOMPARE(QJsonDocument::fromJson(spoilers.out)[u"menuBarTitle"].toString(), u"HOU @ CLE 9-2 F"_s);
        const Run hidden = feedtool({ u"schedule"_s, recording("schedule-2026-04-20-hydrated.json"), u"--no-spoilers"_s,
            u"--favorite"_s, u"117"_s });
        const QJsonObject root = QJsonDocument::fromJson(hidden.out).object();
        QCOMPARE(root[u"menuBarTitle"].toString(), u"HOU @ CLE · Final"_s);
        QCOMPARE(root[u"sortedGamePks"].toArray().first().toInteger(), 824450);

        const Run preview = feedtool({ u"schedule"_s, recording("schedule-2026-03-18-preview-probables.json") });
        const QJsonObject first = QJsonDocument::fromJson(preview.out)[u"games"].toArray().first().toObject();
        QVERIFY(first.contains(u"seriesText"));
        QVERIFY(first[u"seriesText"].isNull());
        QCOMPARE(first[u"externalURL"].toString(), u"https://www.mlb.com/gameday/831556/preview"_s);
    }

    void liveDetail_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QByteArray>("expected");
        QTest::newRow("in progress") << recording("feed-live-inprogress-633860.json")
                                     << R"({"gamePk":633860,"venueName":"Coors Field","countText":"0-2",)"
                                        R"("outsText":"0 outs","matchupText":"Trejo vs Geus",)"
                                        R"("runnerTexts":["1B Diaz"],"nextBatter":"Raimel Tapia"})"_ba;
    }

    void liveDetail()
    {
        QFETCH(QString, file);
        QFETCH(QByteArray, expected);
        const Run run = feedtool({ u"detail"_s, file });
        QCOMPARE(run.exitCode, 0);
        // Same members, in this order.
        QCOMPARE(QJsonDocument::fromJson(run.out).toJson(QJsonDocument::Compact),
            QJsonDocument::fromJson(expected).toJson(QJsonDocument::Compact));
        QVERIFY(run.out.indexOf("\"countText\"") < run.out.indexOf("\"nextBatter\""));
    }

    void detailWithoutSituation()
    {
        QTemporaryFile bare;
        QVERIFY(bare.open());
        bare.write(R"({"gamePk":5,"gameData":{},"liveData":{"linescore":{}}})");
        bare.close();
        const QJsonObject root = QJsonDocument::fromJson(feedtool({ u"detail"_s, bare.fileName() }).out).object();
        for (const char *member : { "venueName", "countText", "outsText", "matchupText", "nextBatter" })
            QVERIFY2(root.contains(QLatin1StringView(member)) && root[QLatin1StringView(member)].isNull(), member);
        QCOMPARE(root[u"runnerTexts"].toArray().size(), 0);
    }

    void standings()
    {
        const Run run = feedtool({ u"standings"_s, recording("standings-2024.json") });
        QCOMPARE(run.exitCode, 0);
        const QJsonArray records = QJsonDocument::fromJson(run.out)[u"records"].toArray();
        QStringList divisions;
        for (const QJsonValue &record : records)
            divisions << QString::number(record[u"divisionId"].toInteger()) + u' '
                    + record[u"divisionDisplayName"].toString();
        QCOMPARE(divisions,
            (QStringList { u"201 AL East"_s, u"202 AL Central"_s, u"200 AL West"_s, u"204 NL East"_s,
                u"205 NL Central"_s, u"203 NL West"_s }));
        const QJsonObject whiteSox = records[1][u"teams"].toArray()[4].toObject();
        QCOMPARE(QJsonDocument(whiteSox).toJson(QJsonDocument::Compact),
            QJsonDocument::fromJson(R"({"id":145,"abbr":"CWS","wins":41,"losses":121,"pctText":".253",)"
                                    R"("lastTenText":"5-5","streak":"W2","gamesBack":"51.5"})")
                .toJson(QJsonDocument::Compact));

        // A club without streak or split records, and one the directory does not know.
        QTemporaryFile bare;
        QVERIFY(bare.open());
        bare.write(R"({"records":[{"division":{"id":999},"teamRecords":[{"team":{"id":4242,"name":"X"},)"
                   R"("leagueRecord":{"wins":0,"losses":0,"pct":""},"gamesBack":"-","divisionRank":"1"}]}]})");
        bare.close();
        const QJsonObject division
            = QJsonDocument::fromJson(feedtool({ u"standings"_s, bare.fileName() }).out)[u"records"]
                  .toArray()
                  .first()
                  .toObject();
        QCOMPARE(division[u"divisionDisplayName"].toString(), u"Division 999"_s);
        const QJsonObject club = division[u"teams"].toArray().first().toObject();
        QCOMPARE(club[u"abbr"].toString(), u"MLB"_s);
        QCOMPARE(club[u"pctText"].toString(), u"-"_s);
        QCOMPARE(club[u"lastTenText"].toString(), u"TBD"_s);
        QVERIFY(club.contains(u"streak") && club[u"streak"].isNull());
    }

    void boxScore()
    {
        const Run run = feedtool({ u"boxscore"_s, recording("feed-live-final-748534.json") });
        QCOMPARE(run.exitCode, 0);
        const QJsonObject root = QJsonDocument::fromJson(run.out).object();
        QVERIFY(run.out.indexOf("\"gamePk\"") < run.out.indexOf("\"footer\""));
        QCOMPARE(root[u"status"].toString(), u"final"_s);
        QCOMPARE(QJsonDocument(root[u"lineScore"][u"homeTotals"].toObject()).toJson(QJsonDocument::Compact),
            R"({"errors":1,"hits":5,"runs":0})"_ba);
        const QJsonObject starter = root[u"home"][u"battingRows"].toArray().first().toObject();
        QCOMPARE(starter.keys().size(), 13);
        QVERIFY(starter.contains(u"roleNotation") && starter[u"roleNotation"].isNull());
        QCOMPARE(starter[u"indentLevel"].toInteger(-1), 0);
        QCOMPARE(root[u"footer"][u"attendance"].toString(), u"48,511"_s);
        QCOMPARE(feedtool({ u"boxscore"_s }).exitCode, 2);
    }

    void patch_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QByteArray>("expected");
        const QString feedA = recording("feed-live-inprogress-746139-a.json");
        const QString feedB = recording("feed-live-inprogress-746139-b.json");
        const QString patchA = recording("diffpatch-746139-a.json");
        const QString patchB = recording("diffpatch-746139-b.json");
        QTest::newRow("detail") << QStringList { u"patch"_s, feedA, patchA } << 0 << "\"countText\": \"1-2\""_ba;
        QTest::newRow("box score") << QStringList { u"patch"_s, feedB, patchB, u"--kind"_s, u"boxscore"_s } << 0
                                   << "\"status\": \"live\""_ba;
        // Later patches go on from where the earlier ones left the feed; another base is refused.
        QTest::newRow("in order") << QStringList { u"patch"_s, feedA, patchA, patchA } << 1 << "diffpatch-746139-a"_ba;
        QTest::newRow("wrong base") << QStringList { u"patch"_s, feedA, patchB } << 1 << "does not apply"_ba;
        QTest::newRow("no patch") << QStringList { u"patch"_s, feedA } << 2 << "at least one PATCH"_ba;
        QTest::newRow("unknown kind") << QStringList { u"patch"_s, feedA, patchA, u"--kind"_s, u"plays"_s } << 2
                                      << "unknown kind"_ba;
    }

    void patch()
    {
        QFETCH(QStringList, arguments);
        QFETCH(int, exitCode);
        QFETCH(QByteArray, expected);
        const Run run = feedtool(arguments);
        QCOMPARE(run.exitCode, exitCode);
        QVERIFY2((exitCode == 0 ? run.out : run.err).contains(expected), run.out + run.err);
    }

    void errors()
    {
        QCOMPARE(feedtool({}).exitCode, 2);
        QCOMPARE(feedtool({ u"schedule"_s }).exitCode, 2);
        QCOMPARE(feedtool({ u"schedule"_s, u"/nonexistent.json"_s }).exitCode, 2);
        QCOMPARE(feedtool({ u"standings-of-the-moon"_s, recording("standings-2024.json") }).exitCode, 2);

        QTemporaryFile broken;
        QVERIFY(broken.open());
        broken.write(R"({"dates":[{"date":"2024-04-01","games":[{"gamePk":"1"}]}]})");
        broken.close();
        const Run run = feedtool({ u"schedule"_s, broken.fileName() });
        QCOMPARE(run.exitCode, 1);
        QVERIFY2(run.err.contains("dates[0].games[0].gamePk"), run.err.constData());
        QVERIFY(run.out.isEmpty());

        QCOMPARE(feedtool({ u"detail"_s }).exitCode, 2);
        QTemporaryFile noLinescore;
        QVERIFY(noLinescore.open());
        noLinescore.write(R"({"gamePk":5,"gameData":{},"liveData":{}})");
        noLinescore.close();
        const Run detail = feedtool({ u"detail"_s, noLinescore.fileName() });
        QCOMPARE(detail.exitCode, 1);
        QVERIFY2(detail.err.contains("liveData.linescore"), detail.err.constData());

        QCOMPARE(feedtool({ u"standings"_s }).exitCode, 2);
        QTemporaryFile noGamesBack;
        QVERIFY(noGamesBack.open());
        noGamesBack.write(R"({"records":[{"division":{"id":201},"teamRecords":[{"team":{"id":147,"name":"Yankees"},)"
                          R"("leagueRecord":{"wins":1,"losses":0,"pct":"1.000"},"divisionRank":"1"}]}]})");
        noGamesBack.close();
        const Run standings = feedtool({ u"standings"_s, noGamesBack.fileName() });
        QCOMPARE(standings.exitCode, 1);
        QVERIFY2(standings.err.contains("records[0].teamRecords[0].gamesBack"), standings.err.constData());
    }
    // The game day is one instant everywhere (05:00 in New York; five hours after New York's midnight on the days
    // its clocks change), and the title is about the favourite's game of that day, with its start in local time.
    void title_data()
    {
        QTest::addColumn<QString>("zone");
        QTest::addColumn<QString>("file");
        QTest::addColumn<QString>("now");
        QTest::addColumn<QString>("favorite");
        QTest::addColumn<QString>("gameDay");
        QTest::addColumn<QString>("title");
        const QString spring = recording("schedule-2026-03-18-preview-probables.json");
        // Boston at the Yankees, 17:05 UTC on game day 2026-03-18; at 12:00 UTC it is already the 19th in Auckland.
        const QString morning = u"2026-03-18T12:00:00Z"_s;
        for (const auto &[zone, start] :
            { std::pair(u"America/New_York"_s, u"1:05 PM"_s), std::pair(u"America/Los_Angeles"_s, u"10:05 AM"_s),
                std::pair(u"Pacific/Honolulu"_s, u"7:05 AM"_s), std::pair(u"Europe/London"_s, u"5:05 PM"_s),
                std::pair(u"Europe/Berlin"_s, u"6:05 PM"_s), std::pair(u"Asia/Tokyo"_s, u"2:05 AM"_s),
                std::pair(u"Australia/Sydney"_s, u"4:05 AM"_s), std::pair(u"Pacific/Auckland"_s, u"6:05 AM"_s) }) {
            QTest::addRow("%s", qPrintable(zone))
                << zone << spring << morning << u"147"_s << u"2026-03-18"_s << u"BOS @ NYY "_s + start;
        }
        // Mid-morning in Tokyo is still the evening before in New York.
        QTest::newRow("Tokyo, 10:00 next morning") << u"Asia/Tokyo"_s << spring << u"2026-03-19T01:00:00Z"_s << u"147"_s
                                                   << u"2026-03-18"_s << u"BOS @ NYY 2:05 AM"_s;
        QTest::newRow("after the turn") << u"Asia/Tokyo"_s << spring << u"2026-03-19T09:01:00Z"_s << u"147"_s
                                        << u"2026-03-19"_s << u"NYY — Off Day"_s;

        const QString pittsburgh = recording("schedule-team134-season2025.json");
        // 2025-03-09 began at 05:00 UTC (still standard time), so its game day began at 10:00 UTC, 06:00 EDT.
        QTest::newRow("spring forward, 05:30 EDT") << u"America/New_York"_s << pittsburgh << u"2025-03-09T09:30:00Z"_s
                                                   << u"134"_s << u"2025-03-08"_s << u"PIT @ ATL 5-6 F"_s;
        QTest::newRow("spring forward, 06:30 EDT") << u"Europe/Berlin"_s << pittsburgh << u"2025-03-09T10:30:00Z"_s
                                                   << u"134"_s << u"2025-03-09"_s << u"PIT @ DET 3-5 F"_s;
        // 2025-11-02 began at 04:00 UTC (daylight time), so its game day began at 09:00 UTC, 04:00 EST.
        QTest::newRow("fall back, 03:59 EST") << u"America/Los_Angeles"_s << pittsburgh << u"2025-11-02T08:59:00Z"_s
                                              << u"134"_s << u"2025-11-01"_s << u"PIT — Off Day"_s;
        QTest::newRow("fall back, 04:01 EST") << u"Australia/Sydney"_s << pittsburgh << u"2025-11-02T09:01:00Z"_s
                                              << u"134"_s << u"2025-11-02"_s << u"PIT — Off Day"_s;
        QTest::newRow("doubleheader, service order") << u"Europe/London"_s << pittsburgh << u"2025-06-19T23:30:00Z"_s
                                                     << u"134"_s << u"2025-06-19"_s << u"PIT @ DET 2-9 F"_s;
        // The nightcap made live (no recording holds a game in progress at the turn).
        QTest::newRow("live across the turn")
            << u"Pacific/Auckland"_s << u"nightcap live"_s << u"2025-06-20T09:30:00Z"_s << u"134"_s << u"2025-06-20"_s
            << u"PIT @ DET 8-4 Live"_s;
    }

    void title()
    {
        QFETCH(QString, zone);
        QFETCH(QString, file);
        QFETCH(QString, now);
        QFETCH(QString, favorite);
        QTemporaryFile edited;
        if (file == u"nightcap live"_s) {
            QFile recorded(recording("schedule-team134-season2025.json"));
            QVERIFY(recorded.open(QIODevice::ReadOnly));
            QJsonObject root = QJsonDocument::fromJson(recorded.readAll()).object();
            QJsonArray dates = root[u"dates"].toArray();
            for (qsizetype i = 0; i < dates.size(); ++i) {
                QJsonObject day = dates[i].toObject();
                if (day[u"date"].toString() != u"2025-06-19"_s) continue;
                QJsonArray games = day[u"games"].toArray();
                QJsonObject nightcap = games[1].toObject();
                QJsonObject status = nightcap[u"status"].toObject();
                status[u"abstractGameState"] = u"Live"_s;
                status[u"detailedState"] = u"In Progress"_s;
                nightcap[u"status"] = status;
                games[1] = nightcap;
                day[u"games"] = games;
                dates[i] = day;
            }
            root[u"dates"] = dates;
            QVERIFY(edited.open());
            edited.write(QJsonDocument(root).toJson());
            edited.close();
            file = edited.fileName();
        }
        const Run run = feedtool({ u"title"_s, file, u"--now"_s, now, u"--favorite"_s, favorite }, zone);
        QCOMPARE(run.exitCode, 0);
        const QJsonObject root = QJsonDocument::fromJson(run.out).object();
        QCOMPARE(root.keys(), (QStringList { u"gameDay"_s, u"title"_s }));
        QTEST(root[u"gameDay"].toString(), "gameDay");
        QTEST(root[u"title"].toString(), "title");
        QCOMPARE(feedtool({ u"title"_s, file }).exitCode, 2); // --now is required
    }

    // The alerts for what happened between two saved states: the recorded final, cut after its first run.
    void events()
    {
        QFile recorded(recording("feed-live-final-748534.json"));
        QVERIFY(recorded.open(QIODevice::ReadOnly));
        QJsonObject root = QJsonDocument::fromJson(recorded.readAll()).object();
        QTemporaryFile after;
        QVERIFY(after.open());
        after.write(QJsonDocument(root).toJson(QJsonDocument::Compact));
        after.close();
        QJsonObject liveData = root[u"liveData"].toObject();
        QJsonObject plays = liveData[u"plays"].toObject();
        plays[u"scoringPlays"] = QJsonArray { 48 };
        liveData[u"plays"] = plays;
        root[u"liveData"] = liveData;
        QJsonObject gameData = root[u"gameData"].toObject();
        gameData[u"status"] = QJsonObject { { u"abstractGameState"_s, u"Live"_s } };
        root[u"gameData"] = gameData;
        QTemporaryFile before;
        QVERIFY(before.open());
        before.write(QJsonDocument(root).toJson(QJsonDocument::Compact));
        before.close();

        const Run run = feedtool({ u"events"_s, before.fileName(), after.fileName() });
        QCOMPARE(run.exitCode, 0);
        const QJsonArray events = QJsonDocument::fromJson(run.out)[u"events"].toArray();
        QStringList lines;
        for (const QJsonValue &event : events) {
            QCOMPARE(event.toObject().keys(), (QStringList { u"body"_s, u"id"_s, u"kind"_s, u"title"_s }));
            lines << event[u"kind"].toString() + u' ' + event[u"id"].toString() + u' ' + event[u"title"].toString();
        }
        QCOMPARE(lines,
            (QStringList { u"score baselark-score-748534-68 TEX 3, AZ 0"_s,
                u"score baselark-score-748534-71 TEX 5, AZ 0"_s,
                u"final baselark-final-748534 Final: Texas Rangers 5, Arizona Diamondbacks 0"_s }));
        QCOMPARE(feedtool({ u"events"_s, before.fileName() }).exitCode, 2);
    }

    void plan()
    {
        QTemporaryFile file;
        QVERIFY(file.open());
        const auto game = [](int pk, const char *date, const char *state) {
            return u"{\"gamePk\":%1,\"gameDate\":\"%2\",\"status\":{\"abstractGameState\":\"%3\",\"detailedState\":"
                   u"\"x\"},"
                   "\"teams\":{\"away\":{\"team\":{\"id\":147,\"name\":\"New York Yankees\"}},"
                   "\"home\":{\"team\":{\"id\":110,\"name\":\"Baltimore Orioles\"}}}}"_s.arg(pk)
                       .arg(QLatin1StringView(date), QLatin1StringView(state));
        };
        file.write((u"{\"dates\":[{\"date\":\"2026-04-20\",\"games\":["_s + game(3, "2026-04-20T17:00:00Z", "Final")
            + u","_s + game(12, "2026-04-20T23:05:00Z", "Preview") + u"]},{\"date\":\"2026-04-21\",\"games\":["_s
            + game(11, "2026-04-20T23:05:00-00:00", "Preview") + u"]}]}"_s)
                       .toUtf8());
        file.close();
        const Run run = feedtool({ u"plan"_s, file.fileName(), u"--lead"_s, u"10"_s, u"--now"_s,
            u"2026-04-20T14:00:00-04:00"_s, u"--pending"_s, u"baselark-game-start-12,baselark-game-start-3"_s });
        QCOMPARE(run.exitCode, 0);
        QCOMPARE(QJsonDocument::fromJson(run.out).toJson(QJsonDocument::Compact),
            QByteArray(R"({"next":"baselark-game-start-11","requests":[{"body":"New York Yankees @ Baltimore Orioles )"
                       R"(starts in 10 minutes","gamePk":11,"id":"baselark-game-start-11","leadMinutes":10,"title":)"
                       R"("Game Starting Soon","triggerDate":"2026-04-20T22:55:00Z"},{"body":"New York Yankees @ )"
                       R"(Baltimore Orioles starts in 10 minutes","gamePk":12,"id":"baselark-game-start-12",)"
                       R"("leadMinutes":10,"title":"Game Starting Soon","triggerDate":"2026-04-20T22:55:00Z"}],)"
                       R"("stale":["baselark-game-start-3"]})"));
        QVERIFY(run.out.startsWith("{\n  \"requests\": ["));
        QCOMPARE(feedtool({ u"plan"_s, file.fileName(), u"--lead"_s, u"10"_s }).exitCode, 2);
    }
};

QTEST_GUILESS_MAIN(TestFeedtool)
#include "tst_feedtool.moc"
