#pragma once

#include <QObject>
#include <QPoint>
#include <optional>

class PopupWindow;
class QSettings;
class ScheduleAPI;
class ScheduleViewModel;
class StatusItem;
class StatusPublisher;

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
    StatusPublisher &statusPublisher() const { return *m_statusPublisher; }
    PopupWindow &window() const { return *m_window; }

    // Puts the item into the status area.
    void show();

private:
    void viewModelChanged();
    void toggleWindow(std::optional<QPoint> activatePoint);

    ScheduleViewModel *m_viewModel;
    StatusItem *m_statusItem;
    StatusPublisher *m_statusPublisher;
    PopupWindow *m_window;
};
