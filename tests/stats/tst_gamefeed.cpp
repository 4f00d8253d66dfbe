#include "stats/gamefeed.h"
#include "testdata.h"

#include <QTest>

using namespace Qt::StringLiterals;

namespace {

const QString none = u"<none>"_s;

QString orNone(const std::optional<QString> &text)
{
    return text.value_or(none);
}

QByteArray feedWithLinescore(const QByteArray &linescore)
{
    return R"({"gamePk":1,"gameData":{},"liveData":{"linescore":)" + linescore + "}}";
}

} // namespace

// Decoding of the live feed, its presence rules and the situation texts of GameDetail.
class TestGameFeed : public QObject {
    Q_OBJECT

private Q_SLOTS:
    // On-Demand reads only the card's members, yet refuses an answer that is not one whole JSON value.
    void onDemandReadsOnlyWholeAnswers_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<bool>("reads");
        const QByteArray feed = readTestData(u"feed-live-inprogress-633860.json"_s).trimmed();
        QTest::newRow("as recorded") << feed << true;
        QTest::newRow("spaces after it") << feed + " \n" << true;
        QTest::newRow("end cut off") << feed.chopped(1) << false;
        QTest::newRow("more after it") << feed + "}" << false;
        QTest::newRow("a second value after it") << feed + " {}" << false;
        QTest::newRow("cut after an inner object") << feed.left(feed.indexOf("},") + 1) << false;
        // Cuts everywhere, most of them between members that the card does not read.
        for (qsizetype cut = 1; cut < feed.size(); cut += 4099)
            QTest::addRow("cut at %lld", qlonglong(cut)) << feed.left(cut) << false;
    }

    void onDemandReadsOnlyWholeAnswers()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(bool, reads);
        try {
            QCOMPARE(
                GameDetail::fromFeed(decodeOnDemand<GameDetailFeed>(bytes)).outsText(), std::optional(u"0 outs"_s));
            QVERIFY(reads);
        } catch (const ServiceError &error) {
            QVERIFY2(!reads, qPrintable(error.description()));
        }
    }

    void recordedDetail_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<qint64>("gamePk");
        QTest::addColumn<QString>("venueName");
        QTest::addColumn<QString>("probables");
        QTest::addColumn<QString>("count");
        QTest::addColumn<QString>("outs");
        QTest::addColumn<QString>("matchup");
        QTest::addColumn<QStringList>("runners");
        QTest::addColumn<QString>("onDeck");
        QTest::addColumn<qint64>("homeRuns");
        QTest::addColumn<int>("innings");

        QTest::newRow("in progress, bottom 7th")
            << u"feed-live-inprogress-633860.json"_s << qint64(633860) << u"Coors Field"_s
            << u"Mike Foltynewicz vs Austin Gomber"_s << u"0-2"_s << u"0 outs"_s << u"Trejo vs Geus"_s
            << QStringList { u"1B Diaz"_s } << u"Raimel Tapia"_s << qint64(9) << 7;
        QTest::newRow("final, World Series game 5")
            << u"feed-live-final-748534.json"_s << qint64(748534) << u"Chase Field"_s
            << u"Nathan Eovaldi vs Zac Gallen"_s << u"2-3"_s << u"3 outs"_s << u"Marte vs Sborz"_s << QStringList {}
            << u"Gabriel Moreno"_s << qint64(0) << 9;
    }

    void recordedDetail()
    {
        QFETCH(QString, file);
        const GameDetail detail = GameDetail::fromFeed(decode<GameLiveFeedResponse>(readTestData(file)));
        QTEST(detail.gamePk, "gamePk");
        QTEST(orNone(detail.venueName), "venueName");
        QVERIFY(detail.probablePitchers && detail.probablePitchers->away && detail.probablePitchers->home);
        QTEST(
            detail.probablePitchers->away->fullName + u" vs "_s + detail.probablePitchers->home->fullName, "probables");
        QTEST(orNone(detail.countText()), "count");
        QTEST(orNone(detail.outsText()), "outs");
        QTEST(orNone(detail.matchupText()), "matchup");
        const auto &offense = detail.linescore.offense;
        QVERIFY(offense);
        QTEST(offense->runnerTexts(), "runners");
        QVERIFY(offense->onDeck);
        QTEST(offense->onDeck->fullName, "onDeck");
        QTEST(detail.linescore.teams.value().home.value().runs.value(), "homeRuns");
        QTEST(int(detail.linescore.innings.value().size()), "innings");
    }

    void malformedFeeds_data()
    {
        QTest::addColumn<QByteArray>("json");
        QTest::addColumn<QString>("path");

        QTest::newRow("liveData without linescore")
            << R"({"gamePk":1,"gameData":{},"liveData":{"boxscore":{}}})"_ba << u"liveData.linescore"_s;
        QTest::newRow("runner without id") << feedWithLinescore(R"({"offense":{"first":{"fullName":"A B"}}})")
                                           << u"liveData.linescore.offense.first.id"_s;
        QTest::newRow("batter without fullName") << feedWithLinescore(R"({"offense":{"batter":{"id":7}}})")
                                                 << u"liveData.linescore.offense.batter.fullName"_s;
        QTest::newRow("box score player without fullName")
            << R"({"gamePk":1,"gameData":{},"liveData":{"linescore":{},"boxscore":{"teams":{"home":{"players":{"ID7":{"person":{"id":7}}}}}}}})"_ba
            << u"liveData.boxscore.teams.home.players.ID7.person.fullName"_s;
        QTest::newRow("service error body (404)")
            << R"({"messageNumber":10,"message":"Object not found","timestamp":"2024-04-01T00:00:00Z","traceId":null})"_ba
            << u"gamePk"_s;
    }

    void malformedFeeds()
    {
        QFETCH(QByteArray, json);
        QFETCH(QString, path);
        try {
            decode<GameLiveFeedResponse>(json);
            QFAIL("decoded");
        } catch (const ServiceError &error) {
            QCOMPARE(error.kind(), ServiceError::Kind::Decoding);
            QVERIFY2(error.description().contains(u" at "_s + path + u':'), qPrintable(error.description()));
        }
    }

    void situationTexts_data()
    {
        QTest::addColumn<QByteArray>("linescore");
        QTest::addColumn<QString>("count");
        QTest::addColumn<QString>("outs");
        QTest::addColumn<QString>("matchup");
        QTest::addColumn<QStringList>("runners");

        QTest::newRow("empty linescore") << "{}"_ba << none << none << none << QStringList {};
        QTest::newRow("no outs") << R"({"balls":3,"strikes":0,"outs":0})"_ba << u"3-0"_s << u"0 outs"_s << none
                                 << QStringList {};
        QTest::newRow("one out") << R"({"balls":1,"outs":1})"_ba << none << u"1 out"_s << none << QStringList {};
        QTest::newRow("runners on first and third")
            << R"({"offense":{"third":{"id":2,"fullName":"Ronald Acuña Jr."},"first":{"id":1,"fullName":"Ozzie Albies"}}})"_ba
            << none << none << none << QStringList { u"1B Albies"_s, u"3B Acuña Jr."_s };
        QTest::newRow("batter without a defense pitcher")
            << R"({"offense":{"batter":{"id":1,"fullName":"Ozzie Albies"},"pitcher":{"id":3,"fullName":"Max Fried"}},"defense":{}})"_ba
            << none << none << none << QStringList {};
        QTest::newRow("batter against the defense pitcher")
            << R"({"offense":{"batter":{"id":1,"fullName":"Ozzie Albies"}},"defense":{"pitcher":{"id":4,"fullName":"Zack Wheeler"}}})"_ba
            << none << none << u"Albies vs Wheeler"_s << QStringList {};
    }

    void situationTexts()
    {
        QFETCH(QByteArray, linescore);
        const GameDetail detail = GameDetail::fromFeed(decode<GameLiveFeedResponse>(feedWithLinescore(linescore)));
        QVERIFY(!detail.venueName);
        QVERIFY(!detail.probablePitchers);
        QTEST(orNone(detail.countText()), "count");
        QTEST(orNone(detail.outsText()), "outs");
        QTEST(orNone(detail.matchupText()), "matchup");
        QTEST(detail.linescore.offense.value_or(GameDetailOffense {}).runnerTexts(), "runners");
    }

    void shortPlayerName_data()
    {
        QTest::addColumn<QString>("fullName");
        QTest::addColumn<QString>("shortName");
        QTest::newRow("one word") << u"Ichiro"_s << u"Ichiro"_s;
        QTest::newRow("two words, extra spaces") << u" Marcus  Semien "_s << u"Semien"_s;
        QTest::newRow("particle") << u"Brett de Geus"_s << u"Geus"_s;
        QTest::newRow("suffix III") << u"Michael Harris III"_s << u"Harris III"_s;
        QTest::newRow("suffix Jr.") << u"Bobby Witt Jr."_s << u"Witt Jr."_s;
        QTest::newRow("lower-case jr. is a surname") << u"Bobby Witt jr."_s << u"jr."_s;
        QTest::newRow("only spaces") << u"  "_s << u"  "_s;
    }

    void shortPlayerName()
    {
        QFETCH(QString, fullName);
        QTEST(::shortPlayerName(fullName), "shortName");
    }
};

QTEST_GUILESS_MAIN(TestGameFeed)
#include "tst_gamefeed.moc"
