#include "app/commandline.h"

#include <QProcess>
#include <QTest>

using namespace Qt::StringLiterals;

Q_DECLARE_METATYPE(CommandLine::Mode)

// Parsing the command line, and the installed program answering on a terminal without a display.
class TestCommandLine : public QObject {
    Q_OBJECT

    struct Outcome {
        int exitCode = -1;
        QString out;
        QString err;
    };

    // The binary with no display of any kind, as from a text console or an ssh session.
    static Outcome runBinary(const QStringList &arguments)
    {
        QProcess process;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        for (const QString &name : { u"DISPLAY"_s, u"WAYLAND_DISPLAY"_s, u"QT_QPA_PLATFORM"_s })
            environment.remove(name);
        process.setProcessEnvironment(environment);
        process.start(QStringLiteral(BASELARK_BINARY), arguments);
        if (!process.waitForFinished(20000)) return {};
        return { process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1,
            QString::fromUtf8(process.readAllStandardOutput()), QString::fromUtf8(process.readAllStandardError()) };
    }

private Q_SLOTS:
    void parses_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<CommandLine::Mode>("mode");
        QTest::addColumn<QString>("endpoint");
        QTest::addColumn<QString>("errorMentions");
        using Mode = CommandLine::Mode;

        QTest::newRow("nothing") << QStringList {} << Mode::Run << QString() << QString();
        QTest::newRow("--help") << QStringList { u"--help"_s } << Mode::Help << QString() << QString();
        QTest::newRow("-h") << QStringList { u"-h"_s } << Mode::Help << QString() << QString();
        QTest::newRow("--version") << QStringList { u"--version"_s } << Mode::Version << QString() << QString();
        QTest::newRow("help wins over version")
            << QStringList { u"--version"_s, u"--help"_s } << Mode::Help << QString() << QString();
        QTest::newRow("endpoint") << QStringList { u"--endpoint"_s, u"http://127.0.0.1:8080"_s } << Mode::Run
                                  << u"http://127.0.0.1:8080"_s << QString();
        QTest::newRow("endpoint with =") << QStringList { u"--endpoint=https://localhost:8443/"_s } << Mode::Run
                                         << u"https://localhost:8443/"_s << QString();
        QTest::newRow("endpoint not http") << QStringList { u"--endpoint"_s, u"ftp://127.0.0.1:21"_s } << Mode::Error
                                           << QString() << u"ftp://127.0.0.1:21"_s;
        QTest::newRow("endpoint with a path") << QStringList { u"--endpoint"_s, u"http://127.0.0.1:8080/api"_s }
                                              << Mode::Error << QString() << u"--endpoint"_s;
        QTest::newRow("endpoint not a URL")
            << QStringList { u"--endpoint"_s, u"localhost"_s } << Mode::Error << QString() << u"localhost"_s;
        QTest::newRow("endpoint without value")
            << QStringList { u"--endpoint"_s } << Mode::Error << QString() << u"--endpoint"_s;
        QTest::newRow("unknown option") << QStringList { u"--bogus"_s } << Mode::Error << QString() << u"bogus"_s;
        QTest::newRow("unknown short option") << QStringList { u"-x"_s } << Mode::Error << QString() << u"x"_s;
        QTest::newRow("stray argument") << QStringList { u"today"_s } << Mode::Error << QString() << u"today"_s;
        QTest::newRow("Qt's own option passes through")
            << QStringList { u"-platform"_s, u"offscreen"_s } << Mode::Run << QString() << QString();
        QTest::newRow("--status") << QStringList { u"--status"_s } << Mode::Status << QString() << QString();
        QTest::newRow("--follow --format waybar")
            << QStringList { u"--follow"_s, u"--format"_s, u"waybar"_s } << Mode::Follow << QString() << QString();
        QTest::newRow("two client modes")
            << QStringList { u"--status"_s, u"--toggle"_s } << Mode::Error << QString() << u"--toggle"_s;
        QTest::newRow("--format without --follow")
            << QStringList { u"--format"_s, u"waybar"_s } << Mode::Error << QString() << u"--follow"_s;
        QTest::newRow("unknown format") << QStringList { u"--follow"_s, u"--format"_s, u"i3bar"_s } << Mode::Error
                                        << QString() << u"i3bar"_s;
        QTest::newRow("session restore passes through")
            << QStringList { u"-session"_s, u"10d2f3a"_s } << Mode::Run << QString() << QString();
    }

    void parses()
    {
        QFETCH(QStringList, arguments);
        QFETCH(CommandLine::Mode, mode);
        QFETCH(QString, endpoint);
        QFETCH(QString, errorMentions);

        const CommandLine parsed = parseCommandLine(QStringList { u"baselark"_s } + arguments);
        QCOMPARE(parsed.mode, mode);
        QCOMPARE(parsed.endpoint.value_or(QString()), endpoint);
        if (!errorMentions.isEmpty()) QVERIFY2(parsed.error.contains(errorMentions), qPrintable(parsed.error));
        QVERIFY(!parsed.error.contains(u'\n'));
    }

    void binaryAnswersWithoutADisplay_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QString>("out");
        QTest::addColumn<QString>("errStartsWith");

        QTest::newRow("--version") << QStringList { u"--version"_s } << 0
                                   << u"baselark " BASELARK_PROJECT_VERSION "\n"_s << QString();
        QTest::newRow("unknown option") << QStringList { u"--bogus"_s } << 2 << QString()
                                        << u"baselark: Unknown option 'bogus'."_s;
        QTest::newRow("bad endpoint") << QStringList { u"--endpoint"_s, u"nowhere"_s } << 2 << QString()
                                      << u"baselark: --endpoint needs"_s;
    }

    void binaryAnswersWithoutADisplay()
    {
        QFETCH(QStringList, arguments);
        QFETCH(int, exitCode);
        QFETCH(QString, out);
        QFETCH(QString, errStartsWith);

        const Outcome outcome = runBinary(arguments);
        QCOMPARE(outcome.exitCode, exitCode);
        QCOMPARE(outcome.out, out);
        if (errStartsWith.isEmpty()) {
            QCOMPARE(outcome.err, QString());
        } else {
            QVERIFY2(outcome.err.startsWith(errStartsWith), qPrintable(outcome.err));
            QCOMPARE(outcome.err.count(u'\n'), 1);
        }
    }

    void binaryPrintsHelp()
    {
        const Outcome outcome = runBinary({ u"--help"_s });
        QCOMPARE(outcome.exitCode, 0);
        QVERIFY2(outcome.out.startsWith(u"Usage: "_s), qPrintable(outcome.out));
        for (const QString &option : { u"--help"_s, u"--version"_s, u"--endpoint <URL>"_s })
            QVERIFY2(outcome.out.contains(option), qPrintable(outcome.out));
        // Qt's pass-through options are not the program's to document.
        QVERIFY(!outcome.out.contains(u"-platform"_s));
    }

    void endpointReachesTheServices()
    {
        qunsetenv("BASELARK_ENDPOINT");
        QByteArray program = "baselark", option = "--endpoint=http://127.0.0.1:9";
        char *argv[] = { program.data(), option.data() };
        QVERIFY(!handleCommandLine(2, argv));
        QCOMPARE(qgetenv("BASELARK_ENDPOINT"), "http://127.0.0.1:9");
    }
};

QTEST_GUILESS_MAIN(TestCommandLine)
#include "tst_commandline.moc"
