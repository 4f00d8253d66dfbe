#include "stats/standings.h"
#include "testdata.h"
#include "ui/standingsview.h"
#include "ui/theme.h"

#include <QAbstractButton>
#include <QLabel>
#include <QLayout>
#include <QScrollArea>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTest>
#include <algorithm>
#include <functional>

using namespace Qt::StringLiterals;

namespace {

// The 2024 season as the view model hands it over: sorted by division id.
std::vector<StandingsRecord> season2024(const std::function<void(std::vector<StandingsRecord> &)> &adjust = {})
{
    auto records = decode<StandingsResponse>(readTestData(u"standings-2024.json"_s)).records;
    std::ranges::stable_sort(records, {}, [](const StandingsRecord &record) { return record.division.id; });
    if (adjust) adjust(records);
    return records;
}

// Only the divisions with these ids, in this order.
std::vector<StandingsRecord> divisions(const std::vector<qint64> &ids)
{
    const auto all = season2024();
    std::vector<StandingsRecord> result;
    for (qint64 id : ids) {
        auto found = std::ranges::find(all, id, [](const StandingsRecord &record) { return record.division.id; });
        StandingsRecord record = found != all.end() ? *found : all.front();
        record.division.id = id;
        result.push_back(record);
    }
    return result;
}

// Division titles of one league section, top to bottom, with "|" before each one that has a divider.
QStringList sectionTitles(const StandingsView &view, const QString &section)
{
    auto *container = view.findChild<QWidget *>(section);
    if (!container || !container->isVisibleTo(&view)) return {};
    QStringList titles;
    for (int i = 0; i < container->layout()->count(); ++i) {
        QWidget *block = container->layout()->itemAt(i)->widget();
        const bool divided = block->findChild<QWidget *>(u"divisionDivider"_s)->isVisibleTo(block);
        titles << (divided ? u"|"_s : QString()) + block->findChild<QLabel *>(u"divisionTitle"_s)->text();
    }
    return titles;
}

QWidget *teamRow(const StandingsView &view, qint64 teamId)
{
    auto *row = view.findChild<QWidget *>(u"team"_s + QString::number(teamId));
    if (!row) qFatal("no row for club %lld", teamId);
    return row;
}

QLabel *cell(const StandingsView &view, qint64 teamId, const QString &name)
{
    return teamRow(view, teamId)->findChild<QLabel *>(name);
}

QStringList rowTexts(const StandingsView &view, qint64 teamId)
{
    QStringList texts;
    for (const QString &name :
        { u"abbreviation"_s, u"wins"_s, u"losses"_s, u"pct"_s, u"lastTen"_s, u"streak"_s, u"gamesBack"_s })
        texts << cell(view, teamId, name)->text();
    return texts;
}

QColor textColor(const QLabel *label)
{
    return label->palette().color(QPalette::WindowText);
}

} // namespace

