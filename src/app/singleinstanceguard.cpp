#include "app/singleinstanceguard.h"

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
    static auto *const guard = new SingleInstanceGuard(defaultLockFilePath());
    return *guard;
}

SingleInstanceGuard::SingleInstanceGuard(QString lockFilePath)
    : m_lockFilePath(std::move(lockFilePath))
{ }

SingleInstanceGuard::~SingleInstanceGuard()
{
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
    if (m_lockFilePath.isEmpty()) return true;

    const QByteArray path = QFile::encodeName(m_lockFilePath);
    // O_NOFOLLOW: a planted symlink must not make us create or lock a file elsewhere.
    const int fd = ::open(path.constData(), O_RDWR | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (fd == -1) return true;

    // Only a regular file of our own counts: another user's file could be held forever to keep us from starting.
    struct stat status { };
    if (::fstat(fd, &status) != 0 || !S_ISREG(status.st_mode) || status.st_uid != ::geteuid()) {
        ::close(fd);
        return true;
    }

    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        ::close(fd);
        return false;
    }
    m_lockFileDescriptor = fd;
    return true;
}

bool acquireSingleInstanceLock()
{
    return SingleInstanceGuard::shared().acquire();
}
