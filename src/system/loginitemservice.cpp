#include "system/loginitemservice.h"

#include "system/installlocation.h"

#include <QCoreApplication>
#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QSaveFile>
#include <QStandardPaths>
#include <QUrl>
#include <algorithm>
#include <utility>

using namespace Qt::StringLiterals;

namespace {

struct EntryFacts {
    bool ours = false;
    bool disabled = false;
    QString exec;
};

bool isTrue(const QString &value)
{
    return value == u"true"_s || value == u"1"_s;
}

bool isFalse(const QString &value)
{
    return value == u"false"_s || value == u"0"_s;
}

// Only the keys of the [Desktop Entry] group count; actions and other groups may repeat them.
EntryFacts readEntry(const QByteArray &bytes)
{
    EntryFacts facts;
    bool inMainGroup = false;
    for (const QString &rawLine : QString::fromUtf8(bytes).split(u'\n')) {
        const QString line = rawLine.trimmed();
        if (line.isEmpty() || line.startsWith(u'#')) continue;
        if (line.startsWith(u'[')) {
            inMainGroup = line == u"[Desktop Entry]"_s;
            continue;
        }
        const qsizetype equals = line.indexOf(u'=');
        if (!inMainGroup || equals < 0) continue;
        const QString key = line.left(equals).trimmed();
        const QString value = line.mid(equals + 1).trimmed();
        if (key == QLatin1StringView(LoginItemService::ownerKey))
            facts.ours = isTrue(value);
        else if (key == u"Hidden"_s && isTrue(value))
            facts.disabled = true;
        else if (key == u"X-GNOME-Autostart-enabled"_s && isFalse(value))
            facts.disabled = true;
        else if (key == u"Exec"_s)
            facts.exec = value;
    }
    return facts;
}

// Whether the session could start `program`: an executable file, or a name found on $PATH.
bool programExists(const QString &program)
{
    if (program.isEmpty()) return false;
    if (!program.contains(u'/')) return !QStandardPaths::findExecutable(program).isEmpty();
    const QFileInfo info(program);
    return info.isAbsolute() && info.isFile() && info.isExecutable();
}

bool isReserved(QChar c)
{
    static const QString reserved = u" \t\n\"'\\><~|&;$*?#()`"_s;
    return reserved.contains(c);
}

void openStartupSettings(const QString &autostartFolder)
{
    const auto command = LoginItemService::startupSettingsCommand(qEnvironmentVariable("XDG_CURRENT_DESKTOP"),
        [](const QString &program) { return !QStandardPaths::findExecutable(program).isEmpty(); });
    if (command && QProcess::startDetached(command->first(), command->mid(1))) return;
    // Without a settings program the folder itself is the place where entries are switched on and off.
    QDir().mkpath(autostartFolder);
    QDesktopServices::openUrl(QUrl::fromLocalFile(autostartFolder));
}

} // namespace

LoginItemService::LoginItemService(
    QString autostartFolder, std::optional<QString> executablePath, SettingsOpener openSettings, QObject *parent)
    : QObject(parent)
    , m_autostartFolder(std::move(autostartFolder))
    , m_executablePath(std::move(executablePath))
    , m_openSettings(std::move(openSettings))
{
    m_status = readStatus();
}

LoginItemService &LoginItemService::shared()
{
    static LoginItemService service(
        QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) + u"/autostart"_s,
        stableExecutablePath(QCoreApplication::applicationFilePath(), qEnvironmentVariable("APPIMAGE"),
            qEnvironmentVariable("APPDIR"), temporaryFolders()),
        openStartupSettings);
    return service;
}

QString LoginItemService::entryPath() const
{
    return m_autostartFolder + u'/' + QLatin1StringView(fileName);
}

QString LoginItemService::loginStatusText() const
{
    if (m_errorMessage) return u"Could not update start on login: "_s + *m_errorMessage;
    if (m_missingProgram && isEnabled())
        return u"Baselark will not start on login: %1 no longer exists"_s.arg(
            m_missingProgram->isEmpty() ? u"the program to start"_s : *m_missingProgram);
    switch (m_status) {
    case Status::NotRegistered:
        return u"Open Baselark automatically when you log in"_s;
    case Status::Enabled:
        return u"Baselark will open automatically when you log in"_s;
    case Status::RequiresApproval:
        return u"Approve Baselark in Startup Applications to finish enabling start on login"_s;
    case Status::NotFound:
        return u"Install Baselark to start it on login: this copy runs from a temporary or build folder"_s;
    case Status::Unknown:
        break;
    }
    return u"Start on login status is unavailable"_s;
}

