#include "boxscorecommand.h"
#include "detailcommand.h"
#include "eventscommand.h"
#include "feedtool.h"
#include "patchcommand.h"
#include "plancommand.h"
#include "schedulecommand.h"
#include "standingscommand.h"

#include <QCoreApplication>
#include <QFile>
#include <cstdio>

using namespace Qt::StringLiterals;

namespace {

const char usage[] = "usage: baselark-feedtool schedule FILE [--favorite ID] [--no-spoilers]\n"
                     "       baselark-feedtool detail FILE\n"
                     "       baselark-feedtool standings FILE\n"
                     "       baselark-feedtool boxscore FILE\n"
                     "       baselark-feedtool patch FEED PATCH... [--kind detail|boxscore]\n"
                     "       baselark-feedtool plan FILE --lead N --now ISO8601 [--pending ID,...]\n"
                     "       baselark-feedtool title FILE --now ISO8601 [--favorite ID] [--no-spoilers]\n"
                     "       baselark-feedtool events BEFORE AFTER\n"
                     "Decodes a saved stats-service answer and prints what Baselark derives from it as JSON;\n"
                     "patch first applies saved diffPatch answers to a saved live feed, in order.\n"
                     "Times are formatted in the time zone of TZ and the current locale.\n";

} // namespace

std::optional<QByteArray> readInput(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        std::fprintf(stderr, "baselark-feedtool: %s: %s\n", qPrintable(path), qPrintable(file.errorString()));
        return std::nullopt;
    }
    return file.readAll();
}

void writeOutput(const QByteArray &bytes)
{
    std::fwrite(bytes.constData(), 1, static_cast<size_t>(bytes.size()), stdout);
}

int usageError(const QString &message)
{
    std::fprintf(stderr, "baselark-feedtool: %s\n%s", qPrintable(message), usage);
    return 2;
}

int decodingError(const ServiceError &error)
{
    std::fprintf(stderr, "baselark-feedtool: %s\n", qPrintable(error.description()));
    return 1;
}

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QStringList arguments = QCoreApplication::arguments().mid(1);
    if (arguments.isEmpty() || arguments.front() == u"--help" || arguments.front() == u"-h") {
        std::fputs(usage, arguments.isEmpty() ? stderr : stdout);
        return arguments.isEmpty() ? 2 : 0;
    }
    const QString command = arguments.takeFirst();
    if (command == u"schedule") return runScheduleCommand(arguments);
    if (command == u"detail") return runDetailCommand(arguments);
    if (command == u"standings") return runStandingsCommand(arguments);
    if (command == u"boxscore") return runBoxScoreCommand(arguments);
    if (command == u"plan") return runPlanCommand(arguments);
    if (command == u"patch") return runPatchCommand(arguments);
    if (command == u"title") return runTitleCommand(arguments);
    if (command == u"events") return runEventsCommand(arguments);
    return usageError(u"unknown command: "_s + command);
}
