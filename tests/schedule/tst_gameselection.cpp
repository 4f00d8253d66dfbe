#include "schedulemodelfixture.h"

#include <QTest>

using namespace Qt::StringLiterals;

namespace {

Game game(qint64 gamePk, qint64 awayId, qint64 homeId, const QString &gameDate, const QString &state = u"Live"_s)
{
    Game g;
    g.gamePk = gamePk;
    g.gameDate = gameDate;
    g.status = { state, state == u"Live"_s ? u"In Progress"_s : u"Scheduled"_s, {}, {}, {}, {} };
    g.teams.away.team = { awayId, {} };
    g.teams.home.team = { homeId, {} };
    return g;
}

GameDetail detail(qint64 gamePk, const QString &venue)
{
    GameDetail d;
    d.gamePk = gamePk;
    d.venueName = venue;
    return d;
}

// A day in display order 10, 20, 30, 40: the Yankees (147) play the 7:05 game, the others are live too.
std::vector<Game> day()
{
    return {
        game(30, 110, 111, u"2024-04-01T20:05:00Z"_s),
        game(10, 147, 141, u"2024-04-01T23:05:00Z"_s),
        game(20, 112, 113, u"2024-04-01T17:05:00Z"_s),
        game(40, 114, 115, u"2024-04-01T22:05:00Z"_s, u"Preview"_s),
    };
}

} // namespace

// Selecting a game, moving the selection and loading the selected game's live detail.
class TestGameSelection : public QObject {
    Q_OBJECT

    ScheduleModelFixture m_fixture;
    FakeScheduleAPI *m_api = nullptr;
    ScheduleViewModel *m_vm = nullptr;

    // Loads `games` as the shown day; answers the detail request for the favourite's live game when asked.
    void load(std::vector<Game> games)
    {
        const int index = m_api->requestCount();
        auto task = m_vm->loadSchedule();
        m_api->succeed(index, std::move(games));
    }

private Q_SLOTS:
    void init()
    {
        m_fixture.reset({}, false);
        m_api = m_fixture.api.get();
        m_vm = m_fixture.viewModel.get();
    }

    void cleanup() { m_fixture.clear(); }

    void firstLoadSelectsTheFavouriteAndFetchesItsDetail()
    {
        auto task = m_vm->loadSchedule();
        m_api->succeed(0, day());
        QCOMPARE(m_vm->selectedGameId(), std::optional<qint64>(10));
        QVERIFY(m_vm->isShowingSelectedGameDetail());
        // The schedule load waits for the detail before it ends.
        QCOMPARE(m_api->detailRequestCount(), 1);
        QCOMPARE(m_api->detailRequest(0).gamePk, 10);
        QVERIFY(m_vm->isLoadingSelectedGameDetail());
        QVERIFY(m_vm->isLoading());
        m_api->succeedDetail(0, detail(10, u"Fenway Park"_s));
        QCOMPARE(m_vm->selectedGameDetail()->venueName, u"Fenway Park"_s);
        QVERIFY(!m_vm->isLoadingSelectedGameDetail());
        QVERIFY(!m_vm->isLoading());

        // A refresh keeps the selection and fetches the detail again without blanking it meanwhile.
        load(day());
        QCOMPARE(m_api->detailRequestCount(), 2);
        QVERIFY(m_vm->selectedGameDetail());
        m_api->failDetail(1);
        QVERIFY(!m_vm->selectedGameDetail());
        QCOMPARE(m_vm->selectedGameDetailError(), u"Failed to load live detail"_s);
        // The next refresh tries again and a success clears the message.
        load(day());
        m_api->succeedDetail(2, detail(10, u"Fenway Park"_s));
        QVERIFY(!m_vm->selectedGameDetailError());
        QVERIFY(m_vm->selectedGameDetail());
    }

    void arrows_data()
    {
        QTest::addColumn<std::optional<qint64>>("from");
        QTest::addColumn<int>("step");
        QTest::addColumn<std::optional<qint64>>("to");
        QTest::addColumn<int>("detailRequests");
        // Without the favourite's game the list runs by start time: 20, 30, 40, 10.
        QTest::newRow("down from nothing") << std::optional<qint64>() << 1 << std::optional<qint64>(20) << 1;
        QTest::newRow("up from nothing") << std::optional<qint64>() << -1 << std::optional<qint64>(20) << 1;
        QTest::newRow("down") << std::optional<qint64>(20) << 1 << std::optional<qint64>(30) << 1;
        QTest::newRow("down on the last row") << std::optional<qint64>(40) << 1 << std::optional<qint64>(40) << 0;
        QTest::newRow("up on the first row") << std::optional<qint64>(10) << -1 << std::optional<qint64>(10) << 0;
    }

