#include "recordedgames.h"
#include "schedule/gameorder.h"
#include "schedule/scheduleviewmodel.h"
#include "schedulefixture.h"
#include "stats/decoder.h"
#include "ui/datenavigationview.h"
#include "ui/datepickerpopover.h"
#include "ui/gamedetailpanelview.h"
#include "ui/gamelistview.h"
#include "ui/gamerowview.h"
#include "ui/menucontentview.h"
#include "ui/plainbutton.h"
#include "ui/standingsview.h"

#include <QAbstractButton>
#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QScrollArea>
#include <QScrollBar>
#include <QStackedWidget>
#include <QTest>
#include <QToolButton>

using namespace Qt::StringLiterals;

namespace {

std::vector<qint64> gamePks(const std::vector<Game> &games)
{
    std::vector<qint64> pks;
    for (const Game &game : games)
        pks.push_back(game.gamePk);
    return pks;
}

} // namespace

// The window's content against a view model whose service answers when the test says.
class TestMenuContentView : public QObject {
    Q_OBJECT

    ScheduleFixture m_fixture;
    QSettings *m_settings = nullptr;
    FakeScheduleAPI *m_api = nullptr;
    ScheduleViewModel *m_viewModel = nullptr;
    QWidget *m_window = nullptr;
    MenuContentView *m_view = nullptr;
    QList<QUrl> m_opened;

    // A view on today with a recorded day of ten games loaded, Boston's game selected.
    void loadDay(const QString &recording = u"schedule-2026-04-20-hydrated.json"_s)
    {
        QTRY_COMPARE(m_api->requestCount(), 1);
        m_api->succeed(0, recordedDay(recording));
    }

    QAbstractButton *button(const QString &name) const { return m_view->findChild<QAbstractButton *>(name); }

private Q_SLOTS:
    void init()
    {
        m_fixture.reset({ { u"favoriteTeamId"_s, 111 } }); // Boston plays in the recorded day
        m_settings = m_fixture.settings.get();
        m_api = m_fixture.api.get();
        m_viewModel = m_fixture.viewModel.get();
        m_opened.clear();
        m_view = m_fixture.show(new MenuContentView(m_viewModel, [this](const QUrl &url) { m_opened << url; }));
        m_window = m_fixture.window.get();
    }

    void cleanup() { m_fixture.clear(); }

    void statesFollowTheLoads()
    {
        using State = MenuContentView::ScheduleState;
        QTRY_COMPARE(m_view->scheduleState(), State::Loading);
        QVERIFY(m_view->findChild<QWidget *>(u"footerIndicator"_s)->isVisible());
        QVERIFY(!button(u"refresh"_s)->isVisible());
        loadDay();
        QCOMPARE(m_view->scheduleState(), State::Games);
        QVERIFY(button(u"refresh"_s)->isVisible());
        QCOMPARE(m_view->gameList()->rowOrder(), gamePks(m_viewModel->sortedGames()));

        // A later refresh keeps the list and shows the small indicator in the footer instead.
        button(u"refresh"_s)->click();
        QCOMPARE(m_api->requestCount(), 2);
        QCOMPARE(m_view->scheduleState(), State::Games);
        QVERIFY(m_view->findChild<QWidget *>(u"footerIndicator"_s)->isVisible());
        QVERIFY(!button(u"refresh"_s)->isVisible());

        // A failure replaces the list by the error block even though games are held; Retry brings it back.
        m_api->fail(1);
        QCOMPARE(m_view->scheduleState(), State::Error);
        QCOMPARE(m_view->findChild<QLabel *>(u"errorMessage"_s)->text(), u"Failed to load schedule"_s);
        QVERIFY(!m_view->isKeyMonitorActive());
        button(u"retry"_s)->click();
        QCOMPARE(m_api->requestCount(), 3);
        m_api->succeed(2, recordedDay(u"schedule-2026-04-20-hydrated.json"_s));
        QCOMPARE(m_view->scheduleState(), State::Games);
        QVERIFY(m_view->isKeyMonitorActive());

        // A day without games.
        m_viewModel->goToNextDay();
        m_api->succeed(3, {});
        QCOMPARE(m_view->scheduleState(), State::Empty);
        QCOMPARE(m_view->findChild<QLabel *>(u"emptyMessage"_s)->text(), u"No games scheduled"_s);
        QVERIFY(!m_view->isKeyMonitorActive());
        QKeyEvent down(QEvent::KeyPress, Qt::Key_Down, Qt::NoModifier);
        QVERIFY(!m_view->handleKeyDown(down));
    }

