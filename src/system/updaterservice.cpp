#include "system/updaterservice.h"

#include "system/appcastupdater.h"
#include "system/installlocation.h"
#include "system/updaterdialogs.h"
#include "system/versioncomparison.h"

#include <QLoggingCategory>
#include <QPointer>
#include <QSettings>

#include <algorithm>

using namespace Qt::StringLiterals;

namespace {

Q_LOGGING_CATEGORY(lcUpdates, "baselark.updates")

const auto automaticallyChecksKey = u"automaticallyChecksForUpdates"_s;
const auto lastCheckDateKey = u"lastUpdateCheckDate"_s;
const auto skippedVersionKey = u"skippedUpdateVersion"_s;
const auto installLocationWarnedVersionKey = u"installLocationWarnedVersion"_s;

} // namespace

UpdaterService::UpdaterService(UpdaterEnvironment environment, QSettings *settings, QNetworkAccessManager *network,
    UpdaterDialogs *dialogs, Clock now, bool startAutomaticChecks, QObject *parent)
    : QObject(parent)
    , m_environment(std::move(environment))
    , m_settings(settings)
    , m_updater(new AppcastUpdater(network, this))
    , m_dialogs(dialogs)
    , m_now(std::move(now))
    , m_automaticChecksRun(startAutomaticChecks)
{
    m_timer.setSingleShot(true);
    connect(&m_timer, &QTimer::timeout, this, &UpdaterService::scheduledCheck);
    updateSchedule();
    checkInstallLocation();
}

UpdaterService::~UpdaterService() = default;

std::optional<QDateTime> UpdaterService::lastCheckDate() const
{
    const QDateTime date = QDateTime::fromString(m_settings->value(lastCheckDateKey).toString(), Qt::ISODateWithMs);
    if (!date.isValid()) return std::nullopt;
    return date;
}

bool UpdaterService::automaticallyChecks() const
{
    return m_settings->value(automaticallyChecksKey, true).toBool();
}

void UpdaterService::setAutomaticallyChecks(bool on)
{
    if (!m_settings->contains(automaticallyChecksKey) || automaticallyChecks() != on) {
        m_settings->setValue(automaticallyChecksKey, on);
        m_settings->sync();
    }
    updateSchedule();
    Q_EMIT changed();
}

void UpdaterService::updateSchedule()
{
    if (!automaticallyChecks() || !m_automaticChecksRun || !m_environment.updateChecksAvailable) {
        scheduleCheckAt(std::nullopt);
    } else if (!m_nextCheckDate && !m_checkInProgress) {
        // A minute after launch at the earliest, else a day after the last check.
        const QDateTime now = m_now();
        QDateTime due = now.addSecs(firstCheckDelay.count());
        const auto last = lastCheckDate();
        // A last check in the future means the clock went back; it says nothing about when to check.
        if (last && *last <= now) due = std::max(due, last->addSecs(std::chrono::seconds(checkInterval).count()));
        scheduleCheckAt(due);
    }
}

void UpdaterService::checkForUpdates()
{
    if (!canCheckForUpdates()) return;
    auto task = runCheck(true);
    Q_UNUSED(task);
}

QString UpdaterService::versionDescription() const
{
    return ::versionDescription(m_environment.shortVersionString, m_environment.bundleVersion);
}

std::optional<QString> UpdaterService::skippedVersion() const
{
    const QString version = m_settings->value(skippedVersionKey).toString();
    if (version.isEmpty()) return std::nullopt;
    return version;
}

void UpdaterService::scheduledCheck()
{
    if (!m_nextCheckDate || m_checkInProgress) return;
    if (m_now() < *m_nextCheckDate) {
        scheduleCheckAt(m_nextCheckDate);
        return;
    }
    m_nextCheckDate.reset();
    auto task = runCheck(false);
    Q_UNUSED(task);
}

