#include "boxscore/views/boxscoreview.h"
#include "recordedgames.h"
#include "schedule/scheduleviewmodel.h"
#include "schedulefixture.h"
#include "stats/decoder.h"
#include "ui/datenavigationview.h"
#include "ui/datepickerpopover.h"
#include "ui/gamedetailpanelview.h"
#include "ui/gamelistview.h"
#include "ui/gamerowview.h"
#include "ui/menucontentview.h"
#include "ui/standingsview.h"

#include <QAbstractButton>
#include <QAccessible>
#include <QApplication>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QLabel>
#include <QRegularExpression>
#include <QTest>
#include <QToolButton>

using namespace Qt::StringLiterals;

namespace {

struct Sent {
    QAccessible::Event type;
    QObject *object;
    QString name;
};

QList<Sent> sent;

void record(QAccessibleEvent *event)
{
    QAccessibleInterface *about = event->accessibleInterface();
    sent.append({ event->type(), event->object(), about ? about->text(QAccessible::Name) : QString() });
}

QList<Sent> sentOf(QAccessible::Event type)
{
    QList<Sent> result;
    for (const Sent &event : sent)
        if (event.type == type) result << event;
    return result;
}

QAccessibleInterface *accessible(QObject *object)
{
    return QAccessible::queryAccessibleInterface(object);
}

// Every interface under `root` with the role, in tree order.
QList<QAccessibleInterface *> findAll(QAccessibleInterface *root, QAccessible::Role role)
{
    QList<QAccessibleInterface *> found;
    for (int index = 0; index < root->childCount(); ++index) {
        QAccessibleInterface *child = root->child(index);
        if (!child) continue;
        if (child->role() == role) found << child;
        found << findAll(child, role);
    }
    return found;
}

QString cellText(QAccessibleInterface *table, int row, int column)
{
    QAccessibleInterface *cell = row < 0 ? table->child(column) : table->tableInterface()->cellAt(row, column);
    return cell ? cell->text(QAccessible::Name) : u"<none>"_s;
}

QStringList headerTexts(QAccessibleInterface *table)
{
    QStringList texts;
    for (int column = 0; column < table->tableInterface()->columnCount(); ++column)
        texts << cellText(table, -1, column);
    return texts;
}

// Boston at New York on a spring day: scheduled, live in the given half of the 7th, final, or postponed.
Game game(const QString &state, qint64 awayRuns = 3, qint64 homeRuns = 2, bool top = true, qint64 gamePk = 1)
{
    Game game;
    game.gamePk = gamePk;
    game.gameDate = u"2026-04-20T23:05:00Z"_s;
    game.teams.away.team = { 111, u"Boston Red Sox"_s };
    game.teams.home.team = { 147, u"New York Yankees"_s };
    game.venue = Venue { 3313, u"Yankee Stadium"_s };
    game.status.abstractGameState = state == u"Postponed"_s ? u"Final"_s : state;
    game.status.detailedState = state == u"Live"_s ? u"In Progress"_s : state == u"Preview"_s ? u"Scheduled"_s : state;
    if (state == u"Live"_s || state == u"Final"_s) {
        game.teams.away.score = awayRuns;
        game.teams.home.score = homeRuns;
        game.linescore = Linescore { 7, u"7th"_s, top,
            LinescoreTeams { LinescoreTeamData { homeRuns, 6, 0 }, LinescoreTeamData { awayRuns, 8, 1 } } };
    }
    return game;
}

} // namespace

// What assistive technology reads of the window, and the events it hears, through Qt's accessibility interfaces.
// Qt sends events only while accessibility is active: the test brings up the session's accessibility bus and
// keeps the events to itself.
class TestAccessibility : public QObject {
    Q_OBJECT

    ScheduleFixture m_fixture;
    ScheduleViewModel *m_viewModel = nullptr;
    FakeScheduleAPI *m_api = nullptr;
    MenuContentView *m_view = nullptr;

