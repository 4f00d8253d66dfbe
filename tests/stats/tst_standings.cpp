#include "stats/standings.h"
#include "testdata.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {

// The 2024 recording with one member of the AL East leader's record replaced (or removed when `value` is undefined).
QByteArray recordingWithLeader(const QString &member, const QJsonValue &value = QJsonValue::Undefined)
{
    QJsonObject root = QJsonDocument::fromJson(readTestData(u"standings-2024.json"_s)).object();
    QJsonArray records = root[u"records"].toArray();
    QJsonObject division = records[0].toObject();
    QJsonArray teams = division[u"teamRecords"].toArray();
    QJsonObject leader = teams[0].toObject();
    if (value.isUndefined())
        leader.remove(member);
    else
        leader[member] = value;
    teams[0] = leader;
    division[u"teamRecords"] = teams;
    records[0] = division;
    root[u"records"] = records;
    return QJsonDocument(root).toJson(QJsonDocument::Compact);
}

TeamRecord withPct(const QString &pct)
{
    TeamRecord record;
    record.leagueRecord.pct = pct;
    return record;
}

} // namespace

// Decoding of the standings answer, its presence rules and the texts of the standings table.
class TestStandings : public QObject {
    Q_OBJECT

private Q_SLOTS:
    // The table's texts of the recording are checked where the Standings tab shows them; here the leader flags,
    // which the wild-card race cannot tell from the first-ranked fallback, and the members that may be missing.
    void recordedSeasonAndOptionalMembers()
    {
        const auto records = decode<StandingsResponse>(readTestData(u"standings-2024.json"_s)).records;
        QCOMPARE(records.front().teamRecords.front().divisionLeader, true);
        QCOMPARE(records.back().teamRecords.back().divisionLeader, false);
        for (const QJsonValue &streak : { QJsonValue(QJsonValue::Undefined), QJsonValue(QJsonValue::Null) })
            QVERIFY(
                !decode<StandingsResponse>(recordingWithLeader(u"streak"_s, streak)).records[0].teamRecords[0].streak);
        const auto noSplits = decode<StandingsResponse>(recordingWithLeader(u"records"_s));
        QCOMPARE(noSplits.records.front().teamRecords.front().lastTenText(), u"TBD"_s);
    }

    void malformedAnswers_data()
    {
        QTest::addColumn<QByteArray>("json");
        QTest::addColumn<QString>("path");

        QTest::newRow("missing gamesBack")
            << recordingWithLeader(u"gamesBack"_s) << u"records[0].teamRecords[0].gamesBack"_s;
        QTest::newRow("missing divisionRank")
            << recordingWithLeader(u"divisionRank"_s) << u"records[0].teamRecords[0].divisionRank"_s;
        QTest::newRow("streak without its code")
            << recordingWithLeader(u"streak"_s, QJsonObject {}) << u"records[0].teamRecords[0].streak.streakCode"_s;
        QTest::newRow("service error body (404)")
            << R"({"messageNumber":10,"message":"Object not found","timestamp":"2024-04-01T00:00:00Z","traceId":null})"_ba
            << u"records"_s;
    }

    void malformedAnswers()
    {
        QFETCH(QByteArray, json);
        QFETCH(QString, path);
        try {
            decode<StandingsResponse>(json);
            QFAIL("decoded");
        } catch (const ServiceError &error) {
            QCOMPARE(error.kind(), ServiceError::Kind::Decoding);
            QVERIFY2(error.description().contains(u" at "_s + path + u':'), qPrintable(error.description()));
        }
    }

    void pctText_data()
    {
        QTest::addColumn<QString>("pct");
        QTest::addColumn<QString>("text");

        QTest::newRow("leading zero dropped") << u"0.5"_s << u".500"_s;
        QTest::newRow("rounded to three digits") << u".41666"_s << u".417"_s;
        QTest::newRow("surrounded by blanks") << u" \t.625\n "_s << u".625"_s;
        QTest::newRow("empty") << QString() << u"-"_s;
        QTest::newRow("dashes come back unchanged") << u".---"_s << u".---"_s;
        QTest::newRow("decimal comma is not a number") << u"0,5"_s << u"0,5"_s;
        QTest::newRow("inner blank is not a number") << u" .5 5 "_s << u".5 5"_s;
    }

