// Renders the window for recorded days, in light and dark palettes, with and without spoilers, into PNG
// files. Club logos come from a local server that hands out plain stand-in roundels, since no real logo
// is stored with the project.

#include "app/popupwindow.h"
#include "boxscore/boxscorefetch.h"
#include "boxscore/boxscoreviewmodel.h"
#include "boxscore/plays.h"
#include "boxscore/views/boxscoreview.h"
#include "boxscore/views/inlineboxscoreview.h"
#include "boxscore/views/playsview.h"
#include "notifications/fakenotificationcenterclient.h"
#include "notifications/notificationservice.h"
#include "replay/replayserver.h"
#include "schedule/scheduleviewmodel.h"
#include "screenshotsupport.h"
#include "standinlogos.h"
#include "stats/decoder.h"
#include "stats/gamefeed.h"
#include "stats/livefeeddocument.h"
#include "stats/livefeedstore.h"
#include "stats/logocache.h"
#include "stats/mlbapiservice.h"
#include "stats/serviceerror.h"
#include "stats/standings.h"
#include "stats/teams.h"
#include "system/loginitemservice.h"
#include "system/updaterservice.h"
#include "ui/datenavigationview.h"
#include "ui/datepickerpopover.h"
#include "ui/gamedetailpanelview.h"
#include "ui/gamelistview.h"
#include "ui/gamerowview.h"
#include "ui/menucontentview.h"
#include "ui/settingsview.h"

#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QEnterEvent>
#include <QFile>
#include <QKeyEvent>
#include <QLayout>
#include <QMouseEvent>
#include <QScopeGuard>
#include <QSettings>
#include <QStyle>
#include <QStyleFactory>
#include <QTemporaryDir>
#include <QTextStream>
#include <QTimer>
#include <cstdio>

using namespace Qt::StringLiterals;

namespace {

// Answers every schedule request at once with one recorded day for each day asked, or fails when told to; the
// standings of any season are the recorded ones of 2024.
class RecordedScheduleAPI : public ScheduleAPI {
public:
    std::vector<Game> games;
    std::optional<GameDetail> detail;
    bool fail = false;