    // The window's content on a recorded day of ten games, Boston's game selected and its card open, in a window
    // of its own.
    void showDay()
    {
        m_fixture.reset({ { u"noSpoilers"_s, false }, { u"favoriteTeamId"_s, 111 } });
        m_viewModel = m_fixture.viewModel.get();
        m_api = m_fixture.api.get();
        m_view = new MenuContentView(m_viewModel, [](const QUrl &) {});
        // A view put in after the window was built, as the application puts in the settings.
        m_view->settingsPage()->layout()->addWidget(new QToolButton);
        QWidget *window = m_fixture.show(m_view)->window();
        QVERIFY(QTest::qWaitForWindowExposed(window));
        window->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(window));
        QTRY_COMPARE(m_api->requestCount(), 1);
        m_api->succeed(0, recordedDay(u"schedule-2026-04-20-hydrated.json"_s));
        // Rows put in a shown list show once the event loop has run.
        QTRY_VERIFY(m_view->gameList()->currentRow()->isVisible());
        sent.clear();
    }

private Q_SLOTS:
    void initTestCase()
    {
        if (qEnvironmentVariableIsEmpty("DISPLAY")) QSKIP("needs an X display (scripts/run-tests starts Xvfb)");
        QAccessible::installUpdateHandler(&record);
        QVERIFY(QDBusConnection::sessionBus().interface()->startService(u"org.a11y.Bus"_s).isValid());
        QTRY_VERIFY_WITH_TIMEOUT(QAccessible::isActive(), 20000);
    }

    void init() { sent.clear(); }

    void cleanup() { m_fixture.clear(); }

    void gameRowsAreNamedListItems_data()
    {
        QTest::addColumn<Game>("game");
        QTest::addColumn<bool>("noSpoilers");
        QTest::addColumn<QString>("name");
        QTest::newRow("live") << game(u"Live"_s) << false
                              << u"Boston Red Sox at New York Yankees, 3 to 2, top of the 7th"_s;
        QTest::newRow("live, bottom half, no spoilers")
            << game(u"Live"_s, 3, 2, false) << true << u"Boston Red Sox at New York Yankees, bottom of the 7th"_s;
        QTest::newRow("final") << game(u"Final"_s, 0, 5) << false
                               << u"Boston Red Sox at New York Yankees, 0 to 5, final"_s;
        QTest::newRow("final, no spoilers")
            << game(u"Final"_s) << true << u"Boston Red Sox at New York Yankees, final"_s;
        QTest::newRow("postponed") << game(u"Postponed"_s) << false
                                   << u"Boston Red Sox at New York Yankees, postponed"_s;
        const Game scheduled = game(u"Preview"_s);
        QTest::newRow("scheduled") << scheduled << false
                                   << u"Boston Red Sox at New York Yankees, "_s + scheduled.startTimeText();
    }

    void gameRowsAreNamedListItems()
    {
        QFETCH(Game, game);
        QFETCH(bool, noSpoilers);
        QFETCH(QString, name);
        GameListView list;
        list.setGames({ game }, noSpoilers, 0, std::nullopt);
        GameRowView *row = list.row(game.gamePk);
        QAccessibleInterface *item = accessible(row);
        QCOMPARE(item->role(), QAccessible::ListItem);
        QCOMPARE(item->text(QAccessible::Name), name);
        QCOMPARE(item->childCount(), 0);
        QCOMPARE(accessible(&list)->child(0), item);
        QVERIFY(item->state().selectable && item->state().focusable && !item->state().selected);
        // Runs the row does not show are nowhere in it, not even in its hidden labels.
        if (!name.contains(u" to "_s)) {
            for (const QLabel *label : row->findChildren<QLabel *>())
                QVERIFY2(!label->text().contains(QRegularExpression(u"^\\d+$"_s)), qPrintable(label->text()));
        }

        // A run is told on a row that says the runs, and only there; the same game again tells nothing.
        sent.clear();
        list.setGames({ game }, noSpoilers, 0, std::nullopt);
        Game scored = game;
        if (scored.teams.home.score) ++*scored.teams.home.score;
        if (scored.linescore) ++*scored.linescore->teams->home->runs;
        list.setGames({ scored }, noSpoilers, 0, std::nullopt);
        const auto aboutRow = [&](const Sent &event) { return event.object == row; };
        QCOMPARE(std::ranges::count_if(sentOf(QAccessible::NameChanged), aboutRow), name.contains(u" to "_s) ? 1 : 0);
    }

    // The arrow keys move the selection and the focus together, so a screen reader says the game reached.
    void arrowKeysSelectAndFocusTheGame()
    {
        showDay();
        QAccessibleInterface *list = accessible(m_view->gameList());
        QCOMPARE(list->childCount(), 10);
        const qint64 first = *m_viewModel->selectedGameId();
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Down);

        GameRowView *row = m_view->gameList()->row(*m_viewModel->selectedGameId());
        QCOMPARE(QApplication::focusWidget(), row);
        QCOMPARE(list->focusChild()->object(), row);
        QVERIFY(accessible(row)->state().selected && accessible(row)->state().focused);
        QVERIFY(!accessible(m_view->gameList()->row(first))->state().selected);
        QCOMPARE(sentOf(QAccessible::SelectionAdd).size(), 1);
        QCOMPARE(sentOf(QAccessible::SelectionAdd).first().object, row);
        QCOMPARE(sentOf(QAccessible::SelectionRemove).first().object, m_view->gameList()->row(first));
        QCOMPARE(sentOf(QAccessible::Focus).last().name, accessible(row)->text(QAccessible::Name));

        // Opening the box score hides the focused game: the focus goes to the way back, and back to the game.
        auto *back = new QToolButton;
        m_view->inlineBoxScoreSlot()->layout()->addWidget(back);
        m_view->openBoxScore(*m_viewModel->selectedGameId());
        QCOMPARE(QApplication::focusWidget(), back);
        m_viewModel->setInlineBoxScoreGameId(std::nullopt);
        QCOMPARE(QApplication::focusWidget(), row);
    }

    // Tab runs through the tab bar, the date row, the card, the selected game and then the footer, whatever was
    // put in the window later; every control on the way has a name.
    void tabOrderIsLogicalAndEveryControlNamed()
    {
        showDay();
        m_view->findChild<QWidget *>(u"tabSchedule"_s)->setFocus(Qt::TabFocusReason);
        QStringList order;
        for (int step = 0; step < 13; ++step) {
            QWidget *focus = QApplication::focusWidget();
            QAccessibleInterface *control = accessible(focus);
            QVERIFY2(!control->text(QAccessible::Name).isEmpty(), qPrintable(focus->objectName()));
            order << (qobject_cast<GameRowView *>(focus) ? u"row"_s : focus->objectName());
            QTest::keyClick(focus, Qt::Key_Tab);
        }
        QCOMPARE(order,
            QStringList({ u"tabSchedule"_s, u"tabStandings"_s, u"tabSettings"_s, u"previousDay"_s, u"dateTitle"_s,
                u"nextDay"_s, u"boxScoreButton"_s, u"playsButton"_s, u"externalButton"_s, u"closeButton"_s, u"row"_s,
                u"quit"_s, u"refresh"_s }));

        // A refresh leaves the focus where it is.
        QWidget *title = m_view->findChild<QWidget *>(u"dateTitle"_s);
        title->setFocus(Qt::TabFocusReason);
        m_viewModel->refresh();
        QTRY_COMPARE(m_api->requestCount(), 2);
        m_api->succeed(1, recordedDay(u"schedule-2026-04-20-hydrated.json"_s));
        QCOMPARE(QApplication::focusWidget(), title);
        QVERIFY(!accessible(m_view->findChild<QWidget *>(u"tabStandings"_s))->state().selected);
    }

    void cardTellsChangesOnce_data()
    {
        QTest::addColumn<Game>("before");
        QTest::addColumn<Game>("after");
        QTest::addColumn<bool>("hidesScore");
        QTest::addColumn<QString>("description");
        QTest::addColumn<int>("events");
        const Game live = game(u"Live"_s);
        QTest::newRow("a run scores") << live << game(u"Live"_s, 4, 2) << false << u"4 to 2, top of the 7th"_s << 1;
        QTest::newRow("the inning turns")
            << live << game(u"Live"_s, 3, 2, false) << false << u"3 to 2, bottom of the 7th"_s << 1;
        QTest::newRow("the game ends") << live << game(u"Final"_s) << false << u"3 to 2, final"_s << 1;
        QTest::newRow("nothing changes") << live << live << false << u"3 to 2, top of the 7th"_s << 0;
        QTest::newRow("another game") << live << game(u"Live"_s, 0, 0, true, 2) << false << u"0 to 0, top of the 7th"_s
                                      << 0;
        QTest::newRow("hidden score, a run scores")
            << live << game(u"Live"_s, 4, 2) << true << u"top of the 7th"_s << 0;
        QTest::newRow("hidden score, the game ends") << live << game(u"Final"_s) << true << u"final"_s << 1;
    }

    void cardTellsChangesOnce()
    {
        QFETCH(Game, before);
        QFETCH(Game, after);
        QFETCH(bool, hidesScore);
        QFETCH(QString, description);
        QFETCH(int, events);
        GameDetailPanelView card(before, std::nullopt, false, std::nullopt, hidesScore);
        card.show();
        sent.clear();
        card.setInputs(after, std::nullopt, false, std::nullopt, hidesScore);
        QAccessibleInterface *group = accessible(&card);
        QCOMPARE(group->role(), QAccessible::Grouping);
        QCOMPARE(group->text(QAccessible::Name), u"Boston Red Sox at New York Yankees"_s);
        QCOMPARE(group->text(QAccessible::Description), description);
        QCOMPARE(sentOf(QAccessible::DescriptionChanged).size(), events);

        // The line score is a table while it shows; with the score hidden it has no rows and its labels no runs.
        const QList<QAccessibleInterface *> tables = findAll(group, QAccessible::Table);
        QAccessibleInterface *lineScore = nullptr;
        for (QAccessibleInterface *table : tables)
            if (!table->state().invisible) lineScore = table;
        if (hidesScore) {
            QVERIFY(!lineScore);
            for (QAccessibleInterface *table : tables)
                QCOMPARE(table->tableInterface()->rowCount(), 0);
            return;
        }
        QVERIFY(lineScore);
        QCOMPARE(headerTexts(lineScore), QStringList({ u"Team"_s, u"Runs"_s, u"Hits"_s, u"Errors"_s }));
        QCOMPARE(cellText(lineScore, 0, 0), u"Boston Red Sox"_s);
        QCOMPARE(cellText(lineScore, 0, 1), QString::number(*after.teams.away.score));
        QCOMPARE(cellText(lineScore, 1, 2), u"6"_s);
    }

    void standingsAreTables()
    {
        auto records = decode<StandingsResponse>(readTestData(u"standings-2024.json"_s)).records;
        std::ranges::stable_sort(records, {}, [](const StandingsRecord &record) { return record.division.id; });
        StandingsView view;
        view.setStandings(records, 147);
        view.resize(320, 500);
        view.show();
        view.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&view));

        QList<QAccessibleInterface *> tables = findAll(accessible(&view), QAccessible::Table);
        QAccessibleInterface *east = tables.first();
        QCOMPARE(east->text(QAccessible::Name), u"AL East"_s);
        QCOMPARE(east->tableInterface()->rowCount(), 5);
        QAccessibleInterface *yankees = east->tableInterface()->cellAt(0, 0);
        QCOMPARE(yankees->text(QAccessible::Name), u"New York Yankees, clinched best record"_s);
        QCOMPARE(yankees->text(QAccessible::Description), u"My Team"_s);
        QAccessibleInterface *wins = east->tableInterface()->cellAt(0, 1);
        QCOMPARE(wins->text(QAccessible::Name), u"94"_s);
        QCOMPARE(wins->tableCellInterface()->columnHeaderCells().first()->text(QAccessible::Name), u"Wins"_s);
        QCOMPARE(wins->tableCellInterface()->rowHeaderCells().first(), yankees);
        // Cells are where their labels are laid out.
        QTRY_COMPARE(east->childAt(wins->rect().center().x(), wins->rect().center().y()), wins);
        QVERIFY(cellText(east, 0, 5).startsWith(u"won "_s) || cellText(east, 0, 5).startsWith(u"lost "_s));

        // The switch is a pair of radio buttons; the arrows move the choice between them.
        auto *division = view.findChild<QAbstractButton *>(u"divisionMode"_s);
        bool wildCard = false;
        connect(&view, &StandingsView::wildCardChosen, this, [&](bool chosen) { wildCard = chosen; });
        division->setFocus(Qt::TabFocusReason);
        QTest::keyClick(division, Qt::Key_Right);
        QVERIFY(wildCard);
        QCOMPARE(QApplication::focusWidget(), view.findChild<QWidget *>(u"wildCardMode"_s));

        // A table that changes shape drops the cells it no longer has.
        view.setStandings(records, 147, true);
        tables = findAll(accessible(&view), QAccessible::Table);
        QCOMPARE(tables.first()->text(QAccessible::Name), u"Leaders"_s);
        QCOMPARE(tables.first()->tableInterface()->rowCount(), 3);
        QCOMPARE(headerTexts(tables.first()).last(), u"Wild card games back"_s);
        QVERIFY(!tables.first()->tableInterface()->cellAt(3, 0));
    }

    // The calendar hangs in the tree under the date row; its days are cells named by their full date, and the
    // focus moves from day to day with the selection.
    void calendarDaysAreFocusableCells()
    {
        showDay();
        DateNavigationView *row = m_view->dateNavigation();
        QAccessibleInterface *navigation = accessible(row);
        const int children = navigation->childCount();
        row->titleButton()->click();
        QTRY_VERIFY(row->datePicker()->isVisible());
        QCOMPARE(navigation->childCount(), children + 1);
        QCOMPARE(navigation->child(children)->parent(), navigation);

        MonthGrid *grid = row->datePicker()->grid();
        QAccessibleInterface *month = accessible(grid);
        const QLocale locale = grid->locale();
        QCOMPARE(cellText(month, -1, 0), locale.standaloneDayName(int(locale.firstDayOfWeek()), QLocale::LongFormat));
        const QDate today = grid->selectedDate();
        QAccessibleInterface *selected = month->focusChild();
        QCOMPARE(selected->text(QAccessible::Name), locale.toString(today, QLocale::LongFormat));
        QVERIFY(selected->state().selected && selected->state().focused);

        sent.clear();
        QTest::keyClick(grid, Qt::Key_Right);
        const QString tomorrow = locale.toString(today.addDays(1), QLocale::LongFormat);
        QCOMPARE(sentOf(QAccessible::Focus).size(), 1);
        QCOMPARE(sentOf(QAccessible::Focus).first().name, tomorrow);
        QCOMPARE(month->focusChild()->text(QAccessible::Name), tomorrow);

        // Pressing a day picks it, as a click does.
        QAccessibleInterface *tenth = month->tableInterface()->cellAt(2, 3);
        const QString tenthName = tenth->text(QAccessible::Name);
        tenth->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
        QTRY_VERIFY(!row->datePicker()->isVisible());
        QCOMPARE(locale.toString(m_viewModel->selectedDate(), QLocale::LongFormat), tenthName);
        QCOMPARE(navigation->childCount(), children);
    }

    void boxScoreSectionsAreTables()
    {
        BoxScoreView view(BoxScoreStyle::compact());
        view.setBoxScore(buildBoxScore(decode<GameLiveFeedResponse>(readTestData(u"feed-live-final-748534.json"_s))));
        QUrl opened;
        view.setOpenURL([&](const QUrl &url) { opened = url; });
        view.resize(440, 470);
        view.show();

        QAccessibleInterface *lineScore = accessible(view.lineScoreSection())->child(0);
        QCOMPARE(lineScore->tableInterface()->rowCount(), 2);
        QCOMPARE(headerTexts(lineScore).mid(1, 2), QStringList({ u"1"_s, u"2"_s }));
        QCOMPARE(cellText(lineScore, 0, 0), u"TEX"_s);
        QCOMPARE(cellText(lineScore, 0, lineScore->tableInterface()->columnCount() - 3), u"5"_s);

        QAccessibleInterface *section = accessible(view.battingSection(false));
        QAccessibleInterface *batting = section->child(0);
        QCOMPARE(cellText(batting, batting->tableInterface()->rowCount() - 1, 0), u"Totals"_s);
        // The notes on extra-base hits and the like follow the table as texts.
        QVERIFY(section->childCount() > 1);
        QCOMPARE(section->child(1)->role(), QAccessible::StaticText);
        QCOMPARE(section->child(1)->text(QAccessible::Name),
            view.battingSection(false)->texts().at(
                view.battingSection(false)->texts().size() - section->childCount() + 1));

        // A batter's name opens the player's search page, as a Ctrl-click does.
        QAccessibleInterface *batter = batting->tableInterface()->cellAt(0, 0);
        QVERIFY(batter->rect().isValid()
            && view.battingSection(false)->rect().contains(
                view.battingSection(false)->mapFromGlobal(batter->rect().center())));
        batter->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
        QVERIFY(opened.toString().contains(u"baseball-reference.com"_s));

        QVERIFY(accessible(view.footerSection())->child(0)->text(QAccessible::Name).startsWith(u"Umpires: "_s));
    }
};

QTEST_MAIN(TestAccessibility)
#include "tst_accessibility.moc"
