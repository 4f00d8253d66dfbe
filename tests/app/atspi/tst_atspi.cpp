#include "childoutput.h"
#include "testdata.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {

// Runs the AT-SPI reader on the running application; its output, or nothing when it failed.
QByteArray reader(const QStringList &arguments)
{
    QProcess process;
    process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    process.start(u"/usr/bin/python3"_s,
        QStringList { QStringLiteral(BASELARK_SOURCE_DIR "/tests/app/atspi/atspitree.py"), u"baselark"_s } + arguments);
    if (!process.waitForFinished(60000) || process.exitCode() != 0) return {};
    return process.readAllStandardOutput();
}

QJsonObject tree()
{
    return QJsonDocument::fromJson(reader({ u"dump"_s })).object();
}

QJsonObject focused()
{
    return QJsonDocument::fromJson(reader({ u"focused"_s })).object();
}

bool has(const QJsonObject &node, const QString &key, const QString &value)
{
    return node[key].toArray().contains(value);
}

// The nodes on screen with the role, in tree order.
QList<QJsonObject> shown(const QJsonObject &node, const QString &role)
{
    QList<QJsonObject> found;
    if (!has(node, u"states"_s, u"showing"_s) && node[u"role"_s] != u"application"_s) return found;
    if (node[u"role"_s] == role) found << node;
    for (const QJsonValue child : node[u"children"_s].toArray())
        found << shown(child.toObject(), role);
    return found;
}

QStringList names(const QJsonObject &root, const QString &role)
{
    QStringList result;
    for (const QJsonObject &node : shown(root, role))
        result << node[u"name"_s].toString();
    return result;
}

// Controls and tables on screen that a screen reader could only call by their role.
int unnamed(const QJsonObject &root)
{
    int count = 0;
    for (const QString &role : { u"push button"_s, u"page tab"_s, u"radio button"_s, u"check box"_s, u"combo box"_s,
             u"list item"_s, u"table"_s, u"dialog"_s })
        count += int(names(root, role).count(QString()));
    return count;
}

} // namespace

// The real window on the demo day, read over AT-SPI as a screen reader reads it, and worked by the actions a
// screen reader offers and by the keyboard alone.
class TestAtSpi : public QObject {
    Q_OBJECT

    QTemporaryDir m_home;
    QProcess m_replay;
    QProcess m_app;

    void press(const QString &role, const QString &name)
    {
        QProcess process;
        process.start(u"/usr/bin/python3"_s,
            { QStringLiteral(BASELARK_SOURCE_DIR "/tests/app/atspi/atspitree.py"), u"baselark"_s, u"press"_s, role,
                name });
        QVERIFY(process.waitForFinished(60000));
        QVERIFY2(process.exitCode() == 0, process.readAllStandardError().constData());
    }

