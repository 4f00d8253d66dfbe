#include "system/updaterenvironment.h"

#include "system/installlocation.h"

using namespace Qt::StringLiterals;

// Set by CMake on this file only, so that a new build number rebuilds one object.
#ifndef BASELARK_APPCAST_URL
#define BASELARK_APPCAST_URL ""
#endif
#ifndef BASELARK_UPDATE_CHECKS
#define BASELARK_UPDATE_CHECKS 0
#endif
#ifndef BASELARK_VERSION
#define BASELARK_VERSION ""
#endif
#ifndef BASELARK_BUILD_NUMBER
#define BASELARK_BUILD_NUMBER ""
#endif

UpdaterEnvironment UpdaterEnvironment::current()
{
    UpdaterEnvironment environment;
    environment.updateChecksAvailable = BASELARK_UPDATE_CHECKS != 0;
    environment.feedURL = feedURLFor(QStringLiteral(BASELARK_APPCAST_URL), qEnvironmentVariable("BASELARK_ENDPOINT"),
        &environment.feedIsLocalStandIn);
    environment.shortVersionString = QStringLiteral(BASELARK_VERSION);
    environment.bundleVersion = QStringLiteral(BASELARK_BUILD_NUMBER);
    environment.programPath = runningProgramPath();
    environment.transientFolders = downloadFolders() + temporaryFolders();
    environment.endpointOverridden = !qEnvironmentVariable("BASELARK_ENDPOINT").isEmpty();
    return environment;
}

QUrl feedURLFor(const QString &buildFeedURL, const QString &endpointOrigin, bool *isLocalStandIn)
{
    if (isLocalStandIn) *isLocalStandIn = false;
    const QUrl feed(buildFeedURL, QUrl::StrictMode);
    if (endpointOrigin.isEmpty()) return feed;
    const QUrl origin(endpointOrigin, QUrl::StrictMode);
    const bool isOrigin = origin.isValid() && (origin.scheme() == u"http"_s || origin.scheme() == u"https"_s)
        && !origin.host().isEmpty() && (origin.path().isEmpty() || origin.path() == u"/"_s) && !origin.hasQuery()
        && !origin.hasFragment() && origin.userInfo().isEmpty();
    if (!isOrigin) return feed;
    QUrl local = origin.adjusted(QUrl::RemovePath);
    local.setPath(feed.path().isEmpty() ? u"/"_s : feed.path());
    if (feed.hasQuery()) local.setQuery(feed.query());
    if (isLocalStandIn) *isLocalStandIn = true;
    return local;
}

QString versionDescription(const QString &shortVersionString, const QString &bundleVersion)
{
    const auto orUnknown = [](const QString &value) { return value.isEmpty() ? u"?"_s : value; };
    return orUnknown(shortVersionString) + u" ("_s + orUnknown(bundleVersion) + u")"_s;
}
