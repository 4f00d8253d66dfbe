#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusContext>
#include <QDBusError>
#include <QDBusMessage>
#include <QDBusServiceWatcher>
#include <QObject>
#include <QStringList>

#include <cstdio>

using namespace Qt::Literals::StringLiterals;

// A stand-in for the desktop's org.kde.StatusNotifierWatcher on a private session bus.
class TestWatcher : public QObject, protected QDBusContext {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.kde.StatusNotifierWatcher")
    Q_PROPERTY(QStringList RegisteredStatusNotifierItems READ registeredItems)
    Q_PROPERTY(bool IsStatusNotifierHostRegistered READ isHostRegistered)
    Q_PROPERTY(int ProtocolVersion READ protocolVersion)

public:
    TestWatcher()
    {
        m_owners.setConnection(QDBusConnection::sessionBus());
        m_owners.setWatchMode(QDBusServiceWatcher::WatchForUnregistration);
        connect(&m_owners, &QDBusServiceWatcher::serviceUnregistered, this, &TestWatcher::itemVanished);
    }

    QStringList registeredItems() const { return m_items; }
    bool isHostRegistered() const { return true; }
    int protocolVersion() const { return 0; }

public Q_SLOTS:
    Q_SCRIPTABLE void RegisterStatusNotifierItem(const QString &service)
    {
        // Items that pass an object path are known by their connection's unique name.
        const QString item = service.startsWith(u'/') ? message().service() : service;
        if (!m_items.contains(item)) {
            m_items.append(item);
            m_owners.addWatchedService(item);
        }
        Q_EMIT StatusNotifierItemRegistered(item);
    }

    Q_SCRIPTABLE void RegisterStatusNotifierHost(const QString &) { }

Q_SIGNALS:
    Q_SCRIPTABLE void StatusNotifierItemRegistered(const QString &service);
    Q_SCRIPTABLE void StatusNotifierItemUnregistered(const QString &service);
    Q_SCRIPTABLE void StatusNotifierHostRegistered();

private:
    void itemVanished(const QString &item)
    {
        m_owners.removeWatchedService(item);
        m_items.removeAll(item);
        Q_EMIT StatusNotifierItemUnregistered(item);
    }

    QDBusServiceWatcher m_owners;
    QStringList m_items;
};

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QDBusConnection bus = QDBusConnection::sessionBus();
    TestWatcher watcher;
    if (!bus.registerObject(u"/StatusNotifierWatcher"_s, &watcher, QDBusConnection::ExportScriptableContents)
        || !bus.registerService(u"org.kde.StatusNotifierWatcher"_s)) {
        std::fprintf(stderr, "baselark-test-watcher: cannot own org.kde.StatusNotifierWatcher: %s\n",
            qPrintable(bus.lastError().message()));
        return 1;
    }
    std::puts("ready");
    std::fflush(stdout);
    return QCoreApplication::exec();
}

#include "testwatcher.moc"
