#include "app/baseballicon.h"
#include "app/dbusmenu.h"
#include "app/statusitem.h"
#include "app/statusitemsni.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusMetaType>
#include <QMenu>
#include <QProcess>
#include <QSystemTrayIcon>
#include <QtTest>

#include <memory>

using namespace Qt::Literals::StringLiterals;

namespace {

const auto sniPath = u"/StatusNotifierItem"_s;
const auto sniInterface = u"org.kde.StatusNotifierItem"_s;
const auto menuPath = u"/MenuBar"_s;
const auto menuInterface = u"com.canonical.dbusmenu"_s;
const auto watcherService = u"org.kde.StatusNotifierWatcher"_s;
const auto propertiesInterface = u"org.freedesktop.DBus.Properties"_s;
const auto firstLabel = u"NYY @ BOS 7:05 PM"_s;
const auto secondLabel = u"NYY @ BOS 3-2 Top 7th"_s;

// The host's side of the bus: its own connection, so every value really goes through D-Bus marshalling.
QDBusConnection host()
{
    return QDBusConnection::connectToBus(QDBusConnection::SessionBus, u"host"_s);
}

QDBusMessage call(const QString &service, const QString &path, const QString &interface, const QString &method,
    const QVariantList &arguments = {})
{
    QDBusMessage message = QDBusMessage::createMethodCall(service, path, interface, method);
    message.setArguments(arguments);
    // The item lives in this process, so the call must keep the event loop running while it waits.
    return host().call(message, QDBus::BlockWithGui);
}

QVariant busProperty(const QString &service, const QString &path, const QString &interface, const QString &name)
{
    const QDBusMessage reply = call(service, path, propertiesInterface, u"Get"_s, { interface, name });
    return reply.arguments().value(0).value<QDBusVariant>().variant();
}

QVariant itemProperty(const StatusItem &item, const QString &name)
{
    return busProperty(item.serviceName(), sniPath, sniInterface, name);
}

QStringList registeredItems()
{
    return busProperty(watcherService, u"/StatusNotifierWatcher"_s, watcherService, u"RegisteredStatusNotifierItems"_s)
        .toStringList();
}

QRgb pixelAt(const SniIcon &icon, QPoint point)
{
    const auto offset = (point.y() * icon.width + point.x()) * 4;
    const auto byte = [&](int index) { return int(uchar(icon.bytes.at(offset + index))); };
    return qRgba(byte(1), byte(2), byte(3), byte(0));
}

} // namespace

// Collects the signals the item sends on the bus, in the order the host receives them.
class SignalLog : public QObject {
    Q_OBJECT

public:
    explicit SignalLog(const QStringList &members)
    {
        for (const QString &member : members) {
            const QString interface = member == "PropertiesChanged"_L1 ? propertiesInterface : sniInterface;
            host().connect(QString(), sniPath, interface, member, this, SLOT(record(QDBusMessage)));
        }
    }

    QList<QDBusMessage> named(const QString &member) const
    {
        QList<QDBusMessage> found;
        for (const QDBusMessage &message : m_messages) {
            if (message.member() == member) found.append(message);
        }
        return found;
    }

    QVariantMap firstChangedProperties() const
    {
        return qdbus_cast<QVariantMap>(named(u"PropertiesChanged"_s).value(0).arguments().value(1));
    }

public Q_SLOTS:
    void record(const QDBusMessage &message) { m_messages.append(message); }

private:
    QList<QDBusMessage> m_messages;
};

class TestStatusItem : public QObject {
    Q_OBJECT

    std::unique_ptr<QProcess> m_watcher;

    void startWatcher()
    {
        m_watcher = std::make_unique<QProcess>();
        m_watcher->setProcessChannelMode(QProcess::ForwardedErrorChannel);
        m_watcher->start(QStringLiteral(BASELARK_TEST_WATCHER));
        QTRY_VERIFY_WITH_TIMEOUT(m_watcher->canReadLine(), 30000);
        QCOMPARE(m_watcher->readLine(), QByteArray("ready\n"));
    }

    void stopWatcher()
    {
        m_watcher->kill();
        m_watcher->waitForFinished();
        m_watcher.reset();
    }

