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

// Runs `arguments`, each "FILE" in them replaced by a file holding `bytes`.
Run feedtoolOn(const QByteArray &bytes, QStringList arguments)
{
    QTemporaryFile file;
    if (!file.open() || file.write(bytes) != bytes.size()) return {};
    file.close();
    arguments.replaceInStrings(u"FILE"_s, file.fileName());
    return feedtool(arguments);
}

QByteArray compact(const QJsonObject &object)
{
    return QJsonDocument(object).toJson(QJsonDocument::Compact);
}

} // namespace

// The feedtool's commands on recordings: their JSON shape, flags and errors.
class TestFeedtool : public QObject {
    Q_OBJECT

private Q_SLOTS:
    // Every derived text of every game is written, null where there is none; their values are the records' own
    // tests. The flags reach the title and the order.
    void schedule()
    {
        const Run run = feedtool({ u"schedule"_s, recording("schedule-2022-04-07-postponed.json") });
        QCOMPARE(run.exitCode, 0);
        const QJsonObject root = QJsonDocument::fromJson(run.out).object();
        QCOMPARE(root.keys(), (QStringList { u"games"_s, u"menuBarTitle"_s, u"sortedGamePks"_s }));
        QCOMPARE(root[u"games"].toArray().size(), 9);
        const QJsonObject postponed = root[u"games"][7].toObject();
        QCOMPARE(postponed.keys(),
            (QStringList { u"broadcastText"_s, u"externalURL"_s, u"gamePk"_s, u"isFinal"_s, u"rescheduleText"_s,
                u"seriesText"_s, u"startTimeText"_s, u"statusText"_s }));
        QCOMPARE(postponed[u"statusText"].toString(), u"Postponed: Inclement Weather"_s);
        QCOMPARE(root[u"sortedGamePks"][0].toInteger(), postponed[u"gamePk"].toInteger()); // the Yankees by default
        QCOMPARE(root[u"menuBarTitle"].toString(), u"BOS @ NYY · Postponed"_s);

        const QString day = recording("schedule-2026-04-20-hydrated.json");
        const Run spoilers = feedtool({ u"schedule"_s, day, u"--favorite"_s, u"117"_s });
        QCOMPARE(QJsonDocument::fromJson(spoilers.out)[u"menuBarTitle"].toString(), u"HOU @ CLE 9-2 F"_s);
        const Run hidden = feedtool({ u"schedule"_s, day, u"--no-spoilers"_s, u"--favorite"_s, u"117"_s });
        QCOMPARE(QJsonDocument::fromJson(hidden.out)[u"menuBarTitle"].toString(), u"HOU @ CLE · Final"_s);
        QCOMPARE(QJsonDocument::fromJson(hidden.out)[u"sortedGamePks"][0].toInteger(), 824450);

        const Run preview = feedtool({ u"schedule"_s, recording("schedule-2026-03-18-preview-probables.json") });
        const QJsonObject first = QJsonDocument::fromJson(preview.out)[u"games"][0].toObject();
        QVERIFY(first.contains(u"seriesText") && first[u"seriesText"].isNull());
    }

    void liveDetail()
    {
        const Run run = feedtool({ u"detail"_s, recording("feed-live-inprogress-633860.json") });
        QCOMPARE(run.exitCode, 0);
        // Exactly these members; the order is checked below.
        QCOMPARE(QJsonDocument::fromJson(run.out),
            QJsonDocument::fromJson(R"({"gamePk":633860,"venueName":"Coors Field","countText":"0-2",)"
                                    R"("outsText":"0 outs","matchupText":"Trejo vs Geus","runnerTexts":["1B Diaz"],)"
                                    R"("nextBatter":"Raimel Tapia"})"));
        QVERIFY(run.out.indexOf("\"countText\"") < run.out.indexOf("\"nextBatter\""));

        const QJsonObject bare = QJsonDocument::fromJson(
            feedtoolOn(R"({"gamePk":5,"gameData":{},"liveData":{"linescore":{}}})", { u"detail"_s, u"FILE"_s }).out)
                                     .object();
        for (const char *member : { "venueName", "countText", "outsText", "matchupText", "nextBatter" })
            QVERIFY2(bare.contains(QLatin1StringView(member)) && bare[QLatin1StringView(member)].isNull(), member);
        QCOMPARE(bare[u"runnerTexts"].toArray().size(), 0);
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
        QCOMPARE(compact(whiteSox),
            R"({"abbr":"CWS","gamesBack":"51.5","id":145,"lastTenText":"5-5","losses":121,"pctText":".253",)"
            R"("streak":"W2","wins":41})"_ba);

        // A division and a club nobody knows, without streak: its members are still all written.
        const Run bare
            = feedtoolOn(R"({"records":[{"division":{"id":999},"teamRecords":[{"team":{"id":4242,"name":"X"},)"
                         R"("leagueRecord":{"wins":0,"losses":0,"pct":""},"gamesBack":"-","divisionRank":"1"}]}]})",
                { u"standings"_s, u"FILE"_s });
        const QJsonObject division = QJsonDocument::fromJson(bare.out)[u"records"][0].toObject();
        QCOMPARE(division[u"divisionDisplayName"].toString(), u"Division 999"_s);
        QVERIFY(division[u"teams"][0].toObject().contains(u"streak") && division[u"teams"][0][u"streak"].isNull());
    }

