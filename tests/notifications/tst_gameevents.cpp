#include "notifications/fakenotificationcenterclient.h"
#include "notifications/gameeventfollower.h"
#include "notifications/gameevents.h"
#include "testdata.h"

#include <QSignalSpy>
#include <QTest>
#include <deque>
#include <nlohmann/json.hpp>

Q_DECLARE_METATYPE(nlohmann::ordered_json)

using namespace Qt::StringLiterals;

namespace {

// A recorded feed as it stood after play `lastPlay`, in state `state`: the plays after it and the runs they brought
// are cut away (the line score is left whole; the alerts do not read it).
nlohmann::ordered_json cut(nlohmann::ordered_json feed, int lastPlay, const QString &state, bool withSave = true)
{
    auto &plays = feed["liveData"]["plays"];
    plays["allPlays"].erase(plays["allPlays"].begin() + lastPlay + 1, plays["allPlays"].end());
    auto &scoring = plays["scoringPlays"];
    scoring.erase(
        std::remove_if(scoring.begin(), scoring.end(), [&](const auto &i) { return i.template get<int>() > lastPlay; }),
        scoring.end());
    if (!withSave) feed["liveData"]["decisions"].erase("save");
    feed["gameData"]["status"]["abstractGameState"] = state.toStdString();
    return feed;
}

QStringList shownIds(const FakeNotificationCenterClient &center)
{
    QStringList ids;
    for (const auto &shown : center.shown)
        ids << shown.id;
    return ids;
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

    nlohmann::ordered_json m_final;
    nlohmann::ordered_json m_inProgress;

private Q_SLOTS:
    void initTestCase()
    {
        m_final = nlohmann::ordered_json::parse(readTestData(u"feed-live-final-748534.json"_s).toStdString());
        m_inProgress = nlohmann::ordered_json::parse(readTestData(u"feed-live-inprogress-633860.json"_s).toStdString());
    }

    void init()
    {
        m_answers.clear();
        m_now = QDateTime(QDate(2023, 11, 2), QTime(3, 5), Qt::UTC);
    }

    void betweenTwoStates_data()
    {
        QTest::addColumn<nlohmann::ordered_json>("before");
        QTest::addColumn<nlohmann::ordered_json>("after");
        QTest::addColumn<QStringList>("events");
        const QString live = u"Live"_s;
        const QString final = u"Final"_s;
        const QString garver = u"baselark-score-748534-48 | TEX 1, AZ 0 | Mitch Garver singles on a sharp ground b"_s;
        const QString heim = u"baselark-score-748534-68 | TEX 3, AZ 0 | Jonah Heim singles on a sharp ground bal"_s;
        const QString semien = u"baselark-score-748534-71 | TEX 5, AZ 0 | Marcus Semien homers (2) on a fly ball "_s;
        const QString over = u"baselark-final-748534 | Final: Texas Rangers 5, Arizona Diamondbacks 0 | "_s;
        QTest::newRow("one run") << cut(m_final, 47, live) << cut(m_final, 48, live) << QStringList { garver };
        QTest::newRow("no run") << cut(m_final, 49, live) << cut(m_final, 67, live) << QStringList {};
        QTest::newRow("both sides at once, in order")
            << cut(m_inProgress, 50, live) << cut(m_inProgress, 56, live)
            << QStringList { u"baselark-score-633860-51 | TEX 0, COL 8 | "_s,
                   u"baselark-score-633860-53 | TEX 0, COL 9 | "_s, u"baselark-score-633860-56 | TEX 2, COL 9 | "_s };
        QTest::newRow("the final") << cut(m_final, 76, live) << cut(m_final, 76, final)
                                   << QStringList { over + u"W: Eovaldi · L: Gallen · Sv: Sborz"_s };
        QTest::newRow("a final without a save") << cut(m_final, 76, live, false) << cut(m_final, 76, final, false)
                                                << QStringList { over + u"W: Eovaldi · L: Gallen"_s };
        // Two runs on one play are one event; runs and the end in the same update all come, in order.
        QTest::newRow("first pitch to final")
            << cut(m_final, 0, live) << cut(m_final, 76, final)
            << QStringList { garver, heim, semien, over + u"W: Eovaldi · L: Gallen · Sv: Sborz"_s };
        QTest::newRow("a final seen again") << cut(m_final, 76, final) << cut(m_final, 76, final) << QStringList {};
    }

    void betweenTwoStates()
    {
        QFETCH(nlohmann::ordered_json, before);
        QFETCH(nlohmann::ordered_json, after);
        QFETCH(QStringList, events);
        const auto found = gameEvents(gameEventState(before), gameEventState(after), QDateTime::currentDateTimeUtc());
        QStringList lines = describe(found);
        // Rows that give only the start of a line compare only as far as they go.
        for (qsizetype i = 0; i < std::min(lines.size(), events.size()); ++i)
            lines[i] = lines[i].left(events[i].size());
        QCOMPARE(lines, events);
    }

    // A first look tells of a final under ten minutes old (of nothing else: firstLookTellsNothingOfThePast).
    void firstLook_data()
    {
        QTest::addColumn<int>("minutesAfterTheEnd");
        QTest::addColumn<int>("events");
        QTest::newRow("final, nine minutes ago") << 9 << 1;
        QTest::newRow("final, eleven minutes ago") << 11 << 0;
    }

    void firstLook()
    {
        QFETCH(int, minutesAfterTheEnd);
        const GameEventState state = gameEventState(cut(m_final, 76, u"Final"_s));
        // The last play ended at 03:00:54 UTC.
        QCOMPARE(state.endedAt, QDateTime(QDate(2023, 11, 2), QTime(3, 0, 54, 855), Qt::UTC));
        const QDateTime now = state.endedAt->addSecs(minutesAfterTheEnd * 60);
        QTEST(int(gameEvents(std::nullopt, state, now).size()), "events");
    }

    // The service corrects a scoring play after the fact (its description, even its score): told once only.
    void correctedScoringPlayIsNotToldAgain()
    {
        nlohmann::ordered_json corrected = m_final;
        auto &result = corrected["liveData"]["plays"]["allPlays"][48]["result"];
        result["description"] = "Mitch Garver reaches on a fielding error.";
        result["awayScore"] = 2;
        const auto events = gameEvents(gameEventState(cut(m_final, 50, u"Live"_s)),
            gameEventState(cut(corrected, 50, u"Live"_s)), QDateTime::currentDateTimeUtc());
        QVERIFY(events.empty());
    }

    // The follower against a feed that answers with the states the test lines up, at the clock the test sets.
    void followerTellsEachEventOnce()
    {
        FakeNotificationCenterClient center;
        GameEventFollower follower = makeFollower(center);
        QSignalSpy over(&follower, &GameEventFollower::gameOver);
        follower.follow(748534, {});
        // A state seen again, and an older one replayed between two newer ones, tell nothing more.
        for (const auto &[lastPlay, state] :
            { std::pair(47, u"Live"_s), std::pair(48, u"Live"_s), std::pair(48, u"Live"_s), std::pair(47, u"Live"_s),
                std::pair(48, u"Live"_s), std::pair(76, u"Final"_s) })
            look(follower, cut(m_final, lastPlay, state));
        QCOMPARE(shownIds(center),
            (QStringList { u"baselark-score-748534-48"_s, u"baselark-score-748534-68"_s, u"baselark-score-748534-71"_s,
                u"baselark-final-748534"_s }));
        // One game's popups replace each other.
        QVERIFY(std::ranges::all_of(center.shown, [](const auto &shown) { return shown.thread == u"game-748534"_s; }));
        QCOMPARE(over.count(), 1);
        QVERIFY(!follower.followedGame());
        // Restarted while the schedule still shows the game live: its final is not told again.
        GameEventFollower again = makeFollower(center);
        again.follow(748534, {});
        look(again, cut(m_final, 76, u"Final"_s));
        QCOMPARE(center.shown.size(), 4u);
    }

    // A restart between two looks tells what came meanwhile, unless it is old news, and repeats nothing.
    void restartBetweenTwoLooks_data()
    {
        QTest::addColumn<int>("minutesLater");
        QTest::addColumn<QStringList>("told");
        // Play 68 ended at 02:46:54, play 71 at 02:50:58.
        QTest::newRow("right after the runs")
            << 0 << QStringList { u"baselark-score-748534-68"_s, u"baselark-score-748534-71"_s };
        QTest::newRow("eight minutes on") << 8 << QStringList { u"baselark-score-748534-71"_s };
        QTest::newRow("half an hour on") << 30 << QStringList {};
    }

    void restartBetweenTwoLooks()
    {
        QFETCH(int, minutesLater);
        FakeNotificationCenterClient center;
        {
            GameEventFollower before = makeFollower(center);
            before.follow(748534, {});
            look(before, cut(m_final, 47, u"Live"_s));
            look(before, cut(m_final, 48, u"Live"_s));
        }
        center.shown.clear();
        m_now = QDateTime(QDate(2023, 11, 2), QTime(2, 51), Qt::UTC).addSecs(minutesLater * 60);
        GameEventFollower after = makeFollower(center);
        after.follow(748534, {});
        look(after, cut(m_final, 71, u"Live"_s));
        QTEST(shownIds(center), "told");
    }

    // Starting mid-game, or waking up, tells nothing of what came before; what comes next is told.
    void firstLookTellsNothingOfThePast_data()
    {
        QTest::addColumn<bool>("wakeUp");
        QTest::newRow("start mid-game") << false;
        QTest::newRow("wake-up") << true;
    }

    void firstLookTellsNothingOfThePast()
    {
        QFETCH(bool, wakeUp);
        m_now = QDateTime(QDate(2023, 11, 2), QTime(2, 51), Qt::UTC); // play 68 ended four minutes ago
        FakeNotificationCenterClient center;
        GameEventFollower follower = makeFollower(center);
        follower.follow(748534, {});
        if (wakeUp) {
            look(follower, cut(m_final, 40, u"Live"_s));
            follower.resumed();
        }
        look(follower, cut(m_final, 70, u"Live"_s));
        QVERIFY(center.shown.empty());
        look(follower, cut(m_final, 71, u"Live"_s));
        QCOMPARE(shownIds(center), QStringList { u"baselark-score-748534-71"_s });
    }

    // A kind switched off is passed over for good: switching it on later does not bring back what was missed.
    void kindSwitchedOffIsPassedOver()
    {
        FakeNotificationCenterClient center;
        GameEventFollower follower = makeFollower(center);
        follower.follow(748534, { .scoring = false, .final = true });
        look(follower, cut(m_final, 47, u"Live"_s));
        look(follower, cut(m_final, 48, u"Live"_s));
        follower.follow(748534, {});
        look(follower, cut(m_final, 68, u"Live"_s));
        look(follower, cut(m_final, 76, u"Final"_s));
        QCOMPARE(shownIds(center),
            (QStringList { u"baselark-score-748534-68"_s, u"baselark-score-748534-71"_s, u"baselark-final-748534"_s }));

        FakeNotificationCenterClient quiet;
        GameEventFollower finalOff = makeFollower(quiet);
        finalOff.follow(748534, { .scoring = true, .final = false });
        look(finalOff, cut(m_final, 71, u"Live"_s));
        look(finalOff, cut(m_final, 76, u"Final"_s));
        QVERIFY(quiet.shown.empty());
    }

    // Failed looks come again after 15, 30, then 60 s; a good one follows the feed's own pace.
    void failedLooksComeAgainSoon()
    {
        FakeNotificationCenterClient center;
        GameEventFollower follower = makeFollower(center);
        follower.follow(748534, {});
        for (const int seconds : { 15, 30, 60, 60 }) {
            look(follower, {});
            QCOMPARE(follower.nextLookIn(), std::chrono::milliseconds(seconds * 1000));
        }
        look(follower, cut(m_final, 47, u"Live"_s), std::chrono::seconds(7));
        QCOMPARE(follower.nextLookIn(), std::chrono::milliseconds(7000));
    }

private:
    GameEventFollower makeFollower(FakeNotificationCenterClient &center)
    {
        return GameEventFollower(
            &center,
            [this](qint64) -> QCoro::Task<GameEventFollower::Update> {
                std::optional<GameEventFollower::Update> next = std::move(m_answers.front());
                m_answers.pop_front();
                if (!next) throw std::runtime_error("offline");
                co_return std::move(*next);
            },
            [this] { return m_now; });
    }

    // One look of the follower at the state in `feed` (a failed look when empty).
    void look(GameEventFollower &follower, const nlohmann::ordered_json &feed,
        std::optional<std::chrono::seconds> wait = std::nullopt)
    {
        if (feed.is_null())
            m_answers.push_back(std::nullopt);
        else
            m_answers.push_back(GameEventFollower::Update { gameEventState(feed), wait });
        auto task = follower.look();
        QVERIFY(task.isReady());
    }

    std::deque<std::optional<GameEventFollower::Update>> m_answers;
    QDateTime m_now;
};

QTEST_GUILESS_MAIN(TestGameEvents)
#include "tst_gameevents.moc"
