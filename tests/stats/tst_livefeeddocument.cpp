#include "stats/documentdecoder.h"
#include "stats/gamefeed.h"
#include "stats/livefeeddocument.h"
#include "testdata.h"

#include <QTest>

using namespace Qt::StringLiterals;
using namespace std::chrono_literals;
using Outcome = LiveFeedDocument::Outcome;
using Json = nlohmann::ordered_json;

namespace {

const QByteArray smallFeed = R"({"gamePk":1,"metaData":{"timeStamp":"20240101_000000","wait":10},
    "gameData":{"status":{"abstractGameState":"Live"}},
    "liveData":{"linescore":{"outs":1},"plays":{"allPlays":[{"n":0},{"n":1}]}}})";

QByteArray patchOf(const QByteArray &operations)
{
    return R"([{"diff":[)" + operations + "]}]";
}

LiveFeedDocument documentOf(const QByteArray &feed)
{
    LiveFeedDocument document;
    if (document.replace(feed) != Outcome::Replaced) qFatal("the base feed does not read");
    return document;
}

} // namespace

// A kept live feed brought forward by diffPatch answers: what applies, and what leaves nothing half done.
class TestLiveFeedDocument : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void recordedPatchesBringTheRecordedState_data()
    {
        QTest::addColumn<QString>("feed");
        QTest::addColumn<QString>("patch");
        QTest::addColumn<QString>("timeStamp");
        QTest::addColumn<int>("plays");
        QTest::addColumn<QString>("inning");
        QTest::addColumn<QString>("count");
        QTest::addColumn<QString>("pitcher");
        // A ball: 0-2 becomes 1-2; the copies of equal values take 2 of the 38 operations.
        QTest::newRow("a ball") << u"feed-live-inprogress-746139-a.json"_s << u"diffpatch-746139-a.json"_s
                                << u"20240612_041302"_s << 62 << u"Top 7th"_s << u"1-2"_s << u"Michael Grove"_s;
        // A pitching change, with a move and 94 copies.
        QTest::newRow("a pitching change")
            << u"feed-live-inprogress-746139-b.json"_s << u"diffpatch-746139-b.json"_s << u"20240612_042758"_s << 68
            << u"Bottom 7th"_s << u"0-0"_s << u"Andrew Knizner"_s;
    }

    void recordedPatchesBringTheRecordedState()
    {
        QFETCH(QString, feed);
        QFETCH(QString, patch);
        QFETCH(QString, timeStamp);
        QFETCH(int, plays);
        QFETCH(QString, inning);
        QFETCH(QString, count);
        QFETCH(QString, pitcher);
        LiveFeedDocument document = documentOf(readTestData(feed));
        QCOMPARE(document.apply(readTestData(patch)), Outcome::Patched);
        QCOMPARE(document.timeStamp(), timeStamp);
        QCOMPARE(document.wait(), std::optional(10s));

        const auto decoded = decodeDocument<GameLiveFeedResponse>(document.json());
        QCOMPARE(int(decoded.liveData.plays->allPlays->size()), plays);
        const GameDetail detail = GameDetail::fromFeed(decodeDocument<GameDetailFeed>(document.json()));
        QCOMPARE(*detail.linescore.inningState + u' ' + *detail.linescore.currentInningOrdinal, inning);
        QCOMPARE(detail.countText(), std::optional(count));
        QCOMPARE(detail.linescore.defense->pitcher->fullName, pitcher);
    }

    void everyOperationKind_data()
    {
        QTest::addColumn<QByteArray>("answer");
        QTest::addColumn<QByteArray>("path");
        QTest::addColumn<QByteArray>("expected");
        QTest::newRow("add a member") << patchOf(R"({"op":"add","path":"/liveData/linescore/balls","value":3})")
                                      << "/liveData/linescore"_ba
                                      << R"({"outs":1,"balls":3})"_ba;
        QTest::newRow("add into a list") << patchOf(
            R"({"op":"add","path":"/liveData/plays/allPlays/1","value":{"n":9}})")
                                         << "/liveData/plays/allPlays"_ba
                                         << R"([{"n":0},{"n":9},{"n":1}])"_ba;
        QTest::newRow("add at the end") << patchOf(
            R"({"op":"add","path":"/liveData/plays/allPlays/-","value":{"n":2}})")
                                        << "/liveData/plays/allPlays"_ba
                                        << R"([{"n":0},{"n":1},{"n":2}])"_ba;
        QTest::newRow("remove") << patchOf(R"({"op":"remove","path":"/liveData/plays/allPlays/0"})")
                                << "/liveData/plays/allPlays"_ba
                                << R"([{"n":1}])"_ba;
        QTest::newRow("replace") << patchOf(R"({"op":"replace","path":"/liveData/linescore/outs","value":2})")
                                 << "/liveData/linescore"_ba
                                 << R"({"outs":2})"_ba;
        QTest::newRow("move") << patchOf(
            R"({"op":"move","from":"/liveData/plays/allPlays/0","path":"/liveData/plays/allPlays/1"})")
                              << "/liveData/plays/allPlays"_ba
                              << R"([{"n":1},{"n":0}])"_ba;
        QTest::newRow("copy") << patchOf(
            R"({"op":"copy","from":"/liveData/plays/allPlays/1","path":"/liveData/linescore/last"})")
                              << "/liveData/linescore"_ba
                              << R"({"outs":1,"last":{"n":1}})"_ba;
        QTest::newRow("test, then replace") << patchOf(R"({"op":"test","path":"/liveData/linescore/outs","value":1},
                                                        {"op":"replace","path":"/liveData/linescore/outs","value":2})")
                                            << "/liveData/linescore"_ba
                                            << R"({"outs":2})"_ba;
        QTest::newRow("entries in order")
            << R"([{"diff":[{"op":"replace","path":"/liveData/linescore/outs","value":2}]},
                  {"diff":[{"op":"replace","path":"/liveData/linescore/outs","value":3}]}])"_ba
            << "/liveData/linescore"_ba
            << R"({"outs":3})"_ba;
    }

    void everyOperationKind()
    {
        QFETCH(QByteArray, answer);
        QFETCH(QByteArray, path);
        QFETCH(QByteArray, expected);
        LiveFeedDocument document = documentOf(smallFeed);
        QCOMPARE(document.apply(answer), Outcome::Patched);
        const nlohmann::ordered_json &patched
            = document.json().at(nlohmann::ordered_json::json_pointer(path.toStdString()));
        QVERIFY2(patched == nlohmann::ordered_json::parse(expected.toStdString()), patched.dump().c_str());
    }

    // A member added to liveData must not copy the play-by-play and box score beside it: that doubled the memory and
    // the time of the patch that ends a game.
    void addingAMemberMovesTheOthers()
    {
        LiveFeedDocument document = documentOf(smallFeed);
        const auto *plays
            = document.json().at("liveData").at("plays").at("allPlays").get_ref<const Json::array_t &>().data();
        QCOMPARE(document.apply(patchOf(R"({"op":"add","path":"/liveData/decisions","value":{"winner":1}})")),
            Outcome::Patched);
        const Json &liveData = document.json().at("liveData");
        QCOMPARE(liveData.at("plays").at("allPlays").get_ref<const Json::array_t &>().data(), plays);
        QCOMPARE(QByteArray::fromStdString(liveData.dump()),
            R"({"linescore":{"outs":1},"plays":{"allPlays":[{"n":0},{"n":1}]},"decisions":{"winner":1}})"_ba);
    }

    void unusableAnswersLeaveNothingBehind_data()
    {
        QTest::addColumn<QByteArray>("feed");
        QTest::addColumn<QByteArray>("answer");
        const QByteArray feedA = readTestData(u"feed-live-inprogress-746139-a.json"_s);
        const QByteArray feedB = readTestData(u"feed-live-inprogress-746139-b.json"_s);
        QTest::newRow("later patch on the earlier feed") << feedA << readTestData(u"diffpatch-746139-b.json"_s);
        QTest::newRow("earlier patch on the later feed") << feedB << readTestData(u"diffpatch-746139-a.json"_s);
        QTest::newRow("missing path") << smallFeed
                                      << patchOf(R"({"op":"replace","path":"/liveData/boxscore/x","value":1})");
        QTest::newRow("index beyond the list")
            << smallFeed << patchOf(R"({"op":"add","path":"/liveData/plays/allPlays/3","value":{}})");
        QTest::newRow("failed test") << smallFeed
                                     << patchOf(R"({"op":"test","path":"/liveData/linescore/outs","value":2})");
        QTest::newRow("unknown operation") << smallFeed << patchOf(R"({"op":"merge","path":"/liveData","value":{}})");
        QTest::newRow("operation without path") << smallFeed << patchOf(R"({"op":"remove"})");
        // The first operation applies before the second fails: nothing of it may stay.
        QTest::newRow("fails halfway") << smallFeed
                                       << patchOf(R"({"op":"replace","path":"/liveData/linescore/outs","value":2},
                                                     {"op":"remove","path":"/liveData/nothing"})");
        QTest::newRow("removes the live data") << smallFeed << patchOf(R"({"op":"remove","path":"/liveData"})");
        QTest::newRow("another game") << smallFeed << patchOf(R"({"op":"replace","path":"/gamePk","value":2})");
        QTest::newRow("back in time")
            << smallFeed << patchOf(R"({"op":"replace","path":"/metaData/timeStamp","value":"20231231_235959"})");
        QTest::newRow("cut short") << smallFeed << patchOf(R"({"op":"replace","path":"/liveData/linescore/outs")");
        QTest::newRow("HTML") << smallFeed << "<html><body>502 Bad Gateway</body></html>"_ba;
        QTest::newRow("a number") << smallFeed << "42"_ba;
        QTest::newRow("entry without diff") << smallFeed << R"([{"patch":[]}])"_ba;
        QTest::newRow("diff not a list") << smallFeed << R"([{"diff":{}}])"_ba;
        QTest::newRow("operation not an object") << smallFeed << R"([{"diff":[7]}])"_ba;
        QTest::newRow("an object that is no feed") << smallFeed << R"({"message":"Object not found"})"_ba;
        QByteArray doubling;
        for (int i = 0; i < 17; ++i)
            doubling += QByteArray(i ? "," : "") + "{\"op\":\"copy\",\"from\":\"\",\"path\":\"/c"
                + QByteArray::number(i) + "\"}";
        QByteArray members;
        for (int i = 0; i <= LiveFeedDocument::maximumMembers; ++i)
            members += QByteArray(i ? "," : "") + "\"m" + QByteArray::number(i) + "\":0";
        QTest::newRow("object too wide") << smallFeed
                                         << patchOf(R"({"op":"add","path":"/x","value":{)" + members + "}}");
        QTest::newRow("copies doubling the feed") << smallFeed << patchOf(doubling);
        QTest::newRow("a whole feed too large") << smallFeed
                                                << R"({"gamePk":1,"gameData":{},"liveData":{"x":[)"_ba
                + QByteArray("0,").repeated(LiveFeedDocument::maximumNodes) + "0]}}";
        QTest::newRow("nested too deep") << smallFeed
                                         << patchOf(R"({"op":"add","path":"/x","value":)" + QByteArray("[").repeated(80)
                                                + QByteArray("]").repeated(80) + "}");
    }

    void unusableAnswersLeaveNothingBehind()
    {
        QFETCH(QByteArray, feed);
        QFETCH(QByteArray, answer);
        LiveFeedDocument document = documentOf(feed);
        QString problem;
        QCOMPARE(document.apply(answer, &problem), Outcome::Rejected);
        QVERIFY(!problem.isEmpty());
        QVERIFY(document.isEmpty());
        QVERIFY(document.timeStamp().isEmpty());
    }

    void answersWithoutOperations_data()
    {
        QTest::addColumn<QByteArray>("answer");
        QTest::newRow("empty list") << " [ ] "_ba;
        QTest::newRow("empty diff") << R"([{"diff":[]}])"_ba;
    }

    void answersWithoutOperations()
    {
        QFETCH(QByteArray, answer);
        LiveFeedDocument document = documentOf(smallFeed);
        const nlohmann::ordered_json before = document.json();
        QCOMPARE(document.apply(answer), Outcome::Unchanged);
        QVERIFY(document.json() == before);
        QCOMPARE(document.timeStamp(), u"20240101_000000"_s);
    }

    void waitWithinBounds_data()
    {
        QTest::addColumn<QByteArray>("wait");
        QTest::addColumn<std::optional<std::chrono::seconds>>("expected");
        QTest::newRow("as given") << "10"_ba << std::optional(10s);
        QTest::newRow("too short") << "1"_ba << std::optional(5s);
        QTest::newRow("too long") << "600"_ba << std::optional(60s);
        QTest::newRow("not a number") << "\"10\""_ba << std::optional<std::chrono::seconds>();
    }

    void waitWithinBounds()
    {
        QFETCH(QByteArray, wait);
        QFETCH(std::optional<std::chrono::seconds>, expected);
        const LiveFeedDocument document
            = documentOf(R"({"metaData":{"wait":)" + wait + R"(},"gameData":{},"liveData":{}})");
        QCOMPARE(document.wait(), expected);
    }
};

QTEST_GUILESS_MAIN(TestLiveFeedDocument)
#include "tst_livefeeddocument.moc"
