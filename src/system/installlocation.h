#pragma once

#include <QString>
#include <QStringList>

// Whether a program at `path` is a copy the user should install: one that lies in a download or temporary folder
// (`transientFolders`) and not in a build tree. Only absolute paths count.
bool isTransientCopy(const QString &path, const QStringList &transientFolders);

// Whether a folder above `path` holds a CMake build (CMakeCache.txt): such a tree is rebuilt, moved and deleted at
// will.
bool isInBuildTree(const QString &path);

// This session's temporary folders: $TMPDIR, /tmp, /var/tmp and $XDG_RUNTIME_DIR.
QStringList temporaryFolders();
// The user's download folders; one that is the home folder itself is left out.
QStringList downloadFolders();

// The AppImage ($APPIMAGE) this program runs from, or empty. The variable counts only when the program lies inside
// an AppImage (under $APPDIR or an AppImage's /.mount_ folder): one started from a terminal inside another AppImage
// inherits that one's.
QString trustedAppImage(const QString &applicationFilePath, const QString &appImage, const QString &appDir);

// The path the install-location check looks at: the AppImage file when running from one, else the executable.
QString runningProgramPath();

// The alert shown once per version when the program runs from a download or temporary folder.
QString installLocationAlertTitle();
QString installLocationAlertText(const QString &path);
// The path with a break opportunity after every "/", and inside names too long for a line, so that a label wraps a
// long one at its separators and never runs out of the box.
QString breakablePath(const QString &path);
