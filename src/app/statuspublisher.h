#pragma once

#include <QDBusConnection>
#include <QObject>
#include <QString>
#include <optional>

// The status line on the session bus, for panels that show no tray labels: `baselark --status`, `--follow` and
// `--toggle` read it here instead of polling the service themselves.
class StatusPublisher : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "io.github.baselark.Baselark.Status")
    // Only non-scriptable properties go on the bus: QObject's own objectName is scriptable, and stays off it.
    Q_PROPERTY(QString Title READ title SCRIPTABLE false)
    Q_PROPERTY(QString State READ state SCRIPTABLE false)
    Q_PROPERTY(QString Tooltip READ tooltip SCRIPTABLE false)

public:
    static QString serviceName();
    static QString objectPath();
    static QString interfaceName();

    explicit StatusPublisher(QObject *parent = nullptr);

    // Exports the object and takes the well-known name on `bus`; false when either fails (another copy owns it).
    bool publish(QDBusConnection bus);

    QString title() const { return m_title; }
    QString state() const { return m_state; }
    QString tooltip() const { return m_tooltip; }
    // Announces the new line on the bus when anything changed.
    void setStatus(const QString &title, const QString &state, const QString &tooltip);

public Q_SLOTS:
    // The one method on the bus: opens or closes the window, for a panel's click handler.
    Q_SCRIPTABLE void Toggle();

Q_SIGNALS:
    Q_SCRIPTABLE void Changed(const QString &title, const QString &state, const QString &tooltip);
    void toggleRequested();

private:
    QString m_title;
    QString m_state;
    QString m_tooltip;
    std::optional<QDBusConnection> m_bus;
};
