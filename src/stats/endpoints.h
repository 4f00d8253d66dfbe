#pragma once

#include <QString>

// Where service requests go. BASELARK_ENDPOINT (scheme://host:port) sends every
// one of them to a single local server instead, which is how the replay server
// stands in for the internet in tests and the demo.
struct Endpoints {
    QString statsBaseURL; // version 1 of the stats service, no trailing slash
    QString liveFeedBaseURL; // version 1.1
    QString teamLogoHost;
    QString leagueLogoHost;

    static Endpoints production();
    // The given origin for every service; production when the text is not an http(s) origin.
    static Endpoints overriddenBy(const QString &origin);
    static Endpoints fromEnvironment();
};