    void pctText()
    {
        QFETCH(QString, pct);
        QTEST(withPct(pct).pctText(), "text");
    }

    void lastTenText_data()
    {
        QTest::addColumn<std::optional<TeamRecords>>("records");
        QTest::addColumn<QString>("text");

        const SplitRecord home { 44, 37, u"home"_s };
        QTest::newRow("no lastTen split") << std::optional(TeamRecords { { home } }) << u"TBD"_s;
        QTest::newRow("type compared exactly") << std::optional(TeamRecords { { { 6, 4, u"LastTen"_s } } }) << u"TBD"_s;
        QTest::newRow("first lastTen wins")
            << std::optional(TeamRecords { { home, { 10, 0, u"lastTen"_s }, { 1, 9, u"lastTen"_s } } }) << u"10-0"_s;
    }

    void lastTenText()
    {
        QFETCH(std::optional<TeamRecords>, records);
        TeamRecord record;
        record.records = records;
        QTEST(record.lastTenText(), "text");
    }

    // The wild-card race of the recorded season: leaders by record, then the service's wild-card order.
    // The clinch legend names only the known marks in use.
    void wildCardRace()
    {
        const auto records = decode<StandingsResponse>(readTestData(u"standings-2024.json"_s)).records;
        const auto ids = [](const std::vector<TeamRecord> &teams) {
            QList<qint64> out;
            for (const TeamRecord &team : teams)
                out << team.team.id;
            return out;
        };
        const WildCardStandings american = wildCardStandings(records, 103);
        QCOMPARE(ids(american.leaders), (QList<qint64> { 147, 114, 117 }));
        QCOMPARE(
            ids(american.contenders), (QList<qint64> { 110, 118, 116, 136, 142, 111, 139, 140, 141, 133, 108, 145 }));
        QCOMPARE(american.spots, 3u);
        QCOMPARE(wildCardStandings(records, 104).leaders.size(), 3u);
        QVERIFY(wildCardStandings(records, 999).contenders.empty());
        QCOMPARE(clinchLegend({}), QString());
        QCOMPARE(clinchLegend({ u"w"_s, u"z"_s, u"q"_s }), u"Clinched: z best record \u00b7 w wild card"_s);
    }

    // Older answers: no leader flags, no ranks for some clubs, equal ranks.
    void wildCardWithoutFlags()
    {
        auto club = [](qint64 id, qint64 wins, std::optional<QString> rank, std::optional<QString> back) {
            TeamRecord record;
            record.team.id = id;
            record.leagueRecord.wins = wins;
            record.leagueRecord.losses = 100 - wins;
            record.divisionRank = u"9"_s;
            record.wildCardRank = std::move(rank);
            record.wildCardGamesBack = std::move(back);
            return record;
        };
        StandingsRecord east { { 201, std::nullopt },
            { club(1, 60, std::nullopt, std::nullopt), club(2, 55, u"1"_s, u"+2.0"_s),
                club(3, 40, std::nullopt, std::nullopt), club(4, 53, u"2"_s, u"-"_s), club(5, 54, u"2"_s, u"-"_s),
                club(6, 50, u"x"_s, u"3.0"_s) } };
        const WildCardStandings race = wildCardStandings({ east }, 103);
        // No club is flagged as leader or ranked first in the division: the first listed leads.
        QCOMPARE(race.leaders.front().team.id, 1);
        // Without flags, the club ranked first leads wherever it is listed.
        StandingsRecord central { { 202, std::nullopt }, { club(7, 50, u"3"_s, u"1.0"_s), club(8, 49, {}, {}) } };
        central.teamRecords[1].divisionRank = u"1"_s;
        QCOMPARE(wildCardStandings({ central }, 103).leaders.front().team.id, 8);
        QList<qint64> order;
        for (const TeamRecord &team : race.contenders)
            order << team.team.id;
        // Equal ranks by record; unranked (or unreadable) ranks last, by record.
        QCOMPARE(order, (QList<qint64> { 2, 5, 4, 6, 3 }));
        QCOMPARE(race.spots, 3u);
    }
};

QTEST_GUILESS_MAIN(TestStandings)
#include "tst_standings.moc"
