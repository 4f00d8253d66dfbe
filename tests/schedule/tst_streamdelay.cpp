#include "schedule/gameorder.h"
#include "schedulemodelfixture.h"

#include <QTest>
#include <ctime>

using namespace Qt::StringLiterals;
using namespace std::chrono_literals;

namespace {

const QDate gameDay(2024, 4, 1);

// The favourite club's game as the schedule has it after `step` answers: a run a step for eight steps, then final.
Game gameAtStep(int step)
{
    Game game;
    game.gamePk = 1;
    game.gameDate = u"2024-04-01T23:05:00Z"_s;
    game.teams.away.team = { 147, {} };
    game.teams.home.team = { 111, {} };
    if (step == 0) {
        game.status = { u"Preview"_s, u"Scheduled"_s, {}, {}, {}, {} };
        return game;
    }
    const bool over = step > 8;
    game.status = over ? GameStatus { u"Final"_s, u"Final"_s, {}, {}, {}, {} }
                       : GameStatus { u"Live"_s, u"In Progress"_s, {}, {}, {}, {} };
    game.teams.away.score = std::min(step, 8);
    game.teams.home.score = 0;
    if (!over) game.linescore = Linescore { step, u"%1th"_s.arg(step), true, {} };
    return game;
}

} // namespace

// Rows and the status line under a stream delay: the schedule's answers held back, never shown early.
class TestStreamDelay : public QObject {
    Q_OBJECT

    ScheduleModelFixture m_fixture;
    FakeScheduleAPI *m_fake = nullptr;
    QDateTime m_clock;

    ScheduleViewModel *makeViewModel(int delay = 0)
    {
        QVariantMap preferences { { u"noSpoilers"_s, false } };
        if (delay) preferences[u"streamDelaySeconds"_s] = delay;
        m_fixture.reset(preferences, false, [this] { return m_clock; });
        m_fake = m_fixture.api.get();
        return m_fixture.viewModel.get();
    }

    // One load, every request answered with the game day's game as it stands after `step` answers.
    void load(ScheduleViewModel &vm, int step)
    {
        const int first = m_fake->requestCount();
        auto task = vm.loadSchedule();
        for (int i = first; i < m_fake->requestCount(); ++i)
            m_fake->succeedDays(i, { { gameDay, { gameAtStep(step) } } });
    }

private Q_SLOTS:
    void cleanup()
    {
        m_fixture.clear();
        qputenv("TZ", "America/New_York");
        tzset();
    }

    // A replayed game, an answer a minute, looked at every ten seconds: the row and the title always show the last
    // answer received the delay ago (without runs while none is that old), so the final comes the delay late.
    void rowAndTitleNeverRunAhead_data()
    {
        QTest::addColumn<QByteArray>("zone");
        QTest::addColumn<int>("delay");
        QTest::newRow("off, New York") << QByteArray("America/New_York") << 0;
        QTest::newRow("30 s, Los Angeles") << QByteArray("America/Los_Angeles") << 30;
        QTest::newRow("90 s, London") << QByteArray("Europe/London") << 90;
        QTest::newRow("5 min, Tokyo") << QByteArray("Asia/Tokyo") << 300;
    }

    void rowAndTitleNeverRunAhead()
    {
        QFETCH(QByteArray, zone);
        QFETCH(int, delay);
        qputenv("TZ", zone);
        tzset();
        const QDateTime start(gameDay, QTime(23, 0), Qt::UTC);
        m_clock = start;
        auto *vm = makeViewModel();
        vm->setStreamDelay(std::chrono::seconds(delay));
        QCOMPARE(m_fake->streamDelay, std::chrono::seconds(delay));
        std::vector<QDateTime> received;
        for (int second = 0; second <= 660 + delay; second += 10) {
            m_clock = start.addSecs(second);
            if (second % 60 == 0 && second <= 600) {
                load(*vm, int(received.size()));
                received.push_back(m_clock);
            }
            vm->showDelayedGames();
            // The last answer received by now - delay; the first, not yet started, while none is that old.
            int step = 0;
            for (std::size_t i = 0; i < received.size(); ++i)
                if (received[i] <= m_clock.addSecs(-delay)) step = int(i);
            const Game expected = gameAtStep(step);
            QCOMPARE(vm->games().size(), std::size_t(1));
            const Game &shown = vm->games().front();
            QCOMPARE(shown.teams.away.score, expected.teams.away.score);
            QCOMPARE(shown.status.abstractGameState, expected.status.abstractGameState);
            QCOMPARE(vm->menuBarTitle(), menuBarTitle(&expected, 147, false, ScheduleAvailability::Loaded));
            QCOMPARE(shown.isFinal(), second >= 540 + delay);
        }
    }