void LoginItemService::setEnabled(bool enabled)
{
    std::optional<QString> error;
    if (enabled != isEnabled()) error = enabled ? registerEntry() : unregisterEntry();
    m_errorMessage = std::move(error);
    m_status = readStatus();
    Q_EMIT changed();
}

void LoginItemService::refresh()
{
    const auto missingBefore = m_missingProgram;
    const Status status = readStatus();
    if (status == m_status && missingBefore == m_missingProgram) return;
    m_status = status;
    Q_EMIT changed();
}

void LoginItemService::openLoginItemsSettings()
{
    if (m_openSettings) m_openSettings(m_autostartFolder);
}

LoginItemService::Status LoginItemService::readStatus()
{
    m_missingProgram.reset();
    QFile file(entryPath());
    if (!file.exists()) return m_executablePath ? Status::NotRegistered : Status::NotFound;
    if (!file.open(QIODevice::ReadOnly)) return Status::Unknown;
    const QByteArray bytes = file.readAll();
    file.close();
    const EntryFacts facts = readEntry(bytes);
    // A moved or removed program leaves an entry that starts nothing; ours follows this copy, a user's stays.
    const QString program = execProgram(facts.exec);
    if (!programExists(program) && !(facts.ours && repointEntry(bytes))) m_missingProgram = program;
    // A user's own entry of this name starts Baselark as well, so it counts as on.
    return facts.disabled ? Status::RequiresApproval : Status::Enabled;
}

bool LoginItemService::repointEntry(const QByteArray &entry)
{
    if (!m_executablePath || !programExists(*m_executablePath) || m_executablePath->contains(u'%')) return false;
    // Only the Exec line changes: what the desktop or the user set in the entry stays.
    QStringList lines = QString::fromUtf8(entry).split(u'\n');
    bool inMainGroup = false;
    for (QString &line : lines) {
        const QString trimmed = line.trimmed();
        if (trimmed.startsWith(u'['))
            inMainGroup = trimmed == u"[Desktop Entry]"_s;
        else if (inMainGroup && trimmed.section(u'=', 0, 0).trimmed() == u"Exec"_s)
            line = u"Exec="_s + execValue(*m_executablePath);
    }
    QSaveFile file(entryPath());
    return file.open(QIODevice::WriteOnly) && file.write(lines.join(u'\n').toUtf8()) >= 0 && file.commit();
}

std::optional<QString> LoginItemService::registerEntry()
{
    if (!m_executablePath)
        return u"install Baselark to start it on login; this copy runs from a temporary or build folder"_s;
    // Written as the format says ("%%"), such an entry is still not started by gio or the systemd generator.
    if (m_executablePath->contains(u'%'))
        return u"%1 contains a \"%\", which desktop sessions cannot start; move Baselark to a folder without one"_s.arg(
            *m_executablePath);
    if (!QDir().mkpath(m_autostartFolder)) return u"cannot create the folder %1"_s.arg(m_autostartFolder);
    const QString path = entryPath();
    // Whatever stands there and is not ours stays as it is.
    QFile existing(path);
    if (existing.exists()) {
        if (!existing.open(QIODevice::ReadOnly)) return u"cannot read %1: %2"_s.arg(path, existing.errorString());
        if (!readEntry(existing.readAll()).ours) return u"%1 already exists and was not made by Baselark"_s.arg(path);
    }
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) return u"cannot write %1: %2"_s.arg(path, file.errorString());
    file.write(entryText().toUtf8());
    if (!file.commit()) return u"cannot write %1: %2"_s.arg(path, file.errorString());
    return std::nullopt;
}

std::optional<QString> LoginItemService::unregisterEntry()
{
    const QString path = entryPath();
    QFile file(path);
    if (!file.exists()) return std::nullopt;
    if (!file.open(QIODevice::ReadOnly)) return u"cannot read %1: %2"_s.arg(path, file.errorString());
    const bool ours = readEntry(file.readAll()).ours;
    file.close();
    if (!ours) return u"%1 was not made by Baselark; remove it in your startup applications settings"_s.arg(path);
    if (!file.remove()) return u"cannot remove %1: %2"_s.arg(path, file.errorString());
    return std::nullopt;
}