    void arrows()
    {
        QFETCH(std::optional<qint64>, from);
        QFETCH(int, step);
        QFETCH(std::optional<qint64>, to);
        QFETCH(int, detailRequests);
        // A favourite without a game today leaves the day unselected.
        m_vm->setFavoriteTeam(from ? 147 : 158);
        load(day());
        if (m_api->detailRequestCount() > 0) m_api->succeedDetail(0, detail(10, u"Fenway Park"_s));
        if (from && from != m_vm->selectedGameId()) {
            m_vm->selectGame(*from);
            if (m_api->detailRequestCount() > 1) m_api->succeedDetail(1, detail(*from, u"Park"_s));
        }
        QCOMPARE(m_vm->selectedGameId(), from);
        const int before = m_api->detailRequestCount();
        const bool hadDetail = m_vm->selectedGameDetail().has_value();

        m_vm->moveSelection(step);
        QCOMPARE(m_vm->selectedGameId(), to);
        QCOMPARE(m_api->detailRequestCount() - before, detailRequests);
        if (to == from) QCOMPARE(m_vm->selectedGameDetail().has_value(), hadDetail); // nothing changes at the ends
    }

    void lateAnswerForAnotherGameIsDropped_data()
    {
        QTest::addColumn<bool>("fails");
        QTest::newRow("success") << false;
        QTest::newRow("failure") << true;
    }

    void lateAnswerForAnotherGameIsDropped()
    {
        load(day());
        QCOMPARE(m_api->detailRequestCount(), 1);
        m_vm->moveSelection(+1);
        QCOMPARE(m_vm->selectedGameId(), std::optional<qint64>(20));
        QCOMPARE(m_api->detailRequestCount(), 2);

        QFETCH(bool, fails);
        if (fails)
            m_api->failDetail(0);
        else
            m_api->succeedDetail(0, detail(10, u"Yankee Stadium"_s));
        QVERIFY(!m_vm->selectedGameDetail() && !m_vm->selectedGameDetailError());
        QVERIFY(m_vm->isLoadingSelectedGameDetail());
        m_api->succeedDetail(1, detail(20, u"Kauffman Stadium"_s));
        QCOMPARE(m_vm->selectedGameDetail()->venueName, u"Kauffman Stadium"_s);
        QVERIFY(!m_vm->isLoadingSelectedGameDetail());
        QVERIFY(!m_vm->selectedGameDetailError());
    }

    void clickingTheSelectedGameAgain()
    {
        load(day());
        m_api->succeedDetail(0, detail(10, u"Yankee Stadium"_s));
        // Open: the detail is fetched again and stays on screen meanwhile.
        m_vm->selectGame(10);
        QCOMPARE(m_api->detailRequestCount(), 2);
        QVERIFY(m_vm->selectedGameDetail());
        m_api->succeedDetail(1, detail(10, u"Yankee Stadium"_s));

        // Closed: Escape keeps the highlight; a click opens the card again.
        m_vm->closeGameDetail();
        QVERIFY(!m_vm->isShowingSelectedGameDetail());
        QCOMPARE(m_vm->selectedGameId(), std::optional<qint64>(10));
        QVERIFY(!m_vm->selectedGameDetail());
        m_vm->selectGame(10);
        QVERIFY(m_vm->isShowingSelectedGameDetail());
        QCOMPARE(m_api->detailRequestCount(), 3);
    }

    // The card's live game is followed, so its feed is kept between loads, until the card shows another game or none.
    void cardFollowsItsLiveGame()
    {
        load(day());
        m_api->succeedDetail(0, detail(10, u"Yankee Stadium"_s));
        load(day());
        QCOMPARE(m_api->followedGames(), std::vector<qint64> { 10 });
        m_vm->moveSelection(+1);
        QCOMPARE(m_api->followedGames(), std::vector<qint64> { 20 });
        m_vm->selectGame(40);
        QVERIFY(m_api->followedGames().empty());
        m_vm->selectGame(30);
        m_vm->closeGameDetail();
        QVERIFY(m_api->followedGames().empty());
        // A closed card fetches nothing, on a reload or an arrow.
        const int requests = m_api->detailRequestCount();
        load(day());
        m_vm->moveSelection(-1);
        QCOMPARE(m_vm->selectedGameId(), std::optional<qint64>(20));
        QCOMPARE(m_api->detailRequestCount(), requests);
    }

    void newDaySelectsAfresh()
    {
        load(day());
        m_vm->selectGame(30);
        load({ game(50, 120, 121, u"2024-04-02T23:05:00Z"_s, u"Preview"_s) });
        QCOMPARE(m_vm->selectedGameId(), std::nullopt);
        QVERIFY(!m_vm->selectedGame());
        load({});
        QCOMPARE(m_vm->selectedGameId(), std::nullopt);
        // Of a doubleheader the earlier game; not live, so no detail to fetch.
        const int requests = m_api->detailRequestCount();
        load({ game(2, 147, 111, u"2024-04-01T23:05:00Z"_s, u"Preview"_s),
            game(1, 111, 147, u"2024-04-01T17:05:00Z"_s, u"Preview"_s) });
        QCOMPARE(m_vm->selectedGameId(), std::optional<qint64>(1));
        QCOMPARE(m_api->detailRequestCount(), requests);
        QVERIFY(m_vm->isShowingSelectedGameDetail() && !m_vm->isLoadingSelectedGameDetail());
    }
};

QTEST_MAIN(TestGameSelection)
#include "tst_gameselection.moc"
