#pragma once

#include <QObject>
#include <QPoint>
#include <QRect>
#include <QString>

#include <memory>
#include <optional>

class DBusMenu;
class QAction;
class QMenu;
class QSystemTrayIcon;
class StatusItemSni;

// The application's presence in the status area: a StatusNotifierItem while a watcher is on the session bus,
// else a classic tray icon.
class StatusItem : public QObject {
    Q_OBJECT

public:
    explicit StatusItem(QObject *parent = nullptr);
    ~StatusItem() override;

    QString label() const;
    void setLabel(const QString &text);
    bool updatePending() const { return m_updatePending; }
    void setUpdatePending(bool pending);

    // Exports the item and registers it with the watcher, or shows the tray icon when there is none.
    void show();
    bool usesFallback() const { return m_mode == Mode::Fallback; }

    // The well-known name the item owns on the session bus, org.kde.StatusNotifierItem-<pid>-1.
    QString serviceName() const { return m_serviceName; }
    // Where the host last said the item was clicked; kept for opening the window from the menu or a command.
    std::optional<QPoint> lastActivatePoint() const { return m_lastActivatePoint; }
    // The tray icon's rectangle on the screen, known only for the X11 tray.
    std::optional<QRect> itemGeometry() const;
    // The XDG activation token the host last gave for the next window activation (Wayland); empty if none.
    QString activationToken() const;

Q_SIGNALS:
    // A left click; globalPos is null when the host does not tell where the item is.
    void activateRequested(QPoint globalPos);
    void openRequested();
    // "Update Available…", in the menu while an update is pending.
    void updateRequested();
    void quitRequested();

private:
    enum class Mode { Hidden, Sni, Fallback };

    bool exportOnBus();
    void registerWithWatcher();
    void useSni();
    void useFallback();
    void createTrayIcon();
    void menuClicked(int id);
    void activate(QPoint globalPos);

    StatusItemSni *m_sni;
    DBusMenu *m_menu;
    // Declared in this order so that the tray icon goes before the menu it shows.
    std::unique_ptr<QMenu> m_trayMenu;
    std::unique_ptr<QSystemTrayIcon> m_tray;
    QAction *m_updateAction = nullptr;
    QString m_serviceName;
    Mode m_mode = Mode::Hidden;
    bool m_shown = false;
    bool m_exported = false;
    bool m_updatePending = false;
    quint64 m_registrationSerial = 0;
    std::optional<QPoint> m_lastActivatePoint;
};
