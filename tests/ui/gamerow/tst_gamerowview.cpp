#include "recordedgames.h"
#include "stats/teams.h"
#include "ui/gamerowview.h"

#include <QEnterEvent>
#include <QGuiApplication>
#include <QLabel>
#include <QTest>
#include <functional>
#include <memory>

using namespace Qt::StringLiterals;

Q_DECLARE_METATYPE(Game)

namespace {

// Connelly Early at Gerrit Cole, George M. Steinbrenner Field, 1:05 PM in New York.
Game preview(const std::function<void(Game &)> &adjust = {})
{
    return recordedGame(u"schedule-2026-03-18-preview-probables.json"_s, 2, adjust);
}

// Detroit 6 (10 hits, 1 error) at Boston 8 (12 hits, no error), game 4 of 4.
Game finalGame(const std::function<void(Game &)> &adjust = {})
{
    return recordedGame(u"schedule-2026-04-20-hydrated.json"_s, 0, adjust);
}

Game live(std::optional<bool> isTopInning)
{
    return finalGame([&](Game &g) {
        g.status = { u"Live"_s, u"In Progress"_s, {}, {}, {}, {} };
        g.linescore->currentInningOrdinal = u"5th"_s;
        g.linescore->isTopInning = isTopInning;
    });
}

QLabel *label(const QWidget &row, const QString &name)
{
    auto *found = row.findChild<QLabel *>(name);
    if (!found) qFatal("no label %s", qPrintable(name));
    return found;
}

// The text of a label the row shows, or "-" when it is hidden.
QString shown(const QWidget &row, const QString &name)
{
    QLabel *found = label(row, name);
    return found->isVisibleTo(&row) ? found->text() : u"-"_s;
}

void hover(QWidget &row, bool inside)
{
    if (inside) {
        QEnterEvent enter(QPointF(5, 5), QPointF(5, 5), QPointF(5, 5));
        QCoreApplication::sendEvent(&row, &enter);
    } else {
        QEvent leave(QEvent::Leave);
        QCoreApplication::sendEvent(&row, &leave);
    }
}

} // namespace

