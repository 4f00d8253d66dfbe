#include "system/updatenotification.h"

#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>

using namespace Qt::StringLiterals;

namespace {

const auto service = u"org.freedesktop.Notifications"_s;
const auto path = u"/org/freedesktop/Notifications"_s;

} // namespace

UpdateNotification::UpdateNotification(QDBusConnection bus, QString desktopEntry, QObject *parent)
    : QObject(parent)
    , m_bus(std::move(bus))
    , m_desktopEntry(std::move(desktopEntry))
{
    m_bus.connect(service, path, service, u"ActionInvoked"_s, this, SLOT(actionInvoked(uint, QString)));
    m_bus.connect(service, path, service, u"NotificationClosed"_s, this, SLOT(notificationClosed(uint, uint)));
}

QString UpdateNotification::summary(const QString &version)
{
    return u"Baselark %1 is available"_s.arg(version);
}

void UpdateNotification::show(const QString &version)
{
    QDBusMessage call = QDBusMessage::createMethodCall(service, path, service, u"Notify"_s);
    // "default" is what a click on the notification itself invokes; servers that draw buttons show the other.
    const QStringList actions { u"default"_s, u"View Update"_s, QLatin1StringView(viewAction), u"View Update\u2026"_s };
    const QVariantMap hints { { u"desktop-entry"_s, m_desktopEntry }, { u"urgency"_s, QVariant::fromValue(uchar(1)) } };
    call << u"Baselark"_s << m_id << m_desktopEntry << summary(version)
         << u"Open it to read what is new and download it."_s << actions << hints << qint32(-1);
    auto *watcher = new QDBusPendingCallWatcher(m_bus.asyncCall(call), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this, [this](QDBusPendingCallWatcher *finished) {
        finished->deleteLater();
        const QDBusPendingReply<uint> reply = *finished;
        if (reply.isValid()) m_id = reply.value();
    });
}

void UpdateNotification::actionInvoked(uint id, const QString &actionKey)
{
    if (id == 0 || id != m_id) return;
    if (actionKey == u"default"_s || actionKey == QLatin1StringView(viewAction)) Q_EMIT activated();
}

void UpdateNotification::notificationClosed(uint id, uint)
{
    // A closed notification's id may be given to another one; it is not ours to replace any more.
    if (id == m_id) m_id = 0;
}
