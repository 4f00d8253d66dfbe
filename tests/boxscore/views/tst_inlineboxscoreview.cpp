#include "boxscore/boxscoreviewmodel.h"
#include "boxscore/views/boxscoreview.h"
#include "boxscore/views/inlineboxscoreview.h"
#include "recordedgames.h"
#include "schedule/scheduleviewmodel.h"
#include "schedulefixture.h"
#include "stats/serviceerror.h"

#include <QAbstractButton>
#include <QLabel>
#include <QScrollBar>
#include <QTest>

using namespace Qt::StringLiterals;
using namespace std::chrono_literals;

Q_DECLARE_METATYPE(Symbol)

namespace {

using Content = InlineBoxScoreView::Content;
using Status = BoxScore::GameStatus;

constexpr qint64 finalGamePk = 748534;

// A fetch of the fake feed, open until the test answers it.
struct OpenFetch : FakeOpenRequest {
    qint64 gamePk = 0;
    std::optional<BoxScoreFetchResult> result;
};

// Fetches that wait for the test; those left open fail when it ends.
class FakeFeed {
public:
    ~FakeFeed()
    {
        for (const auto &fetch : fetches)
            if (!fetch->completed) fetch->complete(true);
    }

    QCoro::Task<BoxScoreFetchResult> fetch(qint64 gamePk)
    {
        auto open = std::make_shared<OpenFetch>();
        open->gamePk = gamePk;
        fetches.push_back(open);
        co_await *open;
        if (!open->result) throw ServiceError(ServiceError::Kind::Transfer, u"The network connection was lost."_s);
        co_return *open->result;
    }

    void answer(BoxScoreFetchResult result)
    {
        fetches.back()->result = std::move(result);
        fetches.back()->complete(false);
    }
    void fail() { fetches.back()->complete(true); }

    std::vector<std::shared_ptr<OpenFetch>> fetches;
};

BoxScore recordedFinal()
{
    return buildBoxScore(decode<GameLiveFeedResponse>(readTestData(u"feed-live-final-748534.json"_s)));
}

BoxScore handMade(qint64 gamePk, Status status, const QString &title)
{
    BoxScore box;
    box.gamePk = gamePk;
    box.status = status;
    box.result.title = title;
    return box;
}

// A fetch result whose at-bat index makes it count as progress over the one before.
BoxScoreFetchResult live(BoxScore box, qint64 atBat)
{
    return { std::move(box), u"Live"_s, atBat, atBat, {} };
}

} // namespace

// The inline box score against a schedule view model with a recorded day and a box-score view model whose
// feed and clock the test drives.
class TestInlineBoxScoreView : public QObject {
    Q_OBJECT

    ScheduleFixture m_fixture;
    FakeScheduleAPI *m_api = nullptr;
    ScheduleViewModel *m_schedule = nullptr;
    std::unique_ptr<FakeFeed> m_feed;
    std::shared_ptr<FakeBoxScoreClock> m_clock;
    std::unique_ptr<BoxScoreViewModel> m_boxVM;
    std::unique_ptr<InlineBoxScoreView> m_view;

    void loadDay(const QString &recording, const std::function<void(std::vector<Game> &)> &adjust = {})
    {
        auto load = m_schedule->loadSchedule();
        std::vector<Game> games = recordedDay(recording);
        if (adjust) adjust(games);
        m_api->succeed(m_api->requestCount() - 1, std::move(games));
    }

    void open(qint64 gamePk)
    {
        m_schedule->setInlineBoxScoreGameId(gamePk);
        m_view->show();
    }

    void advance(std::chrono::milliseconds step)
    {
        m_clock->advance(step);
        QCoreApplication::sendPostedEvents();
    }

    qsizetype fetchCount() const { return qsizetype(m_feed->fetches.size()); }
    QLabel *label(const QString &name) const { return m_view->findChild<QLabel *>(name); }
    // The label's text, or "-" when the view does not show it.
    QString shown(const QString &name) const
    {
        QLabel *found = label(name);
        return found->isVisibleTo(m_view.get()) ? found->text() : u"-"_s;
    }

private Q_SLOTS:
    void init()
    {
        m_fixture.reset({}, false);
        m_api = m_fixture.api.get();
        m_schedule = m_fixture.viewModel.get();
        m_feed = std::make_unique<FakeFeed>();
        m_clock = std::make_shared<FakeBoxScoreClock>();
        m_boxVM = std::make_unique<BoxScoreViewModel>(
            [feed = m_feed.get()](qint64 gamePk) { return feed->fetch(gamePk); }, m_clock);
        m_view = std::make_unique<InlineBoxScoreView>(m_schedule, m_boxVM.get());
        m_view->resize(440, 470);
    }

