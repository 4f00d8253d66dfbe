#pragma once

// STAND-IN until the updater lands: the agreed interface with fixed answers, so the Settings tab builds.
// Replace this whole file with the real one.

#include <QDateTime>
#include <QObject>
#include <QString>
#include <optional>

struct AppcastItem {
    QString version;
};

class UpdaterService : public QObject {
    Q_OBJECT

public:
    explicit UpdaterService(QObject *parent = nullptr)
        : QObject(parent)
    { }

    bool canCheckForUpdates() const { return m_canCheckForUpdates; }
    std::optional<QDateTime> lastCheckDate() const { return m_lastCheckDate; }
    const std::optional<AppcastItem> &pendingUpdate() const { return m_pendingUpdate; }
    bool automaticallyChecks() const { return m_automaticallyChecks; }
    void setAutomaticallyChecks(bool on)
    {
        m_automaticallyChecks = on;
        Q_EMIT changed();
    }
    void checkForUpdates() { }
    QString versionDescription() const { return QStringLiteral("0.1.0 (1)"); }
    bool updateChecksAvailable() const { return m_updateChecksAvailable; }

    // Stand-in only: lets the screenshots show each state.
    void standInSet(bool canCheck, std::optional<QDateTime> lastCheck, bool available)
    {
        m_canCheckForUpdates = canCheck;
        m_lastCheckDate = std::move(lastCheck);
        m_updateChecksAvailable = available;
        Q_EMIT changed();
    }

Q_SIGNALS:
    void changed();

private:
    bool m_canCheckForUpdates = true;
    std::optional<QDateTime> m_lastCheckDate;
    std::optional<AppcastItem> m_pendingUpdate;
    bool m_automaticallyChecks = true;
    bool m_updateChecksAvailable = true;
};
