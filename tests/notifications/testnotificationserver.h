#pragma once

#include <QDBusConnection>
#include <QDBusMessage>
#include <QObject>
#include <QStringList>
#include <QVariantMap>
#include <vector>

// A stand-in notification daemon on its own connection to the session bus; records every Notify call.
class TestNotificationServer : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.Notifications")

public:
    struct Notification {
        QString appName;
        QString appIcon;
        QString summary;
        QString body;
        QVariantMap hints;
        int expireTimeout = 0;
        QStringList actions;
        uint replacesId = 0;
    };

    TestNotificationServer()
        : m_bus(QDBusConnection::connectToBus(QDBusConnection::SessionBus, QStringLiteral("test-notification-server")))
    { }

    ~TestNotificationServer() override { stop(); }

    bool start()
    {
        return m_bus.registerObject(
                   QStringLiteral("/org/freedesktop/Notifications"), this, QDBusConnection::ExportScriptableSlots)
            && m_bus.registerService(QStringLiteral("org.freedesktop.Notifications"));
    }

    void stop()
    {
        m_bus.unregisterService(QStringLiteral("org.freedesktop.Notifications"));
        m_bus.unregisterObject(QStringLiteral("/org/freedesktop/Notifications"));
    }

    std::vector<Notification> received;

    // What the daemon sends when the user chooses an action of notification `id` (numbered from 1).
    void invokeAction(uint id, const QString &key)
    {
        m_bus.send(QDBusMessage::createSignal(QStringLiteral("/org/freedesktop/Notifications"),
                       QStringLiteral("org.freedesktop.Notifications"), QStringLiteral("ActionInvoked"))
            << id << key);
    }

    QStringList capabilities { QStringLiteral("body"), QStringLiteral("sound") };

public Q_SLOTS:
    Q_SCRIPTABLE uint Notify(const QString &appName, uint replacesId, const QString &appIcon, const QString &summary,
        const QString &body, const QStringList &actions, const QVariantMap &hints, int expireTimeout)
    {
        received.push_back({ appName, appIcon, summary, body, hints, expireTimeout, actions, replacesId });
        // As daemons do, a replacement keeps the id of the popup it replaces.
        return replacesId != 0 && replacesId < received.size() ? replacesId : uint(received.size());
    }
    Q_SCRIPTABLE QStringList GetCapabilities() { return capabilities; }
    Q_SCRIPTABLE void CloseNotification(uint) { }

private:
    QDBusConnection m_bus;
};
