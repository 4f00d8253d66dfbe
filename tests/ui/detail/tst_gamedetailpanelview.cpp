#include "recordedgames.h"
#include "stats/gamefeed.h"
#include "ui/gamedetailpanelview.h"

#include <QAbstractButton>
#include <QLabel>
#include <QLayout>
#include <QSignalSpy>
#include <QTest>
#include <QToolButton>
#include <functional>

using namespace Qt::StringLiterals;

namespace {

struct Inputs {
    Game game;
    std::optional<GameDetail> detail;
    bool isLoading = false;
    std::optional<QString> detailError;
    bool hidesScore = false;
};

// Connelly Early at Gerrit Cole, George M. Steinbrenner Field, 1:05 PM in New York.
Game scheduled(const std::function<void(Game &)> &adjust = {})
{
    return recordedGame(u"schedule-2026-03-18-preview-probables.json"_s, 2, adjust);
}

// New York at Yankee Stadium, postponed for rain, made up on Apr 8 at 1:05 PM.
Game postponed(const std::function<void(Game &)> &adjust = {})
{
    return recordedGame(u"schedule-2022-04-07-postponed.json"_s, 7, adjust);
}

// Detroit 6 (10 hits, 1 error) at Boston 8 (12 hits, no error), Flaherty against Gray.
Game finalGame()
{
    return recordedGame(u"schedule-2026-04-20-hydrated.json"_s, 0);
}

// Texas at Colorado in Coors Field as the schedule shows it while live: top of the 7th, 12-15-0 against 3-11-3.
Game live(const std::function<void(Game &)> &adjust = {})
{
    return recordedGame(u"schedule-2026-04-20-hydrated.json"_s, 7, [&](Game &g) {
        g.teams.away.team.id = 140;
        g.status = { u"Live"_s, u"In Progress"_s, {}, {}, {}, {} };
        g.linescore->currentInningOrdinal = u"7th"_s;
        g.linescore->isTopInning = true;
        if (adjust) adjust(g);
    });
}

// Bottom of the 7th, 0-2, nobody out, Diaz on first, Trejo batting against de Geus, Tapia on deck; 2-4-0 to 9-14-0.
GameDetail inProgress(const std::function<void(GameDetail &)> &adjust = {})
{
    GameDetail detail
        = GameDetail::fromFeed(decode<GameLiveFeedResponse>(readTestData(u"feed-live-inprogress-633860.json"_s)));
    if (adjust) adjust(detail);
    return detail;
}

QWidget *shownSection(const GameDetailPanelView &panel)
{
    QWidget *shown = nullptr;
    for (const QString &name : { u"scheduledSection"_s, u"postponedSection"_s, u"finalSection"_s, u"liveSection"_s }) {
        auto *section = panel.findChild<QWidget *>(name);
        if (section->isVisibleTo(&panel)) {
            if (shown) qFatal("two sections shown");
            shown = section;
        }
    }
    return shown;
}

// The shown section, one text per line on screen, top to bottom.
QStringList lines(const GameDetailPanelView &panel)
{
    QWidget *section = shownSection(panel);
    QStringList result;
    for (int i = 0; section && i < section->layout()->count(); ++i) {
        QWidget *line = section->layout()->itemAt(i)->widget();
        if (!line || !line->isVisibleTo(&panel)) continue;
        QStringList parts;
        if (line->objectName() == u"situation"_s) {
            for (const QString &chip : { u"inning"_s, u"count"_s, u"outs"_s }) {
                auto *value = line->findChild<QLabel *>(chip);
                if (!value->parentWidget()->isVisibleTo(&panel)) continue;
                parts << value->parentWidget()->findChildren<QLabel *>().constFirst()->text() + u' ' + value->text();
            }
            if (line->findChild<QWidget *>(u"outsSpinner"_s)->isVisibleTo(&panel)) parts << u"spinner"_s;
            result << parts.join(u" | "_s);
        } else if (line->objectName() == u"lineScore"_s) {
            for (const QString &side : { u"away"_s, u"home"_s }) {
                QStringList texts;
                for (const QString &column : { u"Abbreviation"_s, u"Runs"_s, u"Hits"_s, u"Errors"_s })
                    texts << line->findChild<QLabel *>(side + column)->text();
                parts << texts.join(u' ');
            }
            result << u"R/H/E "_s + parts.join(u", "_s);
        } else if (line->objectName() == u"showScore"_s) {
            result << u"[Show Score]"_s;
        } else {
            const auto labels = line->findChildren<QLabel *>(Qt::FindDirectChildrenOnly);
            result << labels.at(0)->text() + u": "_s + labels.at(1)->text();
        }
    }
    return result;
}

QString shown(const QWidget &panel, const QString &name)
{
    auto *label = panel.findChild<QLabel *>(name);
    return label->isVisibleTo(&panel) ? label->text() : u"-"_s;
}

} // namespace