// The standings tab: league sections, division order, the rows' texts, colours and favourite mark.
class TestStandingsView : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void divisionOrder_data()
    {
        QTest::addColumn<std::vector<qint64>>("ids");
        QTest::addColumn<QStringList>("american");
        QTest::addColumn<QStringList>("national");

        const QStringList allAmerican { u"AL East"_s, u"|AL Central"_s, u"|AL West"_s };
        const QStringList allNational { u"NL East"_s, u"|NL Central"_s, u"|NL West"_s };
        QTest::newRow("West, East, Central from the service")
            << std::vector<qint64> { 203, 200, 204, 201, 205, 202 } << allAmerican << allNational;
        QTest::newRow("only National League") << std::vector<qint64> { 203, 204, 205 } << QStringList {} << allNational;
        QTest::newRow("unknown division shown nowhere")
            << std::vector<qint64> { 200, 204, 999 } << QStringList { u"AL West"_s } << QStringList { u"NL East"_s };
    }

    void divisionOrder()
    {
        QFETCH(std::vector<qint64>, ids);
        StandingsView view;
        view.setStandings(divisions(ids), 0);
        QTEST(sectionTitles(view, u"americanLeague"_s), "american");
        QTEST(sectionTitles(view, u"nationalLeague"_s), "national");
        // Both league headers stand whatever divisions arrived.
        QVERIFY(view.findChild<QWidget *>(u"americanLeagueHeader"_s)->isVisibleTo(&view));
        QVERIFY(view.findChild<QWidget *>(u"nationalLeagueHeader"_s)->isVisibleTo(&view));
        QVERIFY(!view.findChild<QWidget *>(u"division999"_s));
    }

    void recordedRows()
    {
        StandingsView view;
        view.setStandings(season2024(), 147);
        QCOMPARE(
            rowTexts(view, 147), (QStringList { u"NYY"_s, u"94"_s, u"68"_s, u".580"_s, u"5-5"_s, u"W1"_s, u"-"_s }));
        QCOMPARE(rowTexts(view, 145),
            (QStringList { u"CWS"_s, u"41"_s, u"121"_s, u".253"_s, u"5-5"_s, u"W2"_s, u"51.5"_s }));
    }

    void favoriteMarkedInPlace()
    {
        StandingsView view;
        view.setStandings(season2024(), 147);
        const QPalette &palette = view.palette();
        QLabel *yankees = cell(view, 147, u"abbreviation"_s);
        QCOMPARE(yankees->font().weight(), QFont::Bold);
        QCOMPARE(textColor(yankees), theme::accent(palette));
        // Only the club cell carries the mark.
        QCOMPARE(textColor(cell(view, 147, u"wins"_s)), theme::primary(palette));

        view.setStandings(season2024(), 110);
        QCOMPARE(cell(view, 147, u"abbreviation"_s), yankees);
        QCOMPARE(yankees->font().weight(), QFont::Normal);
        QCOMPARE(textColor(yankees), theme::primary(palette));

        // A followed club is bold in the plain colour.
        view.setFollowedTeamIds({ 147 });
        view.setStandings(season2024(), 110);
        QCOMPARE(yankees->font().weight(), QFont::Bold);
        QCOMPARE(textColor(yankees), theme::primary(palette));
        QCOMPARE(cell(view, 111, u"abbreviation"_s)->font().weight(), QFont::Normal);
    }

    void streakColors_data()
    {
        QTest::addColumn<std::optional<QString>>("code");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("color");

        QTest::newRow("winning") << std::optional(u"W3"_s) << u"W3"_s << u"green"_s;
        QTest::newRow("losing") << std::optional(u"L12"_s) << u"L12"_s << u"red"_s;
        QTest::newRow("absent") << std::optional<QString>() << u"\u2013"_s << u"secondary"_s;
        QTest::newRow("empty code") << std::optional(QString()) << QString() << u"secondary"_s;
        QTest::newRow("lower-case w") << std::optional(u"w1"_s) << u"w1"_s << u"secondary"_s;
    }

    void streakColors()
    {
        QFETCH(std::optional<QString>, code);
        QFETCH(QString, color);
        const auto records = season2024([&](std::vector<StandingsRecord> &all) {
            TeamRecord &first = all.front().teamRecords.front();
            first.streak = code ? std::optional(Streak { *code }) : std::nullopt;
            first.team.id = 4242;
        });
        StandingsView view;
        view.setStandings(records, 0);
        QLabel *streak = cell(view, 4242, u"streak"_s);
        QTEST(streak->text(), "text");

        // Colours follow the palette when it changes.
        for (const bool dark : { false, true }) {
            QPalette palette = view.palette();
            palette.setColor(QPalette::Window, dark ? QColor(0x2b, 0x2b, 0x2e) : QColor(Qt::white));
            palette.setColor(QPalette::WindowText, dark ? QColor(Qt::white) : QColor(Qt::black));
            view.setPalette(palette);
            const QColor expected = color == u"green"_s ? theme::green(palette)
                : color == u"red"_s                     ? theme::red(palette)
                                                        : theme::secondary(palette);
            QCOMPARE(textColor(streak), expected);
            QCOMPARE(textColor(cell(view, 4242, u"gamesBack"_s)), theme::secondary(palette));
        }
    }

    // The wild-card side: leaders and race per league, WCGB column, clinch marks and their legend, and back.
    void wildCardTables()
    {
        StandingsView view;
        QSignalSpy chosen(&view, &StandingsView::wildCardChosen);
        view.setStandings(season2024(), 116, true);
        QWidget *american = view.findChild<QWidget *>(u"americanLeague"_s);
        QStringList titles;
        for (QLabel *label : american->findChildren<QLabel *>(u"divisionTitle"_s))
            titles << label->text();
        QCOMPARE(titles, (QStringList { u"Leaders"_s, u"Wild Card"_s }));
        QCOMPARE(cell(view, 110, u"gamesBack"_s)->text(), u"+5.0"_s);
        QCOMPARE(american->findChild<QLabel *>(u"headerGB"_s)->text(), u"WCGB"_s);
        // The line runs under the third club of the race, the last that holds a place.
        QCOMPARE(teamRow(view, 116)->property("wildCardLine").toBool(), true);
        QCOMPARE(teamRow(view, 118)->property("wildCardLine").toBool(), false);
        QCOMPARE(cell(view, 147, u"clinch"_s)->text(), u"z"_s);
        QVERIFY(cell(view, 111, u"clinch"_s)->text().isEmpty());
        // The favourite is marked in the wild-card table as in the division ones.
        QCOMPARE(cell(view, 116, u"abbreviation"_s)->font().bold(), true);
        auto *legend = view.findChild<QLabel *>(u"clinchLegend"_s);
        QCOMPARE(legend->text(), u"Clinched: y division \u00b7 z best record \u00b7 w wild card"_s);
        QVERIFY(!view.findChild<QWidget *>(u"division201"_s));

        auto *divisionButton = view.findChild<QAbstractButton *>(u"divisionMode"_s);
        view.resize(320, 300);
        view.show();
        QScrollBar *bar = view.findChild<QScrollArea *>(u"standingsScroll"_s)->verticalScrollBar();
        QTRY_VERIFY(bar->maximum() > 0);
        bar->setValue(bar->maximum());
        divisionButton->click();
        QCOMPARE(chosen.count(), 1);
        QCOMPARE(chosen.takeFirst().at(0).toBool(), false);
        view.setStandings(season2024(), 116, false);
        QCOMPARE(bar->value(), 0);
        QVERIFY(view.findChild<QWidget *>(u"division201"_s));
        QCOMPARE(cell(view, 110, u"gamesBack"_s)->text(), u"3.0"_s);
        QCOMPARE(american->findChild<QLabel *>(u"headerGB"_s)->text(), u"GB"_s);
        QVERIFY(!view.findChild<QWidget *>(u"wildCard"_s));
    }
};

QTEST_MAIN(TestStandingsView)
#include "tst_standingsview.moc"