    void rowsFollowSelectionAndClicks()
    {
        loadDay();
        // The favourite club's game is selected and listed first.
        const auto order = m_view->gameList()->rowOrder();
        QCOMPARE(m_viewModel->selectedGameId(), std::optional(order.front()));
        QVERIFY(m_view->gameList()->row(order.front())->isSelected());

        GameRowView *third = m_view->gameList()->row(order[2]);
        QTest::mouseClick(third, Qt::LeftButton);
        QCOMPARE(m_viewModel->selectedGameId(), std::optional(order[2]));
        QVERIFY(third->isSelected());
        QVERIFY(!m_view->gameList()->row(order.front())->isSelected());

        // A refresh updates rows in place: the same widgets stay.
        button(u"refresh"_s)->click();
        m_api->succeed(1, recordedDay(u"schedule-2026-04-20-hydrated.json"_s));
        QCOMPARE(m_view->gameList()->row(order[2]), third);
        QVERIFY(third->isSelected());
    }

    void keys_data()
    {
        QTest::addColumn<int>("key");
        QTest::addColumn<Qt::KeyboardModifiers>("modifiers");
        QTest::addColumn<int>("tab");
        QTest::addColumn<bool>("handled");
        QTest::addColumn<int>("selectionMove");
        QTest::addColumn<bool>("opens");

        const auto none = Qt::KeyboardModifiers();
        QTest::newRow("Down") << int(Qt::Key_Down) << Qt::KeyboardModifiers(Qt::KeypadModifier) << 0 << true << 1
                              << false;
        QTest::newRow("Up on the first row") << int(Qt::Key_Up) << none << 0 << true << 0 << false;
        QTest::newRow("Return") << int(Qt::Key_Return) << none << 0 << true << 0 << true;
        QTest::newRow("keypad Enter") << int(Qt::Key_Enter) << Qt::KeyboardModifiers(Qt::KeypadModifier) << 0 << true
                                      << 0 << true;
        QTest::newRow("Escape") << int(Qt::Key_Escape) << none << 0 << true << 0 << false;
        QTest::newRow("other key") << int(Qt::Key_A) << none << 0 << false << 0 << false;
        QTest::newRow("Control-Down") << int(Qt::Key_Down) << Qt::KeyboardModifiers(Qt::ControlModifier) << 0 << false
                                      << 0 << false;
        QTest::newRow("Down on Standings") << int(Qt::Key_Down) << none << 1 << false << 0 << false;
    }

    void keys()
    {
        QFETCH(int, key);
        QFETCH(Qt::KeyboardModifiers, modifiers);
        QFETCH(int, tab);
        QFETCH(bool, handled);
        QFETCH(int, selectionMove);
        QFETCH(bool, opens);
        loadDay();
        const auto order = m_view->gameList()->rowOrder();
        m_viewModel->setSelectedTab(ScheduleViewModel::allTabs[tab]);

        QKeyEvent press(QEvent::KeyPress, key, modifiers);
        QCOMPARE(m_view->handleKeyDown(press), handled);
        QCOMPARE(m_viewModel->selectedGameId(), std::optional(order[std::size_t(selectionMove)]));
        QCOMPARE(m_opened.size(), opens ? 1 : 0);
        if (opens) QCOMPARE(m_opened.front(), m_viewModel->selectedGame()->externalURL().value());
        // A held key (or one whose release went astray) repeats its press: one press opens one page.
        QKeyEvent repeat(QEvent::KeyPress, key, modifiers, QString(), true);
        m_view->handleKeyDown(repeat);
        QCOMPARE(m_opened.size(), opens ? 1 : 0);
        // Escape closes the card but keeps the highlight, and stays handled with the card closed.
        if (key != Qt::Key_Escape) return;
        QVERIFY(!m_viewModel->isShowingSelectedGameDetail());
        QVERIFY(m_view->handleKeyDown(press));
        QVERIFY(m_view->gameList()->row(order.front())->isSelected());
    }

