#include "notifications/freedesktopnotificationcenterclient.h"

#include "stats/datetime.h"

#include <QCoroDBusPendingCall>
#include <QDBusMessage>
#include <QDBusPendingCall>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLoggingCategory>
#include <QPointer>
#include <QSaveFile>
#include <algorithm>

using namespace Qt::StringLiterals;

Q_LOGGING_CATEGORY(lcAlerts, "baselark.notifications")

namespace {

const QString dbusService = u"org.freedesktop.DBus"_s;
const QString dbusPath = u"/org/freedesktop/DBus"_s;

QString instantText(const QDateTime &instant)
{
    return instant.toUTC().toString(Qt::ISODateWithMs);
}

QDateTime instantFrom(const QJsonValue &value)
{
    QDateTime instant = QDateTime::fromString(value.toString(), Qt::ISODateWithMs);
    return instant.isValid() && instant.timeSpec() != Qt::LocalTime ? instant.toUTC() : QDateTime();
}

// Servers that read body markup take "&" and "<" as its syntax; the text must come through as written.
QString markupEscaped(const QString &text)
{
    QString escaped = text;
    return escaped.replace(u'&', u"&amp;"_s).replace(u'<', u"&lt;"_s).replace(u'>', u"&gt;"_s);
}

// Asks the server what it reads before every alert: the server may have been replaced since the last one. Returns
// the server's id of the popup, 0 when it did not answer.
QCoro::Task<uint> sendNotification(
    QDBusConnection bus, QString desktopEntry, QString title, QString body, uint replacesId = 0)
{
    const QString service = FreedesktopNotificationCenterClient::notificationsService;
    const QString path = u"/org/freedesktop/Notifications"_s;
    const QDBusPendingCall capabilitiesCall
        = bus.asyncCall(QDBusMessage::createMethodCall(service, path, service, u"GetCapabilities"_s));
    const QDBusMessage capabilities = co_await capabilitiesCall;
    if (capabilities.type() == QDBusMessage::ReplyMessage
        && capabilities.arguments().value(0).toStringList().contains(u"body-markup"_s))
        body = markupEscaped(body);
    QDBusMessage call = QDBusMessage::createMethodCall(service, path, service, u"Notify"_s);
    const QVariantMap hints {
        { u"desktop-entry"_s, desktopEntry },
        { u"sound-name"_s, u"message-new-instant"_s },
        { u"urgency"_s, QVariant::fromValue(uchar(1)) },
    };
    call << u"Baselark"_s << replacesId << desktopEntry << title << body << QStringList() << hints << qint32(-1);
    const QDBusMessage reply = co_await bus.asyncCall(call);
    co_return reply.type() == QDBusMessage::ReplyMessage ? reply.arguments().value(0).toUInt() : 0;
}

} // namespace

FreedesktopNotificationCenterClient::FreedesktopNotificationCenterClient(QString storePath, QString desktopEntry,
    QDBusConnection sessionBus, QDBusConnection systemBus, Clock now, QObject *parent)
    : QObject(parent)
    , m_storePath(std::move(storePath))
    , m_desktopEntry(std::move(desktopEntry))
    , m_sessionBus(std::move(sessionBus))
    , m_now(std::move(now))
{
    m_timer.setSingleShot(true);
    m_timer.setTimerType(Qt::PreciseTimer);
    connect(&m_timer, &QTimer::timeout, this, &FreedesktopNotificationCenterClient::deliverDue);
    m_saveRetry.setSingleShot(true);
    connect(&m_saveRetry, &QTimer::timeout, this, &FreedesktopNotificationCenterClient::retryUnsaved);
    // Adding the match rule does not wait for the bus; a resume re-aims the timer, which did not count the sleep.
    if (systemBus.isConnected()) {
        systemBus.connect(u"org.freedesktop.login1"_s, u"/org/freedesktop/login1"_s,
            u"org.freedesktop.login1.Manager"_s, u"PrepareForSleep"_s, this, SLOT(handlePrepareForSleep(bool)));
    }
    load();
    // Triggers missed while Baselark was not running are dealt with once the event loop runs.
    aim();
}

