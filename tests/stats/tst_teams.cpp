#include "stats/teams.h"

#include <QTest>
#include <map>
#include <set>

using namespace Qt::StringLiterals;

// The club directory.
class TestTeams : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void lookups()
    {
        // Five clubs in each of the six divisions.
        std::map<qint64, std::set<qint64>> perDivision;
        for (const MLBTeam &team : MLBTeam::all())
            perDivision[team.division.id].insert(team.id);
        QCOMPARE(perDivision.size(), 6u);
        for (const auto &[division, ids] : perDivision)
            QCOMPARE(ids.size(), 5u);
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
