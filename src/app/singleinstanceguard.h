#pragma once

#include <QString>

// Keeps a second copy of Baselark from running for the same user: an exclusive advisory lock on a lock file.
class SingleInstanceGuard {
public:
    // The process-wide guard on defaultLockFilePath(); never destroyed, so the lock lives as long as the process.
    static SingleInstanceGuard &shared();

    explicit SingleInstanceGuard(QString lockFilePath);
    ~SingleInstanceGuard();

    SingleInstanceGuard(const SingleInstanceGuard &) = delete;
    SingleInstanceGuard &operator=(const SingleInstanceGuard &) = delete;

    // True when this copy may run: the lock is now held by this process, or the lock file could not be used
    // (the copy then runs unguarded). False only when another process holds the lock.
    bool acquire();

    int lockFileDescriptor() const { return m_lockFileDescriptor; }
    QString lockFilePath() const { return m_lockFilePath; }

    static QString defaultLockFilePath();

private:
    QString m_lockFilePath;
    int m_lockFileDescriptor = -1;
};

// Takes the process-wide lock; false means another copy is running and this one should quit silently.
bool acquireSingleInstanceLock();
