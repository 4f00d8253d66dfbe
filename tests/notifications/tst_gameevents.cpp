#include "notifications/gameevents.h"
#include "testdata.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {

// A recorded feed as it stood after play `lastPlay`, in state `state`: the plays after it and the runs they brought
// are cut away (the line score is left whole; the alerts do not read it).
QByteArray cut(const QJsonObject &feed, qsizetype lastPlay, const QString &state, bool withSave = true)
{
    QJsonObject root = feed;
    QJsonObject liveData = root[u"liveData"].toObject();
    QJsonObject plays = liveData[u"plays"].toObject();
    QJsonArray all = plays[u"allPlays"].toArray();
    while (all.size() > lastPlay + 1)
        all.removeLast();
    QJsonArray scoring;
    for (const QJsonValue &index : plays[u"scoringPlays"].toArray()) {
        if (index.toInteger() <= lastPlay) scoring.append(index);
    }
    plays[u"allPlays"] = all;
    plays[u"scoringPlays"] = scoring;
    liveData[u"plays"] = plays;
    if (!withSave) {
        QJsonObject decisions = liveData[u"decisions"].toObject();
        decisions.remove(u"save"_s);
        liveData[u"decisions"] = decisions;
    }
    root[u"liveData"] = liveData;
    QJsonObject gameData = root[u"gameData"].toObject();
    QJsonObject status = gameData[u"status"].toObject();
    status[u"abstractGameState"] = state;
    gameData[u"status"] = status;
    root[u"gameData"] = gameData;
    return QJsonDocument(root).toJson(QJsonDocument::Compact);
}

QStringList describe(const std::vector<GameEvent> &events)
{
    QStringList lines;
    for (const GameEvent &event : events)
        lines << event.id + u" | "_s + event.title + u" | "_s + event.body.left(40);
    return lines;
}

} // namespace

// What happened between two states of a game: states made by cutting recorded feeds (Texas at Arizona, final 5-0;
// Texas at Colorado in the 7th, runs on both sides).
class TestGameEvents : public QObject {
    Q_OBJECT

    QJsonObject m_final;
    QJsonObject m_inProgress;

private Q_SLOTS:
    void initTestCase()
    {
        m_final = QJsonDocument::fromJson(readTestData(u"feed-live-final-748534.json"_s)).object();
        m_inProgress = QJsonDocument::fromJson(readTestData(u"feed-live-inprogress-633860.json"_s)).object();
        QVERIFY(!m_final.isEmpty() && !m_inProgress.isEmpty());
    }

    void betweenTwoStates_data()
    {
        QTest::addColumn<QByteArray>("before");
        QTest::addColumn<QByteArray>("after");
        QTest::addColumn<QStringList>("events");
        const QString live = u"Live"_s;
        const QString final = u"Final"_s;
        const QString garver = u"baselark-score-748534-48 | TEX 1, AZ 0 | Mitch Garver singles on a sharp ground b"_s;
        const QString heim = u"baselark-score-748534-68 | TEX 3, AZ 0 | Jonah Heim singles on a sharp ground bal"_s;
        const QString semien = u"baselark-score-748534-71 | TEX 5, AZ 0 | Marcus Semien homers (2) on a fly ball "_s;
        const QString over = u"baselark-final-748534 | Final: Texas Rangers 5, Arizona Diamondbacks 0 | "_s;
        QTest::newRow("one run") << cut(m_final, 47, live) << cut(m_final, 48, live) << QStringList { garver };
        QTest::newRow("two runs on one play")
            << cut(m_final, 67, live) << cut(m_final, 68, live) << QStringList { heim };
        QTest::newRow("no run") << cut(m_final, 49, live) << cut(m_final, 67, live) << QStringList {};
        QTest::newRow("the home side") << cut(m_inProgress, 13, live) << cut(m_inProgress, 14, live)
                                       << QStringList { u"baselark-score-633860-14 | TEX 0, COL 1 | "_s };
        QTest::newRow("both sides at once, in order")
            << cut(m_inProgress, 50, live) << cut(m_inProgress, 56, live)
            << QStringList { u"baselark-score-633860-51 | TEX 0, COL 8 | "_s,
                   u"baselark-score-633860-53 | TEX 0, COL 9 | "_s, u"baselark-score-633860-56 | TEX 2, COL 9 | "_s };
        QTest::newRow("the final") << cut(m_final, 76, live) << cut(m_final, 76, final)
                                   << QStringList { over + u"W: Eovaldi · L: Gallen · Sv: Sborz"_s };
        QTest::newRow("a final without a save") << cut(m_final, 76, live, false) << cut(m_final, 76, final, false)
                                                << QStringList { over + u"W: Eovaldi · L: Gallen"_s };
        // As a walk-off comes: the run and the end in the same update.
        QTest::newRow("the last run and the final together") << cut(m_final, 70,
            live) << cut(m_final, 71, final) << QStringList { semien, over + u"W: Eovaldi · L: Gallen · Sv: Sborz"_s };
        QTest::newRow("first pitch to final")
            << cut(m_final, 0, live) << cut(m_final, 76, final)
            << QStringList { garver, heim, semien, over + u"W: Eovaldi · L: Gallen · Sv: Sborz"_s };
        QTest::newRow("a final seen again") << cut(m_final, 76, final) << cut(m_final, 76, final) << QStringList {};
    }

