#pragma once

#include "system/dialogs/updatedialog.h"
#include "system/updaterdialogs.h"

#include <QObject>
#include <QPointer>

#include <QMessageBox>

class UpdateNotification;

// The updater's windows as widgets, and its desktop notification. None of the windows blocks: they are shown,
// never run in a loop of their own, and none is modal.
class WidgetUpdaterDialogs : public QObject, public UpdaterDialogs {
    Q_OBJECT
public:
    // Without `notification` an automatic check's news shows only as the status item's dot and menu entry.
    explicit WidgetUpdaterDialogs(
        UpdateDialog::OpenURL openUrl = {}, UpdateNotification *notification = nullptr, QObject *parent = nullptr);
    ~WidgetUpdaterDialogs() override;

    void showUpdateFound(
        const AppcastItem &item, const QString &runningVersion, std::function<void()> skipVersion) override;
    void announceUpdate(const AppcastItem &item, std::function<void()> showUpdate) override;
    void showUpToDate(const QString &runningVersion) override;
    void showCheckFailed(const QString &message) override;
    void showInstallLocationAlert(const QString &path) override;

    UpdateDialog *updateDialog() const { return m_updateDialog; }
    QMessageBox *alert() const { return m_alert; }

private:
    void showAlert(QMessageBox *alert);

    UpdateDialog::OpenURL m_openUrl;
    UpdateNotification *m_notification;
    std::function<void()> m_showAnnouncedUpdate;
    QPointer<UpdateDialog> m_updateDialog;
    QPointer<QMessageBox> m_alert;
};