FreedesktopNotificationCenterClient::~FreedesktopNotificationCenterClient() = default;

QCoro::Task<bool> FreedesktopNotificationCenterClient::requestAuthorization()
{
    co_return co_await authorizationStatus() == NotificationPermissionStatus::Authorized;
}

QCoro::Task<NotificationPermissionStatus> FreedesktopNotificationCenterClient::authorizationStatus()
{
    // Copied: the client may be gone when a reply arrives, and nothing after an await touches it.
    QDBusConnection bus = m_sessionBus;
    if (!bus.isConnected()) co_return NotificationPermissionStatus::Unavailable;

    const QDBusPendingCall owned = bus.asyncCall(
        QDBusMessage::createMethodCall(dbusService, dbusPath, dbusService, u"NameHasOwner"_s) << notificationsService);
    const QDBusMessage ownedReply = co_await owned;
    if (ownedReply.type() == QDBusMessage::ReplyMessage && ownedReply.arguments().value(0).toBool())
        co_return NotificationPermissionStatus::Authorized;

    const QDBusPendingCall activatable
        = bus.asyncCall(QDBusMessage::createMethodCall(dbusService, dbusPath, dbusService, u"ListActivatableNames"_s));
    const QDBusMessage activatableReply = co_await activatable;
    if (activatableReply.type() == QDBusMessage::ReplyMessage
        && activatableReply.arguments().value(0).toStringList().contains(notificationsService))
        co_return NotificationPermissionStatus::Authorized;
    co_return NotificationPermissionStatus::Unavailable;
}

QCoro::Task<QStringList> FreedesktopNotificationCenterClient::pendingNotificationRequestIds()
{
    // Each sync pass starts here, so a store that failed is tried again at least as often as the passes run.
    retryUnsaved();
    QStringList ids;
    for (const Pending &pending : m_pending)
        ids.append(pending.id);
    co_return ids;
}

QCoro::Task<> FreedesktopNotificationCenterClient::addGameStartNotification(
    GameStartNotificationPlanner::Request request)
{
    const auto content = GameStartNotificationPlanner::content(request);
    Pending pending;
    pending.id = request.id;
    pending.gamePk = request.game.gamePk;
    pending.triggerDate = content.trigger.toUTC();
    const auto start = parseInternetDateTime(request.game.gameDate);
    pending.gameStart = start ? start->toUTC() : request.triggerDate.addSecs(request.leadMinutes * 60).toUTC();
    pending.title = content.title;
    pending.body = content.body;

    retryUnsaved();
    // Every sync pass adds its whole plan again; an unchanged request is no reason to write.
    if (std::ranges::find(m_pending, pending) != m_pending.end()) co_return;
    const auto previous = m_pending;
    const bool wasUnsaved = m_saveError.has_value();
    // One pending request per identifier, as the system centres keep them.
    std::erase_if(m_pending, [&](const Pending &other) { return other.id == pending.id; });
    m_pending.push_back(std::move(pending));
    QString error;
    if (!save(&error)) {
        // Refused as a whole: the caller hears of it, and the store on disk still agrees unless it did not before.
        m_pending = previous;
        if (!wasUnsaved) {
            m_saveError.reset();
            m_saveRetry.stop();
        }
        throw NotificationCenterError(u"Could not save the pending alerts: "_s + error);
    }
    aim();
    co_return;
}

QCoro::Task<> FreedesktopNotificationCenterClient::removePendingNotificationRequests(QStringList identifiers)
{
    retryUnsaved();
    const auto removed
        = std::erase_if(m_pending, [&](const Pending &pending) { return identifiers.contains(pending.id); });
    if (removed > 0) {
        save();
        aim();
    }
    co_return;
}