    void betweenTwoStates()
    {
        QFETCH(QByteArray, before);
        QFETCH(QByteArray, after);
        QFETCH(QStringList, events);
        const auto found = gameEvents(gameEventState(before), gameEventState(after), QDateTime::currentDateTimeUtc());
        QStringList lines = describe(found);
        // Rows that give only the start of a line compare only as far as they go.
        for (qsizetype i = 0; i < std::min(lines.size(), events.size()); ++i)
            lines[i] = lines[i].left(events[i].size());
        QCOMPARE(lines, events);
    }

    // Starting mid-game or waking up tells nothing of the past, except a final under ten minutes old.
    void firstLook_data()
    {
        QTest::addColumn<bool>("final");
        QTest::addColumn<int>("minutesAfterTheEnd");
        QTest::addColumn<int>("events");
        QTest::newRow("mid-game") << false << 0 << 0;
        QTest::newRow("final, nine minutes ago") << true << 9 << 1;
        QTest::newRow("final, eleven minutes ago") << true << 11 << 0;
    }

    void firstLook()
    {
        QFETCH(bool, final);
        QFETCH(int, minutesAfterTheEnd);
        const GameEventState state = gameEventState(cut(m_final, 76, final ? u"Final"_s : u"Live"_s));
        // The last play ended at 03:00:54 UTC.
        QCOMPARE(state.endedAt, QDateTime(QDate(2023, 11, 2), QTime(3, 0, 54, 855), Qt::UTC));
        const QDateTime now = state.endedAt->addSecs(minutesAfterTheEnd * 60);
        QTEST(int(gameEvents(std::nullopt, state, now).size()), "events");
    }

    // The service corrects a scoring play after the fact (its description, even its score): told once only.
    void correctedScoringPlayIsNotToldAgain()
    {
        QJsonObject corrected = m_final;
        QJsonObject liveData = corrected[u"liveData"].toObject();
        QJsonObject plays = liveData[u"plays"].toObject();
        QJsonArray all = plays[u"allPlays"].toArray();
        QJsonObject play = all[48].toObject();
        QJsonObject result = play[u"result"].toObject();
        result[u"description"] = u"Mitch Garver reaches on a fielding error."_s;
        result[u"awayScore"] = 2;
        play[u"result"] = result;
        all[48] = play;
        plays[u"allPlays"] = all;
        liveData[u"plays"] = plays;
        corrected[u"liveData"] = liveData;
        const auto events = gameEvents(gameEventState(cut(m_final, 50, u"Live"_s)),
            gameEventState(cut(corrected, 50, u"Live"_s)), QDateTime::currentDateTimeUtc());
        QVERIFY(events.empty());
    }
};

QTEST_GUILESS_MAIN(TestGameEvents)
#include "tst_gameevents.moc"
