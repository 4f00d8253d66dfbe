#pragma once

#include "app/desktopsession.h"

#include <QObject>
#include <QPoint>
#include <memory>
#include <optional>

class FreedesktopNotificationCenterClient;
class NotificationService;
class PopupWindow;
class QNetworkAccessManager;
class QSettings;
class ScheduleAPI;
class ScheduleViewModel;
class StatusItem;
class StatusPublisher;
class UpdaterService;
class WidgetUpdaterDialogs;

// Names the application and gives its windows the icon and the desktop-file id, so that desktops match every
// window and dialog with the installed entry.
void setApplicationIdentity();

// The running application: the view model, the updater, the status item that shows
// their state and the popup window the item opens.
class BaselarkApp : public QObject {
    Q_OBJECT
public:
    // `settings` holds the preferences and must outlive the application object; update checks go through
    // `network` when given.
    BaselarkApp(
        ScheduleAPI *api, QSettings *settings, QNetworkAccessManager *network = nullptr, QObject *parent = nullptr);
    ~BaselarkApp() override;

    ScheduleViewModel &viewModel() const { return *m_viewModel; }
    UpdaterService &updater() const { return *m_updater; }
    StatusItem &statusItem() const { return *m_statusItem; }
    StatusPublisher &statusPublisher() const { return *m_statusPublisher; }
    PopupWindow &window() const { return *m_window; }

    // Puts the item into the status area.
    void show();

private:
    void viewModelChanged();
    void toggleWindow(std::optional<QPoint> activatePoint);

    DesktopSession m_session;
    // Before the view model, which is handed the service.
    FreedesktopNotificationCenterClient *m_notificationCenter;
    std::unique_ptr<NotificationService> m_notificationService;
    ScheduleViewModel *m_viewModel;
    WidgetUpdaterDialogs *m_updaterDialogs;
    UpdaterService *m_updater;
    StatusItem *m_statusItem;
    StatusPublisher *m_statusPublisher;
    PopupWindow *m_window;
};