    void key(const QString &name)
    {
        QProcess xdotool;
        xdotool.start(u"xdotool"_s,
            { u"search"_s, u"--onlyvisible"_s, u"--name"_s, u"^Baselark$"_s, u"key"_s, u"--window"_s, u"%1"_s, name });
        QVERIFY(xdotool.waitForFinished(5000));
    }

private Q_SLOTS:
    void initTestCase()
    {
        if (qEnvironmentVariableIsEmpty("DISPLAY")) QSKIP("needs an X display (scripts/run-tests starts Xvfb)");
        QProcess probe;
        probe.start(u"/usr/bin/python3"_s, { u"-c"_s, u"import pyatspi"_s });
        QVERIFY2(probe.waitForFinished(20000) && probe.exitCode() == 0, "python3-pyatspi is missing");
        QVERIFY(QFile::setPermissions(m_home.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
        // The alert about running from a build tree, already seen, and an update found would take the focus from
        // the window.
        QVERIFY(QDir().mkpath(m_home.filePath(u"config/baselark"_s)));
        QVERIFY(writeFile(m_home.filePath(u"config/baselark/baselark.ini"_s),
            "[General]\ninstallLocationWarnedVersion=" BASELARK_VERSION "\nautomaticallyChecksForUpdates=false\n"));

        m_replay.start(QStringLiteral(REPLAY_BINARY), { u"--dir"_s, QStringLiteral(BASELARK_SOURCE_DIR "/data/demo") });
        const QString endpoint = awaitLine(m_replay, "listening on ").value_or(QString());
        QVERIFY(!endpoint.isEmpty());
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(u"BASELARK_ENDPOINT"_s, endpoint);
        env.insert(u"XDG_CONFIG_HOME"_s, m_home.filePath(u"config"_s));
        env.insert(u"XDG_DATA_HOME"_s, m_home.filePath(u"data"_s));
        env.insert(u"XDG_RUNTIME_DIR"_s, m_home.path());
        // Qt answers assistive technology once the accessibility bus is up, without waiting for a screen reader.
        env.insert(u"QT_LINUX_ACCESSIBILITY_ALWAYS_ON"_s, u"1"_s);
        env.remove(u"QT_QPA_PLATFORM"_s);
        m_app.setProcessEnvironment(env);
        m_app.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        m_app.start(QStringLiteral(BASELARK_BINARY));
        QVERIFY(m_app.waitForStarted());

        // The window opens as it does for a panel without a status area. Not through QTRY_VERIFY: it evaluates
        // its expression again after success, and two more toggles leave the window shown but inactive.
        const auto toggled = [&] {
            QProcess toggle;
            toggle.setProcessEnvironment(env);
            toggle.start(QStringLiteral(BASELARK_BINARY), { u"--toggle"_s });
            return toggle.waitForFinished(5000) && toggle.exitCode() == 0;
        };
        QDeadlineTimer deadline(20000);
        while (!toggled() && !deadline.hasExpired())
            QTest::qWait(100);
        QVERIFY(!deadline.hasExpired());
    }

    void cleanupTestCase()
    {
        for (QProcess *process : { &m_app, &m_replay }) {
            process->terminate();
            process->waitForFinished(5000);
        }
    }

    // Today, Boston at New York live, No Spoilers Mode on.
    void demoDay()
    {
        // The schedule: thirteen games named by clubs and state, the live one first and without its score.
        QJsonObject root;
        QTRY_VERIFY_WITH_TIMEOUT((root = tree(), names(root, u"list item"_s).size() == 13), 30000);
        QCOMPARE(unnamed(root), 0);
        QCOMPARE(names(root, u"page tab"_s), QStringList({ u"Schedule"_s, u"Standings"_s, u"Settings"_s }));
        QVERIFY(has(shown(root, u"page tab"_s).first(), u"states"_s, u"selected"_s));
        for (const QString &button :
            { u"Previous day"_s, u"Next day"_s, u"Open box score"_s, u"Hide details"_s, u"Show Score"_s, u"Quit"_s })
            QVERIFY2(names(root, u"push button"_s).contains(button), qPrintable(button));
        const QStringList games = names(root, u"list item"_s);
        static const QRegularExpression live(
            u"^Boston Red Sox at New York Yankees, (top|bottom|middle|end) of the \\d+(st|nd|rd|th)$"_s);
        QVERIFY2(live.match(games.first()).hasMatch(), qPrintable(games.first()));
        QVERIFY(names(root, u"panel"_s).contains(u"Boston Red Sox at New York Yankees"_s));

        // The box score: its tables, the focus on the way back; back again, the focus on the game.
        press(u"push button"_s, u"Open box score"_s);
        QTRY_VERIFY_WITH_TIMEOUT((root = tree(), names(root, u"table"_s).contains(u"BOS BATTING"_s)), 30000);
        QCOMPARE(names(root, u"table"_s).first(), u"Line score"_s);
        QCOMPARE(unnamed(root), 0);
        QCOMPARE(focused()[u"name"_s].toString(), u"Schedule"_s);
        press(u"push button"_s, u"Schedule"_s);
        QTRY_COMPARE_WITH_TIMEOUT(focused()[u"name"_s].toString(), games.first(), 10000);

        // Down selects the next game and takes the focus to it.
        key(u"Down"_s);
        QTRY_COMPARE_WITH_TIMEOUT(focused()[u"name"_s].toString(), games.at(1), 10000);
        QVERIFY(has(focused(), u"states"_s, u"selected"_s));

        // The calendar: a table of the month's days named by their full date, today's holding the focus.
        press(u"push button"_s, u"Today"_s);
        QTRY_VERIFY_WITH_TIMEOUT((root = tree(), names(root, u"dialog"_s) == QStringList { u"Pick a date"_s }), 10000);
        const QJsonObject month = shown(root, u"table"_s).first();
        QCOMPARE(month[u"table"_s][u"rows"_s].toInt(), 6);
        QCOMPARE(shown(month, u"table cell"_s).size(), 42);
        QCOMPARE(shown(month, u"table column header"_s).size(), 7);
        QVERIFY(names(root, u"push button"_s).contains(u"Next month"_s));
        QCOMPARE(unnamed(root), 0);
        QCOMPARE(focused()[u"role"_s].toString(), u"table cell"_s);
        QCOMPARE(focused()[u"description"_s].toString(), u"Today"_s);
        key(u"Escape"_s);

        // Standings: a table per division, and the Division and Wild Card radio buttons.
        press(u"page tab"_s, u"Standings"_s);
        QTRY_VERIFY_WITH_TIMEOUT((root = tree(), shown(root, u"table"_s).size() == 6), 30000);
        QCOMPARE(names(root, u"radio button"_s), QStringList({ u"Division"_s, u"Wild Card"_s }));
        QCOMPARE(shown(root, u"table"_s).first()[u"table"_s][u"columns"_s].toInt(), 7);
        QCOMPARE(unnamed(root), 0);

        // Settings: the favourite club's picker is labelled.
        press(u"page tab"_s, u"Settings"_s);
        QTRY_VERIFY_WITH_TIMEOUT((root = tree(), !shown(root, u"combo box"_s).isEmpty()), 10000);
        const QJsonArray relations = shown(root, u"combo box"_s).first()[u"relations"_s].toArray();
        QVERIFY(relations.contains(
            QJsonObject { { u"type"_s, u"labelled by"_s }, { u"targets"_s, QJsonArray { u"My Team"_s } } }));
        QCOMPARE(unnamed(root), 0);
    }
};

QTEST_GUILESS_MAIN(TestAtSpi)
#include "tst_atspi.moc"
