#include "schedulemodelfixture.h"

#include <QTest>

using namespace Qt::StringLiterals;

namespace {

std::vector<StandingsRecord> divisions(std::initializer_list<qint64> ids)
{
    std::vector<StandingsRecord> records;
    for (const qint64 id : ids)
        records.push_back({ DivisionRef { id, {} }, {} });
    return records;
}

std::vector<qint64> divisionIds(const std::vector<StandingsRecord> &records)
{
    std::vector<qint64> ids;
    for (const auto &record : records)
        ids.push_back(record.division.id);
    return ids;
}

} // namespace

// The season's standings in the schedule view model: the first load, the reloads and their failures.
class TestStandingsLoading : public QObject {
    Q_OBJECT

    ScheduleModelFixture m_fixture;
    FakeScheduleAPI *m_api = nullptr;
    ScheduleViewModel *m_vm = nullptr;

private Q_SLOTS:
    void init()
    {
        // Late on New Year's Eve, so a step forward shows next year's first day.
        m_fixture.reset({}, false, [] { return QDateTime(QDate(2025, 12, 31), QTime(23, 30)); });
        m_api = m_fixture.api.get();
        m_vm = m_fixture.viewModel.get();
    }

    void cleanup() { m_fixture.clear(); }

    void refreshLoadsNoStandingsBeforeTheFirstLoad()
    {
        auto refresh = m_vm->refresh();
        m_api->succeed(0, {});
        QCOMPARE(m_api->standingsRequestCount(), 0);
        QVERIFY(m_vm->standings().empty());
    }

    void loadSortsByDivisionAndRefreshesReload()
    {
        m_vm->selectDate(QDate(2026, 1, 1));
        auto load = m_vm->loadStandings();
        // The season follows the clock, not the shown day.
        QCOMPARE(m_api->standingsRequest(0).season, 2025);
        m_api->succeedStandings(0, divisions({ 204, 201, 200, 205, 203, 202 }));
        QCOMPARE(divisionIds(m_vm->standings()), (std::vector<qint64> { 200, 201, 202, 203, 204, 205 }));

        auto refresh = m_vm->refresh();
        m_api->succeed(1, {});
        QCOMPARE(m_api->standingsRequestCount(), 2);
        m_api->succeedStandings(1, divisions({ 203, 200 }));
        QCOMPARE(divisionIds(m_vm->standings()), (std::vector<qint64> { 200, 203 }));
    }

    void failureKeepsStandingsAndTheMessageStays()
    {
        auto load = m_vm->loadStandings();
        m_api->succeedStandings(0, divisions({ 200, 201 }));

        auto failed = m_vm->loadStandings();
        m_api->failStandings(1);
        QCOMPARE(m_vm->errorMessage(), u"Failed to load standings"_s);
        QCOMPARE(divisionIds(m_vm->standings()), (std::vector<qint64> { 200, 201 }));
        QVERIFY(!m_vm->isLoading());

        // A later standings success leaves the message; only a schedule success clears it.
        auto again = m_vm->loadStandings();
        m_api->succeedStandings(2, divisions({ 202 }));
        QCOMPARE(m_vm->errorMessage(), u"Failed to load standings"_s);
        auto schedule = m_vm->loadSchedule();
        m_api->succeed(0, {});
        QVERIFY(!m_vm->errorMessage());
    }

    void timerTickReloadsLoadedStandings()
    {
        auto load = m_vm->loadStandings();
        m_api->succeedStandings(0, divisions({ 200 }));
        auto tick = m_vm->refreshTimerFired();
        m_api->succeed(0, {});
        QCOMPARE(m_api->standingsRequestCount(), 2);
        m_api->succeedStandings(1, divisions({ 201 }));
        QCOMPARE(m_vm->refreshTimerPeriod(), std::chrono::milliseconds(std::chrono::seconds(300)));
    }
};

QTEST_MAIN(TestStandingsLoading)
#include "tst_standingsloading.moc"
