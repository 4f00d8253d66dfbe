#pragma once

#include <QString>

// Keeps a second copy of Baselark from running for the same user: an exclusive advisory lock on a lock file,
// and a well-known name on the session bus for when the lock file cannot be used.
class SingleInstanceGuard {
public:
    // The application's desktop-file id, which is also the name it owns on the session bus.
    static inline const QString defaultBusName = QStringLiteral("io.github.baselark.Baselark");

    // The process-wide guard on defaultLockFilePath() and defaultBusName; never destroyed, so the lock lives as
    // long as the process.
    static SingleInstanceGuard &shared();

    // An empty busName: the lock file alone.
    explicit SingleInstanceGuard(QString lockFilePath, QString busName = {});
    ~SingleInstanceGuard();

    SingleInstanceGuard(const SingleInstanceGuard &) = delete;
    SingleInstanceGuard &operator=(const SingleInstanceGuard &) = delete;

    // True when this copy may run: the lock is now held by this process, or the lock file could not be used and
    // the bus name is now ours (or there is no session bus: the copy then runs unguarded). False when another
    // process holds the lock or the bus name. The bus name is taken whenever the lock is, so a copy that falls
    // back to the name also meets a copy that holds the lock.
    bool acquire();

    int lockFileDescriptor() const { return m_lockFileDescriptor; }
    QString lockFilePath() const { return m_lockFilePath; }

    static QString defaultLockFilePath();

private:
    bool acquireBusName();

    QString m_lockFilePath;
    QString m_busName;
    bool m_ownsBusName = false;
    int m_lockFileDescriptor = -1;
};

// Takes the process-wide lock; false means another copy is running and this one should quit silently.
bool acquireSingleInstanceLock();