    QCoro::Task<ScheduleDays> fetchSchedule(QDate firstDay, QDate lastDay) override
    {
        if (fail) throw ServiceError(ServiceError::Kind::Transfer, u"offline"_s);
        ScheduleDays days;
        for (QDate day = firstDay; day <= lastDay; day = day.addDays(1))
            days[day] = games;
        co_return days;
    }
    QCoro::Task<std::vector<StandingsRecord>> fetchStandings(qint64) override
    {
        if (fail) throw ServiceError(ServiceError::Kind::Transfer, u"offline"_s);
        QFile file(QStringLiteral(BASELARK_TEST_DATA "/standings-2024.json"));
        if (!file.open(QIODevice::ReadOnly)) throw ServiceError(ServiceError::Kind::Transfer, file.errorString());
        co_return decode<StandingsResponse>(file.readAll()).records;
    }
    QCoro::Task<std::vector<Game>> fetchTeamSchedule(qint64, QDate, QDate) override { co_return {}; }
    QCoro::Task<GameDetail> fetchGameDetail(qint64) override
    {
        if (!detail) throw ServiceError(ServiceError::Kind::Transfer, u"offline"_s);
        co_return *detail;
    }
};

std::vector<Game> recordedDay(const QString &name)
{
    QFile file(QStringLiteral(BASELARK_TEST_DATA "/") + name);
    if (!file.open(QIODevice::ReadOnly)) return {};
    auto response = decode<ScheduleResponse>(file.readAll());
    return response.dates.empty() ? std::vector<Game>() : response.dates.front().games;
}

// The recorded game in progress (Rangers at Rockies, bottom of the 7th) as the schedule lists it, with
// its live detail.
std::pair<Game, GameDetail> recordedLiveGame()
{
    QFile file(QStringLiteral(BASELARK_TEST_DATA "/feed-live-inprogress-633860.json"));
    if (!file.open(QIODevice::ReadOnly)) return {};
    GameDetail detail = GameDetail::fromFeed(decode<GameLiveFeedResponse>(file.readAll()));
    Game game;
    game.gamePk = detail.gamePk;
    game.gameDate = u"2021-06-04T00:40:00Z"_s;
    game.status = { u"Live"_s, u"In Progress"_s, {}, {}, {}, {} };
    game.teams.away.team = { 140, {} };
    game.teams.home.team = { 115, {} };
    const auto &teams = detail.linescore.teams;
    if (teams && teams->away) game.teams.away.score = teams->away->runs;
    if (teams && teams->home) game.teams.home.score = teams->home->runs;
    game.linescore = Linescore { 7, detail.linescore.currentInningOrdinal, false, teams };
    if (detail.venueName) game.venue = Venue { 19, *detail.venueName };
    return { std::move(game), std::move(detail) };
}

// The plays of a recorded feed, as the card and the plays view read them from a kept document.
Plays recordedPlays(const QString &name)
{
    QFile file(QStringLiteral(BASELARK_TEST_DATA "/") + name);
    LiveFeedDocument document;
    if (!file.open(QIODevice::ReadOnly) || document.replace(file.readAll()) == LiveFeedDocument::Outcome::Rejected)
        return {};
    return readPlays(document.json());
}

using screenshots::darkPalette;

void settle(int ms = 150)
{
    screenshots::settle(ms);
}

// The recorded final (Rangers 5, Diamondbacks 0, 2023) as one fetch of its live feed.
BoxScoreFetchResult recordedFinalFetch()
{
    QFile file(QStringLiteral(BASELARK_TEST_DATA "/feed-live-final-748534.json"));
    if (!file.open(QIODevice::ReadOnly)) return {};
    return makeBoxScoreFetchResult(decode<GameLiveFeedResponse>(file.readAll()));
}

// Answers a box-score fetch at once, or fails it.
QCoro::Task<BoxScoreFetchResult> answerFetch(BoxScoreFetchResult result, bool fail)
{
    if (fail) throw ServiceError(ServiceError::Kind::Transfer, u"The network connection was lost."_s);
    co_return result;
}

struct Scene {
    QString name;
    QString recording; // empty: a day without games
    bool noSpoilers = true;
    bool dark = false;
    bool fail = false;
    int hoverRow = -1; // index in display order
    int selectRow = -1;
    ScheduleViewModel::Tab tab = ScheduleViewModel::Tab::Schedule;
    QString followedTeamIds {}; // comma-separated, as stored
};

// A box score in the wide window: the recorded final, or the pregame card of one game of a recorded day.
struct BoxScoreScene {
    QString name;
    QString recording; // empty: the recorded final
    int gameIndex = -1;
    bool dark = false;
    bool failRefresh = false; // the refresh after the first fetch fails
};

// The Settings tab in one state of its switches.
struct SettingsScene {
    QString name;
    bool dark = false;
    bool alerts = false;
    bool debug = false;
    QByteArray autostartEntry; // empty: start on login is off
    bool updateChecks = true;
    QString followedTeamIds {}; // comma-separated, as stored
    QString teamAlertsOff {};
};

bool save(const QPixmap &pixmap, const QString &path)
{
    if (!pixmap.save(path)) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
        return false;
    }
    std::printf("%s\n", qPrintable(path));
    return true;
}

// Three quick clicks on the logo open the Debug area.
void tripleClick(QWidget *widget)
{
    const QPointF inside(widget->width() / 2.0, widget->height() / 2.0);
    for (int i = 0; i < 3; ++i) {
        QMouseEvent release(QEvent::MouseButtonRelease, inside, widget->mapToGlobal(inside), Qt::LeftButton,
            Qt::NoButton, Qt::NoModifier);
        QApplication::sendEvent(widget, &release);
    }
}

