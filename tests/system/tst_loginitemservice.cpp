#include "system/loginitemservice.h"
#include "testdata.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {

using Status = LoginItemService::Status;

// Entries name the program as the placeholder @; tests put in a path of their own.
QByteArray ourEntry(const QByteArray &extra = {})
{
    return "[Desktop Entry]\nType=Application\nName=Baselark\nExec=@\nX-Baselark-Autostart=true\n" + extra;
}

const QByteArray usersOwnEntry = "[Desktop Entry]\nType=Application\nName=Baselark\nExec=@ --debug\n";

} // namespace

// Start on login over an autostart folder in a temporary directory.
class TestLoginItemService : public QObject {
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> m_dir;
    QString m_folder;
    QString m_entry;
    QString m_program; // an executable file standing in for the installed program

    std::unique_ptr<LoginItemService> service(std::optional<QString> executable = QString())
    {
        if (executable && executable->isEmpty()) executable = m_program;
        return std::make_unique<LoginItemService>(m_folder, std::move(executable), nullptr);
    }

    void writeEntry(QByteArray bytes, const QString &program = {})
    {
        QVERIFY(QDir().mkpath(m_folder));
        QVERIFY(writeFile(m_entry,
            bytes.replace('@', LoginItemService::execValue(program.isEmpty() ? m_program : program).toUtf8())));
    }

private Q_SLOTS:
    void init()
    {
        m_dir = std::make_unique<QTemporaryDir>();
        m_folder = m_dir->filePath(u"config/autostart"_s);
        m_entry = m_folder + u"/io.github.baselark.Baselark.desktop"_s;
        m_program = m_dir->filePath(u"baselark"_s);
        QVERIFY(writeFile(m_program, "#!/bin/sh\n"));
        QVERIFY(QFile::setPermissions(m_program, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
    }

    void statusText_data()
    {
        QTest::addColumn<QByteArray>("entry"); // empty: no file
        QTest::addColumn<bool>("stableExecutable");
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("text");
        const QString on = u"Baselark will open automatically when you log in"_s;
        const QString approve = u"Approve Baselark in Startup Applications to finish enabling start on login"_s;
        const int awaiting = int(Status::RequiresApproval);
        QTest::newRow("no entry") << QByteArray() << true << int(Status::NotRegistered)
                                  << u"Open Baselark automatically when you log in"_s;
        QTest::newRow("our entry") << ourEntry() << true << int(Status::Enabled) << on;
        QTest::newRow("hidden by the desktop") << ourEntry("Hidden=true\n") << true << awaiting << approve;
        QTest::newRow("switched off in GNOME")
            << ourEntry("X-GNOME-Autostart-enabled=false\n") << true << awaiting << approve;
        QTest::newRow("Hidden in an action group does not count")
            << ourEntry("[Desktop Action x]\nHidden=true\n") << true << int(Status::Enabled) << on;
        QTest::newRow("no stable executable")
            << QByteArray() << false << int(Status::NotFound)
            << u"Install Baselark to start it on login: this copy runs from a temporary or build folder"_s;
    }

    void statusText()
    {
        QFETCH(QByteArray, entry);
        QFETCH(bool, stableExecutable);
        if (!entry.isEmpty()) writeEntry(entry);
        auto login = service(stableExecutable ? std::optional(m_program) : std::nullopt);
        QFETCH(int, status);
        QFETCH(QString, text);
        QCOMPARE(int(login->status()), status);
        QCOMPARE(login->loginStatusText(), text);
        QCOMPARE(login->isEnabled(), login->status() == Status::Enabled || login->status() == Status::RequiresApproval);
    }

    void unreadableEntryIsUnavailable()
    {
        QVERIFY(QDir().mkpath(m_entry)); // a folder where the file should be
        auto login = service();
        QCOMPARE(login->status(), Status::Unknown);
        QCOMPARE(login->loginStatusText(), u"Start on login status is unavailable"_s);
        login->setEnabled(true);
        QVERIFY(QFileInfo(m_entry).isDir());
        QVERIFY(login->errorMessage());
    }

    void switchingOnWritesOurEntry()
    {
        // Read back, the quoted path must name the program again, or the entry would count as broken.
        QVERIFY(QDir().mkpath(m_dir->filePath(u"My \"Apps\""_s)));
        const QString program = m_dir->filePath(u"My \"Apps\"/baselark"_s);
        QVERIFY(QFile::copy(m_program, program));
        auto login = std::make_unique<LoginItemService>(m_folder, program, nullptr);
        login->setEnabled(true);
        QCOMPARE(login->status(), Status::Enabled);
        const QByteArray text = readFile(m_entry);
        QVERIFY(text.startsWith("[Desktop Entry]\n"));
        QVERIFY(text.contains(
            "\nExec=\"" + QFileInfo(program).path().chopped(6).toUtf8() + "\\\\\"Apps\\\\\"/baselark\"\n"));
        QVERIFY(text.contains("\nX-Baselark-Autostart=true\n"));
    }

    void switchingOnWhileOnWritesNothingAndClearsTheError()
    {
        // A folder that cannot be made: a file stands where its parent should be.
        QVERIFY(writeFile(m_dir->filePath(u"config"_s), "not a folder"));
        auto login = service();
        login->setEnabled(true);
        QCOMPARE(login->status(), Status::NotRegistered);
        QVERIFY(login->errorMessage());
        QVERIFY(login->loginStatusText().startsWith(u"Could not update start on login: "_s));
        QVERIFY(login->loginStatusText().contains(m_folder));

        QVERIFY(QFile::remove(m_dir->filePath(u"config"_s)));
        writeEntry(ourEntry("# kept as it is\n"));
        const QByteArray handWritten = readFile(m_entry);
        login->refresh();
        QSignalSpy changed(login.get(), &LoginItemService::changed);
        login->setEnabled(true);
        QCOMPARE(changed.size(), 1);
        QVERIFY(!login->errorMessage());
        QCOMPARE(login->status(), Status::Enabled);
        QCOMPARE(readFile(m_entry), handWritten);
    }

    // Switching off removes our entry, also while it awaits approval, and never the user's own.
    void switchingOffRemovesOnlyOurEntry()
    {
        writeEntry(ourEntry("Hidden=true\n"));
        auto login = service();
        QVERIFY(login->isEnabled());
        login->setEnabled(false);
        QVERIFY(!QFile::exists(m_entry));
        QCOMPARE(login->status(), Status::NotRegistered);
        QVERIFY(!login->errorMessage());

        writeEntry(usersOwnEntry);
        const QByteArray users = readFile(m_entry);
        login->refresh();
        QCOMPARE(login->status(), Status::Enabled);
        login->setEnabled(false);
        QCOMPARE(readFile(m_entry), users);
        QCOMPARE(login->status(), Status::Enabled);
        QVERIFY(login->loginStatusText().startsWith(u"Could not update start on login: "_s));
    }

    void usersOwnEntryIsNeverOverwritten()
    {
        // The user writes an entry of the same name after the service last looked.
        auto login = service();
        writeEntry(usersOwnEntry);
        const QByteArray users = readFile(m_entry);
        login->setEnabled(true);
        QCOMPARE(readFile(m_entry), users);
        QVERIFY(login->errorMessage() && login->errorMessage()->endsWith(u"was not made by Baselark"_s));
    }

    // A copy without a fixed place, or a path an entry cannot name, is never written.
    void programsThatCannotRegister()
    {
        auto unplaced = service(std::nullopt);
        unplaced->setEnabled(true);
        QCOMPARE(unplaced->status(), Status::NotFound);
        QVERIFY(!unplaced->isEnabled() && unplaced->errorMessage());
        auto percent = service(u"/opt/100%/baselark"_s);
        percent->setEnabled(true);
        QCOMPARE(percent->status(), Status::NotRegistered);
        QVERIFY(percent->loginStatusText().contains(u"/opt/100%/baselark contains a \"%\""_s));
        QVERIFY(!QFile::exists(m_entry));
    }

    void execValue_data()
    {
        QTest::addColumn<QString>("program");
        QTest::addColumn<QString>("value");
        QTest::newRow("plain") << u"/usr/bin/baselark"_s << u"/usr/bin/baselark"_s;
        QTest::newRow("space") << u"/opt/My Apps/baselark"_s << u"\"/opt/My Apps/baselark\""_s;
        QTest::newRow("percent, unquoted") << u"/opt/100%/baselark"_s << u"/opt/100%%/baselark"_s;
        QTest::newRow("dollar and backtick") << u"/opt/$x`y/b"_s << u"\"/opt/\\\\$x\\\\`y/b\""_s;
        QTest::newRow("backslash") << u"/opt/a\\b"_s << u"\"/opt/a\\\\\\\\b\""_s;
        QTest::newRow("newline") << u"/opt/a\nb"_s << u"\"/opt/a\\nb\""_s;
    }

    void execValue()
    {
        QFETCH(QString, program);
        QFETCH(QString, value);
        QCOMPARE(LoginItemService::execValue(program), value);
        QCOMPARE(LoginItemService::execProgram(value + u" --flag"_s), program);
    }

    void entryWhoseProgramIsGone_data()
    {
        QTest::addColumn<QByteArray>("entry");
        QTest::addColumn<bool>("stableExecutable");
        QTest::addColumn<bool>("repointed");
        QTest::newRow("ours: follows this copy")
            << ourEntry("X-GNOME-Autostart-enabled=false\n[Desktop Action x]\nExec=other\n") << true << true;
        QTest::newRow("ours, this copy has no fixed place") << ourEntry() << false << false;
        QTest::newRow("the user's own: left alone") << usersOwnEntry << true << false;
    }

    void entryWhoseProgramIsGone()
    {
        QFETCH(QByteArray, entry);
        QFETCH(bool, stableExecutable);
        QFETCH(bool, repointed);
        const QString gone = m_dir->filePath(u"moved away/baselark"_s);
        writeEntry(entry, gone);
        const QByteArray before = readFile(m_entry);
        auto login = service(stableExecutable ? std::optional(m_program) : std::nullopt);
        QVERIFY(login->isEnabled());
        QCOMPARE(readFile(m_entry),
            repointed ? QByteArray(before).replace(LoginItemService::execValue(gone).toUtf8(), m_program.toUtf8())
                      : before);
        QCOMPARE(login->loginStatusText() == u"Baselark will not start on login: %1 no longer exists"_s.arg(gone),
            !repointed);
        // The program comes back: the status line says so at the next look.
        QVERIFY(QDir().mkpath(QFileInfo(gone).path()));
        QVERIFY(QFile::copy(m_program, gone));
        QSignalSpy changed(login.get(), &LoginItemService::changed);
        login->refresh();
        QCOMPARE(changed.size(), repointed ? 0 : 1);
        QVERIFY(!login->loginStatusText().contains(u"not start"_s));
    }

    void stableExecutablePath_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("appImage");
        QTest::addColumn<QString>("appDir");
        QTest::addColumn<QString>("expected"); // empty: none
        const QString mount = u"/tmp/.mount_BaselaXYZ"_s;
        const QString image = u"/home/u/Baselark.AppImage"_s;
        QTest::newRow("installed") << u"/usr/bin/baselark"_s << QString() << QString() << u"/usr/bin/baselark"_s;
        QTest::newRow("temporary folder") << u"/tmp/x/baselark"_s << QString() << QString() << QString();
        QTest::newRow("runtime folder") << u"/run/user/1000/baselark"_s << QString() << QString() << QString();
        QTest::newRow("folder named like tmp")
            << u"/tmpfoo/baselark"_s << QString() << QString() << u"/tmpfoo/baselark"_s;
        QTest::newRow("AppImage without $APPIMAGE")
            << u"/home/u/.mount_BaselaXYZ/usr/bin/baselark"_s << QString() << QString() << QString();
        QTest::newRow("AppImage") << mount + u"/usr/bin/baselark"_s << image << mount << image;
        QTest::newRow("AppImage, no $APPDIR") << mount + u"/usr/bin/baselark"_s << image << QString() << image;
        QTest::newRow("extracted AppImage under $APPDIR")
            << u"/home/u/squashfs-root/usr/bin/baselark"_s << image << u"/home/u/squashfs-root/"_s << image;
        // Started from a terminal inside another AppImage: its variables are inherited, not ours.
        QTest::newRow("installed, another AppImage's $APPIMAGE")
            << u"/usr/bin/baselark"_s << u"/home/u/Other.AppImage"_s << u"/tmp/.mount_OtherXYZ"_s
            << u"/usr/bin/baselark"_s;
        QTest::newRow("$APPDIR a look-alike prefix")
            << u"/opt/appx/baselark"_s << u"/home/u/Other.AppImage"_s << u"/opt/app"_s << u"/opt/appx/baselark"_s;
        QTest::newRow("build tree") << QCoreApplication::applicationFilePath() << QString() << QString() << QString();
        QTest::newRow("relative") << u"bin/baselark"_s << QString() << QString() << QString();
    }

    void stableExecutablePath()
    {
        QFETCH(QString, path);
        QFETCH(QString, appImage);
        QFETCH(QString, appDir);
        QFETCH(QString, expected);
        const auto found
            = LoginItemService::stableExecutablePath(path, appImage, appDir, { u"/tmp"_s, u"/run/user/1000/"_s });
        QCOMPARE(found.value_or(QString()), expected);
    }

    void startupSettingsCommand_data()
    {
        QTest::addColumn<QString>("desktop");
        QTest::addColumn<QStringList>("installed");
        QTest::addColumn<QStringList>("command"); // empty: open the folder
        QTest::newRow("Ubuntu GNOME, Tweaks only")
            << u"ubuntu:GNOME"_s << QStringList { u"gnome-tweaks"_s } << QStringList { u"gnome-tweaks"_s };
        QTest::newRow("GNOME prefers the session properties")
            << u"GNOME"_s << QStringList { u"gnome-tweaks"_s, u"gnome-session-properties"_s }
            << QStringList { u"gnome-session-properties"_s };
        QTest::newRow("GNOME without either") << u"GNOME"_s << QStringList() << QStringList();
        QTest::newRow("unknown desktop") << u"Sway"_s << QStringList { u"gnome-tweaks"_s } << QStringList();
    }

    void startupSettingsCommand()
    {
        QFETCH(QString, desktop);
        QFETCH(QStringList, installed);
        const auto found = LoginItemService::startupSettingsCommand(
            desktop, [&installed](const QString &name) { return installed.contains(name); });
        QFETCH(QStringList, command);
        QCOMPARE(found.value_or(QStringList()), command);
    }
};

QTEST_GUILESS_MAIN(TestLoginItemService)
#include "tst_loginitemservice.moc"