// One game row: its texts, fonts, hover and the cursor it borrows.
class TestGameRowView : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { QCOMPARE(qEnvironmentVariable("TZ"), u"America/New_York"_s); }

    void cleanup() { QCOMPARE(QGuiApplication::overrideCursor(), nullptr); }

    void texts_data()
    {
        QTest::addColumn<Game>("game");
        QTest::addColumn<bool>("noSpoilers");
        QTest::addColumn<QString>("status");
        QTest::addColumn<QString>("statusPitchers");
        QTest::addColumn<bool>("numbers");
        QTest::addColumn<QStringList>("info");

        const Game withSeries = preview([](Game &g) {
            g.seriesGameNumber = 1;
            g.gamesInSeries = 3;
        });
        QTest::newRow("preview with pitchers, series and venue")
            << withSeries << false << u"1:05 PM"_s << u"-"_s << false
            << QStringList { u"Early vs Cole"_s, u"Game 1 of 3 \u2022 George M. Steinbrenner Field"_s };
        QTest::newRow("warmup with pitchers, one known by a single name") << preview([](Game &g) {
            g.status = { u"Live"_s, u"Warmup"_s, {}, {}, {}, {} };
            g.teams.away.probablePitcher->fullName = u"Ichiro"_s;
        }) << false << u"Live"_s << u"Ichiro vs Cole"_s << true << QStringList {};
        QTest::newRow("top of the 5th") << live(true) << false << u"Top 5th"_s << u"-"_s << true << QStringList {};
        QTest::newRow("no spoilers, live, half unknown reads bottom")
            << live(std::nullopt) << true << u"Bot 5th"_s << u"-"_s << false << QStringList {};
        QTest::newRow("no spoilers, final") << finalGame() << true << u"Final"_s << u"-"_s << false << QStringList {};
        QTest::newRow("final but postponed, with make-up date")
            << recordedGame(u"schedule-2022-04-07-postponed.json"_s, 7) << false << u"Postponed"_s << u"-"_s << false
            << QStringList { u"Rescheduled Apr 8, 1:05 PM"_s, u"Game 1 of 3 \u2022 Yankee Stadium"_s };
        QTest::newRow("postponed preview never shows pitchers")
            << preview([](Game &g) {
                   g.status.detailedState = u"Postponed"_s;
                   g.officialDate = u"2026-03-19"_s;
               })
            << false << u"Postponed"_s << u"-"_s << false
            << QStringList { u"Rescheduled Mar 19"_s, u"George M. Steinbrenner Field"_s };
    }

    void texts()
    {
        QFETCH(Game, game);
        QFETCH(bool, noSpoilers);
        QFETCH(QString, status);
        QFETCH(QString, statusPitchers);
        QFETCH(bool, numbers);
        QFETCH(QStringList, info);

        const GameRowView row(game, noSpoilers, 0, true, false);
        QCOMPARE(shown(row, u"statusText"_s), status);
        QCOMPARE(row.findChild<QWidget *>(u"liveDot"_s)->isVisibleTo(&row), game.status.abstractGameState == u"Live");
        QCOMPARE(shown(row, u"statusPitchers"_s), statusPitchers);
        QCOMPARE(row.findChild<QWidget *>(u"lineScoreHeader"_s)->isVisibleTo(&row), numbers);
        QCOMPARE(label(row, u"homeRuns"_s)->isVisibleTo(&row), numbers);

        QStringList infoShown;
        for (const QString &name : { u"rescheduleInfo"_s, u"pitchersInfo"_s, u"seriesVenueInfo"_s })
            if (label(row, name)->parentWidget()->isVisibleTo(&row)) infoShown << label(row, name)->text();
        QCOMPARE(infoShown, info);
    }

    void lineScore_data()
    {
        QTest::addColumn<Game>("game");
        QTest::addColumn<QString>("away");
        QTest::addColumn<QString>("home");
        QTest::addColumn<QString>("bold");

        QTest::newRow("home win is bold") << finalGame() << u"6 10 1"_s << u"8 12 0"_s << u"home"_s;
        QTest::newRow("equal scores bold neither")
            << finalGame([](Game &g) { g.teams.away.score = 8; }) << u"6 10 1"_s << u"8 12 0"_s << QString();
        QTest::newRow("no line score, runs from the score, unknown club") << finalGame([](Game &g) {
            g.linescore.reset();
            g.teams.home.team.id = 4242;
        }) << u"6 0 0"_s << u"8 0 0"_s << u"home"_s;
        QTest::newRow("live, runs missing from one entry") << finalGame([](Game &g) {
            g.status = { u"Live"_s, u"In Progress"_s, {}, {}, {}, {} };
            g.linescore->teams->away->runs.reset();
            g.teams.home.score.reset();
        }) << u"6 10 1"_s << u"8 12 0"_s << QString();
    }

    void lineScore()
    {
        QFETCH(Game, game);
        QFETCH(QString, away);
        QFETCH(QString, home);
        QFETCH(QString, bold);

        const GameRowView row(game, false, 0, true, false);
        for (const auto &[side, expected] : { std::pair { u"away"_s, away }, { u"home"_s, home } }) {
            QStringList texts;
            for (const QString &column : { u"Runs"_s, u"Hits"_s, u"Errors"_s }) {
                QLabel *number = label(row, side + column);
                texts << number->text();
                QCOMPARE(number->font().weight(), side == bold ? QFont::Bold : QFont::Medium);
            }
            QCOMPARE(texts.join(u' '), expected);
        }
        QCOMPARE(
            label(row, u"homeAbbreviation"_s)->text(), MLBTeam::team(game.teams.home.team.id) ? u"BOS"_s : u"MLB"_s);
    }

    void toolTip()
    {
        const Broadcast radio { u"WEEI"_s, u"AM"_s, u"en"_s, false, u"home"_s };
        QCOMPARE(GameRowView(finalGame([&](Game &g) { g.broadcasts = { radio }; }), false, 0, true, false).toolTip(),
            u"Show game details\nPress Return to open MLB\nNo TV broadcast listed"_s);
        const Game televised = finalGame([&](Game &g) {
            g.broadcasts = { radio, { u"NESN"_s, u"TV"_s, u"en"_s, false, u"home"_s } };
        });
        QCOMPARE(GameRowView(televised, false, 0, false, false).toolTip(), u"NESN"_s);
    }

    void followedClubStarred()
    {
        GameRowView row(finalGame(), false, 147, true, false);
        row.setFollowedTeamIds({ 111 });
        QCOMPARE(label(row, u"homeAbbreviation"_s)->text(), u"BOS\u2605"_s);
        QCOMPARE(label(row, u"awayAbbreviation"_s)->text(), u"DET"_s);
        row.setFollowedTeamIds({});
        QCOMPARE(label(row, u"homeAbbreviation"_s)->text(), u"BOS"_s);
    }

    void cursorIsGivenBack_data()
    {
        QTest::addColumn<QString>("action");
        for (const QString &action :
            { u"pointer leaves"_s, u"hovered row deleted"_s, u"hovered row hidden"_s, u"row made unclickable"_s })
            QTest::newRow(qPrintable(action)) << action;
    }

    void cursorIsGivenBack()
    {
        QFETCH(QString, action);
        // The row must give back only its own cursor, leaving one pushed before it in place.
        QGuiApplication::setOverrideCursor(Qt::WaitCursor);
        GameRowView unclickable(preview(), false, 0, false, false);
        hover(unclickable, true); // no hand over a row that cannot be clicked
        QCOMPARE(QGuiApplication::overrideCursor()->shape(), Qt::WaitCursor);
        auto row = std::make_unique<GameRowView>(preview(), false, 0, true, false);
        row->show();
        hover(*row, true);
        hover(*row, true);
        QCOMPARE(QGuiApplication::overrideCursor()->shape(), Qt::PointingHandCursor);
        if (action == u"pointer leaves") hover(*row, false);
        if (action == u"hovered row deleted") row.reset();
        if (action == u"hovered row hidden") row->hide();
        if (action == u"row made unclickable") {
            // Updated in place: the hover survives and the texts follow the new game.
            row->setInputs(live(true), false, 0, false, true);
            QVERIFY(row->isHovered());
            QCOMPARE(shown(*row, u"statusText"_s), u"Top 5th"_s);
        }
        QCOMPARE(QGuiApplication::overrideCursor()->shape(), Qt::WaitCursor);
        QGuiApplication::restoreOverrideCursor();
    }
};

QTEST_MAIN(TestGameRowView)
#include "tst_gamerowview.moc"
