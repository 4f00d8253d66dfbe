#pragma once

#include "system/appcast.h"

#include <QCoroTask>
#include <QObject>
#include <QUrl>

#include <chrono>

class QNetworkAccessManager;

// Fetches the update feed and reads its releases.
class AppcastUpdater : public QObject {
    Q_OBJECT
public:
    static constexpr std::chrono::milliseconds defaultTransferTimeout { 60'000 };

    // `network` is shared with the rest of the application; without one the updater makes its own.
    explicit AppcastUpdater(QNetworkAccessManager *network, QObject *parent = nullptr);
    ~AppcastUpdater() override;

    // Plain HTTP only when the address is a local stand-in (BASELARK_ENDPOINT); throws AppcastError on any failure.
    QCoro::Task<std::vector<AppcastItem>> fetchItems(QUrl feedURL, bool allowPlainHttp);

private:
    QNetworkAccessManager *m_network;
};
