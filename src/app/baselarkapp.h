#pragma once

#include <QObject>
#include <QPoint>
#include <memory>
#include <optional>

class FreedesktopNotificationCenterClient;
class NotificationService;
class PopupWindow;
class QSettings;
class ScheduleAPI;
class ScheduleViewModel;
class StatusItem;

// The running application: the view model, the status item that shows its title
// and the popup window the item opens.
class BaselarkApp : public QObject {
    Q_OBJECT
public:
    // `settings` holds the preferences and must outlive the application object.
    BaselarkApp(ScheduleAPI *api, QSettings *settings, QObject *parent = nullptr);
    ~BaselarkApp() override;

    ScheduleViewModel &viewModel() const { return *m_viewModel; }
    StatusItem &statusItem() const { return *m_statusItem; }
    PopupWindow &window() const { return *m_window; }

    // Puts the item into the status area.
    void show();

private:
    void viewModelChanged();
    void toggleWindow(std::optional<QPoint> activatePoint);

    // Before the view model, which is handed the service.
    FreedesktopNotificationCenterClient *m_notificationCenter;
    std::unique_ptr<NotificationService> m_notificationService;
    ScheduleViewModel *m_viewModel;
    StatusItem *m_statusItem;
    PopupWindow *m_window;
};
