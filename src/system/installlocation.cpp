#include "system/installlocation.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

using namespace Qt::StringLiterals;

namespace {

bool isUnder(const QString &path, const QString &folder)
{
    return path.startsWith(folder.endsWith(u'/') ? folder : folder + u'/');
}

} // namespace

bool isInstalledLocation(const QString &path, const QString &home)
{
    if (!QDir::isAbsolutePath(path)) return false;
    // "/usr/../tmp/x" must not count as /usr.
    const QString cleaned = QDir::cleanPath(path);
    for (const QString &prefix : { u"/usr"_s, u"/opt"_s }) {
        if (isUnder(cleaned, prefix)) return true;
    }
    const QString cleanedHome = QDir::cleanPath(home);
    if (!QDir::isAbsolutePath(home) || cleanedHome == u"/"_s) return false;
    return isUnder(cleaned, cleanedHome + u"/.local"_s);
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
    return u"Move Baselark to Applications"_s;
}

QString installLocationAlertText(const QString &path)
{
    return u"Baselark is running from "_s + path
        + u".\nMove it to an installed location (for example ~/.local or /opt) so automatic updates can install "
          u"reliably."_s;
}