Q_DECLARE_METATYPE(Inputs)

// The detail card: which facts each state shows, its header, its actions, and that long texts wrap.
class TestGameDetailPanelView : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { QCOMPARE(qEnvironmentVariable("TZ"), u"America/New_York"_s); }

    void card_data()
    {
        QTest::addColumn<Inputs>("inputs");
        QTest::addColumn<QString>("title");
        QTest::addColumn<QString>("status");
        QTest::addColumn<QString>("link");
        QTest::addColumn<QStringList>("facts");

        const QString noTV = u"TV: No TV broadcast listed"_s;
        QTest::newRow("live with detail")
            << Inputs { live(), inProgress(), false, {} } << u"TEX @ COL"_s << u"Bottom 7th"_s << u"MLB.TV"_s
            << QStringList { u"Inning Bottom 7th | Count 0-2 | Outs 0 outs"_s, u"Runners: 1B Diaz"_s,
                   u"Matchup: Trejo vs Geus"_s, u"On Deck: Raimel Tapia"_s, u"Venue: Coors Field"_s,
                   u"R/H/E TEX 2 4 0, COL 9 14 0"_s, noTV };
        QTest::newRow("live loading, inning from the schedule")
            << Inputs { live(), {}, true, {} } << u"TEX @ COL"_s << u"Top 7th"_s << u"MLB.TV"_s
            << QStringList { u"Inning Top 7th | spinner"_s, u"Runners: Loading..."_s, u"Venue: Coors Field"_s,
                   u"R/H/E TEX 12 15 0, COL 3 11 3"_s, noTV };
        QTest::newRow("live load failed, nothing known")
            << Inputs { live([](Game &g) {
                           g.linescore.reset();
                           g.venue.reset();
                       }),
                   {}, false, u"Failed to load live detail"_s }
            << u"TEX @ COL"_s << u"Live"_s << u"MLB.TV"_s << QStringList { u"Runners: Loading..."_s, noTV };
        QTest::newRow("middle 7th, bases empty, detail without venue, totals or outs")
            << Inputs { live([](Game &g) { g.linescore->isTopInning.reset(); }), inProgress([](GameDetail &d) {
                           d.linescore.inningState = u"Middle"_s;
                           d.linescore.offense->first.reset();
                           d.linescore.outs.reset();
                           d.linescore.teams.reset();
                           d.venueName.reset();
                       }),
                   true, {} }
            << u"TEX @ COL"_s << u"Middle 7th"_s << u"MLB.TV"_s
            << QStringList { u"Inning Middle 7th | Count 0-2 | spinner"_s, u"Runners: Bases empty"_s,
                   u"Matchup: Trejo vs Geus"_s, u"On Deck: Raimel Tapia"_s, u"Venue: Coors Field"_s,
                   u"R/H/E TEX 12 15 0, COL 3 11 3"_s, noTV };
        // A hidden score changes nothing before the game.
        QTest::newRow("scheduled, series, score hidden")
            << Inputs { scheduled([](Game &g) {
                           g.seriesGameNumber = 1;
                           g.gamesInSeries = 3;
                       }),
                   {}, false, {}, true }
            << u"BOS @ NYY"_s << u"1:05 PM"_s << u"Preview"_s
            << QStringList { u"Venue: George M. Steinbrenner Field"_s, u"Probables: Connelly Early vs Gerrit Cole"_s,
                   u"Series: Game 1 of 3"_s, noTV };
        QTest::newRow("scheduled, venue TBD, one probable") << Inputs { scheduled([](Game &g) {
                                                                           g.venue.reset();
                                                                           g.teams.home.probablePitcher.reset();
                                                                           g.teams.home.team.id = 4242;
                                                                       }),
            {}, false, {} } << u"BOS @ MLB"_s << u"1:05 PM"_s
                                                            << u"Preview"_s << QStringList { u"Venue: TBD"_s, noTV };
        QTest::newRow("postponed with reason and make-up date")
            << Inputs { postponed(), {}, false, {} } << u"BOS @ NYY"_s << u"Postponed: Inclement Weather"_s
            << u"Gameday"_s
            << QStringList { u"Status: Postponed: Inclement Weather"_s, u"New Date: Apr 8, 1:05 PM"_s,
                   u"Venue: Yankee Stadium"_s, u"Series: Game 1 of 3"_s, noTV };
        QTest::newRow("final with line score")
            << Inputs { finalGame(), {}, false, {} } << u"DET @ BOS"_s << u"Final"_s << u"Gameday"_s
            << QStringList { u"Venue: Fenway Park"_s, u"Starters: Jack Flaherty vs Sonny Gray"_s,
                   u"R/H/E DET 6 10 1, BOS 8 12 0"_s, noTV };

        // With the score hidden a live card keeps the play and puts only the line score behind the button.
        QTest::newRow("live, score hidden")
            << Inputs { live(), inProgress(), true, {}, true } << u"TEX @ COL"_s << u"Bottom 7th"_s << u"MLB.TV"_s
            << QStringList { u"Inning Bottom 7th | Count 0-2 | Outs 0 outs"_s, u"Runners: 1B Diaz"_s,
                   u"Matchup: Trejo vs Geus"_s, u"On Deck: Raimel Tapia"_s, u"Venue: Coors Field"_s, u"[Show Score]"_s,
                   noTV };
        QTest::newRow("final without line score, nothing to hide")
            << Inputs { recordedGame(u"schedule-2022-04-07-postponed.json"_s, 0), {}, false, {}, true }
            << u"MIL @ CHC"_s << u"Final"_s << u"Gameday"_s << QStringList { u"Venue: Wrigley Field"_s, noTV };
    }

    void card()
    {
        QFETCH(Inputs, inputs);
        QFETCH(QString, title);
        QFETCH(QString, status);
        QFETCH(QString, link);
        QFETCH(QStringList, facts);

        QCOMPARE(panelStatusText(inputs.game, inputs.detail), status);
        // Built with these inputs, and brought to them from another state in place.
        const GameDetailPanelView fresh(
            inputs.game, inputs.detail, inputs.isLoading, inputs.detailError, inputs.hidesScore);
        GameDetailPanelView reused(live(), inProgress(), true, u"Failed to load live detail"_s, !inputs.hidesScore);
        reused.setInputs(finalGame(), {}, false, {}, !inputs.hidesScore);
        reused.setInputs(inputs.game, inputs.detail, inputs.isLoading, inputs.detailError, inputs.hidesScore);
        for (const GameDetailPanelView *panel : { &fresh, &std::as_const(reused) }) {
            QCOMPARE(shown(*panel, u"title"_s), title);
            QCOMPARE(shown(*panel, u"statusText"_s), status);
            QCOMPARE(panel->findChild<QToolButton *>(u"externalButton"_s)->toolTip(), link);
            QCOMPARE(lines(*panel), facts);
            QCOMPARE(shown(*panel, u"detailError"_s), inputs.detailError.value_or(u"-"_s));
        }
    }

    void actions()
    {
        GameDetailPanelView panel(finalGame(), {}, false, {}, true);
        QSignalSpy boxScore(&panel, &GameDetailPanelView::openBoxScoreRequested);
        QSignalSpy external(&panel, &GameDetailPanelView::openExternalRequested);
        QSignalSpy close(&panel, &GameDetailPanelView::closeRequested);
        QSignalSpy showScore(&panel, &GameDetailPanelView::showScoreRequested);
        const auto click = [&](const QString &name) {
            // Each section has a "Show Score" of its own; the shown one is the one to press.
            auto *button = shownSection(panel)->findChild<QAbstractButton *>(name);
            (button ? button : panel.findChild<QAbstractButton *>(name))->click();
            return QList { boxScore.count(), external.count(), close.count(), showScore.count() };
        };
        QCOMPARE(click(u"boxScoreButton"_s), (QList<qsizetype> { 1, 0, 0, 0 }));
        QCOMPARE(click(u"externalButton"_s), (QList<qsizetype> { 1, 1, 0, 0 }));
        QCOMPARE(click(u"closeButton"_s), (QList<qsizetype> { 1, 1, 1, 0 }));
        QCOMPARE(click(u"showScore"_s), (QList<qsizetype> { 1, 1, 1, 1 }));
    }

    // Long texts wrap, values to two lines ending in an ellipsis, instead of widening the card past the window.
    void longTextsWrap()
    {
        const QString longName = u"Estadio de Beisbol "_s.repeated(12);
        GameDetailPanelView panel(postponed([&](Game &g) {
            g.venue->name = longName;
            g.status.reason = longName;
            g.rescheduleDate.reset(); // and no make-up date: no New Date line
            g.rescheduleGameDate.reset();
            g.officialDate.reset();
        }),
            {}, false, u"Couldn't refresh: "_s + longName);
        QVERIFY(panel.minimumSizeHint().width() <= 304);
        QVERIFY(panel.sizeHint().width() <= 304);
        panel.resize(304, panel.heightForWidth(304));
        panel.show();
        QVERIFY(QTest::qWaitForWindowExposed(&panel));
        const int lineHeight = panel.findChild<QLabel *>(u"venue"_s)->fontMetrics().lineSpacing();
        for (const QString &name : { u"statusText"_s, u"status"_s, u"venue"_s, u"detailError"_s }) {
            const bool fact = name == u"status"_s || name == u"venue"_s;
            auto *label = (fact ? shownSection(panel) : &panel)->findChild<QLabel *>(name);
            QVERIFY2(label->text().endsWith(longName), qPrintable(name));
            QVERIFY2(label->mapTo(&panel, label->rect().bottomRight()).x() < 304 - 10, qPrintable(name));
            if (name == u"detailError"_s)
                QVERIFY(label->height() > 2 * lineHeight);
            else
                QCOMPARE(label->height(), 2 * lineHeight);
        }
        QVERIFY(panel.findChild<QLabel *>(u"detailError"_s)->geometry().bottom() < panel.height() - 10);
        QVERIFY(!panel.findChild<QLabel *>(u"newDate"_s)->isVisibleTo(&panel));
    }

    void coloursFollowThePalette()
    {
        GameDetailPanelView panel(live(), inProgress(), false, {});
        QPalette dark = panel.palette();
        dark.setColor(QPalette::Window, QColor(0x24, 0x24, 0x24));
        dark.setColor(QPalette::WindowText, QColor(0xee, 0xee, 0xee));
        panel.setPalette(dark);
        for (const QString &name : { u"runners"_s, u"count"_s })
            QCOMPARE(panel.findChild<QLabel *>(name)->palette().color(QPalette::WindowText), QColor(0xee, 0xee, 0xee));
    }
};

QTEST_MAIN(TestGameDetailPanelView)
#include "tst_gamedetailpanelview.moc"
