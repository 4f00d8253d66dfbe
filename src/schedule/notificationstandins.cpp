// STAND-IN notifications: trivial bodies of the agreed notification operations, so the Settings tab builds and
// runs before they land. Delete this file at merge.

#include "schedule/scheduleviewmodel.h"

#include <QCoroTimer>
#include <QPointer>
#include <chrono>

using namespace Qt::StringLiterals;

QCoro::Task<> ScheduleViewModel::setNotificationsEnabled(bool enabled)
{
    writePreference(u"notificationsEnabled"_s, enabled);
    co_return;
}

QCoro::Task<> ScheduleViewModel::setNotificationLeadMinutes(qint64 minutes)
{
    writePreference(u"notificationLeadMinutes"_s, minutes);
    co_return;
}

QCoro::Task<> ScheduleViewModel::grantNotificationPermission()
{
    co_return;
}

QCoro::Task<> ScheduleViewModel::sendTestNotification()
{
    if (m_isSchedulingTestNotification) co_return;
    QPointer self(this);
    m_isSchedulingTestNotification = true;
    m_debugNotificationStatusText = u"Scheduling test notification..."_s;
    Q_EMIT changed();
    co_await QCoro::sleepFor(std::chrono::milliseconds(1));
    if (!self) co_return;
    m_isSchedulingTestNotification = false;
    m_debugNotificationStatusText = u"Test notification scheduled"_s;
    Q_EMIT changed();
}

QString ScheduleViewModel::notificationStatusText() const
{
    return notificationsEnabled() ? u"Game alerts are on"_s : u"Game start alerts are off"_s;
}
