#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusVariant>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>
#include <optional>

using namespace Qt::StringLiterals;

namespace {

// Calls a method over the session bus with plain messages.
QDBusMessage busCall(const QString &service, const QString &path, const QString &interface, const QString &method,
    const QVariantList &arguments = {})
{
    QDBusMessage message = QDBusMessage::createMethodCall(service, path, interface, method);
    message.setArguments(arguments);
    return QDBusConnection::sessionBus().call(message);
}

// Reads one property of a D-Bus object; an invalid variant when it cannot be read.
QVariant dbusProperty(const QString &service, const QString &path, const QString &interface, const QString &name)
{
    const QDBusMessage reply
        = busCall(service, path, u"org.freedesktop.DBus.Properties"_s, u"Get"_s, { interface, name });
    return reply.type() == QDBusMessage::ReplyMessage ? reply.arguments().value(0).value<QDBusVariant>().variant()
                                                      : QVariant();
}

QStringList registeredItems()
{
    return dbusProperty(u"org.kde.StatusNotifierWatcher"_s, u"/StatusNotifierWatcher"_s,
        u"org.kde.StatusNotifierWatcher"_s, u"RegisteredStatusNotifierItems"_s)
        .toStringList();
}

// Waits for a child to print a line starting with `prefix`; returns the rest of it.
std::optional<QString> awaitLine(QProcess &process, const QByteArray &prefix)
{
    QByteArray seen;
    for (int i = 0; i < 100; ++i) {
        process.waitForReadyRead(100);
        seen += process.readAllStandardOutput();
        for (const QByteArray &line : seen.split('\n')) {
            if (line.startsWith(prefix)) return QString::fromUtf8(line.mid(prefix.size())).trimmed();
        }
    }
    return std::nullopt;
}

QString run(const QString &program, const QStringList &arguments)
{
    QProcess process;
    process.start(program, arguments);
    return process.waitForFinished(5000) ? QString::fromUtf8(process.readAllStandardOutput()) : QString();
}

// Whether the X server shows a top-level window of `size` ("WxH"); unmapped windows do not count.
bool windowShown(const QString &size)
{
    static const QRegularExpression child(u"^\\s*(0x[0-9a-f]+) .*\\s(\\d+x\\d+)\\+-?\\d+\\+-?\\d+"_s);
    for (const QString &line : run(u"xwininfo"_s, { u"-root"_s, u"-children"_s }).split(u'\n')) {
        const auto match = child.match(line);
        if (match.hasMatch() && match.captured(2) == size
            && run(u"xwininfo"_s, { u"-id"_s, match.captured(1) }).contains(u"IsViewable"_s))
            return true;
    }
    return false;
}

} // namespace

// Starts the real application under X against the replay server and reads its
// status item's label over the session bus, as a desktop's panel would.
class TestSmoke : public QObject {
    Q_OBJECT

    QTemporaryDir m_home;
    QProcess m_replay;
    QProcess m_watcher;

    QProcessEnvironment applicationEnvironment(const QString &endpoint) const
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(u"BASELARK_ENDPOINT"_s, endpoint);
        env.insert(u"XDG_CONFIG_HOME"_s, m_home.filePath(u"config"_s));
        env.insert(u"XDG_RUNTIME_DIR"_s, m_home.path());
        env.insert(u"TZ"_s, u"America/New_York"_s);
        env.remove(u"QT_QPA_PLATFORM"_s);
        return env;
    }

private Q_SLOTS:
    void initTestCase()
    {
        if (qEnvironmentVariableIsEmpty("DISPLAY")) QSKIP("needs an X display (scripts/run-tests starts Xvfb)");
        QVERIFY(QDBusConnection::sessionBus().isConnected());
        QVERIFY(QFile::setPermissions(m_home.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));

        m_replay.start(QStringLiteral(REPLAY_BINARY), { u"--dir"_s, QStringLiteral(BASELARK_SOURCE_DIR "/data/demo") });
        m_watcher.start(QStringLiteral(WATCHER_BINARY));
        QVERIFY(awaitLine(m_watcher, "ready"));
        QVERIFY(m_watcher.state() == QProcess::Running);
    }

    void cleanupTestCase()
    {
        for (QProcess *process : { &m_replay, &m_watcher }) {
            process->terminate();
            process->waitForFinished(5000);
        }
    }

    void labelOverDBusAndSingleInstance()
    {
        const QString endpoint = awaitLine(m_replay, "listening on ").value_or(QString());
        QVERIFY(!endpoint.isEmpty());

        QProcess first;
        first.setProcessEnvironment(applicationEnvironment(endpoint));
        first.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        first.start(QStringLiteral(BASELARK_BINARY));
        QVERIFY(first.waitForStarted());

        QTRY_COMPARE_WITH_TIMEOUT(registeredItems().size(), 1, 20000);
        const QString item = registeredItems().first().section(u'/', 0, 0);
        const auto label = [&] {
            return dbusProperty(item, u"/StatusNotifierItem"_s, u"org.kde.StatusNotifierItem"_s, u"XAyatanaLabel"_s)
                .toString();
        };
        // The demo answers today with a spring day on which Boston visits the Yankees at 17:05 UTC.
        QTRY_COMPARE_WITH_TIMEOUT(label(), u"BOS @ NYY 1:05 PM"_s, 20000);
        QCOMPARE(dbusProperty(item, u"/StatusNotifierItem"_s, u"org.kde.StatusNotifierItem"_s, u"Title"_s).toString(),
            label());

        // A second copy for the same user leaves at once, silently.
        QProcess second;
        second.setProcessEnvironment(applicationEnvironment(endpoint));
        second.start(QStringLiteral(BASELARK_BINARY));
        QVERIFY(second.waitForFinished(20000));
        QCOMPARE(second.exitStatus(), QProcess::NormalExit);
        QCOMPARE(second.exitCode(), 0);
        QCOMPARE(registeredItems().size(), 1);
        QCOMPARE(first.state(), QProcess::Running);

        // A click on the item, as the panel reports it, maps the window under the click.
        QVERIFY(!windowShown(u"320x500"_s));
        const QDBusMessage activated
            = busCall(item, u"/StatusNotifierItem"_s, u"org.kde.StatusNotifierItem"_s, u"Activate"_s, { 600, 10 });
        QCOMPARE(activated.type(), QDBusMessage::ReplyMessage);
        QTRY_VERIFY_WITH_TIMEOUT(windowShown(u"320x500"_s), 10000);

        // "Quit" in the item's menu ends the process normally.
        busCall(item, u"/MenuBar"_s, u"com.canonical.dbusmenu"_s, u"Event"_s,
            { 2, u"clicked"_s, QVariant::fromValue(QDBusVariant(0)), 0u });
        QVERIFY(first.waitForFinished(10000));
        QCOMPARE(first.exitStatus(), QProcess::NormalExit);
        QCOMPARE(first.exitCode(), 0);
    }
};

QTEST_GUILESS_MAIN(TestSmoke)
#include "tst_smoke.moc"