QString LoginItemService::entryText() const
{
    return u"[Desktop Entry]\n"
           "Type=Application\n"
           "Name=Baselark\n"
           "Comment=Baseball scores in the status area\n"
           "Exec=%1\n"
           "Icon=io.github.baselark.Baselark\n"
           "Terminal=false\n"
           "X-GNOME-Autostart-enabled=true\n"
           "%2=true\n"_s.arg(execValue(m_executablePath.value_or(QString())), QLatin1StringView(ownerKey));
}

std::optional<QString> LoginItemService::stableExecutablePath(const QString &applicationFilePath,
    const QString &appImage, const QString &appDir, const QStringList &temporaryFolders)
{
    const QString ownAppImage = trustedAppImage(applicationFilePath, appImage, appDir);
    if (!ownAppImage.isEmpty()) return QFileInfo(ownAppImage).absoluteFilePath();
    // An AppImage unpacks itself under a fresh mount point on every start.
    if (applicationFilePath.contains(u"/.mount_"_s)) return std::nullopt;
    if (applicationFilePath.isEmpty() || !QFileInfo(applicationFilePath).isAbsolute()) return std::nullopt;
    const QString path = QDir::cleanPath(applicationFilePath);
    for (const QString &folder : temporaryFolders) {
        if (!folder.isEmpty() && path.startsWith(QDir::cleanPath(folder) + u'/')) return std::nullopt;
    }
    if (isInBuildTree(path)) return std::nullopt;
    return path;
}

QString LoginItemService::execValue(const QString &program)
{
    QString argument;
    if (std::any_of(program.begin(), program.end(), isReserved)) {
        argument = u"\""_s;
        for (QChar c : program) {
            if (c == u'"' || c == u'`' || c == u'$' || c == u'\\') argument += u'\\';
            argument += c;
        }
        argument += u'"';
    } else {
        argument = program;
    }
    argument.replace(u"%"_s, u"%%"_s);
    // The general string escapes apply to the whole value on top of the quoting.
    QString value;
    for (QChar c : argument) {
        if (c == u'\\')
            value += u"\\\\"_s;
        else if (c == u'\n')
            value += u"\\n"_s;
        else if (c == u'\t')
            value += u"\\t"_s;
        else if (c == u'\r')
            value += u"\\r"_s;
        else
            value += c;
    }
    return value;
}

QString LoginItemService::execProgram(const QString &execValue)
{
    // The general string escapes first, then the quoting of the first argument.
    QString text;
    for (qsizetype i = 0; i < execValue.size(); ++i) {
        QChar c = execValue[i];
        if (c == u'\\' && i + 1 < execValue.size()) {
            const QChar next = execValue[++i];
            c = next == u's' ? u' ' : next == u'n' ? u'\n' : next == u't' ? u'\t' : next == u'r' ? u'\r' : next;
        }
        text += c;
    }
    text = text.trimmed();
    QString program;
    if (text.startsWith(u'"')) {
        for (qsizetype i = 1; i < text.size() && text[i] != u'"'; ++i) {
            if (text[i] == u'\\' && i + 1 < text.size()) ++i;
            program += text[i];
        }
    } else {
        program = text.section(u' ', 0, 0);
    }
    return program.replace(u"%%"_s, u"%"_s);
}

std::optional<QStringList> LoginItemService::startupSettingsCommand(
    const QString &currentDesktop, const std::function<bool(const QString &program)> &isInstalled)
{
    static const std::vector<std::pair<QString, std::vector<QStringList>>> known {
        { u"GNOME"_s, { { u"gnome-session-properties"_s }, { u"gnome-tweaks"_s } } },
        { u"KDE"_s,
            { { u"systemsettings"_s, u"kcm_autostart"_s }, { u"systemsettings5"_s, u"kcm_autostart"_s },
                { u"kcmshell5"_s, u"kcm_autostart"_s } } },
        { u"XFCE"_s, { { u"xfce4-session-settings"_s } } },
        { u"X-CINNAMON"_s, { { u"cinnamon-session-properties"_s } } },
        { u"MATE"_s, { { u"mate-session-properties"_s } } },
        { u"LXQT"_s, { { u"lxqt-config-session"_s } } },
    };
    for (const QString &desktop : currentDesktop.split(u':', Qt::SkipEmptyParts)) {
        for (const auto &[name, commands] : known) {
            if (desktop.compare(name, Qt::CaseInsensitive) != 0) continue;
            for (const QStringList &command : commands) {
                if (isInstalled(command.first())) return command;
            }
        }
    }
    return std::nullopt;
}
