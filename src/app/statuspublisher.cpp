#include "app/statuspublisher.h"

#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QVariantMap>

using namespace Qt::StringLiterals;

QString StatusPublisher::serviceName()
{
    return u"io.github.baselark.Baselark"_s;
}

QString StatusPublisher::objectPath()
{
    return u"/Status"_s;
}

QString StatusPublisher::interfaceName()
{
    return u"io.github.baselark.Baselark.Status"_s;
}

StatusPublisher::StatusPublisher(QObject *parent)
    : QObject(parent)
{ }

bool StatusPublisher::publish(QDBusConnection bus)
{
    if (!bus.isConnected()) return false;
    // Properties are read-only on the bus (they have no setter); Toggle is the only call that changes anything.
    const bool exported = bus.registerObject(objectPath(), this,
        QDBusConnection::ExportScriptableSlots | QDBusConnection::ExportScriptableSignals
            | QDBusConnection::ExportNonScriptableProperties);
    if (!exported) return false;
    m_bus = bus;
    const auto reply = bus.interface()->registerService(
        serviceName(), QDBusConnectionInterface::DontQueueService, QDBusConnectionInterface::DontAllowReplacement);
    return reply.isValid() && reply.value() == QDBusConnectionInterface::ServiceRegistered;
}

void StatusPublisher::setStatus(const QString &title, const QString &state, const QString &tooltip)
{
    if (title == m_title && state == m_state && tooltip == m_tooltip) return;
    m_title = title;
    m_state = state;
    m_tooltip = tooltip;
    Q_EMIT Changed(m_title, m_state, m_tooltip);
    if (!m_bus) return;
    // Generic property watchers learn of the change too.
    QDBusMessage signal
        = QDBusMessage::createSignal(objectPath(), u"org.freedesktop.DBus.Properties"_s, u"PropertiesChanged"_s);
    signal << interfaceName()
           << QVariantMap { { u"Title"_s, m_title }, { u"State"_s, m_state }, { u"Tooltip"_s, m_tooltip } }
           << QStringList();
    m_bus->send(signal);
}

void StatusPublisher::Toggle()
{
    Q_EMIT toggleRequested();
}
