#include "boxscore/plays.h"
#include "stats/documentdecoder.h"
#include "stats/livefeeddocument.h"
#include "stats/serviceerror.h"
#include "testdata.h"

#include <QTest>
#include <nlohmann/json.hpp>

using namespace Qt::StringLiterals;

namespace {

Plays playsOf(const QByteArray &feed)
{
    LiveFeedDocument document;
    if (document.replace(feed) == LiveFeedDocument::Outcome::Rejected) return {};
    return readPlays(document.json());
}

QStringList lines(const std::optional<Plays::AtBat> &atBat)
{
    QStringList result;
    if (atBat) {
        for (const auto &event : atBat->events)
            result.append(atBatEventLine(event));
    }
    return result;
}

QByteArray withCurrentPlay(const char *playEvents)
{
    return QByteArray(R"({"gamePk":1,"gameData":{"status":{"abstractGameState":"Live"}},
        "liveData":{"plays":{"allPlays":[],"currentPlay":{"about":{"atBatIndex":0,"isComplete":false},
        "playEvents":)")
        + playEvents + "}}}}";
}

} // namespace

// The plays built from recorded feeds and from small feeds made for one case each.
class TestPlays : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void recordings_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<bool>("isFinal");
        QTest::addColumn<int>("halfInnings");
        QTest::addColumn<QString>("firstHalf");
        QTest::addColumn<QString>("lastPlay");
        QTest::addColumn<QStringList>("atBat");
        QTest::newRow("final: oldest first, no at-bat")
            << u"feed-live-final-748534.json"_s << true << 18 << u"Top 1st"_s << u"Ketel Marte called out on strikes."_s
            << QStringList {};
        // The at-bat began with a pinch-hitter's entrance, before the first pitch.
        QTest::newRow("live: substitution before the pitches")
            << u"feed-live-inprogress-633860.json"_s << false << 14 << u"Bottom 7th"_s << u"Elias Diaz walks."_s
            << QStringList { u"Offensive Substitution: Pinch-hitter Alan Trejo replaces Jordan Sheffield."_s,
                   u"1  Called Strike \u00B7 Sinker \u00B7 95.1 mph"_s,
                   u"2  Called Strike \u00B7 Curveball \u00B7 83.7 mph"_s };
        // The unfinished play's description is the timeout, not a result: the last play stays the home run.
        QTest::newRow("live: timeout between pitches")
            << u"feed-live-inprogress-746139-a.json"_s << false << 13 << u"Top 7th"_s
            << u"Ezequiel Duran homers (2) on a fly ball to left center field."_s
            << QStringList { u"1  Foul \u00B7 Slider \u00B7 87.1 mph"_s,
                   u"2  Called Strike \u00B7 Sinker \u00B7 97.3 mph"_s, u"Batter Timeout."_s };
    }

    void recordings()
    {
        QFETCH(QString, file);
        const Plays plays = playsOf(readTestData(file));
        QFETCH(bool, isFinal);
        QCOMPARE(plays.isFinal, isFinal);
        QTEST(int(plays.halfInnings.size()), "halfInnings");
        QTEST(plays.halfInnings.front().title, "firstHalf");
        QTEST(plays.lastPlay.value_or(QString()), "lastPlay");
        QTEST(lines(plays.currentAtBat), "atBat");
        QCOMPARE(plays.currentAtBat.has_value(), !isFinal);
    }

    void recordedReview()
    {
        QStringList found;
        for (const auto &half : playsOf(readTestData(u"feed-live-inprogress-633860.json"_s)).halfInnings) {
            for (const auto &play : half.plays) {
                if (play.review) found.append(*play.review);
            }
        }
        QCOMPARE(found, QStringList { u"COL challenge: call overturned"_s });
    }

    void reviewTexts_data()
    {
        QTest::addColumn<QByteArray>("review");
        QTest::addColumn<QString>("text");
        QTest::newRow("umpire review, overturned")
            << QByteArray(R"({"isOverturned":true})") << u"Umpire review: call overturned"_s;
        QTest::newRow("away club, stands")
            << QByteArray(R"({"isOverturned":false,"challengeTeamId":1})") << u"AWY challenge: call stands"_s;
        QTest::newRow("unknown club, in progress")
            << QByteArray(R"({"inProgress":true,"challengeTeamId":9})") << u"Challenge: under review"_s;
    }

    void reviewTexts()
    {
        QFETCH(QByteArray, review);
        const auto decoded = decodeDocument<PlaysFeedReview>(nlohmann::ordered_json::parse(review.toStdString()));
        const PlaysFeedTeams teams { PlaysFeedTeam { 1, u"AWY"_s }, PlaysFeedTeam { 2, u"HOM"_s } };
        QTEST(reviewText(decoded, teams).value_or(QString()), "text");
    }

    // Pitches the tracking missed, throws over to a base and position players' lobs all come without some data.
    void atBatEvents_data()
    {
        QTest::addColumn<QByteArray>("events");
        QTest::addColumn<QStringList>("lines");
        QTest::addColumn<QList<int>>("kinds");
        QTest::newRow("pitch without pitch data")
            << QByteArray(R"([{"isPitch":true,"pitchNumber":1,"details":{"description":"Ball","isBall":true}}])")
            << QStringList { u"1  Ball"_s } << QList<int> { int(Plays::AtBatEvent::Kind::Ball) };
        QTest::newRow("slow lob without a type")
            << QByteArray(R"j([{"isPitch":true,"pitchNumber":1,"details":{"description":"In play, out(s)",
                   "isInPlay":true,"isStrike":false},"pitchData":{"startSpeed":41.04}}])j")
            << QStringList { u"1  In play, out(s) \u00B7 41.0 mph"_s }
            << QList<int> { int(Plays::AtBatEvent::Kind::InPlay) };
        QTest::newRow("pickoff and stolen base between pitches")
            << QByteArray(R"([{"isPitch":true,"pitchNumber":1,"details":{"description":"Called Strike",
                   "isStrike":true,"type":{"description":"Slider"}}},
                 {"isPitch":false,"type":"pickoff","details":{"description":"Pickoff Attempt 1B"}},
                 {"isPitch":false,"type":"action","details":{"event":"Stolen Base 2B",
                   "description":"Corbin Carroll steals (5) 2nd base."}},
                 {"isPitch":true,"pitchNumber":2,"details":{"description":"Foul","isStrike":true}}])")
            << QStringList { u"1  Called Strike \u00B7 Slider"_s, u"Pickoff Attempt 1B"_s,
                   u"Corbin Carroll steals (5) 2nd base."_s, u"2  Foul"_s }
            << QList<int> { int(Plays::AtBatEvent::Kind::Strike), int(Plays::AtBatEvent::Kind::Other),
                   int(Plays::AtBatEvent::Kind::Other), int(Plays::AtBatEvent::Kind::Strike) };
        QTest::newRow("event without a description falls back on its name")
            << QByteArray(R"([{"isPitch":false,"type":"no_pitch","details":{}}])") << QStringList { u"no_pitch"_s }
            << QList<int> { int(Plays::AtBatEvent::Kind::Other) };
    }

    void atBatEvents()
    {
        QFETCH(QByteArray, events);
        const Plays plays = playsOf(withCurrentPlay(events.constData()));
        QVERIFY(plays.currentAtBat);
        QTEST(lines(plays.currentAtBat), "lines");
        QList<int> kinds;
        for (const auto &event : plays.currentAtBat->events)
            kinds.append(int(event.kind));
        QTEST(kinds, "kinds");
    }

    // The zone drawn is the latest the feed measured; a measure upside down is no zone.
    void strikeZone()
    {
        const Plays plays = playsOf(withCurrentPlay(R"([
            {"isPitch":true,"pitchNumber":1,"pitchData":{"strikeZoneTop":3.5,"strikeZoneBottom":1.6}},
            {"isPitch":true,"pitchNumber":2,"pitchData":{"strikeZoneTop":3.4,"strikeZoneBottom":1.5,
             "coordinates":{"pX":-0.25,"pZ":2.0}}},
            {"isPitch":true,"pitchNumber":3,"pitchData":{"strikeZoneTop":1.0,"strikeZoneBottom":3.0}}])"));
        QVERIFY(plays.currentAtBat);
        QCOMPARE(plays.currentAtBat->strikeZoneTop, 3.4);
        QCOMPARE(plays.currentAtBat->strikeZoneBottom, 1.5);
        QCOMPARE(plays.currentAtBat->events[1].pX, -0.25);
        QVERIFY(!plays.currentAtBat->events[0].pX);
    }

    void malformedFeedFails()
    {
        LiveFeedDocument document;
        QCOMPARE(document.replace(R"({"gamePk":1,"gameData":{},"liveData":{"plays":{"allPlays":5}}})"),
            LiveFeedDocument::Outcome::Replaced);
        QVERIFY_THROWS_EXCEPTION(ServiceError, readPlays(document.json()));
    }

    void inningOrdinals_data()
    {
        QTest::addColumn<qint64>("inning");
        QTest::addColumn<QString>("text");
        for (const auto &[inning, text] : std::initializer_list<std::pair<qint64, const char *>> { { 1, "1st" },
                 { 2, "2nd" }, { 3, "3rd" }, { 4, "4th" }, { 11, "11th" }, { 12, "12th" }, { 13, "13th" },
                 { 21, "21st" }, { 22, "22nd" }, { 113, "113th" } })
            QTest::newRow(text) << inning << QString::fromLatin1(text);
    }

    void inningOrdinals()
    {
        QFETCH(qint64, inning);
        QTEST(inningOrdinal(inning), "text");
    }
};

QTEST_GUILESS_MAIN(TestPlays)
#include "tst_plays.moc"