    void keysReachTheListWhicheverChildHasFocus()
    {
        loadDay();
        const auto order = m_view->gameList()->rowOrder();
        m_window->activateWindow();
        button(u"refresh"_s)->setFocus();
        QTest::keyClick(button(u"refresh"_s), Qt::Key_Down);
        QCOMPARE(m_viewModel->selectedGameId(), std::optional(order[1]));
        QTest::keyClick(button(u"quit"_s), Qt::Key_Up);
        QCOMPARE(m_viewModel->selectedGameId(), std::optional(order[0]));

        // Another tab: the monitor is gone and keys do nothing to the selection.
        button(u"tabStandings"_s)->click();
        QVERIFY(!m_view->isKeyMonitorActive());
        QTest::keyClick(button(u"quit"_s), Qt::Key_Down);
        QCOMPARE(m_viewModel->selectedGameId(), std::optional(order[0]));
        button(u"tabSchedule"_s)->click();
        QVERIFY(m_view->isKeyMonitorActive());
    }

    void pagesScrollByKeysAndEscapeLeavesTheBoxScore()
    {
        loadDay();
        button(u"tabStandings"_s)->click();
        auto records = decode<StandingsResponse>(readTestData(u"standings-2024.json"_s)).records;
        std::stable_sort(records.begin(), records.end(),
            [](const StandingsRecord &a, const StandingsRecord &b) { return a.division.id < b.division.id; });
        m_api->succeedStandings(0, records);
        QScrollBar *bar = m_view->standingsPage()->findChild<QScrollArea *>()->verticalScrollBar();
        QTRY_VERIFY(bar->maximum() > bar->pageStep());
        // Whichever button holds the focus, and none at all.
        button(u"tabStandings"_s)->setFocus(Qt::TabFocusReason);
        QTest::keyClick(m_window, Qt::Key_PageDown);
        QCOMPARE(bar->value(), bar->pageStep());
        QTest::keyClick(button(u"tabStandings"_s), Qt::Key_Up);
        QCOMPARE(bar->value(), bar->pageStep() - bar->singleStep());
        QVERIFY(button(u"tabStandings"_s)->hasFocus());
        QTest::keyClick(m_window, Qt::Key_End);
        QCOMPARE(bar->value(), bar->maximum());
        QTest::keyClick(m_window, Qt::Key_Home);
        QCOMPARE(bar->value(), 0);

        // The inline box score, a tall stand-in for its column, takes the whole window above the footer.
        auto *column = new QScrollArea;
        column->setWidget(new QWidget);
        column->widget()->setMinimumHeight(3000);
        m_view->inlineBoxScoreSlot()->layout()->addWidget(column);
        m_view->openBoxScore(m_view->gameList()->rowOrder().front());
        QVERIFY(!m_view->findChild<QWidget *>(u"tabBar"_s)->isVisible());
        QTRY_VERIFY(column->verticalScrollBar()->maximum() > 0);
        QTest::keyClick(m_window, Qt::Key_End);
        QCOMPARE(column->verticalScrollBar()->value(), column->verticalScrollBar()->maximum());
        QTest::keyClick(m_window, Qt::Key_Escape);
        QCOMPARE(m_viewModel->inlineBoxScoreGameId(), std::nullopt);
        QVERIFY(m_view->findChild<QWidget *>(u"tabBar"_s)->isVisible());
    }

