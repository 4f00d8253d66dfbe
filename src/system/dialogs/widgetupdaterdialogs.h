#pragma once

#include "system/dialogs/updatedialog.h"
#include "system/updaterdialogs.h"

#include <QObject>
#include <QPointer>

#include <QMessageBox>

// The updater's windows as widgets. None of them blocks: they are shown, never run in a loop of their own, and
// none is modal.
class WidgetUpdaterDialogs : public QObject, public UpdaterDialogs {
    Q_OBJECT
public:
    explicit WidgetUpdaterDialogs(UpdateDialog::OpenURL openUrl = {}, QObject *parent = nullptr);
    ~WidgetUpdaterDialogs() override;

    void showUpdateFound(
        const AppcastItem &item, const QString &runningVersion, std::function<void()> skipVersion) override;
    void showUpToDate(const QString &runningVersion) override;
    void showCheckFailed(const QString &message) override;
    void showInstallLocationAlert(const QString &path) override;

    UpdateDialog *updateDialog() const { return m_updateDialog; }
    QMessageBox *alert() const { return m_alert; }

private:
    void showAlert(QMessageBox *alert);

    UpdateDialog::OpenURL m_openUrl;
    QPointer<UpdateDialog> m_updateDialog;
    QPointer<QMessageBox> m_alert;
};