// The window on the Settings tab, and the tab's whole column, which is taller than the window.
bool renderSettings(const SettingsScene &scene, const QPalette &palette, const QString &outDir, const QString &suffix)
{
    QApplication::setPalette(palette);
    // The last-check line follows the locale; a common one reads better than the C locale's.
    const QLocale previousLocale;
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    const auto restoreLocale = qScopeGuard([previousLocale] { QLocale::setDefault(previousLocale); });
    QTemporaryDir dir;
    QSettings settings(dir.filePath(u"prefs.ini"_s), QSettings::IniFormat);
    settings.setValue(u"favoriteTeamId"_s, 111);
    settings.setValue(u"notificationsEnabled"_s, scene.alerts);
    settings.setValue(u"followedTeamIds"_s, scene.followedTeamIds);
    settings.setValue(u"teamAlertsOff"_s, scene.teamAlertsOff);
    const QString autostart = dir.filePath(u"autostart"_s);
    if (!scene.autostartEntry.isEmpty()) {
        QDir().mkpath(autostart);
        QFile entry(autostart + u"/"_s + QLatin1StringView(LoginItemService::fileName));
        if (!entry.open(QIODevice::WriteOnly)) return false;
        entry.write(scene.autostartEntry);
    }
    LoginItemService loginItem(autostart, QCoreApplication::applicationFilePath(), nullptr);
    settings.setValue(
        u"lastUpdateCheckDate"_s, QDateTime(QDate(2026, 4, 20), QTime(9, 41)).toUTC().toString(Qt::ISODateWithMs));
    UpdaterEnvironment environment;
    environment.updateChecksAvailable = scene.updateChecks;
    environment.shortVersionString = u"0.1.0"_s;
    environment.bundleVersion = u"1"_s;
    UpdaterService updater(
        environment, &settings, nullptr, nullptr, [] { return QDateTime::currentDateTime(); }, false);
    RecordedScheduleAPI api;
    api.games = recordedDay(u"schedule-2026-04-20-hydrated.json"_s);
    // An authorised stand-in centre, so the test alert reads as it does on a desktop with a notification daemon.
    FakeNotificationCenterClient centre;
    NotificationService notifications(&centre, u"io.github.baselark.Baselark"_s);
    ScheduleViewModel viewModel(
        &api, &notifications, &settings, [] { return QDateTime::currentDateTime(); }, false, false);
    auto load = viewModel.loadSchedule();
    Q_UNUSED(load);
    viewModel.setSelectedTab(ScheduleViewModel::Tab::Settings);

    PopupWindow window;
    auto *content = new MenuContentView(&viewModel, [](const QUrl &) {});
    auto *view = new SettingsView(&viewModel, &updater, &loginItem);
    content->settingsPage()->layout()->addWidget(view);
    window.setContent(content);
    window.popUpAt(QPoint(600, 0));
    settle();
    if (scene.debug) {
        tripleClick(view->findChild<QWidget *>(u"logo"_s));
        auto test = viewModel.sendTestNotification();
        Q_UNUSED(test);
    }
    settle();
    if (!save(window.grab(), outDir + u"/settings-"_s + scene.name + suffix + u".png"_s)) return false;
    window.hide();

    SettingsView column(&viewModel, &updater, &loginItem);
    if (scene.debug) tripleClick(column.findChild<QWidget *>(u"logo"_s));
    constexpr int width = PopupWindow::narrowWidth;
    column.resize(width, 400);
    column.show();
    settle(50);
    const int height = column.widget()->heightForWidth(width);
    column.resize(width, height > 0 ? height : column.widget()->sizeHint().height());
    settle(50);
    return save(column.grab(), outDir + u"/settings-"_s + scene.name + u"-full"_s + suffix + u".png"_s);
}