    void cleanup()
    {
        m_view.reset();
        m_boxVM.reset();
        m_feed.reset();
        m_fixture.clear();
        QCoreApplication::sendPostedEvents();
    }

    void pregameCard_data()
    {
        QTest::addColumn<QString>("recording");
        QTest::addColumn<int>("index"); // -1: a game the day does not list
        QTest::addColumn<bool>("dropMakeUpDate");
        QTest::addColumn<Status>("status");
        QTest::addColumn<Symbol>("symbol");
        QTest::addColumn<QString>("title");
        QTest::addColumn<QString>("subtitle");
        QTest::addColumn<QStringList>("facts");

        const QString previews = u"schedule-2026-03-18-preview-probables.json"_s;
        // A one-game series: no Series row.
        const Game scheduled = recordedGame(previews, 2);
        QTest::newRow("scheduled with probables")
            << previews << 2 << false << Status::Scheduled << Symbol::Baseball
            << u"Boston Red Sox at New York Yankees"_s << u"First pitch "_s + scheduled.startTimeText()
            << QStringList { u"Venue: George M. Steinbrenner Field"_s, u"Probables: Connelly Early vs Gerrit Cole"_s,
                   u"TV: "_s + scheduled.broadcastText() };

        const QString rainedOut = u"schedule-2022-04-07-postponed.json"_s;
        const Game postponed = recordedGame(rainedOut, 7);
        const QString madeUp = postponed.rescheduleText().value();
        QTest::newRow("postponed with make-up date")
            << rainedOut << 7 << false << Status::Postponed << Symbol::CloudRain << postponed.statusText()
            << u"Rescheduled "_s + madeUp
            << QStringList { u"New Date: "_s + madeUp, u"Venue: Yankee Stadium"_s, u"Series: Game 1 of 3"_s,
                   u"TV: "_s + postponed.broadcastText() };

        QTest::newRow("postponed without make-up date")
            << rainedOut << 7 << true << Status::Postponed << Symbol::CloudRain << postponed.statusText()
            << u"First pitch "_s + postponed.startTimeText()
            << QStringList { u"Venue: Yankee Stadium"_s, u"Series: Game 1 of 3"_s,
                   u"TV: "_s + postponed.broadcastText() };

        QTest::newRow("game missing from the day: title only")
            << previews << -1 << false << Status::Scheduled << Symbol::Baseball
            << u"Boston Red Sox at New York Yankees"_s << u"-"_s << QStringList();
    }

    void pregameCard()
    {
        QFETCH(QString, recording);
        QFETCH(int, index);
        QFETCH(bool, dropMakeUpDate);
        QFETCH(Status, status);
        QFETCH(Symbol, symbol);
        QFETCH(QString, title);
        QFETCH(QString, subtitle);
        QFETCH(QStringList, facts);
        loadDay(recording, [&](std::vector<Game> &games) {
            if (!dropMakeUpDate) return;
            Game &game = games.at(7);
            game.rescheduleDate = game.rescheduleGameDate = game.officialDate = std::nullopt;
        });
        const qint64 gamePk = index >= 0 ? m_schedule->games().at(std::size_t(index)).gamePk : 1;
        open(gamePk);
        m_feed->answer({ handMade(gamePk, status, u"Boston Red Sox at New York Yankees"_s), u"Preview"_s, {}, {}, {} });

        QCOMPARE(m_view->content(), Content::Pregame);
        QCOMPARE(m_view->pregameSymbol(), symbol);
        QCOMPARE(shown(u"pregameTitle"_s), title);
        QCOMPARE(shown(u"pregameSubtitle"_s), subtitle);
        QStringList rows;
        for (const QString &name : { u"newDate"_s, u"venue"_s, u"probables"_s, u"series"_s, u"tv"_s })
            if (shown(name) != u"-"_s) rows << label(name + u"Label"_s)->text() + u": "_s + label(name)->text();
        QCOMPARE(rows, facts);
        // The card shows no error note, and the bar shows the result title.
        QCOMPARE(shown(u"resultTitle"_s), u"Boston Red Sox at New York Yankees"_s);
    }

