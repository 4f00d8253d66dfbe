#include "system/dialogs/widgetupdaterdialogs.h"

#include "system/installlocation.h"
#include "system/updatenotification.h"

#include <QDesktopServices>
#include <QMessageBox>

using namespace Qt::StringLiterals;

namespace {

// A status-area application has no window in front; its dialog must come forward by itself.
void bringForward(QWidget *window)
{
    window->show();
    window->raise();
    window->activateWindow();
}

} // namespace

WidgetUpdaterDialogs::WidgetUpdaterDialogs(
    UpdateDialog::OpenURL openUrl, UpdateNotification *notification, QObject *parent)
    : QObject(parent)
    , m_openUrl(openUrl ? std::move(openUrl) : [](const QUrl &url) { QDesktopServices::openUrl(url); })
    , m_notification(notification)
{
    if (m_notification) {
        connect(m_notification, &UpdateNotification::activated, this, [this] {
            if (m_showAnnouncedUpdate) m_showAnnouncedUpdate();
        });
    }
}

WidgetUpdaterDialogs::~WidgetUpdaterDialogs()
{
    delete m_updateDialog;
    delete m_alert;
}

void WidgetUpdaterDialogs::showUpdateFound(
    const AppcastItem &item, const QString &runningVersion, std::function<void()> skipVersion)
{
    // One update window at a time, showing the latest news.
    delete m_updateDialog;
    m_updateDialog = new UpdateDialog(item, runningVersion, m_openUrl);
    m_updateDialog->setAttribute(Qt::WA_DeleteOnClose);
    connect(m_updateDialog, &UpdateDialog::skipVersionRequested, this, std::move(skipVersion));
    bringForward(m_updateDialog);
}

void WidgetUpdaterDialogs::announceUpdate(const AppcastItem &item, std::function<void()> showUpdate)
{
    m_showAnnouncedUpdate = std::move(showUpdate);
    if (m_notification) m_notification->show(item.displayVersionString());
}

void WidgetUpdaterDialogs::showUpToDate(const QString &runningVersion)
{
    auto *alert = new QMessageBox(
        QMessageBox::Information, u"Software Update"_s, u"You\u2019re up-to-date!"_s, QMessageBox::Ok);
    alert->setInformativeText(u"Baselark %1 is currently the newest version available."_s.arg(runningVersion));
    showAlert(alert);
}

void WidgetUpdaterDialogs::showCheckFailed(const QString &message)
{
    auto *alert = new QMessageBox(QMessageBox::Warning, u"Software Update"_s, u"Update Error!"_s, QMessageBox::Ok);
    alert->setInformativeText(
        u"An error occurred in retrieving update information. Please try again later.\n"_s + message);
    showAlert(alert);
}

void WidgetUpdaterDialogs::showInstallLocationAlert(const QString &path)
{
    auto *alert = new QMessageBox(QMessageBox::Warning, u"Baselark"_s, installLocationAlertTitle(), QMessageBox::Ok);
    alert->setInformativeText(installLocationAlertText(breakablePath(path)));
    showAlert(alert);
}

void WidgetUpdaterDialogs::showAlert(QMessageBox *alert)
{
    delete m_alert;
    m_alert = alert;
    alert->setAttribute(Qt::WA_DeleteOnClose);
    // Never modal: the menu window stays on top of every other window, so an alert that blocked the application
    // could end up beneath it and take its clicks, with nothing on screen to say why.
    alert->setWindowModality(Qt::NonModal);
    alert->setTextFormat(Qt::PlainText);
    bringForward(alert);
}