    void boxScore()
    {
        const Run run = feedtool({ u"boxscore"_s, recording("feed-live-final-748534.json") });
        QCOMPARE(run.exitCode, 0);
        const QJsonObject root = QJsonDocument::fromJson(run.out).object();
        QVERIFY(run.out.indexOf("\"gamePk\"") < run.out.indexOf("\"footer\""));
        QCOMPARE(root[u"status"].toString(), u"final"_s);
        QCOMPARE(compact(root[u"lineScore"][u"homeTotals"].toObject()), R"({"errors":1,"hits":5,"runs":0})"_ba);
        const QJsonObject starter = root[u"home"][u"battingRows"].toArray().first().toObject();
        QCOMPARE(starter.keys().size(), 13);
        QVERIFY(starter.contains(u"roleNotation") && starter[u"roleNotation"].isNull());
        QCOMPARE(starter[u"indentLevel"].toInteger(-1), 0);
        QCOMPARE(root[u"footer"][u"attendance"].toString(), u"48,511"_s);
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

    // Usage mistakes exit with 2; an answer that does not decode exits with 1, naming where, and prints nothing.
    void errors_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QByteArray>("message");
        const QString standings = recording("standings-2024.json");
        // No command, an unknown one, a missing file, a command without its file, events with one file, title and
        // plan without --now.
        for (const QStringList &usage :
            { QStringList {}, { u"standings-of-the-moon"_s, standings }, { u"schedule"_s, u"/nonexistent.json"_s },
                { u"schedule"_s }, { u"detail"_s }, { u"standings"_s }, { u"boxscore"_s }, { u"events"_s },
                { u"events"_s, standings }, { u"title"_s, standings }, { u"plan"_s, standings, u"--lead"_s, u"10"_s } })
            QTest::addRow("%s", qPrintable(u"usage: "_s + usage.join(u' ')))
                << usage << QByteArray() << 2 << QByteArray();
        QTest::newRow("schedule") << QStringList { u"schedule"_s, u"FILE"_s }
                                  << R"({"dates":[{"date":"2024-04-01","games":[{"gamePk":"1"}]}]})"_ba << 1
                                  << "dates[0].games[0].gamePk"_ba;
        QTest::newRow("detail") << QStringList { u"detail"_s, u"FILE"_s }
                                << R"({"gamePk":5,"gameData":{},"liveData":{}})"_ba << 1 << "liveData.linescore"_ba;
        QTest::newRow("standings") << QStringList { u"standings"_s, u"FILE"_s }
                                   << R"({"records":[{"division":{"id":201},"teamRecords":[{"team":{"id":147,)"
                                      R"("name":"Yankees"},"leagueRecord":{"wins":1,"losses":0,"pct":"1.000"},)"
                                      R"("divisionRank":"1"}]}]})"_ba
                                   << 1 << "records[0].teamRecords[0].gamesBack"_ba;
    }

