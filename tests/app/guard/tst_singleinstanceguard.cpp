#include "app/singleinstanceguard.h"
#include "testdata.h"

#include <QCoreApplication>
#include <QDBusConnection>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <iostream>
#include <string>

#include <sys/stat.h>
#include <unistd.h>

using namespace Qt::StringLiterals;

namespace {

// Helper mode of this binary: the other copy, holding the lock until its stdin closes.
int holdLock(const char *path, const char *busName)
{
    SingleInstanceGuard guard(QFile::decodeName(path), QString::fromUtf8(busName));
    if (!guard.acquire() || (!*busName && guard.lockFileDescriptor() == -1)) return 1;
    std::cout << "locked" << std::endl;
    for (std::string line; std::getline(std::cin, line);) { }
    return 0;
}

} // namespace

class TestSingleInstanceGuard : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init() { QVERIFY(m_dir.emplace().isValid()); }

    void acquiringTwiceOpensTheFileOnce()
    {
        SingleInstanceGuard guard(lockPath());
        QVERIFY(guard.acquire());
        const int descriptor = guard.lockFileDescriptor();
        QVERIFY(descriptor != -1);
        QVERIFY(guard.acquire());
        QCOMPARE(guard.lockFileDescriptor(), descriptor);
        struct stat status { };
        QCOMPARE(::stat(QFile::encodeName(lockPath()).constData(), &status), 0);
        QCOMPARE(status.st_mode & 07777, mode_t { 0600 });
    }

    void lockHeldByAnotherProcess_data()
    {
        QTest::addColumn<bool>("kill");
        QTest::newRow("other copy quits") << false;
        QTest::newRow("other copy is killed") << true;
    }

    void lockHeldByAnotherProcess()
    {
        QFETCH(bool, kill);
        QProcess other;
        other.start(QCoreApplication::applicationFilePath(), { u"--hold-lock"_s, lockPath() });
        QTRY_VERIFY(other.canReadLine() || other.state() == QProcess::NotRunning);
        QCOMPARE(other.readLine(), "locked\n"_ba);

        SingleInstanceGuard guard(lockPath());
        QVERIFY(!guard.acquire());
        QCOMPARE(guard.lockFileDescriptor(), -1);
        kill ? other.kill() : other.closeWriteChannel();
        QVERIFY(other.waitForFinished());
        // The file stays behind; only a live lock blocks.
        QVERIFY(guard.acquire());
        QVERIFY(guard.lockFileDescriptor() != -1);
    }

    void unusableLockFileRunsUnguarded_data()
    {
        QTest::addColumn<QString>("setup");
        QTest::newRow("symlink to an existing file") << u"symlink"_s;
        QTest::newRow("dangling symlink") << u"dangling"_s;
        QTest::newRow("fifo at the path") << u"fifo"_s;
        QTest::newRow("unwritable directory") << u"unwritable"_s;
        QTest::newRow("file of another user") << u"foreign"_s;
    }

    void unusableLockFileRunsUnguarded()
    {
        QFETCH(QString, setup);
        const bool root = ::geteuid() == 0;
        if (setup == u"unwritable" && root) QSKIP("root writes into any directory");
        if (setup == u"foreign" && !root) QSKIP("giving a file away needs root");

        const QString target = m_dir->filePath(u"target"_s);
        const QByteArray path = QFile::encodeName(lockPath());
        if (setup == u"symlink" || setup == u"foreign")
            QVERIFY(writeFile(setup == u"symlink" ? target : lockPath(), "keep"));
        if (setup == u"symlink" || setup == u"dangling") QVERIFY(QFile::link(target, lockPath()));
        if (setup == u"fifo") QCOMPARE(::mkfifo(path.constData(), 0600), 0);
        if (setup == u"unwritable") QCOMPARE(::chmod(QFile::encodeName(m_dir->path()).constData(), 0500), 0);
        if (setup == u"foreign") QCOMPARE(::chown(path.constData(), 65534, 65534), 0);

        SingleInstanceGuard guard(lockPath());
        QVERIFY(guard.acquire());
        QCOMPARE(guard.lockFileDescriptor(), -1);
        if (setup == u"symlink") QCOMPARE(readFile(target), "keep"_ba);
        if (setup == u"dangling") QVERIFY(!QFile::exists(target));
        if (setup == u"unwritable") QVERIFY(!QFile::exists(lockPath()));
    }

    void unusableLockFileFallsBackToTheBusName_data()
    {
        QTest::addColumn<bool>("otherHasUsableLock");
        QTest::newRow("other copy holds the lock") << true;
        QTest::newRow("other copy fell back to the name too") << false;
    }

    void unusableLockFileFallsBackToTheBusName()
    {
        QFETCH(bool, otherHasUsableLock);
        if (!QDBusConnection::sessionBus().isConnected()) QSKIP("needs a session bus (dbus-run-session)");
        const QString busName = u"io.github.baselark.GuardTest"_s;
        // A planted symlink makes the lock file unusable for this copy, and for the other one unless it ran first.
        const QString otherPath = otherHasUsableLock ? m_dir->filePath(u"other.lock"_s) : lockPath();
        QVERIFY(QFile::link(m_dir->filePath(u"target"_s), lockPath()));

        QProcess other;
        other.start(QCoreApplication::applicationFilePath(), { u"--hold-lock"_s, otherPath, busName });
        QTRY_VERIFY(other.canReadLine() || other.state() == QProcess::NotRunning);
        QCOMPARE(other.readLine(), "locked\n"_ba);

        SingleInstanceGuard guard(lockPath(), busName);
        QVERIFY(!guard.acquire());
        other.closeWriteChannel();
        QVERIFY(other.waitForFinished());
        // The name goes with the process that owned it.
        QTRY_VERIFY(guard.acquire());
    }

private:
    QString lockPath() const { return m_dir->filePath(u"baselark.lock"_s); }

    std::optional<QTemporaryDir> m_dir;
};

int main(int argc, char **argv)
{
    if (argc >= 3 && std::string_view(argv[1]) == "--hold-lock") {
        // The bus name needs an application object for its connection.
        QCoreApplication app(argc, argv);
        return holdLock(argv[2], argc >= 4 ? argv[3] : "");
    }
    QCoreApplication app(argc, argv);
    TestSingleInstanceGuard test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_singleinstanceguard.moc"
