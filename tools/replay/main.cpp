#include "replay/replayserver.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QSocketNotifier>
#include <csignal>
#include <cstdio>
#include <sys/socket.h>
#include <unistd.h>

using namespace Qt::Literals::StringLiterals;

namespace {

int signalSockets[2] = { -1, -1 };

void onQuitSignal(int)
{
    const char byte = 1;
    [[maybe_unused]] const ssize_t written = ::write(signalSockets[1], &byte, 1);
}

// Signal handlers may not touch Qt, so SIGINT and SIGTERM reach the event loop through a socket pair.
bool quitOnSignals(QCoreApplication &app)
{
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, signalSockets) != 0) return false;
    auto *notifier = new QSocketNotifier(signalSockets[0], QSocketNotifier::Read, &app);
    QObject::connect(notifier, &QSocketNotifier::activated, &app, &QCoreApplication::quit);
    struct sigaction action { };
    action.sa_handler = onQuitSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    return ::sigaction(SIGINT, &action, nullptr) == 0 && ::sigaction(SIGTERM, &action, nullptr) == 0;
}

int fail(int exitCode, const QString &message)
{
    std::fprintf(stderr, "baselark-replay: %s\n", qUtf8Printable(message));
    return exitCode;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(u"baselark-replay"_s);

    QCommandLineParser parser;
    parser.setApplicationDescription(u"Answers the stats service's and logo hosts' requests from recorded files, "
                                     u"on 127.0.0.1 only."_s);
    parser.addHelpOption();
    const QCommandLineOption dirOption(
        u"dir"_s, u"Data set folder; its manifest.json is used unless --manifest is given."_s, u"DIR"_s);
    const QCommandLineOption manifestOption(
        u"manifest"_s, u"Manifest file; the files it names are relative to its folder."_s, u"FILE"_s);
    const QCommandLineOption portOption(u"port"_s, u"Port to listen on; 0 picks a free one."_s, u"N"_s, u"0"_s);
    const QCommandLineOption logOption(u"log"_s, u"Appends each request target to FILE."_s, u"FILE"_s);
    const QCommandLineOption unansweredOption(
        u"log-unanswered"_s, u"Appends each request target that no route matched to FILE."_s, u"FILE"_s);
    const QCommandLineOption speedOption(u"speed"_s,
        u"Plays timelines FACTOR times faster than the real clock (a whole demo game in a minute at 10)."_s,
        u"FACTOR"_s, u"1"_s);
    parser.addOptions({ dirOption, manifestOption, portOption, logOption, unansweredOption, speedOption });
    parser.process(app);

    if (!parser.positionalArguments().isEmpty())
        return fail(1, u"unexpected argument \"%1\" (see --help)"_s.arg(parser.positionalArguments().first()));
    if (!parser.isSet(dirOption) && !parser.isSet(manifestOption))
        return fail(1, u"give --dir DIR or --manifest FILE (see --help)"_s);
    bool portOk = false;
    const uint port = parser.value(portOption).toUInt(&portOk);
    if (!portOk || port > 65535) return fail(1, u"--port must be a number from 0 to 65535"_s);
    bool speedOk = false;
    const double speed = parser.value(speedOption).toDouble(&speedOk);
    if (!speedOk || !(speed >= 1 && speed <= 1000)) return fail(1, u"--speed must be a number from 1 to 1000"_s);

    ReplayServer server;
    const QString manifest = parser.isSet(manifestOption) ? parser.value(manifestOption)
                                                          : QDir(parser.value(dirOption)).filePath(u"manifest.json"_s);
    QString error;
    if (!server.loadManifest(manifest, &error)) return fail(2, error);
    if (speed != 1) {
        QElapsedTimer started;
        started.start();
        server.setUptime([started, speed] { return qint64(double(started.elapsed()) * speed / 1000); });
    }

    QFile log;
    QFile unansweredLog;
    const auto openLog = [&server](QFile &file, const QString &name, void (ReplayServer::*signal)(QString)) {
        file.setFileName(name);
        if (!file.open(QIODevice::WriteOnly | QIODevice::Append)) return false;
        QObject::connect(&server, signal, &file, [&file](const QString &target) {
            file.write(target.toUtf8() + '\n');
            file.flush();
        });
        return true;
    };
    if (parser.isSet(logOption) && !openLog(log, parser.value(logOption), &ReplayServer::requestReceived))
        return fail(1, u"cannot open log %1: %2"_s.arg(log.fileName(), log.errorString()));
    if (parser.isSet(unansweredOption)
        && !openLog(unansweredLog, parser.value(unansweredOption), &ReplayServer::requestUnanswered))
        return fail(1, u"cannot open log %1: %2"_s.arg(unansweredLog.fileName(), unansweredLog.errorString()));

    if (!quitOnSignals(app)) return fail(1, u"cannot install the SIGINT/SIGTERM handler"_s);
    if (!server.listen(QHostAddress::LocalHost, quint16(port)))
        return fail(1, u"cannot listen on 127.0.0.1:%1: %2"_s.arg(port).arg(server.errorString()));
    std::printf("listening on %s\n", qUtf8Printable(server.baseUrl()));
    std::fflush(stdout);
    return QCoreApplication::exec();
}
