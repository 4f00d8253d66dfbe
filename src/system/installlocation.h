#pragma once

#include <QString>

// Whether a program at `path` lies in a place where installed programs live (/usr, /usr/local, /opt or the user's
// ~/.local); `home` is the user's home folder. Both are absolute paths.
bool isInstalledLocation(const QString &path, const QString &home);

// The AppImage ($APPIMAGE) this program runs from, or empty. The variable counts only when the program lies inside
// an AppImage (under $APPDIR or an AppImage's /.mount_ folder): one started from a terminal inside another AppImage
// inherits that one's.
QString trustedAppImage(const QString &applicationFilePath, const QString &appImage, const QString &appDir);

// The path the install-location check looks at: the AppImage file when running from one, else the executable.
QString runningProgramPath();

// The alert shown once per version when the program runs from elsewhere.
QString installLocationAlertTitle();
QString installLocationAlertText(const QString &path);