QCoro::Task<> FreedesktopNotificationCenterClient::deliverNow(QString id, QString title, QString body, QString thread)
{
    if (!m_sessionBus.isConnected()) {
        qCWarning(lcAlerts) << "no session bus to deliver alert" << id;
        co_return;
    }
    QPointer self(this);
    const uint popup = co_await sendNotification(m_sessionBus, m_desktopEntry, title, body, m_popups.value(thread));
    if (self && popup != 0) m_popups.insert(thread, popup);
}

void FreedesktopNotificationCenterClient::addSeenEventIds(const QStringList &ids)
{
    bool added = false;
    for (const QString &id : ids) {
        if (m_seenEvents.contains(id)) continue;
        m_seenEvents.append(id);
        added = true;
    }
    if (!added) return;
    if (m_seenEvents.size() > maxSeenEvents) m_seenEvents.remove(0, m_seenEvents.size() - maxSeenEvents);
    save();
}

std::optional<QString> FreedesktopNotificationCenterClient::storeError() const
{
    if (!m_saveError) return std::nullopt;
    return u"Could not save the pending alerts (%1); trying again"_s.arg(*m_saveError);
}

void FreedesktopNotificationCenterClient::retryUnsaved()
{
    if (m_saveError) save();
}

void FreedesktopNotificationCenterClient::deliverDue()
{
    const QDateTime now = m_now();
    std::vector<Pending> due;
    const auto firstDue = std::stable_partition(
        m_pending.begin(), m_pending.end(), [&](const Pending &pending) { return pending.triggerDate > now; });
    std::move(firstDue, m_pending.end(), std::back_inserter(due));
    m_pending.erase(firstDue, m_pending.end());
    if (!due.empty()) {
        // Saved before sending, so a crash in between loses an alert rather than repeating it at every start.
        save();
        std::sort(
            due.begin(), due.end(), [](const Pending &a, const Pending &b) { return a.triggerDate < b.triggerDate; });
        for (const Pending &pending : due) {
            // A trigger missed while asleep or not running still helps before first pitch; after it, it is noise.
            if (now < pending.gameStart)
                notify(pending);
            else
                qCInfo(lcAlerts) << "dropping alert" << pending.id << "whose game has started";
        }
    }
    aim();
}

std::optional<std::chrono::milliseconds> FreedesktopNotificationCenterClient::timerInterval() const
{
    if (!m_timer.isActive()) return std::nullopt;
    return m_timer.intervalAsDuration();
}

void FreedesktopNotificationCenterClient::handlePrepareForSleep(bool start)
{
    if (!start) deliverDue();
}

void FreedesktopNotificationCenterClient::load()
{
    QFile file(m_storePath);
    if (!file.exists()) return;
    // Anything but a plain file (a pipe, a device) could block the read or never end.
    if (!QFileInfo(m_storePath).isFile()) {
        moveAsideCorruptStore(u"not a regular file"_s);
        return;
    }
    if (!file.open(QIODevice::ReadOnly)) {
        moveAsideCorruptStore(file.errorString());
        return;
    }
    const QByteArray bytes = file.read(maxStoreBytes + 1);
    file.close();
    if (bytes.size() > maxStoreBytes) {
        moveAsideCorruptStore(u"larger than %1 bytes"_s.arg(maxStoreBytes));
        return;
    }
    QJsonParseError parseError;
    const QJsonDocument document = QJsonDocument::fromJson(bytes, &parseError);
    if (parseError.error != QJsonParseError::NoError) {
        moveAsideCorruptStore(parseError.errorString());
        return;
    }
    const QJsonValue requests = document.object().value(u"requests"_s);
    if (!document.isObject() || !requests.isArray()) {
        moveAsideCorruptStore(u"no list of requests"_s);
        return;
    }
    if (requests.toArray().size() > maxStoreRequests) {
        moveAsideCorruptStore(u"more than %1 requests"_s.arg(maxStoreRequests));
        return;
    }
    std::vector<Pending> loaded;
    for (const QJsonValue &value : requests.toArray()) {
        const QJsonObject object = value.toObject();
        Pending pending;
        pending.id = object.value(u"id"_s).toString();
        pending.gamePk = object.value(u"gamePk"_s).toInteger();
        pending.triggerDate = instantFrom(object.value(u"triggerDate"_s));
        pending.gameStart = instantFrom(object.value(u"gameStart"_s));
        pending.title = object.value(u"title"_s).toString();
        pending.body = object.value(u"body"_s).toString();
        if (pending.id.isEmpty() || !pending.triggerDate.isValid() || !pending.gameStart.isValid()) {
            moveAsideCorruptStore(u"a request without id or valid instants"_s);
            return;
        }
        loaded.push_back(std::move(pending));
    }
    m_pending = std::move(loaded);
    // Only the latest are of use; a longer list was not written by us and is cut rather than refused.
    for (const QJsonValue &value : document.object().value(u"seenEvents"_s).toArray()) {
        if (value.isString()) m_seenEvents.append(value.toString());
    }
    if (m_seenEvents.size() > maxSeenEvents) m_seenEvents.remove(0, m_seenEvents.size() - maxSeenEvents);
}

