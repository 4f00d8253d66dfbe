#pragma once

#include <QDBusConnection>
#include <QDate>
#include <QDateTime>
#include <QObject>
#include <QTimer>

#include <functional>

// Tells when the game day changes (see gameDay: the same instant everywhere, 05:00 in New York), or is found changed
// after a resume from suspend or a jump of the clock.
class DayChangeNotifier : public QObject {
    Q_OBJECT

public:
    using Clock = std::function<QDateTime()>;

    // The longest wait between two looks at the date: bounds how late a clock jump or a time-zone change is noticed.
    static constexpr int maxCheckIntervalMs = 60 * 60 * 1000;

    // Connect to the system bus on a worker thread: the connection may take as long as the bus takes to answer,
    // and nobody should wait for it. The resume check starts once the bus is there.
    explicit DayChangeNotifier(QObject *parent = nullptr);
    explicit DayChangeNotifier(Clock clock, QObject *parent = nullptr);
    // systemBus is where logind announces suspend and resume; a disconnected bus only loses the resume check.
    DayChangeNotifier(Clock clock, const QDBusConnection &systemBus, QObject *parent = nullptr);

    // Whether logind's suspend and resume announcements reach this object.
    bool isWatchingLogind() const { return m_watchingLogind; }

    // Compares the game day with the last one seen, emits dayChanged() when it moved, and re-arms the timer.
    void check();

    int msUntilNextCheck() const { return m_timer.interval(); }

Q_SIGNALS:
    void dayChanged();
    // The machine has just woken from suspend.
    void resumed();

private Q_SLOTS:
    void handlePrepareForSleep(bool start);

private:
    void arm(const QDateTime &now);
    void watchLogind(QDBusConnection systemBus);

    Clock m_clock;
    QDate m_lastDate;
    QTimer m_timer;
    bool m_watchingLogind = false;
};
