#include "stats/endpoints.h"

#include <QUrl>

using namespace Qt::StringLiterals;

Endpoints Endpoints::production()
{
    return {
        u"https://statsapi.mlb.com/api/v1"_s,
        u"https://statsapi.mlb.com/api/v1.1"_s,
        u"https://a.espncdn.com"_s,
        u"https://www.mlbstatic.com"_s,
    };
}

Endpoints Endpoints::overriddenBy(const QString &origin)
{
    const QUrl url(origin, QUrl::StrictMode);
    const bool isOrigin = url.isValid() && (url.scheme() == u"http"_s || url.scheme() == u"https"_s)
        && !url.host().isEmpty() && (url.path().isEmpty() || url.path() == u"/"_s) && !url.hasQuery()
        && !url.hasFragment() && url.userInfo().isEmpty();
    if (!isOrigin) return production();
    const QString base = url.adjusted(QUrl::RemovePath).toString();
    return { base + u"/api/v1"_s, base + u"/api/v1.1"_s, base, base };
}

Endpoints Endpoints::fromEnvironment()
{
    const QString origin = qEnvironmentVariable("BASELARK_ENDPOINT");
    return origin.isEmpty() ? production() : overriddenBy(origin);
}