    // Started with a delay while a game is under way: no runs until an answer that old is there; lowering the delay
    // shows the newer answers at once, raising it holds what is shown until the game catches up.
    void delayChangesMidGame()
    {
        m_clock = QDateTime(gameDay, QTime(23, 0), Qt::UTC);
        auto *vm = makeViewModel(60);
        QCOMPARE(m_fake->streamDelay, 60s);
        load(*vm, 3);
        QCOMPARE(vm->games().front().teams.away.score, std::nullopt);
        QCOMPARE(vm->games().front().status.abstractGameState, u"Live"_s);
        // Runs not known yet are hidden as No Spoilers Mode hides them, not shown as none.
        QVERIFY(vm->hidesScore(1));
        QCOMPARE(vm->panelState(), u"no-spoilers"_s);
        QVERIFY(!vm->menuBarTitle().contains(u"0-0"_s));
        m_clock = m_clock.addSecs(30);
        load(*vm, 4);
        QCOMPARE(vm->games().front().teams.away.score, std::nullopt);
        m_clock = m_clock.addSecs(30);
        vm->showDelayedGames();
        QCOMPARE(vm->games().front().teams.away.score, std::optional<qint64>(3));
        QVERIFY(!vm->hidesScore(1));
        vm->setStreamDelay(0s);
        QCOMPARE(vm->games().front().teams.away.score, std::optional<qint64>(4));
        QCOMPARE(m_fake->streamDelay, 0s);
        // Raised again: what is shown stays until the longer delay catches up with it, never going back.
        vm->setStreamDelay(90s);
        QCOMPARE(vm->games().front().teams.away.score, std::optional<qint64>(4));
        m_clock = m_clock.addSecs(60);
        load(*vm, 5);
        QCOMPARE(vm->games().front().teams.away.score, std::optional<qint64>(4));
        m_clock = m_clock.addSecs(89);
        vm->showDelayedGames();
        QCOMPARE(vm->games().front().teams.away.score, std::optional<qint64>(4));
        m_clock = m_clock.addSecs(1);
        vm->showDelayedGames();
        QCOMPARE(vm->games().front().teams.away.score, std::optional<qint64>(5));
    }

    // Only the offered delays are taken; anything else stored is the next shorter one, never a longer one.
    void storedDelayIsOneOffered()
    {
        auto *vm = makeViewModel();
        QCOMPARE(vm->streamDelay(), 0s);
        for (const auto &[stored, taken] : { std::pair { 45, 45s }, { 50, 45s }, { 9999, 300s }, { -5, 0s } }) {
            m_fixture.settings->setValue(u"streamDelaySeconds"_s, stored);
            QCOMPARE(vm->streamDelay(), taken);
        }
        vm->setStreamDelay(120s);
        QCOMPARE(QSettings(m_fixture.settings->fileName(), QSettings::IniFormat).value(u"streamDelaySeconds"_s).toInt(),
            120);
    }

    // What is kept: enough for the longest delay, and no more.
    void historyKeepsTheLongestDelay()
    {
        DelayedGames delayed;
        const QDateTime start(gameDay, QTime(23, 0), Qt::UTC);
        for (int step = 0; step <= 8; ++step)
            delayed.record(start.addSecs(step * 60), { gameAtStep(step) });
        const QDateTime now = start.addSecs(8 * 60);
        QCOMPARE(delayed.shown(gameAtStep(8), now, 300s).teams.away.score, std::optional<qint64>(3));
        QCOMPARE(delayed.shown(gameAtStep(8), now, 0s).teams.away.score, std::optional<qint64>(8));
        QCOMPARE(delayed.nextChange(now, 300s), start.addSecs(4 * 60 + 300));
        QCOMPARE(delayed.nextChange(now, 0s), std::nullopt);
        // A clock set back starts the history again rather than showing it out of order.
        delayed.record(start, { gameAtStep(1) });
        QCOMPARE(delayed.shown(gameAtStep(1), start.addSecs(10), 300s).teams.away.score, std::nullopt);
    }
};

QTEST_GUILESS_MAIN(TestStreamDelay)
#include "tst_streamdelay.moc"