// The window with the calendar open below the date title, drawn over the window as a compositing desktop
// shows it.
bool renderCalendar(bool dark, const QPalette &palette, const QString &outDir, const QString &suffix)
{
    QApplication::setPalette(palette);
    const QLocale previousLocale;
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    const auto restoreLocale = qScopeGuard([previousLocale] { QLocale::setDefault(previousLocale); });
    QTemporaryDir dir;
    QSettings settings(dir.filePath(u"prefs.ini"_s), QSettings::IniFormat);
    settings.setValue(u"favoriteTeamId"_s, 111);
    RecordedScheduleAPI api;
    api.games = recordedDay(u"schedule-2026-04-20-hydrated.json"_s);
    // No desktop-file id: the alert sync answers unavailable and touches nothing.
    NotificationService notifications(nullptr, QString());
    ScheduleViewModel viewModel(
        &api, &notifications, &settings, [] { return QDateTime::currentDateTime(); }, false, false);
    auto load = viewModel.loadSchedule();
    Q_UNUSED(load);

    PopupWindow window;
    auto *content = new MenuContentView(&viewModel, [](const QUrl &) {});
    window.setContent(content);
    window.popUpAt(QPoint(600, 0));
    settle();
    DatePickerPopover *picker = content->dateNavigation()->datePicker();
    picker->setTranslucent(true);
    content->dateNavigation()->setShowDatePicker(true);
    // Two days on with the keys, so that both the selection and today's mark show.
    for (int i = 0; i < 2; ++i) {
        QKeyEvent right(QEvent::KeyPress, Qt::Key_Right, Qt::NoModifier);
        QApplication::sendEvent(picker->grid(), &right);
    }
    settle();

    const QPixmap windowShot = window.grab();
    const QPixmap pickerShot = picker->grab();
    const QRect windowRect = window.geometry();
    const QRect area = windowRect.united(picker->geometry());
    QPixmap shot(area.size() * windowShot.devicePixelRatio());
    shot.setDevicePixelRatio(windowShot.devicePixelRatio());
    shot.fill(Qt::transparent);
    QPainter painter(&shot);
    painter.drawPixmap(windowRect.topLeft() - area.topLeft(), windowShot);
    painter.drawPixmap(picker->geometry().topLeft() - area.topLeft(), pickerShot);
    painter.end();
    picker->close();
    return save(shot, outDir + u"/calendar"_s + (dark ? u"-dark"_s : QString()) + suffix + u".png"_s);
}

} // namespace

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QApplication::setStyle(QStyleFactory::create(u"Fusion"_s));
    const QStringList arguments = QApplication::arguments();
    const QString outDir = arguments.value(1, u"docs/screenshots"_s);
    const QString suffix = arguments.value(2);
    QDir().mkpath(outDir);

    ReplayServer logos;
    for (const MLBTeam &team : MLBTeam::all()) {
        logos.addRoute(Route { u"/i/teamlogos/mlb/500/"_s + standins::clubLogoFileName(team.abbreviation) + u".png"_s,
            {}, {}, standins::clubLogoPng(team.abbreviation, team.id), 200, "image/png" });
    }
    for (const qint64 leagueId : { 103, 104 }) {
        logos.addRoute(Route { u"/team-logos/league-on-light/%1.svg"_s.arg(leagueId), {}, {},
            standins::leagueLogoSvg(leagueId), 200, "image/svg+xml" });
    }
    if (!logos.listen()) return 1;
    qputenv("BASELARK_ENDPOINT", logos.baseUrl().toUtf8());
    LogoCache::shared().prefetchTeamLogos();
    for (int i = 0; i < 100 && LogoCache::shared().cache().size() < qsizetype(MLBTeam::all().size()); ++i)
        settle(50);

    const QPalette light = QApplication::style()->standardPalette();
    const std::vector<Scene> scenes {
        { u"finals"_s, u"schedule-2026-04-20-hydrated.json"_s, false, false, false, 3, -1 },
        { u"finals-nospoilers"_s, u"schedule-2026-04-20-hydrated.json"_s, true, false, false, -1, -1 },
        { u"finals-dark"_s, u"schedule-2026-04-20-hydrated.json"_s, false, true, false, 3, 2 },
        { u"finals-nospoilers-dark"_s, u"schedule-2026-04-20-hydrated.json"_s, true, true, false, -1, -1 },
        { u"probables"_s, u"schedule-2026-03-18-preview-probables.json"_s, false, false, false, 2, -1 },
        { u"probables-dark"_s, u"schedule-2026-03-18-preview-probables.json"_s, false, true, false, -1, 1 },
        { u"postponed"_s, u"schedule-2022-04-07-postponed.json"_s, false, false, false, -1, -1 },
        { u"postponed-dark"_s, u"schedule-2022-04-07-postponed.json"_s, true, true, false, 1, -1 },
        { u"empty-day"_s, QString(), true, false, false, -1, -1 },
        { u"error"_s, u"schedule-2026-04-20-hydrated.json"_s, true, false, true, -1, -1 },
        { u"error-dark"_s, u"schedule-2026-04-20-hydrated.json"_s, true, true, true, -1, -1 },
        { u"live"_s, u"live"_s, false, false, false, -1, -1 },
        { u"live-dark"_s, u"live"_s, false, true, false, -1, -1 },
        { u"live-nospoilers"_s, u"live"_s, true, false, false, -1, -1 },
        { u"live-nospoilers-dark"_s, u"live"_s, true, true, false, -1, -1 },
        { u"standings"_s, u"schedule-2026-04-20-hydrated.json"_s, true, false, false, -1, -1,
            ScheduleViewModel::Tab::Standings },
        { u"standings-dark"_s, u"schedule-2026-04-20-hydrated.json"_s, true, true, false, -1, -1,
            ScheduleViewModel::Tab::Standings },
        { u"standings-wildcard"_s, u"schedule-2026-04-20-hydrated.json"_s, true, false, false, -1, -1,
            ScheduleViewModel::Tab::Standings },
        { u"standings-wildcard-dark"_s, u"schedule-2026-04-20-hydrated.json"_s, true, true, false, -1, -1,
            ScheduleViewModel::Tab::Standings },
        // Boston's game, then the followed Cubs' and Dodgers' games, each marked.
        { u"followed"_s, u"schedule-2026-04-20-hydrated.json"_s, false, false, false, -1, -1,
            ScheduleViewModel::Tab::Schedule, u"112,119"_s },
        { u"followed-dark"_s, u"schedule-2026-04-20-hydrated.json"_s, false, true, false, -1, -1,
            ScheduleViewModel::Tab::Schedule, u"112,119"_s },
    };

    QTemporaryDir settingsDir;
    for (const Scene &scene : scenes) {
        QApplication::setPalette(scene.dark ? darkPalette() : light);
        QSettings settings(settingsDir.filePath(scene.name + u".ini"_s), QSettings::IniFormat);
        // Boston plays on each recorded day, so its game leads the list and is selected; the live game
        // is Colorado's.
        const bool live = scene.recording == u"live"_s;
        settings.setValue(u"favoriteTeamId"_s, live ? 115 : 111);
        settings.setValue(u"noSpoilers"_s, scene.noSpoilers);
        settings.setValue(u"standingsShowsWildCard"_s, scene.name.contains(u"wildcard"_s));
        settings.setValue(u"followedTeamIds"_s, scene.followedTeamIds);
        RecordedScheduleAPI api;
        if (live) {
            auto [game, detail] = recordedLiveGame();
            api.games = { game };
            api.detail = detail;
        } else if (!scene.recording.isEmpty()) {
            api.games = recordedDay(scene.recording);
        }
        // No desktop-file id: the alert sync answers unavailable and touches nothing.
        NotificationService notifications(nullptr, QString());
        ScheduleViewModel viewModel(
            &api, &notifications, &settings, [] { return QDateTime::currentDateTime(); }, false, false);
        auto load = viewModel.loadSchedule();
        Q_UNUSED(load);
        if (scene.tab == ScheduleViewModel::Tab::Standings) {
            viewModel.setSelectedTab(scene.tab);
            auto standings = viewModel.loadStandings();
            Q_UNUSED(standings);
        }
        if (scene.fail) {
            api.fail = true;
            auto refresh = viewModel.refresh();
            Q_UNUSED(refresh);
        }

        PopupWindow window;
        auto *content = new MenuContentView(&viewModel, [](const QUrl &) {});
        window.setContent(content);
        window.popUpAt(QPoint(600, 0));
        settle();
        const auto order = content->gameList()->rowOrder();
        if (scene.selectRow >= 0 && std::size_t(scene.selectRow) < order.size())
            viewModel.selectGame(order[std::size_t(scene.selectRow)]);
        if (scene.hoverRow >= 0 && std::size_t(scene.hoverRow) < order.size()) {
            GameRowView *row = content->gameList()->row(order[std::size_t(scene.hoverRow)]);
            const QPointF inside(10, 10);
            QEnterEvent enter(inside, row->mapTo(&window, inside), row->mapToGlobal(inside));
            QApplication::sendEvent(row, &enter);
        }
        if (live) content->detailPanel()->setPlays(recordedPlays(u"feed-live-inprogress-633860.json"_s));
        settle();
        const QString prefix = scene.tab == ScheduleViewModel::Tab::Standings ? QString() : u"schedule-"_s;
        const QString path = outDir + u"/"_s + prefix + scene.name + suffix + u".png"_s;
        if (!window.grab().save(path)) {
            std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
            return 1;
        }
        std::printf("%s\n", qPrintable(path));
        window.hide();
    }

    const QByteArray ourEntry
        = "[Desktop Entry]\nType=Application\nExec=/usr/bin/baselark\nX-Baselark-Autostart=true\n";
    const std::vector<SettingsScene> settingsScenes {
        { u"light"_s, false, false, false, {}, true },
        { u"dark"_s, true, false, false, {}, true },
        { u"alerts-debug"_s, false, true, true, ourEntry, true },
        { u"alerts-debug-dark"_s, true, true, true, ourEntry + "Hidden=true\n", true },
        { u"distribution"_s, false, false, false, {}, false },
        { u"clubs"_s, false, true, false, {}, true, u"112,119,147"_s, u"119"_s },
        { u"clubs-dark"_s, true, true, false, {}, true, u"112,119,147"_s, u"119"_s },
    };
    for (const SettingsScene &scene : settingsScenes) {
        if (!renderSettings(scene, scene.dark ? darkPalette() : light, outDir, suffix)) return 1;
    }

    for (const bool dark : { false, true }) {
        if (!renderCalendar(dark, dark ? darkPalette() : light, outDir, suffix)) return 1;
    }

    const BoxScoreFetchResult recordedFinal = recordedFinalFetch();
    const std::vector<BoxScoreScene> boxScoreScenes {
        { u"inline"_s, {}, -1, false, false },
        { u"inline-dark"_s, {}, -1, true, false },
        { u"inline-error"_s, {}, -1, false, true },
        { u"pregame"_s, u"schedule-2026-03-18-preview-probables.json"_s, 2, false, false },
        { u"pregame-dark"_s, u"schedule-2026-03-18-preview-probables.json"_s, 2, true, false },
        { u"postponed"_s, u"schedule-2022-04-07-postponed.json"_s, 7, false, false },
        { u"postponed-dark"_s, u"schedule-2022-04-07-postponed.json"_s, 7, true, false },
    };
    for (const BoxScoreScene &scene : boxScoreScenes) {
        QApplication::setPalette(scene.dark ? darkPalette() : light);
        QSettings settings(settingsDir.filePath(u"boxscore-"_s + scene.name + u".ini"_s), QSettings::IniFormat);
        RecordedScheduleAPI api;
        BoxScoreFetchResult result = recordedFinal;
        if (scene.recording.isEmpty()) {
            // A live game keeps polling, so that a failed refresh can follow the first fetch.
            if (scene.failRefresh) result.abstractGameState = u"Live"_s;
        } else {
            api.games = recordedDay(scene.recording);
            const Game &game = api.games.at(std::size_t(scene.gameIndex));
            BoxScore box;
            box.gamePk = game.gamePk;
            box.status = game.status.detailedState == u"Postponed"_s ? BoxScore::GameStatus::Postponed
                                                                     : BoxScore::GameStatus::Scheduled;
            box.result.title = game.teams.away.team.name + u" at "_s + game.teams.home.team.name;
            result = BoxScoreFetchResult { box, u"Preview"_s, {}, {}, {} };
        }
        // No desktop-file id: the alert sync answers unavailable and touches nothing.
        NotificationService notifications(nullptr, QString());
        ScheduleViewModel viewModel(
            &api, &notifications, &settings, [] { return QDateTime::currentDateTime(); }, false, false);
        auto load = viewModel.loadSchedule();
        Q_UNUSED(load);

        auto clock = std::make_shared<FakeBoxScoreClock>();
        int fetches = 0;
        BoxScoreViewModel boxViewModel(
            [&fetches, &scene, result](qint64) { return answerFetch(result, scene.failRefresh && fetches++ > 0); },
            clock);
        PopupWindow window;
        window.setWide(true);
        auto *content = new MenuContentView(&viewModel, [](const QUrl &) {});
        content->inlineBoxScoreSlot()->layout()->addWidget(new InlineBoxScoreView(&viewModel, &boxViewModel));
        window.setContent(content);
        viewModel.setInlineBoxScoreGameId(result.boxScore.gamePk);
        window.popUpAt(QPoint(600, 0));
        settle();
        if (scene.failRefresh) {
            clock->advance(BoxScoreViewModel::liveInterval);
            settle();
        }
        const QString path = outDir + u"/boxscore-"_s + scene.name + suffix + u".png"_s;
        if (!window.grab().save(path)) {
            std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
            return 1;
        }
        std::printf("%s\n", qPrintable(path));
        window.hide();
    }

    // The plays view, of the live game and of the final one, fed by the replay server through the shared service.
    logos.addRoute(Route { .path = u"/api/v1.1/game/633860/feed/live"_s,
        .files = { QStringLiteral(BASELARK_TEST_DATA "/feed-live-inprogress-633860.json") } });
    logos.addRoute(Route { .path = u"/api/v1.1/game/748534/feed/live"_s,
        .files = { QStringLiteral(BASELARK_TEST_DATA "/feed-live-final-748534.json") } });
    struct PlaysScene {
        QString name;
        qint64 gamePk;
        bool dark;
        bool noSpoilers;
        bool scoringOnly;
    };
    const std::vector<PlaysScene> playsScenes {
        { u"live"_s, 633860, false, false, false },
        { u"live-dark"_s, 633860, true, false, false },
        { u"final"_s, 748534, false, false, false },
        { u"final-dark"_s, 748534, true, false, false },
        { u"final-scoring"_s, 748534, false, false, true },
        { u"nospoilers-dark"_s, 633860, true, true, false },
    };
    for (const PlaysScene &scene : playsScenes) {
        QApplication::setPalette(scene.dark ? darkPalette() : light);
        QSettings settings(settingsDir.filePath(u"plays-"_s + scene.name + u".ini"_s), QSettings::IniFormat);
        settings.setValue(u"noSpoilers"_s, scene.noSpoilers);
        RecordedScheduleAPI api;
        api.games = { recordedLiveGame().first };
        NotificationService notifications(nullptr, QString());
        ScheduleViewModel viewModel(
            &api, &notifications, &settings, [] { return QDateTime::currentDateTime(); }, false, false);
        auto load = viewModel.loadSchedule();
        Q_UNUSED(load);
        PopupWindow window;
        auto *content = new MenuContentView(&viewModel, [](const QUrl &) {});
        auto *plays = new PlaysView(&viewModel);
        content->inlinePlaysSlot()->layout()->addWidget(plays);
        window.setContent(content);
        viewModel.setInlinePlaysGameId(scene.gamePk);
        window.popUpAt(QPoint(600, 0));
        for (int i = 0; i < 100 && plays->content() == PlaysView::Content::Loading; ++i)
            settle(50);
        plays->scoringOnlySwitch()->setChecked(scene.scoringOnly);
        settle();
        const QString path = outDir + u"/plays-"_s + scene.name + suffix + u".png"_s;
        if (!window.grab().save(path)) {
            std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
            return 1;
        }
        std::printf("%s\n", qPrintable(path));
        window.hide();
    }

    // The roomy style, the whole box score at once.
    for (const bool dark : { false, true }) {
        QApplication::setPalette(dark ? darkPalette() : light);
        BoxScoreView view;
        view.setBoxScore(recordedFinal.boxScore);
        view.setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        constexpr int width = 660;
        view.resize(width, 400);
        view.show();
        settle(50);
        view.resize(width, view.widget()->heightForWidth(width));
        settle(50);
        const QString path = outDir + u"/boxscore-regular"_s + (dark ? u"-dark"_s : QString()) + suffix + u".png"_s;
        if (!view.grab().save(path)) {
            std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
            return 1;
        }
        std::printf("%s\n", qPrintable(path));
    }
    return 0;
}