    void arrowsNeverMoveTheFocusBetweenButtons()
    {
        loadDay();
        button(u"tabSettings"_s)->click();
        QCOMPARE(m_view->findChild<QStackedWidget *>(u"tabs"_s)->currentWidget(), m_view->settingsPage());
        m_window->activateWindow();
        // The focus the window hands out on opening, or passes on from a button being hidden after another key,
        // draws no ring; the Tab key does.
        auto *refresh = qobject_cast<PlainButton *>(button(u"refresh"_s));
        refresh->setFocus(Qt::ActiveWindowFocusReason);
        QVERIFY(!refresh->hasKeyboardFocus());
        QTest::keyClick(refresh, Qt::Key_Tab);
        QVERIFY(!refresh->hasFocus());
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Backtab);
        QVERIFY(refresh->hasKeyboardFocus());
        QTest::keyClick(refresh, Qt::Key_Escape);
        refresh->clearFocus();
        refresh->setFocus(Qt::TabFocusReason);
        QVERIFY(!refresh->hasKeyboardFocus());
        for (const char *name : { "refresh", "tabSettings" }) {
            QAbstractButton *focused = button(QString::fromLatin1(name));
            focused->setFocus(Qt::TabFocusReason);
            for (const Qt::Key key : { Qt::Key_Left, Qt::Key_Right, Qt::Key_Down, Qt::Key_Up })
                QTest::keyClick(focused, key);
            QVERIFY2(focused->hasFocus(), name);
        }
    }

    void selectedRowScrollsToTheCentre()
    {
        loadDay();
        GameListView *list = m_view->gameList();
        QScrollBar *bar = list->verticalScrollBar();
        QTRY_VERIFY(bar->maximum() > 0);
        QCOMPARE(bar->value(), 0);
        const QPoint pointer = list->viewport()->mapToGlobal(QPoint(list->viewport()->width() / 2, 20));
        QCursor::setPos(pointer);
        const auto order = list->rowOrder();
        for (std::size_t i = 0; i + 1 < order.size() / 2; ++i)
            m_viewModel->moveSelection(+1);
        const qint64 middle = *m_viewModel->selectedGameId();
        QTRY_COMPARE(bar->value(), list->centredScrollValue(middle));
        const QRect row = list->row(middle)->geometry().translated(0, -bar->value());
        QVERIFY(qAbs(row.center().y() - list->viewport()->height() / 2) <= 1);
        // The rows moved under a pointer that stayed: the hover is on the row beneath it, and only there.
        for (const qint64 gamePk : order) {
            const GameRowView *shown = list->row(gamePk);
            QCOMPARE(shown->isHovered(), shown->rect().contains(shown->mapFromGlobal(pointer)));
        }
    }

    // No Spoilers Mode keeps the card's score behind "Show Score", which reveals that one game for the run.
    void showScoreRevealsOneGame()
    {
        loadDay();
        const auto order = m_view->gameList()->rowOrder();
        GameDetailPanelView *card = m_view->detailPanel();
        auto *section = card->findChild<QWidget *>(u"finalSection"_s);
        auto *showScore = section->findChild<QAbstractButton *>(u"showScore"_s);
        const auto scoreShown = [&] {
            const bool table = section->findChild<QWidget *>(u"lineScore"_s)->isVisibleTo(card);
            if (table == showScore->isVisibleTo(card)) qFatal("the score and its button shown together or neither");
            return table;
        };
        QVERIFY(m_viewModel->noSpoilers());
        QVERIFY(!scoreShown());

        // Tab reaches the button past the card's icons, and Return presses it instead of opening the game's page.
        m_window->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(m_window));
        auto *close = card->findChild<QAbstractButton *>(u"closeButton"_s);
        close->setFocus(Qt::TabFocusReason);
        QTest::keyClick(close, Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), showScore);
        QTest::keyClick(showScore, Qt::Key_Return);
        QVERIFY(scoreShown());
        QVERIFY(m_opened.isEmpty());

        m_viewModel->selectGame(order[1]);
        QVERIFY(!scoreShown());
        m_viewModel->selectGame(order[0]);
        QVERIFY(scoreShown());
        m_viewModel->setNoSpoilers(false);
        m_viewModel->selectGame(order[1]);
        QVERIFY(scoreShown());
        m_viewModel->setNoSpoilers(true);
        QVERIFY(!scoreShown());
        m_viewModel->selectGame(order[0]);
        QVERIFY(scoreShown());
    }

    // The card above the list changes height with its facts; the list takes the rest, and the selected row is
    // centred again in it, not left where the old height put it.
    void selectedRowStaysCentredWhenTheCardChangesHeight()
    {
        m_viewModel->setNoSpoilers(false);
        std::vector<Game> games = recordedDay(u"schedule-2026-04-20-hydrated.json"_s);
        const std::vector<qint64> order = gamePks(sortedGames(games, 111));
        for (Game &game : games) {
            if (game.gamePk != order[4]) continue;
            game.status = { u"Live"_s, u"In Progress"_s, {}, {}, {}, {} };
            game.linescore->currentInningOrdinal = u"7th"_s;
        }
        QTRY_COMPARE(m_api->requestCount(), 1);
        m_api->succeed(0, games);

        GameListView *list = m_view->gameList();
        QScrollBar *bar = list->verticalScrollBar();
        GameDetailPanelView *card = m_view->detailPanel();
        const auto centred = [&](qint64 gamePk) {
            const QRect row = list->row(gamePk)->geometry().translated(0, -bar->value());
            return bar->value() == list->centredScrollValue(gamePk) && list->viewport()->rect().contains(row);
        };
        const auto inRange = [&] { return bar->value() > bar->minimum() && bar->value() < bar->maximum(); };
        QTRY_VERIFY(bar->maximum() > 0);

        m_viewModel->selectGame(order[4]);
        QTRY_VERIFY(centred(order[4]));
        const int loadingHeight = card->height();
        QCOMPARE(m_api->detailRequestCount(), 1);
        GameDetail detail
            = GameDetail::fromFeed(decode<GameLiveFeedResponse>(readTestData(u"feed-live-inprogress-633860.json"_s)));
        detail.gamePk = order[4];
        m_api->succeedDetail(0, detail);
        QTRY_VERIFY(card->height() > loadingHeight);
        QTRY_VERIFY(centred(order[4]));
        QVERIFY(inRange());

        // A final game's card is shorter than a live one's.
        const int liveHeight = card->height();
        m_viewModel->selectGame(order[5]);
        QTRY_VERIFY(card->height() < liveHeight);
        QTRY_VERIFY(centred(order[5]));
        QVERIFY(inRange());
    }

    void standingsLoadOnFirstOpenOnly()
    {
        loadDay();
        button(u"tabStandings"_s)->click();
        QCOMPARE(m_api->standingsRequestCount(), 1);
        // A failed first load offers a retry inside the tab instead of a spinner that never ends.
        const auto shownState = [this] {
            for (const char *name : { "loadingIndicator", "standingsFailure", "standingsScroll" }) {
                auto *state = m_view->standingsPage()->findChild<QWidget *>(QString::fromLatin1(name));
                if (state && state->isVisible()) return QString::fromLatin1(name);
            }
            return QString();
        };
        QCOMPARE(shownState(), u"loadingIndicator"_s);
        m_api->failStandings(0);
        QCOMPARE(shownState(), u"standingsFailure"_s);
        QCOMPARE(
            m_view->standingsPage()->findChild<QLabel *>(u"standingsError"_s)->text(), u"Failed to load standings"_s);
        button(u"standingsRetry"_s)->click();
        QCOMPARE(m_api->standingsRequestCount(), 2);
        QCOMPARE(shownState(), u"loadingIndicator"_s);
        m_api->succeedStandings(1, { { DivisionRef { 201, {} }, {} } });
        QCOMPARE(shownState(), u"standingsScroll"_s);
        button(u"tabSchedule"_s)->click();
        button(u"tabStandings"_s)->click();
        QCOMPARE(m_api->standingsRequestCount(), 2);

        // The Division | Wild Card switch is a preference: a new window opens on the side last chosen.
        QVERIFY(!button(u"wildCardMode"_s)->isChecked());
        button(u"wildCardMode"_s)->click();
        QCOMPARE(m_settings->value(u"standingsShowsWildCard"_s).toBool(), true);
        MenuContentView reopened(m_viewModel, [](const QUrl &) {});
        reopened.findChild<QAbstractButton *>(u"tabStandings"_s)->click();
        QVERIFY(reopened.findChild<QAbstractButton *>(u"wildCardMode"_s)->isChecked());
    }

    void dateTitle()
    {
        loadDay();
        DateNavigationView *navigation = m_view->dateNavigation();
        QToolButton *title = navigation->titleButton();
        QCOMPARE(title->text(), u"Today"_s);

        // On today the title opens and closes the calendar.
        title->click();
        QVERIFY(navigation->datePicker()->isVisible());
        QCOMPARE(navigation->datePicker()->selectedDate(), m_viewModel->gameDay());
        title->click();
        QVERIFY(!navigation->datePicker()->isVisible());

        // On another day it goes back to today and leaves the calendar closed.
        m_view->findChild<QToolButton *>(u"previousDay"_s)->click();
        QCOMPARE(m_api->requestCount(), 2);
        QVERIFY(title->text() != u"Today"_s);
        title->click();
        QCOMPARE(title->text(), u"Today"_s);
        QVERIFY(!navigation->showDatePicker());
        QCOMPARE(m_api->requestCount(), 3);

        // Picking a day closes the calendar and loads that day.
        title->click();
        const QDate picked = m_viewModel->gameDay().addDays(3);
        MonthGrid *grid = navigation->datePicker()->grid();
        grid->setSelectedDate(picked);
        QTest::mouseClick(grid, Qt::LeftButton, {}, grid->dayRect(picked).center());
        QVERIFY(!navigation->showDatePicker());
        QCOMPARE(m_viewModel->selectedDate(), picked);
        QCOMPARE(m_api->requestCount(), 4);
        QCOMPARE(m_api->request(3).lastDay, picked);
    }
};

QTEST_MAIN(TestMenuContentView)
#include "tst_menucontentview.moc"
