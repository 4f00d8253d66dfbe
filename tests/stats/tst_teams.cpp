#include "stats/teams.h"

#include <QTest>
#include <map>
#include <set>

using namespace Qt::StringLiterals;

// The club directory: shape of the table and lookups.
class TestTeams : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void directoryShape()
    {
        const auto all = MLBTeam::all();
        QCOMPARE(all.size(), 30u);
        std::map<qint64, int> perDivision;
        std::set<qint64> ids;
        for (const MLBTeam &team : all) {
            ++perDivision[team.division.id];
            ids.insert(team.id);
        }
        QCOMPARE(ids.size(), 30u);
        QCOMPARE(perDivision.size(), 6u);
        for (auto [division, count] : perDivision) {
            QVERIFY(division >= 200 && division <= 205);
            QCOMPARE(count, 5);
        }
    }

    void lookups()
    {
        const auto athletics = MLBTeam::team(133);
        QVERIFY(athletics);
        QCOMPARE(athletics->name, u"Athletics"_s);
        QCOMPARE(athletics->teamName, u"Athletics"_s);
        QCOMPARE(athletics->division, (DivisionRef { 200, u"AL West"_s }));
        QVERIFY(!MLBTeam::team(0));
        QCOMPARE(MLBTeam::label(147), u"NYY"_s);
        QCOMPARE(MLBTeam::label(999), u"MLB"_s);
    }
};

QTEST_GUILESS_MAIN(TestTeams)
#include "tst_teams.moc"
