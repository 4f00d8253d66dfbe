#include "boxscore/boxscoreviewmodel.h"
#include "stats/serviceerror.h"
#include "testdata.h"

#include <QSignalSpy>
#include <QTest>
#include <QTimer>
#include <coroutine>

using namespace Qt::StringLiterals;
using namespace std::chrono_literals;

namespace {

using Markers = std::tuple<std::optional<QString>, std::optional<qint64>, std::optional<qint64>>;
// A result, or the description of a transfer error.
using Answer = std::variant<BoxScoreFetchResult, QString, ServiceError>;

// One fetch, open until the test answers it; answering resumes the view model at once.
struct OpenFetch {
    qint64 gamePk = 0;
    std::optional<Answer> answer;
    std::coroutine_handle<> waiter;

    bool await_ready() const { return answer.has_value(); }
    void await_suspend(std::coroutine_handle<> handle) { waiter = handle; }
    void await_resume() const { }
    void settle(Answer value)
    {
        answer = std::move(value);
        if (auto handle = std::exchange(waiter, {})) handle.resume();
    }
};

QCoro::Task<BoxScoreFetchResult> openFetch(std::shared_ptr<OpenFetch> fetch)
{
    co_await *fetch;
    if (const auto *failure = std::get_if<QString>(&*fetch->answer))
        throw ServiceError(ServiceError::Kind::Transfer, *failure);
    if (const auto *error = std::get_if<ServiceError>(&*fetch->answer)) throw *error;
    co_return std::get<BoxScoreFetchResult>(*fetch->answer);
}

QCoro::Task<bool> sleepThrough(std::shared_ptr<BoxScoreSleep> sleep)
{
    co_return co_await *sleep;
}

BoxScoreFetchResult recorded(const QString &name)
{
    return makeBoxScoreFetchResult(decode<GameLiveFeedResponse>(readTestData(name)));
}

BoxScoreFetchResult withMarkers(BoxScoreFetchResult result, const Markers &markers)
{
    std::tie(result.abstractGameState, result.currentAtBatIndex, result.allPlaysCount) = markers;
    return result;
}

} // namespace

// The polling loop on a fake clock against fetches the test answers by hand.
class TestBoxScoreViewModel : public QObject {
    Q_OBJECT

    BoxScoreFetchResult m_live; // game 633860 in the 7th: Live, at-bat 61, 62 plays
    BoxScoreFetchResult m_final; // game 748534 over, footer complete
    BoxScoreFetchResult m_finalWithoutAttendance;

    std::vector<std::shared_ptr<OpenFetch>> m_fetches;
    std::shared_ptr<FakeBoxScoreClock> m_clock;
    std::unique_ptr<BoxScoreViewModel> m_vm;
    int m_follows = 0;

    qsizetype fetchCount() const { return qsizetype(m_fetches.size()); }
    void answerLast(Answer answer) { m_fetches.back()->settle(std::move(answer)); }
    qint64 nextWakeMs() const { return m_clock->nextWakeIn().value_or(-1ms).count(); }
    // Moves the clock and lets the loops it woke run to their next fetch.
    void advance(std::chrono::milliseconds step)
    {
        m_clock->advance(step);
        QCoreApplication::sendPostedEvents();
    }

private Q_SLOTS:
    void initTestCase()
    {
        m_live = recorded(u"feed-live-inprogress-633860.json"_s);
        m_final = recorded(u"feed-live-final-748534.json"_s);
        m_finalWithoutAttendance = m_final;
        m_finalWithoutAttendance.boxScore.footer.attendance.reset();
    }

    void init()
    {
        m_clock = std::make_shared<FakeBoxScoreClock>();
        m_vm = std::make_unique<BoxScoreViewModel>(
            [this](qint64 gamePk) {
                m_fetches.push_back(std::make_shared<OpenFetch>(OpenFetch { .gamePk = gamePk }));
                return openFetch(m_fetches.back());
            },
            m_clock, nullptr,
            [this](qint64) {
                ++m_follows;
                return LiveFeedFollow(std::shared_ptr<int>(new int(0), [this](int *claim) {
                    delete claim;
                    --m_follows;
                }));
            });
    }

