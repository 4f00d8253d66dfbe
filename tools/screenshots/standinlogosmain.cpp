// Writes the stand-in club logos (PNG) and league logos (SVG) under the names the logo hosts use, for the
// demo data set: baselark-standin-logos DIR.

#include "standinlogos.h"
#include "stats/teams.h"

#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <cstdio>

using namespace Qt::StringLiterals;

namespace {

bool writeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    if (file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size()) return true;
    std::fprintf(stderr, "baselark-standin-logos: cannot write %s: %s\n", qUtf8Printable(path),
        qUtf8Printable(file.errorString()));
    return false;
}

} // namespace

int main(int argc, char *argv[])
{
    // Drawing text needs a platform plugin, never a display.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    if (QGuiApplication::arguments().size() != 2) {
        std::fprintf(stderr, "usage: baselark-standin-logos DIR\n");
        return 1;
    }
    const QDir dir(QGuiApplication::arguments().at(1));
    if (!QDir().mkpath(dir.path())) return 1;
    for (const MLBTeam &team : MLBTeam::all()) {
        const QString name = standins::clubLogoFileName(team.abbreviation) + u".png"_s;
        if (!writeFile(dir.filePath(name), standins::clubLogoPng(team.abbreviation, team.id))) return 1;
    }
    for (const qint64 leagueId : { 103, 104 }) {
        if (!writeFile(dir.filePath(u"%1.svg"_s.arg(leagueId)), standins::leagueLogoSvg(leagueId))) return 1;
    }
    return 0;
}
