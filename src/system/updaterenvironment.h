#pragma once

#include <QString>
#include <QStringList>
#include <QUrl>

// What the build fixed about updates (feed address, whether checks exist at all, version and build number) and
// where the running program lies.
struct UpdaterEnvironment {
    bool updateChecksAvailable = false; // false in builds made for a distribution
    QUrl feedURL;
    bool feedIsLocalStandIn = false; // the feed comes from BASELARK_ENDPOINT, where plain HTTP is allowed
    QString shortVersionString; // empty when unknown
    QString bundleVersion; // the build number; empty when unknown
    QString programPath;
    // Where a copy of the program is one to install: the download and temporary folders.
    QStringList transientFolders;
    // BASELARK_ENDPOINT is set: a developer's or a test's run, never warned about its location.
    bool endpointOverridden = false;

    // The build's values, BASELARK_ENDPOINT, the executable (or $APPIMAGE) and the user's folders.
    static UpdaterEnvironment current();
};

// The feed's address: the build's own, or the same path and query on the BASELARK_ENDPOINT origin when that is set
// to an http(s) origin. `isLocalStandIn` tells which.
QUrl feedURLFor(const QString &buildFeedURL, const QString &endpointOrigin, bool *isLocalStandIn = nullptr);

// "0.1.0 (1)"; a missing value is written as "?".
QString versionDescription(const QString &shortVersionString, const QString &bundleVersion);