    void cleanup()
    {
        m_vm.reset();
        // Fetches left open end now, so no coroutine outlives the test.
        for (const auto &fetch : std::exchange(m_fetches, {})) {
            if (!fetch->answer) fetch->settle(u"test over"_s);
        }
        QCoreApplication::sendPostedEvents();
    }

    void systemClockSleepsAndWakesEarly()
    {
        SystemBoxScoreClock clock;
        const auto start = clock.now();
        QVERIFY(QCoro::waitFor(sleepThrough(clock.sleepUntil(start + 50ms))));
        QVERIFY(clock.now() - start >= 50ms);
        const auto sleep = clock.sleepUntil(clock.now() + 1h);
        QTimer::singleShot(10, [sleep] { sleep->cancel(); });
        QVERIFY(!QCoro::waitFor(sleepThrough(sleep)));
    }

    void fetchesAtOnceThenAfterEachCompletedFetch()
    {
        m_vm->setGamePk(633860);
        QCOMPARE(fetchCount(), 1);
        // A scheduled game's feed has no markers; the first result is published all the same.
        answerLast(withMarkers(m_live, { u"Preview"_s, std::nullopt, std::nullopt }));
        QVERIFY(m_vm->boxScore());
        advance(12s - 1ms);
        QCOMPARE(fetchCount(), 1);
        advance(1ms);
        QCOMPARE(fetchCount(), 2);
        // A slow fetch: the next wait starts only once it has completed.
        advance(20s);
        QCOMPARE(fetchCount(), 2);
        answerLast(m_live);
        QCOMPARE(nextWakeMs(), 12'000);
        advance(12s);
        answerLast(m_finalWithoutAttendance);
        QCOMPARE(nextWakeMs(), 30'000);
    }

    void pacedByTheFeedAndFollowedWhilePolling()
    {
        m_vm->setGamePk(748534);
        QCOMPARE(m_follows, 1);
        BoxScoreFetchResult paced = m_finalWithoutAttendance;
        paced.wait = 7s;
        answerLast(paced);
        QCOMPARE(nextWakeMs(), 7'000);
        advance(7s);
        answerLast(m_final);
        QVERIFY(!m_vm->hasPollingTask());
        QCOMPARE(m_follows, 0);
        m_vm->startPolling();
        QCOMPARE(m_follows, 1);
    }

    void changeDetection_data()
    {
        QTest::addColumn<Markers>("next");
        QTest::addColumn<bool>("footerChanged");
        QTest::addColumn<bool>("published");
        const Markers same { u"Live"_s, 61, 62 };
        QTest::newRow("same markers") << same << false << false;
        QTest::newRow("at-bat moved") << Markers { u"Live"_s, 62, 62 } << false << true;
        QTest::newRow("no current play after one") << Markers { u"Live"_s, std::nullopt, 62 } << false << false;
        QTest::newRow("no current play, one more play") << Markers { u"Live"_s, std::nullopt, 63 } << false << true;
        QTest::newRow("state differs in case only") << Markers { u"LIVE"_s, 61, 62 } << false << true;
        QTest::newRow("same markers, footer changed") << same << true << true;
    }

    void changeDetection()
    {
        QFETCH(Markers, next);
        QFETCH(bool, footerChanged);
        QFETCH(bool, published);
        m_vm->setGamePk(633860);
        answerLast(m_live);
        QSignalSpy changed(m_vm.get(), &BoxScoreViewModel::changed);
        advance(12s);
        BoxScoreFetchResult result = withMarkers(m_live, next);
        if (footerChanged) result.boxScore.footer.umpireHP.reset();
        result.boxScore.result.title = u"next"_s;
        answerLast(result);
        QCOMPARE(changed.count(), published ? 1 : 0);
        QCOMPARE(m_vm->boxScore()->result.title == u"next"_s, published);
    }

    void errorStaysUntilAChangedSuccess()
    {
        m_vm->setGamePk(633860);
        answerLast(m_live);
        advance(12s);
        answerLast(u"The network connection was lost."_s);
        QCOMPARE(m_vm->errorMessage().value_or(QString()), u"Couldn't refresh: The network connection was lost."_s);
        QCOMPARE(m_vm->boxScore()->gamePk, 633860);
        // A game the service has no feed for yet.
        advance(12s);
        answerLast(ServiceError(ServiceError::Kind::Decoding, u"The service answered 404 (Not Found)"_s, 404));
        QCOMPARE(m_vm->errorMessage().value_or(QString()), u"Couldn't refresh: Box score not available yet"_s);
        QCOMPARE(nextWakeMs(), 12'000);
        advance(12s);
        answerLast(m_live);
        QVERIFY(m_vm->errorMessage());
        advance(12s);
        answerLast(withMarkers(m_live, { u"Live"_s, 62, 63 }));
        QVERIFY(!m_vm->errorMessage());
    }

    void finalDrain_data()
    {
        QTest::addColumn<bool>("attendanceArrives");
        QTest::addColumn<int>("pollsAfterFinal");
        QTest::newRow("footer complete at once") << true << 0;
        QTest::newRow("attendance arrives with the next poll") << true << 1;
        QTest::newRow("attendance never arrives") << false << 10;
    }

    void finalDrain()
    {
        QFETCH(bool, attendanceArrives);
        QFETCH(int, pollsAfterFinal);
        m_vm->setGamePk(748534);
        const QDateTime turnedFinal = m_clock->wallNow();
        answerLast(pollsAfterFinal == 0 ? m_final : m_finalWithoutAttendance);
        for (int poll = 1; poll <= pollsAfterFinal; ++poll) {
            QVERIFY(m_vm->hasPollingTask());
            advance(30s);
            answerLast(poll == pollsAfterFinal && attendanceArrives ? m_final : m_finalWithoutAttendance);
        }
        QCOMPARE(m_vm->isFinalFooterComplete(), attendanceArrives);
        QVERIFY(!m_vm->hasPollingTask());
        advance(1h);
        QCOMPARE(fetchCount(), 1 + pollsAfterFinal);
        QCOMPARE(m_vm->finalDrainStartedAt().value_or(QDateTime()), turnedFinal);
    }

    void switchingGames()
    {
        m_vm->setGamePk(633860);
        QSignalSpy changed(m_vm.get(), &BoxScoreViewModel::changed);
        m_vm->setGamePk(633860);
        QCOMPARE(changed.count(), 0);
        QCOMPARE(fetchCount(), 1);
        // Both the loop's fetch and a refresh outside the loop are dropped once another game is followed.
        auto refresh = m_vm->refresh(633860);
        m_vm->setGamePk(748534);
        QCOMPARE(fetchCount(), 3);
        QCOMPARE(m_fetches[2]->gamePk, 748534);
        changed.clear();
        m_fetches[0]->settle(m_live);
        m_fetches[1]->settle(u"late"_s);
        QCOMPARE(changed.count(), 0);
        QVERIFY(!m_vm->boxScore());
        QVERIFY(!m_vm->errorMessage());
    }

    void stopThenStartFetchesAtOnce()
    {
        m_vm->setGamePk(633860);
        answerLast(m_live);
        m_vm->stopPolling();
        QVERIFY(!m_vm->hasPollingTask());
        QCOMPARE(nextWakeMs(), -1);
        m_vm->startPolling();
        m_vm->startPolling(); // a second start replaces the loop instead of adding one
        QCOMPARE(fetchCount(), 3);
        QCOMPARE(m_vm->boxScore()->gamePk, 633860);
        // Stopped while fetches are under way: their answers are dropped silently.
        QSignalSpy changed(m_vm.get(), &BoxScoreViewModel::changed);
        m_vm->stopPolling();
        m_fetches[1]->settle(withMarkers(m_live, { u"Live"_s, 62, 63 }));
        m_fetches[2]->settle(u"cancelled"_s);
        QCOMPARE(changed.count(), 0);
        QVERIFY(!m_vm->errorMessage());
        advance(1h);
        QCOMPARE(fetchCount(), 3);
    }

    void destroyingTheViewModelEndsItsLoopAtOnce()
    {
        m_vm->setGamePk(633860);
        answerLast(m_live);
        QCOMPARE(m_clock->heldSleeps(), 1);
        // No event loop pass follows, as at quit: the loop's frame (which holds its sleep) must be gone already.
        m_vm.reset();
        QCOMPARE(m_clock->heldSleeps(), 0);
    }
};

QTEST_GUILESS_MAIN(TestBoxScoreViewModel)
#include "tst_boxscoreviewmodel.moc"