    void errors()
    {
        QFETCH(QStringList, arguments);
        QFETCH(QByteArray, file);
        QFETCH(int, exitCode);
        QFETCH(QByteArray, message);
        const Run run = feedtoolOn(file, arguments);
        QCOMPARE(run.exitCode, exitCode);
        QVERIFY2(run.err.contains(message), run.err.constData());
        QVERIFY(run.out.isEmpty());
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
        for (const auto &[zone, start] : { std::pair(u"America/Los_Angeles"_s, u"10:05 AM"_s),
                 std::pair(u"Europe/Berlin"_s, u"6:05 PM"_s), std::pair(u"Pacific/Auckland"_s, u"6:05 AM"_s) }) {
            QTest::addRow("%s", qPrintable(zone)) << zone << spring << u"2026-03-18T12:00:00Z"_s << u"147"_s
                                                  << u"2026-03-18"_s << u"BOS @ NYY "_s + start;
        }
        QTest::newRow("after the turn") << u"Asia/Tokyo"_s << spring << u"2026-03-19T09:01:00Z"_s << u"147"_s
                                        << u"2026-03-19"_s << u"NYY — Off Day"_s;

        const QString pittsburgh = recording("schedule-team134-season2025.json");
        // 2025-03-09 began at 05:00 UTC (still standard time), so its game day began at 10:00 UTC, 06:00 EDT.
        QTest::newRow("spring forward, 05:30 EDT") << u"America/New_York"_s << pittsburgh << u"2025-03-09T09:30:00Z"_s
                                                   << u"134"_s << u"2025-03-08"_s << u"PIT @ ATL 5-6 F"_s;
        QTest::newRow("spring forward, 06:30 EDT") << u"Europe/Berlin"_s << pittsburgh << u"2025-03-09T10:30:00Z"_s
                                                   << u"134"_s << u"2025-03-09"_s << u"PIT @ DET 3-5 F"_s;
    }

    void title()
    {
        QFETCH(QString, zone);
        QFETCH(QString, file);
        QFETCH(QString, now);
        QFETCH(QString, favorite);
        const Run run = feedtool({ u"title"_s, file, u"--now"_s, now, u"--favorite"_s, favorite }, zone);
        QCOMPARE(run.exitCode, 0);
        const QJsonObject root = QJsonDocument::fromJson(run.out).object();
        QCOMPARE(root.keys(), (QStringList { u"gameDay"_s, u"title"_s }));
        QTEST(root[u"gameDay"].toString(), "gameDay");
        QTEST(root[u"title"].toString(), "title");
    }

    // The alerts for what happened between two saved states of the recorded final: its last run and the end.
    void events()
    {
        const Run run = feedtool({ u"events"_s, QStringLiteral(BASELARK_SOURCE_DIR "/data/timeline/748534-2-live.json"),
            recording("feed-live-final-748534.json") });
        QCOMPARE(run.exitCode, 0);
        QStringList lines;
        for (const QJsonValue &event : QJsonDocument::fromJson(run.out)[u"events"].toArray()) {
            QCOMPARE(event.toObject().keys(), (QStringList { u"body"_s, u"id"_s, u"kind"_s, u"title"_s }));
            lines << event[u"kind"].toString() + u' ' + event[u"id"].toString() + u' ' + event[u"title"].toString();
        }
        QCOMPARE(lines,
            (QStringList { u"score baselark-score-748534-71 TEX 5, AZ 0"_s,
                u"final baselark-final-748534 Final: Texas Rangers 5, Arizona Diamondbacks 0"_s }));
    }

    // The start alerts of a recorded day of spring games at 19:00 UTC: those still to come, in turn, with every
    // member written; a pending alert of a game begun is stale.
    void plan()
    {
        const Run run = feedtool({ u"plan"_s, recording("schedule-2026-03-18-preview-probables.json"), u"--lead"_s,
            u"10"_s, u"--now"_s, u"2026-03-18T15:00:00-04:00"_s, u"--pending"_s,
            u"baselark-game-start-831761,baselark-game-start-831556"_s });
        QCOMPARE(run.exitCode, 0);
        QVERIFY(run.out.startsWith("{\n  \"requests\": ["));
        const QJsonObject root = QJsonDocument::fromJson(run.out).object();
        QCOMPARE(root[u"requests"].toArray().size(), 9);
        QCOMPARE(compact(root[u"requests"][0].toObject()),
            R"({"body":"San Francisco Giants @ Los Angeles Dodgers starts in 10 minutes","gamePk":831761,)"
            R"("id":"baselark-game-start-831761","leadMinutes":10,"title":"Game Starting Soon",)"
            R"("triggerDate":"2026-03-18T19:55:00Z"})"_ba);
        QCOMPARE(root[u"stale"].toArray(), QJsonArray { u"baselark-game-start-831556"_s });
        QCOMPARE(root[u"next"].toString(), u"baselark-game-start-831761"_s);
    }
};

QTEST_GUILESS_MAIN(TestFeedtool)
#include "tst_feedtool.moc"
