#include "system/daychangenotifier.h"

#include <QDBusMessage>
#include <QElapsedTimer>
#include <QFile>
#include <QLocalServer>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTimeZone>
#include <ctime>

using namespace Qt::StringLiterals;

namespace {

const int hour = 3600 * 1000;

QDateTime utc(int month, int day, QTime time)
{
    return QDateTime(QDate(2024, month, day), time, Qt::UTC);
}

QDateTime local(int month, int day, QTime time)
{
    return QDateTime(QDate(2024, month, day), time, Qt::LocalTime);
}

QDBusConnection noBus()
{
    return QDBusConnection::connectToBus(u"unix:path=/nonexistent/bus"_s, u"no-bus"_s);
}

} // namespace

// The game day turns at 05:00 in New York (09:00 UTC in summer, 10:00 in winter), the same instant for every
// fan; local midnight is no change anywhere.
class TestDayChangeNotifier : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void cleanup()
    {
        qputenv("TZ", "America/New_York");
        tzset();
    }

    void check_data()
    {
        QTest::addColumn<QByteArray>("zone");
        QTest::addColumn<QDateTime>("start");
        QTest::addColumn<QDateTime>("later");
        QTest::addColumn<int>("emitted");
        const QByteArray newYork = "America/New_York";
        const QByteArray tokyo = "Asia/Tokyo";
        QTest::newRow("New York, midnight") << newYork << utc(5, 2, QTime(3, 59)) << utc(5, 2, QTime(4, 1)) << 0;
        QTest::newRow("New York, 05:00") << newYork << utc(5, 2, QTime(8, 59)) << utc(5, 2, QTime(9, 1)) << 1;
        QTest::newRow("Tokyo, midnight") << tokyo << utc(5, 1, QTime(14, 59)) << utc(5, 1, QTime(15, 1)) << 0;
        QTest::newRow("Tokyo, 18:00") << tokyo << utc(5, 2, QTime(8, 59)) << utc(5, 2, QTime(9, 1)) << 1;
        QTest::newRow("London, winter, 10:00")
            << QByteArray("Europe/London") << utc(1, 9, QTime(9, 59)) << utc(1, 9, QTime(10, 1)) << 1;
        QTest::newRow("resumed days later") << newYork << utc(5, 1, QTime(22, 0)) << utc(5, 4, QTime(9, 0)) << 1;
        QTest::newRow("clock set back a day") << newYork << utc(5, 2, QTime(9, 30)) << utc(5, 1, QTime(23, 30)) << 1;
    }

    void check()
    {
        QFETCH(QByteArray, zone);
        QFETCH(QDateTime, start);
        QFETCH(QDateTime, later);
        QFETCH(int, emitted);
        qputenv("TZ", zone);
        tzset();
        m_now = start.toLocalTime();
        DayChangeNotifier notifier(clock(), noBus());
        QSignalSpy spy(&notifier, &DayChangeNotifier::dayChanged);
        m_now = later.toLocalTime();
        notifier.check();
        notifier.check();
        QCOMPARE(spy.count(), emitted);
    }

    void nextCheck_data()
    {
        QTest::addColumn<QDateTime>("now");
        QTest::addColumn<int>("expectedMs");
        QTest::newRow("noon: an hour") << local(5, 1, QTime(12, 0)) << hour;
        QTest::newRow("04:30: just past 05:00") << local(5, 1, QTime(4, 30)) << hour / 2 + 1000;
        // Five hours after New York's midnight: 06:00 daylight time on the spring-forward day, 04:00 standard
        // time on the fall-back day.
        QTest::newRow("spring forward") << local(3, 10, QTime(5, 30)) << hour / 2 + 1000;
        QTest::newRow("fall back") << local(11, 3, QTime(3, 30)) << hour / 2 + 1000;
        QTest::newRow("Tokyo, winter, 18:30")
            << QDateTime(QDate(2024, 1, 9), QTime(18, 30), QTimeZone("Asia/Tokyo")) << hour / 2 + 1000;
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
        m_now = utc(5, 2, QTime(8, 59, 59, 999));
        DayChangeNotifier notifier(clock(), noBus());
        QSignalSpy spy(&notifier, &DayChangeNotifier::dayChanged);
        m_now = utc(5, 2, QTime(9, 0, 1));
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