    void showRegistered(StatusItem &item)
    {
        item.show();
        QTRY_VERIFY(registeredItems().contains(item.serviceName()));
        QVERIFY(!item.usesFallback());
    }

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY2(
            QDBusConnection::sessionBus().isConnected(), "needs a private session bus: run under dbus-run-session");
        StatusItemSni::registerDBusTypes();
        DBusMenu::registerDBusTypes();
    }

    void init()
    {
        if (!m_watcher) startWatcher();
    }

    void announcesNewLabelOnlyWhenItChanges()
    {
        StatusItem item;
        item.setLabel(firstLabel);
        showRegistered(item);
        SignalLog log({ u"XAyatanaNewLabel"_s, u"NewTitle"_s, u"NewToolTip"_s, u"PropertiesChanged"_s });
        // A round trip on the host's connection makes sure the bus has its signal subscriptions.
        QCOMPARE(itemProperty(item, u"XAyatanaLabel"_s).toString(), firstLabel);

        // The bus keeps one sender's signals in order: anything sent for the unchanged label would come first.
        item.setLabel(firstLabel);
        item.setLabel(secondLabel);
        QCOMPARE(item.label(), secondLabel);
        QTRY_VERIFY(!log.named(u"PropertiesChanged"_s).isEmpty() && !log.named(u"XAyatanaNewLabel"_s).isEmpty()
            && !log.named(u"NewTitle"_s).isEmpty() && !log.named(u"NewToolTip"_s).isEmpty());

        // The guide is a fixed widest title, so hosts that size the item by it do not resize at every change.
        const QString guide = u"NYY @ BOS 10-10 Bot 10th"_s;
        QCOMPARE(log.named(u"XAyatanaNewLabel"_s).first().arguments(), QVariantList({ secondLabel, guide }));
        const QVariantMap changed = log.firstChangedProperties();
        QCOMPARE(changed.value(u"Title"_s).toString(), secondLabel);
        QCOMPARE(changed.value(u"XAyatanaLabel"_s).toString(), secondLabel);
        QCOMPARE(qdbus_cast<SniToolTip>(changed.value(u"ToolTip"_s)).title, secondLabel);
        QCOMPARE(itemProperty(item, u"XAyatanaLabelGuide"_s).toString(), guide);
        QCOMPARE(qdbus_cast<SniToolTip>(itemProperty(item, u"ToolTip"_s)).title, secondLabel);
    }

    void paintsUpdateDotIntoIconPixmap()
    {
        StatusItem item;
        showRegistered(item);
        SignalLog log({ u"NewIcon"_s, u"PropertiesChanged"_s });
        const auto dotIsBlue = [&] {
            const auto icons = qdbus_cast<SniIconList>(itemProperty(item, u"IconPixmap"_s));
            QList<bool> blue;
            for (const SniIcon &icon : icons)
                blue.append(pixelAt(icon, updateDotRect(icon.width).center()) == updateDotColor().rgba());
            return blue;
        };
        const QList<bool> none(qsizetype(baseballIconSizes.size()), false);
        const QList<bool> all(qsizetype(baseballIconSizes.size()), true);
        QCOMPARE(dotIsBlue(), none);

        item.setUpdatePending(true);
        QTRY_VERIFY(!log.named(u"NewIcon"_s).isEmpty() && !log.named(u"PropertiesChanged"_s).isEmpty());
        QVERIFY(log.firstChangedProperties().contains(u"IconPixmap"_s));
        QCOMPARE(dotIsBlue(), all);

        item.setUpdatePending(false);
        QCOMPARE(dotIsBlue(), none);
    }

    void activates_data()
    {
        QTest::addColumn<QString>("method");
        QTest::addColumn<int>("x");
        QTest::addColumn<int>("y");
        QTest::addColumn<QPoint>("expected");
        QTest::newRow("left click") << u"Activate"_s << 1200 << 12 << QPoint(1200, 12);
        QTest::newRow("middle click") << u"SecondaryActivate"_s << 40 << 1060 << QPoint(40, 1060);
        QTest::newRow("host without position") << u"Activate"_s << 0 << 0 << QPoint();
    }

    void activates()
    {
        QFETCH(QString, method);
        QFETCH(int, x);
        QFETCH(int, y);
        QFETCH(QPoint, expected);
        StatusItem item;
        showRegistered(item);
        QSignalSpy activated(&item, &StatusItem::activateRequested);

        const QDBusMessage reply = call(item.serviceName(), sniPath, sniInterface, method, { x, y });
        QCOMPARE(reply.type(), QDBusMessage::ReplyMessage);
        QCOMPARE(activated.count(), 1);
        QCOMPARE(activated.first().first().toPoint(), expected);
        // A later click from a host that does not tell where the item is keeps the last point known.
        call(item.serviceName(), sniPath, sniInterface, u"Activate"_s, { 0, 0 });
        QCOMPARE(item.lastActivatePoint(), expected.isNull() ? std::nullopt : std::optional(expected));
    }

    // The whole tree, and the root alone.
    void menuLayout()
    {
        StatusItem item;
        showRegistered(item);
        QCOMPARE(itemProperty(item, u"Menu"_s).value<QDBusObjectPath>().path(), menuPath);
        for (const int depth : { -1, 0 }) {
            const QDBusMessage reply
                = call(item.serviceName(), menuPath, menuInterface, u"GetLayout"_s, { 0, depth, QStringList() });
            QCOMPARE(reply.signature(), u"u(ia{sv}av)"_s);
            const auto root = qdbus_cast<DBusMenuLayoutItem>(reply.arguments().value(1));
            QCOMPARE(root.id, 0);
            QStringList shown;
            for (const DBusMenuLayoutItem &child : root.children)
                shown.append(QString::number(child.id) + u' ' + child.properties.value(u"label"_s).toString());
            const QStringList whole { u"1 Open Baselark"_s, u"2 Update Available\u2026"_s, u"3 Quit"_s };
            QCOMPARE(shown, depth == 0 ? QStringList() : whole);
        }
    }

    // Clicks on known items act; other events and unknown items do nothing.
    void menuEvents()
    {
        StatusItem item;
        showRegistered(item);
        QSignalSpy opened(&item, &StatusItem::openRequested);
        QSignalSpy quitted(&item, &StatusItem::quitRequested);
        const auto event = [](int id, const QString &name) {
            return QVariantList { id, name, QVariant::fromValue(QDBusVariant(0)), 0u };
        };

        const auto send = [&](int id, const QString &name) {
            return call(item.serviceName(), menuPath, menuInterface, u"Event"_s, event(id, name)).type();
        };
        QCOMPARE(send(3, u"hovered"_s), QDBusMessage::ReplyMessage);
        QCOMPARE(send(9, u"clicked"_s), QDBusMessage::ErrorMessage);
        QCOMPARE(quitted.count(), 0);
        send(3, u"clicked"_s);
        QCOMPARE(quitted.count(), 1);

        // A host that batches its events: the known item is still clicked, the unknown one is reported back.
        const QList<DBusMenuEvent> group { { 9, u"clicked"_s, QDBusVariant(0), 0 },
            { 1, u"clicked"_s, QDBusVariant(0), 0 } };
        const QDBusMessage batched
            = call(item.serviceName(), menuPath, menuInterface, u"EventGroup"_s, { QVariant::fromValue(group) });
        QCOMPARE(qdbus_cast<QList<int>>(batched.arguments().value(0)), QList<int> { 9 });
        QCOMPARE(opened.count(), 1);
        QCOMPARE(quitted.count(), 1);
    }

    void updateEntryShowsWithTheDot()
    {
        StatusItem item;
        showRegistered(item);
        QSignalSpy requested(&item, &StatusItem::updateRequested);
        QSignalSpy layoutUpdated(item.findChild<DBusMenu *>(), &DBusMenu::LayoutUpdated);
        const QVariantList click { 2, u"clicked"_s, QVariant::fromValue(QDBusVariant(0)), 0u };
        for (const bool pending : { false, true, false }) {
            item.setUpdatePending(pending);
            const QDBusMessage visible
                = call(item.serviceName(), menuPath, menuInterface, u"GetProperty"_s, { 2, u"visible"_s });
            QCOMPARE(visible.arguments().value(0).value<QDBusVariant>().variant().toBool(), pending);
            const qsizetype before = requested.count();
            call(item.serviceName(), menuPath, menuInterface, u"Event"_s, click);
            QCOMPARE(requested.count(), before + (pending ? 1 : 0));
        }
        QCOMPARE(layoutUpdated.count(), 2);
        QVERIFY(layoutUpdated.last().first().toUInt() > layoutUpdated.first().first().toUInt());
    }

    // Without a watcher the item is a tray icon with the same actions, until one appears or while it is away.
    void fallsBackWithoutWatcher()
    {
        stopWatcher();
        StatusItem item;
        item.setLabel(firstLabel);
        item.show();
        QTRY_VERIFY(item.usesFallback());
        auto *tray = item.findChild<QSystemTrayIcon *>();
        QVERIFY(tray);
        QVERIFY(tray->isVisible());
        QCOMPARE(tray->toolTip(), firstLabel);
        item.setLabel(secondLabel);
        QCOMPARE(tray->toolTip(), secondLabel);

        QSignalSpy activated(&item, &StatusItem::activateRequested);
        QSignalSpy opened(&item, &StatusItem::openRequested);
        QSignalSpy quitted(&item, &StatusItem::quitRequested);
        Q_EMIT tray->activated(QSystemTrayIcon::Context);
        QCOMPARE(activated.count(), 0);
        Q_EMIT tray->activated(QSystemTrayIcon::Trigger);
        QCOMPARE(activated.count(), 1);
        QCOMPARE(activated.first().first().toPoint(), QCursor::pos());
        const QList<QAction *> actions = tray->contextMenu()->actions();
        actions[0]->trigger();
        QCOMPARE(opened.count(), 1);
        actions[2]->trigger();
        QCOMPARE(quitted.count(), 1);
        QVERIFY(!actions[1]->isVisible());
        item.setUpdatePending(true);
        QVERIFY(actions[1]->isVisible());

        startWatcher();
        QTRY_VERIFY(registeredItems().contains(item.serviceName()));
        QTRY_VERIFY(!item.usesFallback());
        QVERIFY(!tray->isVisible());
        QCOMPARE(itemProperty(item, u"XAyatanaLabel"_s).toString(), secondLabel);

        stopWatcher();
        QTRY_VERIFY(item.usesFallback());
        QVERIFY(tray->isVisible());
    }
};

QTEST_MAIN(TestStatusItem)
#include "tst_statusitem.moc"