QCoro::Task<> UpdaterService::runCheck(bool userInitiated)
{
    QPointer self(this);
    setCheckInProgress(true);
    try {
        const auto items = co_await m_updater->fetchItems(m_environment.feedURL, m_environment.feedIsLocalStandIn);
        if (!self) co_return;
        setLastCheckDate(m_now());
        const auto newest = newestItem(items);
        const auto skipped = skippedVersion();
        // A skipped version stays quiet until the user asks.
        const bool wasSkipped
            = newest && skipped && compareVersions(newest->displayVersionString(), *skipped) <= 0 && !userInitiated;
        if (newest && !wasSkipped
            && isNewerThan(*newest, m_environment.shortVersionString, m_environment.bundleVersion)) {
            didFindValidUpdate(*newest, userInitiated);
        } else {
            didNotFindUpdate(userInitiated);
        }
    } catch (const AppcastError &error) {
        if (!self) co_return;
        qCWarning(lcUpdates).noquote() << "Update check failed:" << error.message();
        if (userInitiated && m_dialogs) m_dialogs->showCheckFailed(error.message());
    }
    setCheckInProgress(false);
    m_nextCheckDate.reset();
    if (m_automaticChecksRun && automaticallyChecks() && m_environment.updateChecksAvailable)
        scheduleCheckAt(m_now().addSecs(std::chrono::seconds(checkInterval).count()));
}

void UpdaterService::didFindValidUpdate(const AppcastItem &item, bool userInitiated)
{
    qCInfo(lcUpdates).noquote() << "Update found:" << item.displayVersionString();
    m_pendingUpdate = item;
    Q_EMIT changed();
    if (userInitiated) {
        showPendingUpdate();
        return;
    }
    // A window that opens by itself would take the focus from whatever the user is doing.
    if (!m_dialogs || m_announcedUpdate == item) return;
    m_announcedUpdate = item;
    QPointer self(this);
    m_dialogs->announceUpdate(item, [self] {
        if (self) self->showPendingUpdate();
    });
}

void UpdaterService::showPendingUpdate()
{
    if (!m_pendingUpdate || !m_dialogs) return;
    QPointer self(this);
    m_dialogs->showUpdateFound(*m_pendingUpdate, m_environment.shortVersionString, [self, item = *m_pendingUpdate] {
        if (self) self->skipVersion(item);
    });
}

void UpdaterService::didNotFindUpdate(bool userInitiated)
{
    m_pendingUpdate.reset();
    Q_EMIT changed();
    if (userInitiated && m_dialogs) m_dialogs->showUpToDate(m_environment.shortVersionString);
}

void UpdaterService::skipVersion(const AppcastItem &item)
{
    m_settings->setValue(skippedVersionKey, item.displayVersionString());
    m_settings->sync();
    if (m_pendingUpdate && compareItems(*m_pendingUpdate, item) <= 0) {
        m_pendingUpdate.reset();
        Q_EMIT changed();
    }
}

void UpdaterService::setLastCheckDate(const QDateTime &date)
{
    m_settings->setValue(lastCheckDateKey, date.toUTC().toString(Qt::ISODateWithMs));
    m_settings->sync();
}

void UpdaterService::setCheckInProgress(bool inProgress)
{
    m_checkInProgress = inProgress;
    Q_EMIT changed();
}

void UpdaterService::scheduleCheckAt(std::optional<QDateTime> due)
{
    m_nextCheckDate = due;
    if (!due) {
        m_timer.stop();
        return;
    }
    const qint64 wait = std::clamp<qint64>(
        m_now().msecsTo(*due), 0, std::chrono::duration_cast<std::chrono::milliseconds>(maxTimerWait).count());
    m_timer.start(int(wait));
}

void UpdaterService::checkInstallLocation()
{
    if (m_environment.endpointOverridden || !isTransientCopy(m_environment.programPath, m_environment.transientFolders))
        return;
    const QString version = m_environment.shortVersionString;
    const QVariant warned = m_settings->value(installLocationWarnedVersionKey);
    if (warned.isValid() && warned.toString() == version) return;
    // Stored before the alert, so that quitting while it is open does not bring it back for this version.
    m_settings->setValue(installLocationWarnedVersionKey, version);
    m_settings->sync();
    if (!m_dialogs) return;
    QTimer::singleShot(
        0, this, [this, path = m_environment.programPath] { m_dialogs->showInstallLocationAlert(path); });
}
