#include "app/baselarkapp.h"

#include "app/popupplacement.h"
#include "app/popupwindow.h"
#include "app/statusitem.h"
#include "boxscore/views/inlineboxscoreview.h"
#include "notifications/freedesktopnotificationcenterclient.h"
#include "notifications/notificationservice.h"
#include "schedule/scheduleviewmodel.h"
#include "ui/menucontentview.h"

#include <QApplication>
#include <QCursor>
#include <QDesktopServices>
#include <QGuiApplication>
#include <QLayout>
#include <QScreen>
#include <QStandardPaths>

using namespace Qt::StringLiterals;

BaselarkApp::BaselarkApp(ScheduleAPI *api, QSettings *settings, QObject *parent)
    : QObject(parent)
    // Without a desktop-file id nothing is installed: no store is read and no alert is delivered.
    , m_notificationCenter(QGuiApplication::desktopFileName().isEmpty()
              ? nullptr
              : new FreedesktopNotificationCenterClient(
                  QStandardPaths::writableLocation(QStandardPaths::AppDataLocation) + u"/pending-alerts.json"_s,
                  QGuiApplication::desktopFileName(), QDBusConnection::sessionBus(), QDBusConnection::systemBus(),
                  [] { return QDateTime::currentDateTimeUtc(); }, this))
    , m_notificationService(
          std::make_unique<NotificationService>(m_notificationCenter, QGuiApplication::desktopFileName()))
    , m_viewModel(new ScheduleViewModel(
          api, m_notificationService.get(), settings, [] { return QDateTime::currentDateTime(); }, true, true, this))
    , m_statusItem(new StatusItem(this))
    , m_window(new PopupWindow)
{
    auto *content = new MenuContentView(m_viewModel, [](const QUrl &url) { QDesktopServices::openUrl(url); });
    connect(content, &MenuContentView::quitRequested, qApp, &QCoreApplication::quit, Qt::QueuedConnection);
    // The inline box score lives in the box score library, which builds on the views; the app joins them.
    content->inlineBoxScoreSlot()->layout()->addWidget(new InlineBoxScoreView(m_viewModel));
    m_window->setContent(content);
    m_statusItem->setLabel(m_viewModel->menuBarTitle());

    connect(m_viewModel, &ScheduleViewModel::changed, this, &BaselarkApp::viewModelChanged);
    connect(m_statusItem, &StatusItem::activateRequested, this,
        [this](QPoint point) { toggleWindow(point.isNull() ? std::nullopt : std::optional(point)); });
    connect(m_statusItem, &StatusItem::openRequested, this, [this] {
        if (!m_window->isVisible()) toggleWindow(std::nullopt);
    });
    connect(m_statusItem, &StatusItem::quitRequested, qApp, &QCoreApplication::quit, Qt::QueuedConnection);
}

BaselarkApp::~BaselarkApp()
{
    delete m_window;
    // Gone before the notification service it uses.
    delete m_viewModel;
}

void BaselarkApp::show()
{
    m_statusItem->show();
}

void BaselarkApp::viewModelChanged()
{
    m_statusItem->setLabel(m_viewModel->menuBarTitle());
    m_window->setWide(m_viewModel->inlineBoxScoreGameId().has_value());
}

void BaselarkApp::toggleWindow(std::optional<QPoint> activatePoint)
{
    const QPoint cursor = QCursor::pos();
    const QScreen *screen = QGuiApplication::screenAt(activatePoint.value_or(cursor));
    if (!screen) screen = QGuiApplication::primaryScreen();
    const QRect geometry = screen ? screen->geometry() : QRect(0, 0, 1280, 800);
    m_window->toggleAt(popupAnchor(activatePoint, cursor, geometry));
}
