// Renders the window for recorded days, in light and dark palettes, with and without spoilers, into PNG
// files. Club logos come from a local server that hands out plain stand-in roundels, since no real logo
// is stored with the project.

#include "app/popupwindow.h"
#include "replay/replayserver.h"
#include "schedule/scheduleviewmodel.h"
#include "stats/decoder.h"
#include "stats/logocache.h"
#include "stats/teams.h"
#include "ui/gamelistview.h"
#include "ui/gamerowview.h"
#include "ui/menucontentview.h"

#include <QApplication>
#include <QBuffer>
#include <QDir>
#include <QEnterEvent>
#include <QFile>
#include <QPainter>
#include <QSettings>
#include <QStyle>
#include <QStyleFactory>
#include <QTemporaryDir>
#include <QTextStream>
#include <QTimer>
#include <cstdio>

using namespace Qt::StringLiterals;

namespace {

// Answers every schedule request at once with one recorded day, or fails when told to.
class RecordedScheduleAPI : public ScheduleAPI {
public:
    std::vector<Game> games;
    bool fail = false;

    QCoro::Task<std::vector<Game>> fetchSchedule(QDateTime) override
    {
        if (fail) throw ServiceError(ServiceError::Kind::Transfer, u"offline"_s);
        co_return games;
    }
    QCoro::Task<std::vector<Game>> fetchTeamSchedule(qint64, QDateTime, qint64) override { co_return {}; }
    QCoro::Task<GameDetail> fetchGameDetail(qint64) override
    {
        throw ServiceError(ServiceError::Kind::Transfer, u"offline"_s);
        co_return GameDetail {};
    }
};

std::vector<Game> recordedDay(const QString &name)
{
    QFile file(QStringLiteral(BASELARK_TEST_DATA "/") + name);
    if (!file.open(QIODevice::ReadOnly)) return {};
    auto response = decode<ScheduleResponse>(file.readAll());
    return response.dates.empty() ? std::vector<Game>() : response.dates.front().games;
}

// A neutral roundel with the club's abbreviation and a transparent margin for the cache to crop.
QByteArray standInLogo(const QString &abbreviation, int hue)
{
    QImage image(120, 120, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setBrush(QColor::fromHsv(hue, 150, 170));
    painter.setPen(QPen(Qt::white, 4));
    painter.drawEllipse(QRectF(12, 12, 96, 96));
    QFont font;
    font.setPixelSize(34);
    font.setBold(true);
    painter.setFont(font);
    painter.drawText(QRectF(12, 12, 96, 96), Qt::AlignCenter, abbreviation);
    painter.end();
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return bytes;
}

QPalette darkPalette()
{
    QPalette palette;
    palette.setColor(QPalette::Window, QColor(0x2b, 0x2b, 0x2e));
    palette.setColor(QPalette::WindowText, QColor(0xec, 0xec, 0xee));
    palette.setColor(QPalette::Base, QColor(0x1e, 0x1e, 0x20));
    palette.setColor(QPalette::AlternateBase, QColor(0x33, 0x33, 0x36));
    palette.setColor(QPalette::Text, QColor(0xec, 0xec, 0xee));
    palette.setColor(QPalette::Button, QColor(0x3a, 0x3a, 0x3d));
    palette.setColor(QPalette::ButtonText, QColor(0xec, 0xec, 0xee));
    palette.setColor(QPalette::Highlight, QColor(0x3d, 0x8b, 0xfd));
    palette.setColor(QPalette::HighlightedText, Qt::white);
    palette.setColor(QPalette::Mid, QColor(0x55, 0x55, 0x5a));
    palette.setColor(QPalette::PlaceholderText, QColor(0x9a, 0x9a, 0xa0));
    palette.setColor(QPalette::ToolTipBase, QColor(0x3a, 0x3a, 0x3d));
    palette.setColor(QPalette::ToolTipText, QColor(0xec, 0xec, 0xee));
    return palette;
}

void settle(int ms = 150)
{
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

struct Scene {
    QString name;
    QString recording; // empty: a day without games
    bool noSpoilers = true;
    bool dark = false;
    bool fail = false;
    int hoverRow = -1; // index in display order
    int selectRow = -1;
};

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
        QString file = team.abbreviation.toLower();
        if (file == u"az"_s) file = u"ari"_s;
        logos.addRoute(Route { u"/i/teamlogos/mlb/500/"_s + file + u".png"_s, {}, {},
            standInLogo(team.abbreviation, int((team.id * 37) % 360)), 200, "image/png" });
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
    };

    QTemporaryDir settingsDir;
    for (const Scene &scene : scenes) {
        QApplication::setPalette(scene.dark ? darkPalette() : light);
        QSettings settings(settingsDir.filePath(scene.name + u".ini"_s), QSettings::IniFormat);
        // Boston plays on each recorded day, so its game leads the list and is selected.
        settings.setValue(u"favoriteTeamId"_s, 111);
        settings.setValue(u"noSpoilers"_s, scene.noSpoilers);
        RecordedScheduleAPI api;
        if (!scene.recording.isEmpty()) api.games = recordedDay(scene.recording);
        ScheduleViewModel viewModel(
            &api, &settings, [] { return QDateTime::currentDateTime(); }, false, false);
        auto load = viewModel.loadSchedule();
        Q_UNUSED(load);
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
        settle();
        const QString path = outDir + u"/schedule-"_s + scene.name + suffix + u".png"_s;
        if (!window.grab().save(path)) {
            std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
            return 1;
        }
        std::printf("%s\n", qPrintable(path));
        window.hide();
    }
    return 0;
}
