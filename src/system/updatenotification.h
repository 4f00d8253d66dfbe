#pragma once

#include <QDBusConnection>
#include <QObject>
#include <QString>

// Tells of a release that an automatic check found, as a desktop notification whose action opens the update
// dialog: it never takes the focus from the window the user works in.
class UpdateNotification : public QObject {
    Q_OBJECT
public:
    static constexpr auto viewAction = "view-update";

    UpdateNotification(QDBusConnection bus, QString desktopEntry, QObject *parent = nullptr);

    static QString summary(const QString &version);
    // Replaces the notification shown before, if the server still shows it.
    void show(const QString &version);

Q_SIGNALS:
    // The user chose the notification or its action.
    void activated();

private Q_SLOTS:
    void actionInvoked(uint id, const QString &actionKey);
    void notificationClosed(uint id, uint reason);

private:
    QDBusConnection m_bus;
    QString m_desktopEntry;
    uint m_id = 0;
};
