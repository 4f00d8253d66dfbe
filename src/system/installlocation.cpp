#include "system/installlocation.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

#include <algorithm>

using namespace Qt::StringLiterals;

namespace {

bool isUnder(const QString &path, const QString &folder)
{
    return path.startsWith(folder.endsWith(u'/') ? folder : folder + u'/');
}

} // namespace

bool isTransientCopy(const QString &path, const QStringList &transientFolders)
{
    if (!QDir::isAbsolutePath(path)) return false;
    // "/tmp/../usr/bin/x" is not in /tmp.
    const QString cleaned = QDir::cleanPath(path);
    const bool transient = std::any_of(transientFolders.begin(), transientFolders.end(), [&](const QString &folder) {
        const QString cleanedFolder = QDir::cleanPath(folder);
        return QDir::isAbsolutePath(folder) && cleanedFolder != u"/"_s && isUnder(cleaned, cleanedFolder);
    });
    return transient && !isInBuildTree(cleaned);
}

bool isInBuildTree(const QString &path)
{
    for (QDir dir = QFileInfo(path).dir(); !dir.isRoot(); dir.setPath(QFileInfo(dir.path()).path())) {
        if (dir.exists(u"CMakeCache.txt"_s)) return true;
    }
    return false;
}

QStringList temporaryFolders()
{
    QStringList folders { QDir::tempPath(), u"/tmp"_s, u"/var/tmp"_s };
    const QString canonical = QFileInfo(QDir::tempPath()).canonicalFilePath();
    if (!canonical.isEmpty()) folders.append(canonical);
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (!runtime.isEmpty()) folders.append(runtime);
    return folders;
}

QStringList downloadFolders()
{
    QStringList folders;
    const QString home = QDir::cleanPath(QDir::homePath());
    // Desktops without user folders set the download folder to the home folder, which holds everything else too.
    for (const QString &folder : QStandardPaths::standardLocations(QStandardPaths::DownloadLocation)) {
        if (QDir::cleanPath(folder) != home) folders.append(folder);
    }
    return folders;
}

QString trustedAppImage(const QString &applicationFilePath, const QString &appImage, const QString &appDir)
{
    if (appImage.isEmpty()) return {};
    const QString program = QDir::cleanPath(applicationFilePath);
    const QString cleanedAppDir = QDir::cleanPath(appDir);
    const bool inside = program.contains(u"/.mount_"_s)
        || (QDir::isAbsolutePath(appDir) && cleanedAppDir != u"/"_s && isUnder(program, cleanedAppDir));
    return inside ? appImage : QString();
}

QString runningProgramPath()
{
    // An AppImage runs from a temporary mount; the file the user keeps is what it names.
    const QString appImage = trustedAppImage(
        QCoreApplication::applicationFilePath(), qEnvironmentVariable("APPIMAGE"), qEnvironmentVariable("APPDIR"));
    if (!appImage.isEmpty()) {
        const QString canonical = QFileInfo(appImage).canonicalFilePath();
        return canonical.isEmpty() ? QDir::cleanPath(QFileInfo(appImage).absoluteFilePath()) : canonical;
    }
    return QCoreApplication::applicationFilePath();
}

QString installLocationAlertTitle()
{
    return u"Install Baselark"_s;
}

QString installLocationAlertText(const QString &path)
{
    return u"Baselark is running from "_s + path
        + u".\nFiles in download and temporary folders are often cleaned away. Install Baselark from its package, "
          u"or move it to ~/.local/bin, so that it keeps working."_s;
}

QString breakablePath(const QString &path)
{
    // Zero-width spaces: after every "/", and every so many characters of a name too long for a line.
    constexpr qsizetype longestRun = 24;
    QString result;
    qsizetype run = 0;
    for (const QChar c : path) {
        result += c;
        if (c == u'/' || (++run >= longestRun && !c.isHighSurrogate())) {
            result += QChar(0x200B);
            run = 0;
        }
    }
    return result;
}
