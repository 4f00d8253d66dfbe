#include "boxscore/playsviewmodel.h"
#include "boxscore/views/playsview.h"
#include "replay/replayserver.h"
#include "schedulemodelfixture.h"
#include "stats/livefeeddocument.h"
#include "stats/livefeedstore.h"
#include "stats/mlbapiservice.h"
#include "testdata.h"
#include "ui/gamedetailpanelview.h"
#include "ui/menucontentview.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLayout>
#include <QScrollArea>
#include <QScrollBar>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {

constexpr qint64 liveGame = 633860;
constexpr qint64 finalGame = 748534;

Game liveGameOnCard()
{
    Game game;
    game.gamePk = liveGame;
    game.gameDate = u"2021-06-04T00:40:00Z"_s;
    game.status = { u"Live"_s, u"In Progress"_s, {}, {}, {}, {} };
    game.teams.away.team = { 140, {} };
    game.teams.home.team = { 115, {} };
    return game;
}

} // namespace

// The card's plays lines and the plays view in the window, fed by the replay server.
class TestPlaysView : public QObject {
    Q_OBJECT

    ScheduleModelFixture m_fixture;
    ScheduleViewModel *m_viewModel = nullptr;
    std::unique_ptr<ReplayServer> m_server;
    std::unique_ptr<MLBAPIService> m_service;
    std::unique_ptr<MenuContentView> m_view;
    PlaysView *m_plays = nullptr;

    void open(qint64 gamePk)
    {
        m_view->resize(340, 520);
        m_view->show();
        m_view->openPlays(gamePk);
        if (m_viewModel->hidesScore(gamePk))
            QCOMPARE(m_plays->content(), PlaysView::Content::Hidden);
        else
            QTRY_COMPARE(m_plays->content(), PlaysView::Content::Plays);
    }

private Q_SLOTS:
    void init()
    {
        m_fixture.reset({ { u"noSpoilers"_s, false } }, false);
        m_viewModel = m_fixture.viewModel.get();
        m_server = std::make_unique<ReplayServer>();
        QVERIFY(m_server->listen());
        for (const auto &[gamePk, file] : { std::pair { liveGame, "feed-live-inprogress-633860.json" },
                 std::pair { finalGame, "feed-live-final-748534.json" } })
            m_server->addRoute(
                { .path = u"/api/v1.1/game/%1/feed/live"_s.arg(gamePk), .body = readTestData(QLatin1String(file)) });
        m_service = std::make_unique<MLBAPIService>(Endpoints::overriddenBy(m_server->baseUrl()));
        m_view = std::make_unique<MenuContentView>(m_viewModel, [](const QUrl &) {});
        m_plays = new PlaysView(m_viewModel, &m_service->liveFeeds());
        m_view->inlinePlaysSlot()->layout()->addWidget(m_plays);
    }

    void cleanup()
    {
        m_view.reset();
        m_service.reset();
        m_server.reset();
        m_fixture.clear();
        QCoreApplication::sendPostedEvents();
    }

    void rows_data()
    {
        QTest::addColumn<qint64>("gamePk");
        QTest::addColumn<bool>("scoringOnly");
        QTest::addColumn<QStringList>("firstRows");
        QTest::addColumn<int>("rowCount");
        QTest::newRow("final, oldest first")
            << finalGame << false
            << QStringList { u"Top 1st"_s, u"  Marcus Semien flies out to center fielder Alek Thomas."_s } << 18 + 77;
        QTest::newRow("final, scoring only") << finalGame << true << QStringList { u"Top 7th"_s } << 2 + 3;
        QTest::newRow("live, newest half-inning first") << liveGame << false << QStringList { u"Bottom 7th"_s } << -1;
    }

