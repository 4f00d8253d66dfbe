#include "app/baselarkapp.h"

#include "app/popupwindow.h"
#include "app/statusitem.h"
#include "app/statuspublisher.h"
#include "boxscore/playsviewmodel.h"
#include "boxscore/views/inlineboxscoreview.h"
#include "boxscore/views/playsview.h"
#include "notifications/freedesktopnotificationcenterclient.h"
#include "notifications/gameeventfollower.h"
#include "notifications/notificationservice.h"
#include "schedule/scheduleviewmodel.h"
#include "stats/livefeedstore.h"
#include "stats/mlbapiservice.h"
#include "system/dialogs/widgetupdaterdialogs.h"
#include "system/loginitemservice.h"
#include "system/updatenotification.h"
#include "system/updaterservice.h"
#include "ui/applogo.h"
#include "ui/gamedetailpanelview.h"
#include "ui/menucontentview.h"
#include "ui/settingsview.h"

#include <QApplication>
#include <QCursor>
#include <QDesktopServices>
#include <QGuiApplication>
#include <QLayout>
#include <QStandardPaths>

using namespace Qt::StringLiterals;

void setApplicationIdentity()
{
    QApplication::setApplicationName(u"baselark"_s);
    QApplication::setApplicationDisplayName(u"Baselark"_s);
    QApplication::setDesktopFileName(u"io.github.baselark.Baselark"_s);
    QApplication::setWindowIcon(appLogo());
}

BaselarkApp::BaselarkApp(ScheduleAPI *api, QSettings *settings, QNetworkAccessManager *network, QObject *parent)
    : QObject(parent)
    , m_session(DesktopSession::current())
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
    , m_updaterDialogs(new WidgetUpdaterDialogs({},
          QGuiApplication::desktopFileName().isEmpty()
              ? nullptr
              : new UpdateNotification(QDBusConnection::sessionBus(), QGuiApplication::desktopFileName(), this),
          this))
    , m_updater(new UpdaterService(
          UpdaterEnvironment::current(), settings, network, m_updaterDialogs,
          [] { return QDateTime::currentDateTime(); }, true, this))
    , m_statusItem(new StatusItem(this))
    , m_statusPublisher(new StatusPublisher(this))
    , m_window(new PopupWindow)
{
    auto *content = new MenuContentView(m_viewModel, [](const QUrl &url) { QDesktopServices::openUrl(url); });
    connect(content, &MenuContentView::quitRequested, qApp, &QCoreApplication::quit, Qt::QueuedConnection);
    // The inline box score lives in the box score library, which builds on the views; the app joins them.
    content->inlineBoxScoreSlot()->layout()->addWidget(new InlineBoxScoreView(m_viewModel));
    auto *feedService = dynamic_cast<MLBAPIService *>(api);
    LiveFeedStore *feeds = feedService ? &feedService->liveFeeds() : nullptr;
    content->inlinePlaysSlot()->layout()->addWidget(new PlaysView(m_viewModel, feeds));
    // The card's last play and at-bat come from the feed its own detail updates keep: no request of their own.
    if (feeds) {
        auto *cardPlays = new PlaysViewModel(feeds, content);
        connect(m_viewModel, &ScheduleViewModel::changed, cardPlays, [this, cardPlays] {
            const std::optional<Game> game = m_viewModel->selectedGame();
            const bool shown = game && game->isLive() && m_viewModel->isShowingSelectedGameDetail();
            cardPlays->setGamePk(shown ? std::optional(game->gamePk) : std::nullopt);
        });
        connect(cardPlays, &PlaysViewModel::changed, content,
            [content, cardPlays] { content->detailPanel()->setPlays(cardPlays->plays()); });
    }
    content->settingsPage()->layout()->addWidget(new SettingsView(m_viewModel, m_updater, &LoginItemService::shared()));
    m_window->setContent(content);
    // In-game alerts read the feeds the service keeps; a stand-in service has none.
    if (feeds && m_notificationCenter) {
        // Their clocks run the stream delay behind, as the feeds they read do.
        m_viewModel->setGameEventFollowers([center = m_notificationCenter, feeds](QObject *parent) {
            return new GameEventFollower(
                center, GameEventFollower::fetchFrom(*feeds),
                [feeds] { return QDateTime::currentDateTimeUtc().addSecs(-feeds->delay().count()); }, parent);
        });
    }
    viewModelChanged();

    connect(m_statusPublisher, &StatusPublisher::toggleRequested, this, [this] { toggleWindow(std::nullopt); });
    connect(m_viewModel, &ScheduleViewModel::changed, this, &BaselarkApp::viewModelChanged);
    connect(m_updater, &UpdaterService::changed, this,
        [this] { m_statusItem->setUpdatePending(m_updater->pendingUpdate().has_value()); });
    connect(m_statusItem, &StatusItem::activateRequested, this,
        [this](QPoint point) { toggleWindow(point.isNull() ? std::nullopt : std::optional(point)); });
    connect(m_statusItem, &StatusItem::openRequested, this, [this] {
        if (!m_window->isVisible()) toggleWindow(std::nullopt);
    });
    connect(m_statusItem, &StatusItem::updateRequested, m_updater, &UpdaterService::showPendingUpdate);
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
    m_statusPublisher->publish(QDBusConnection::sessionBus());
}

void BaselarkApp::viewModelChanged()
{
    const QString title = m_viewModel->menuBarTitle();
    m_statusItem->setLabel(title);
    m_statusPublisher->setStatus(title, m_viewModel->panelState(), m_viewModel->panelTooltip());
    m_window->setWide(m_viewModel->inlineBoxScoreGameId().has_value());
}

void BaselarkApp::toggleWindow(std::optional<QPoint> activatePoint)
{
    PlacementInput where;
    where.session = m_session;
    where.nativeWayland = QGuiApplication::platformName().startsWith(u"wayland"_s);
    where.activatePoint = activatePoint ? activatePoint : m_statusItem->lastActivatePoint();
    where.pointer = QCursor::pos();
    where.itemGeometry = m_statusItem->itemGeometry();
    where.screens = PopupWindow::screens();
    m_window->toggle(std::move(where));
}
