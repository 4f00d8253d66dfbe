#pragma once

#include <QDBusConnection>
#include <QDate>
#include <QDateTime>
#include <QObject>
#include <QTimer>

#include <functional>

// Tells when the local calendar day changes: at midnight, after a resume from suspend, or after the clock or the
// time zone moved.
class DayChangeNotifier : public QObject {
    Q_OBJECT

public:
    using Clock = std::function<QDateTime()>;

    // The longest wait between two looks at the date: bounds how late a clock jump or a time-zone change is noticed.
    static constexpr int maxCheckIntervalMs = 60 * 60 * 1000;

    explicit DayChangeNotifier(QObject *parent = nullptr);
    explicit DayChangeNotifier(Clock clock, QObject *parent = nullptr);
    // systemBus is where logind announces suspend and resume; a disconnected bus only loses the resume check.
    DayChangeNotifier(Clock clock, const QDBusConnection &systemBus, QObject *parent = nullptr);

    // Compares today's date with the last one seen, emits dayChanged() when it moved, and re-arms the timer.
    void check();

    int msUntilNextCheck() const { return m_timer.interval(); }

Q_SIGNALS:
    void dayChanged();

private Q_SLOTS:
    void handlePrepareForSleep(bool start);

private:
    void arm(const QDateTime &now);

    Clock m_clock;
    QDate m_lastDate;
    QTimer m_timer;
};
