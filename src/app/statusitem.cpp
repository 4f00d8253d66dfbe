#include "statusitem.h"

#include "baseballicon.h"
#include "dbusmenu.h"
#include "statusitemsni.h"

#include <QCoreApplication>
#include <QCursor>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusServiceWatcher>
#include <QMenu>
#include <QSystemTrayIcon>

using namespace Qt::Literals::StringLiterals;

namespace {

const auto watcherService = u"org.kde.StatusNotifierWatcher"_s;

// The menu items, in the order the dbusmenu numbers them from 1.
const auto openLabel = u"Open Baselark"_s;
const auto updateLabel = u"Update Available\u2026"_s;
const auto quitLabel = u"Quit"_s;
enum MenuItem { OpenItem = 1, UpdateItem = 2, QuitItem = 3 };

SniIconList sniIcons(bool updatePending)
{
    SniIconList icons;
    for (const int size : baseballIconSizes)
        icons.append(toSniIcon(paintBaseballIcon(size, updatePending)));
    return icons;
}

} // namespace

StatusItem::StatusItem(QObject *parent)
    : QObject(parent)
    , m_sni(new StatusItemSni(QDBusObjectPath(DBusMenu::objectPath()), this))
    , m_menu(new DBusMenu({ openLabel, updateLabel, quitLabel }, this))
    , m_serviceName(u"org.kde.StatusNotifierItem-%1-1"_s.arg(QCoreApplication::applicationPid()))
{
    m_sni->setIconPixmap(sniIcons(false));
    m_menu->setItemVisible(UpdateItem, false);
    connect(m_sni, &StatusItemSni::activated, this, &StatusItem::activate);
    connect(m_menu, &DBusMenu::clicked, this, &StatusItem::menuClicked);
}

StatusItem::~StatusItem()
{
    // The exported objects unregister themselves when they are destroyed; the name stays until released.
    if (m_exported) QDBusConnection::sessionBus().unregisterService(m_serviceName);
}

QString StatusItem::label() const
{
    return m_sni->label();
}

void StatusItem::setLabel(const QString &text)
{
    if (text == label()) return;
    m_sni->setLabel(text);
    if (m_tray) m_tray->setToolTip(text);
}

void StatusItem::setUpdatePending(bool pending)
{
    if (pending == m_updatePending) return;
    m_updatePending = pending;
    m_sni->setIconPixmap(sniIcons(pending));
    m_menu->setItemVisible(UpdateItem, pending);
    if (m_tray) m_tray->setIcon(baseballIcon(pending));
    if (m_updateAction) m_updateAction->setVisible(pending);
}

QString StatusItem::activationToken() const
{
    return m_sni->activationToken();
}

void StatusItem::show()
{
    if (m_shown) return;
    m_shown = true;
    if (!exportOnBus()) {
        useFallback();
        return;
    }
    auto *watcher = new QDBusServiceWatcher(
        watcherService, QDBusConnection::sessionBus(), QDBusServiceWatcher::WatchForOwnerChange, this);
    connect(watcher, &QDBusServiceWatcher::serviceOwnerChanged, this,
        [this](const QString &, const QString &, const QString &newOwner) {
            if (newOwner.isEmpty()) {
                ++m_registrationSerial; // a registration still in flight went to the watcher that left
                useFallback();
            } else {
                registerWithWatcher();
            }
        });
    registerWithWatcher();
}

bool StatusItem::exportOnBus()
{
    QDBusConnection bus = QDBusConnection::sessionBus();
    constexpr auto contents = QDBusConnection::ExportScriptableContents;
    m_exported = bus.isConnected() && bus.registerObject(StatusItemSni::objectPath(), m_sni, contents)
        && bus.registerObject(DBusMenu::objectPath(), m_menu, contents) && bus.registerService(m_serviceName);
    return m_exported;
}

void StatusItem::registerWithWatcher()
{
    QDBusMessage message = QDBusMessage::createMethodCall(
        watcherService, u"/StatusNotifierWatcher"_s, watcherService, u"RegisterStatusNotifierItem"_s);
    message << m_serviceName;
    auto *call = new QDBusPendingCallWatcher(QDBusConnection::sessionBus().asyncCall(message), this);
    const quint64 serial = ++m_registrationSerial;
    connect(call, &QDBusPendingCallWatcher::finished, this, [this, serial](QDBusPendingCallWatcher *finished) {
        finished->deleteLater();
        // When the watcher comes and goes quickly only the latest attempt tells the truth.
        if (serial != m_registrationSerial) return;
        if (finished->isError())
            useFallback();
        else
            useSni();
    });
}

void StatusItem::useSni()
{
    m_mode = Mode::Sni;
    if (m_tray) m_tray->hide();
}

void StatusItem::useFallback()
{
    m_mode = Mode::Fallback;
    if (!m_tray) createTrayIcon();
    m_tray->show();
}

void StatusItem::createTrayIcon()
{
    m_trayMenu = std::make_unique<QMenu>();
    connect(m_trayMenu->addAction(openLabel), &QAction::triggered, this, &StatusItem::openRequested);
    m_updateAction = m_trayMenu->addAction(updateLabel);
    m_updateAction->setVisible(m_updatePending);
    connect(m_updateAction, &QAction::triggered, this, &StatusItem::updateRequested);
    connect(m_trayMenu->addAction(quitLabel), &QAction::triggered, this, &StatusItem::quitRequested);

    m_tray = std::make_unique<QSystemTrayIcon>(baseballIcon(m_updatePending), this);
    m_tray->setToolTip(label());
    m_tray->setContextMenu(m_trayMenu.get());
    connect(m_tray.get(), &QSystemTrayIcon::activated, this, [this](QSystemTrayIcon::ActivationReason reason) {
        if (reason == QSystemTrayIcon::Trigger) activate(QCursor::pos());
    });
}

std::optional<QRect> StatusItem::itemGeometry() const
{
    if (m_mode != Mode::Fallback || !m_tray) return std::nullopt;
    const QRect geometry = m_tray->geometry();
    return geometry.isEmpty() ? std::nullopt : std::optional(geometry);
}

void StatusItem::activate(QPoint globalPos)
{
    if (!globalPos.isNull()) m_lastActivatePoint = globalPos;
    Q_EMIT activateRequested(globalPos);
}

void StatusItem::menuClicked(int id)
{
    if (id == OpenItem)
        Q_EMIT openRequested();
    else if (id == UpdateItem && m_updatePending)
        Q_EMIT updateRequested();
    else if (id == QuitItem)
        Q_EMIT quitRequested();
}