void FreedesktopNotificationCenterClient::moveAsideCorruptStore(const QString &reason)
{
    const QString aside = m_storePath + u".bad"_s;
    qCWarning(lcAlerts).noquote() << "pending alerts store" << m_storePath << "is unreadable:" << reason << "- kept as"
                                  << aside << "and started empty";
    QFile::remove(aside);
    if (!QFile::rename(m_storePath, aside)) QFile::remove(m_storePath);
    m_pending.clear();
    m_seenEvents.clear();
    save();
}

bool FreedesktopNotificationCenterClient::save(QString *error)
{
    QJsonArray requests;
    for (const Pending &pending : m_pending) {
        requests.append(QJsonObject {
            { u"id"_s, pending.id },
            { u"gamePk"_s, pending.gamePk },
            { u"triggerDate"_s, instantText(pending.triggerDate) },
            { u"gameStart"_s, instantText(pending.gameStart) },
            { u"title"_s, pending.title },
            { u"body"_s, pending.body },
        });
    }
    QDir().mkpath(QFileInfo(m_storePath).absolutePath());
    QSaveFile file(m_storePath);
    const bool saved = file.open(QIODevice::WriteOnly)
        && file.write(QJsonDocument(QJsonObject {
                                        { u"requests"_s, requests },
                                        { u"seenEvents"_s, QJsonArray::fromStringList(m_seenEvents) },
                                    })
                          .toJson())
            >= 0
        && file.commit();
    if (!saved) {
        // Logged once per failing spell, not at every retry.
        if (!m_saveError)
            qCWarning(lcAlerts) << "could not write the pending alerts store" << m_storePath << file.errorString();
        m_saveError = file.errorString();
        m_saveRetry.start(saveRetryInterval);
        if (error) *error = file.errorString();
    } else {
        m_saveError.reset();
        m_saveRetry.stop();
    }
    return saved;
}

void FreedesktopNotificationCenterClient::aim()
{
    if (m_pending.empty()) {
        m_timer.stop();
        return;
    }
    const auto earliest = std::min_element(m_pending.begin(), m_pending.end(),
        [](const Pending &a, const Pending &b) { return a.triggerDate < b.triggerDate; });
    const qint64 wait = std::clamp(m_now().msecsTo(earliest->triggerDate), qint64 { 0 }, qint64 { maxWait.count() });
    m_timer.start(std::chrono::milliseconds(wait));
}

void FreedesktopNotificationCenterClient::notify(const Pending &pending)
{
    if (!m_sessionBus.isConnected()) {
        qCWarning(lcAlerts) << "no session bus to deliver alert" << pending.id;
        return;
    }
    // Not awaited: a server that is slow to answer must not hold up the next alert.
    auto task = sendNotification(m_sessionBus, m_desktopEntry, pending.title, pending.body);
    Q_UNUSED(task);
}