    void contentFollowsTheFetches()
    {
        loadDay(u"schedule-2026-03-18-preview-probables.json"_s);
        m_view->show();
        QCOMPARE(m_view->content(), Content::Nothing);
        QCOMPARE(fetchCount(), 0);
        QCOMPARE(shown(u"resultTitle"_s), u"-"_s);

        // The spinner until the first box score; a failure takes its place.
        m_schedule->setInlineBoxScoreGameId(finalGamePk);
        QCOMPARE(fetchCount(), 1);
        QCOMPARE(m_feed->fetches[0]->gamePk, finalGamePk);
        QCOMPARE(m_view->content(), Content::Loading);
        QVERIFY(m_view->findChild<QWidget *>(u"loadingIndicator"_s)->isVisible());
        QCOMPARE(shown(u"loadingError"_s), u"-"_s);
        m_feed->fail();
        QCOMPARE(m_view->content(), Content::Loading);
        QCOMPARE(shown(u"loadingError"_s), u"Couldn't refresh: The network connection was lost."_s);
        QVERIFY(!m_view->findChild<QWidget *>(u"loadingIndicator"_s)->isVisible());

        // Live by the feed, but no innings and no lineups yet: still the pregame card.
        advance(12s);
        m_feed->answer(live(handMade(finalGamePk, Status::Live, u"Texas Rangers 0, Arizona Diamondbacks 0"_s), 0));
        QCOMPARE(m_view->content(), Content::Pregame);

        advance(12s);
        const BoxScore box = recordedFinal();
        m_feed->answer(live(box, 1));
        QCOMPARE(m_view->content(), Content::BoxScore);
        QCOMPARE(m_view->boxScoreView()->boxScore(), box);
        QCOMPARE(shown(u"resultTitle"_s), box.result.title);
        QCOMPARE(shown(u"errorNote"_s), u"-"_s);

        // Another game resets at once, and its box score is read from the top.
        QScrollBar *bar = m_view->boxScoreView()->verticalScrollBar();
        QTRY_VERIFY(bar->maximum() > 0);
        bar->setValue(bar->maximum());
        m_schedule->setInlineBoxScoreGameId(633860);
        QCOMPARE(bar->value(), 0);
        QCOMPARE(m_view->content(), Content::Loading);
        QCOMPARE(m_feed->fetches.back()->gamePk, 633860);
    }

    void errorNoteFloatsOverTheBoxScore()
    {
        open(finalGamePk);
        m_feed->answer(live(recordedFinal(), 1));
        advance(12s);
        m_feed->fail();
        QCOMPARE(m_view->content(), Content::BoxScore);
        QCOMPARE(shown(u"errorNote"_s), u"Couldn't refresh: The network connection was lost."_s);

        // The next changed refresh takes it away.
        advance(12s);
        m_feed->answer(live(recordedFinal(), 2));
        QCOMPARE(shown(u"errorNote"_s), u"-"_s);
    }

    // Hidden, nothing is fetched; a game picked meanwhile is followed from the next appearance, not before.
    void hidingStopsShowingRestartsAndBackLetsGo()
    {
        open(finalGamePk);
        m_feed->answer(live(recordedFinal(), 1));
        m_view->hide();
        QVERIFY(!m_boxVM->hasPollingTask());
        m_schedule->setInlineBoxScoreGameId(633860);
        advance(60s);
        QCOMPARE(fetchCount(), 1);
        m_view->show();
        QCOMPARE(fetchCount(), 2);
        QCOMPARE(m_feed->fetches.back()->gamePk, 633860);
        QCOMPARE(m_view->content(), Content::Loading);

        // The back button lets go of the game.
        m_view->findChild<QAbstractButton *>(u"backButton"_s)->click();
        QCOMPARE(m_schedule->inlineBoxScoreGameId(), std::nullopt);
        QCOMPARE(m_boxVM->gamePk(), std::nullopt);
        QVERIFY(!m_boxVM->hasPollingTask());
        QCOMPARE(m_view->content(), Content::Nothing);
    }
};

QTEST_MAIN(TestInlineBoxScoreView)
#include "tst_inlineboxscoreview.moc"