    void rows()
    {
        QFETCH(qint64, gamePk);
        QFETCH(bool, scoringOnly);
        QFETCH(QStringList, firstRows);
        QFETCH(int, rowCount);
        open(gamePk);
        m_plays->scoringOnlySwitch()->setChecked(scoringOnly);
        const QStringList rows = m_plays->rowTexts();
        QCOMPARE(rows.mid(0, firstRows.size()), firstRows);
        if (rowCount >= 0) QCOMPARE(rows.size(), rowCount);
        // Scoring plays carry the score after them.
        if (scoringOnly) QVERIFY(rows.back().startsWith(u"5-0  "_s));
    }

    // No Spoilers Mode hides the plays, as it hides the line score, until the score is shown.
    void noSpoilers()
    {
        m_fixture.settings->setValue(u"noSpoilers"_s, true);
        open(liveGame);
        QVERIFY(m_plays->rowTexts().isEmpty());
        auto *show = m_plays->findChild<QAbstractButton *>(u"showScore"_s);
        QVERIFY(show);
        show->click();
        QTRY_COMPARE(m_plays->content(), PlaysView::Content::Plays);
        QVERIFY(!m_plays->rowTexts().isEmpty());
    }

    // Page keys scroll the list, Escape goes back to the schedule, and the back button does too.
    void keys()
    {
        open(finalGame);
        QScrollBar *bar = m_plays->scrollArea()->verticalScrollBar();
        QTRY_VERIFY(bar->maximum() > 0);
        QVERIFY(m_view->handlePageKey(QKeyEvent(QEvent::KeyPress, Qt::Key_End, Qt::NoModifier)));
        QCOMPARE(bar->value(), bar->maximum());
        QVERIFY(m_view->handlePageKey(QKeyEvent(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier)));
        QCOMPARE(m_viewModel->inlinePlaysGameId(), std::nullopt);
        QVERIFY(!m_view->inlinePlaysSlot()->isVisible());

        open(finalGame);
        m_plays->findChild<QAbstractButton *>(u"backButton"_s)->click();
        QCOMPARE(m_viewModel->inlinePlaysGameId(), std::nullopt);
    }

    void card_data()
    {
        QTest::addColumn<bool>("hidesScore");
        QTest::addColumn<QString>("lastPlay");
        QTest::addColumn<QString>("atBat");
        const QString pitches
            = u"1  Called Strike \u00B7 Sinker \u00B7 95.1 mph\n2  Called Strike \u00B7 Curveball \u00B7 83.7 mph"_s;
        QTest::newRow("score shown")
            << false << u"Elias Diaz walks."_s
            << u"Offensive Substitution: Pinch-hitter Alan Trejo replaces Jordan Sheffield.\n"_s + pitches;
        // What the last play did and what runners do between pitches could tell of runs; the pitches cannot.
        QTest::newRow("score hidden") << true << QString() << pitches;
    }

    void card()
    {
        QFETCH(bool, hidesScore);
        GameDetailPanelView card(liveGameOnCard(), std::nullopt, false, std::nullopt, hidesScore);
        card.show();
        LiveFeedDocument document;
        document.replace(readTestData(u"feed-live-inprogress-633860.json"_s));
        Plays plays = readPlays(document.json());
        card.setPlays(plays);
        auto *lastPlay = card.findChild<QLabel *>(u"lastPlay"_s);
        QTEST(lastPlay->isVisibleTo(&card) ? lastPlay->text() : QString(), "lastPlay");
        QTEST(card.findChild<QLabel *>(u"atBatPitches"_s)->text(), "atBat");
        QVERIFY(card.findChild<QWidget *>(u"strikeZone"_s)->isVisibleTo(&card));

        // Another game's plays leave the card without plays lines.
        plays.gamePk = 1;
        card.setPlays(plays);
        QVERIFY(!lastPlay->isVisibleTo(&card));
        QVERIFY(!card.findChild<QWidget *>(u"atBat"_s)->isVisibleTo(&card));
    }
};

QTEST_MAIN(TestPlaysView)
#include "tst_playsview.moc"
