#include "system/daychangenotifier.h"

#include <QDBusMessage>
#include <QElapsedTimer>
#include <QFile>
#include <QLocalServer>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTimeZone>

using namespace Qt::StringLiterals;

namespace {

const int hour = 3600 * 1000;

QDateTime local(int month, int day, QTime time)
{
    return QDateTime(QDate(2024, month, day), time, Qt::LocalTime);
}

QDBusConnection noBus()
{
    return QDBusConnection::connectToBus(u"unix:path=/nonexistent/bus"_s, u"no-bus"_s);
}

} // namespace

class TestDayChangeNotifier : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void check_data()
    {
        QTest::addColumn<QDateTime>("start");
        QTest::addColumn<QDateTime>("later");
        QTest::addColumn<int>("emitted");
        QTest::newRow("same day, later") << local(5, 1, QTime(0, 0, 1)) << local(5, 1, QTime(23, 59, 59)) << 0;
        QTest::newRow("past midnight") << local(5, 1, QTime(23, 59)) << local(5, 2, QTime(0, 0, 1)) << 1;
        QTest::newRow("resumed days later") << local(5, 1, QTime(22, 0)) << local(5, 4, QTime(9, 0)) << 1;
        QTest::newRow("time zone moved back a day") << local(5, 2, QTime(0, 30)) << local(5, 1, QTime(23, 30)) << 1;
    }

    void check()
    {
        QFETCH(QDateTime, start);
        QFETCH(QDateTime, later);
        QFETCH(int, emitted);
        m_now = start;
        DayChangeNotifier notifier(clock(), noBus());
        QSignalSpy spy(&notifier, &DayChangeNotifier::dayChanged);
        m_now = later;
        notifier.check();
        notifier.check();
        QCOMPARE(spy.count(), emitted);
    }

    void nextCheck_data()
    {
        QTest::addColumn<QDateTime>("now");
        QTest::addColumn<int>("expectedMs");
        QTest::newRow("noon: an hour") << local(5, 1, QTime(12, 0)) << hour;
        QTest::newRow("23:00: an hour") << local(5, 1, QTime(23, 0)) << hour;
        QTest::newRow("23:30: just past midnight") << local(5, 1, QTime(23, 30)) << hour / 2 + 1000;
        QTest::newRow("spring-forward day") << local(3, 10, QTime(23, 30)) << hour / 2 + 1000;
        // Chile moves its clocks at midnight: 8 September 2024 began at 01:00.
        QTest::newRow("midnight skipped")
            << QDateTime(QDate(2024, 9, 7), QTime(23, 30), QTimeZone("America/Santiago")) << hour / 2 + 1000;
    }

    void nextCheck()
    {
        QFETCH(QDateTime, now);
        QFETCH(int, expectedMs);
        m_now = now;
        DayChangeNotifier notifier(clock(), noBus());
        QCOMPARE(notifier.msUntilNextCheck(), expectedMs);
    }

    void timerFiresAndRearms()
    {
        m_now = local(5, 1, QTime(23, 59, 59, 999));
        DayChangeNotifier notifier(clock(), noBus());
        QSignalSpy spy(&notifier, &DayChangeNotifier::dayChanged);
        m_now = local(5, 2, QTime(0, 0, 1));
        QVERIFY(spy.wait(10000));
        QCOMPARE(notifier.msUntilNextCheck(), hour);
    }

    void resumeChecksAtOnce()
    {
        QDBusConnection bus = QDBusConnection::sessionBus();
        if (!bus.isConnected()) QSKIP("needs a private bus standing in for the system bus (dbus-run-session)");
        QDBusConnection logind = QDBusConnection::connectToBus(QDBusConnection::SessionBus, u"fake-logind"_s);
        QVERIFY(logind.registerService(u"org.freedesktop.login1"_s));

        m_now = local(5, 1, QTime(12, 0));
        DayChangeNotifier notifier(clock(), bus);
        QSignalSpy spy(&notifier, &DayChangeNotifier::dayChanged);
        m_now = local(5, 3, QTime(8, 0));
        auto resumed = QDBusMessage::createSignal(
            u"/org/freedesktop/login1"_s, u"org.freedesktop.login1.Manager"_s, u"PrepareForSleep"_s);
        QVERIFY(logind.send(resumed << false));
        QTRY_COMPARE(spy.count(), 1);
        QDBusConnection::disconnectFromBus(u"fake-logind"_s);
    }

    // Last: the stuck bus it sets up stands in for the process's system bus from here on.
    void aStuckSystemBusDoesNotBlockConstruction()
    {
        // A socket that accepts connections and never answers the bus handshake.
        QTemporaryDir dir;
        QLocalServer stuckBus;
        QVERIFY(stuckBus.listen(dir.filePath(u"system_bus_socket"_s)));
        qputenv("DBUS_SYSTEM_BUS_ADDRESS", "unix:path=" + QFile::encodeName(stuckBus.fullServerName()));

        QElapsedTimer elapsed;
        elapsed.start();
        {
            DayChangeNotifier notifier(clock());
            QVERIFY(!notifier.isWatchingLogind());
        }
        QCOMPARE_LT(elapsed.elapsed(), 1000);
        // Closing the socket ends the handshake the worker is waiting in.
        stuckBus.close();
    }

private:
    DayChangeNotifier::Clock clock()
    {
        return [this] { return m_now; };
    }

    QDateTime m_now;
};

QTEST_GUILESS_MAIN(TestDayChangeNotifier)
#include "tst_daychangenotifier.moc"
