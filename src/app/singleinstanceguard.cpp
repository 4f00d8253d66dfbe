#include "app/singleinstanceguard.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusReply>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace Qt::StringLiterals;

SingleInstanceGuard &SingleInstanceGuard::shared()
{
    static auto *const guard = new SingleInstanceGuard(defaultLockFilePath(), defaultBusName);
    return *guard;
}

SingleInstanceGuard::SingleInstanceGuard(QString lockFilePath, QString busName)
    : m_lockFilePath(std::move(lockFilePath))
    , m_busName(std::move(busName))
{ }

SingleInstanceGuard::~SingleInstanceGuard()
{
    if (m_ownsBusName) QDBusConnection::sessionBus().unregisterService(m_busName);
    if (m_lockFileDescriptor == -1) return;
    ::flock(m_lockFileDescriptor, LOCK_UN);
    ::close(m_lockFileDescriptor);
}

QString SingleInstanceGuard::defaultLockFilePath()
{
    const QString runtimeDir = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (!runtimeDir.isEmpty() && QFileInfo(runtimeDir).isDir()) return QDir(runtimeDir).filePath(u"baselark.lock"_s);
    const QString fallback = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    // Qt gives no runtime location when the directory it would use belongs to someone else; run unguarded then
    // rather than put the lock somewhere shared.
    if (fallback.isEmpty()) return {};
    return fallback + u"/baselark.lock"_s;
}

bool SingleInstanceGuard::acquire()
{
    if (m_lockFileDescriptor != -1) return true;
    // Without a usable lock file the bus name alone keeps the second copy out.
    if (m_lockFilePath.isEmpty()) return acquireBusName();

    const QByteArray path = QFile::encodeName(m_lockFilePath);
    // O_NOFOLLOW: a planted symlink must not make us create or lock a file elsewhere.
    const int fd = ::open(path.constData(), O_RDWR | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (fd == -1) return acquireBusName();

    // Only a regular file of our own counts: another user's file could be held forever to keep us from starting.
    struct stat status { };
    if (::fstat(fd, &status) != 0 || !S_ISREG(status.st_mode) || status.st_uid != ::geteuid()) {
        ::close(fd);
        return acquireBusName();
    }

    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        ::close(fd);
        return false;
    }
    m_lockFileDescriptor = fd;
    // Owned as well, so that a later copy which cannot use the lock file still finds this one.
    acquireBusName();
    return true;
}

bool SingleInstanceGuard::acquireBusName()
{
    if (m_busName.isEmpty() || m_ownsBusName) return true;
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected()) return true;
    // registerService asks without queueing and without replacement: it fails at once when another owns it.
    m_ownsBusName = bus.registerService(m_busName);
    if (m_ownsBusName) return true;
    // A failure for any other reason than an owner (a bus policy, say) leaves the copy running unguarded.
    const QDBusReply<bool> owned = bus.interface()->isServiceRegistered(m_busName);
    return !(owned.isValid() && owned.value());
}

bool acquireSingleInstanceLock()
{
    return SingleInstanceGuard::shared().acquire();
}
