#include "app/commandline.h"

#include "app/statusclient.h"
#include "stats/endpoints.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDBusError>
#include <QDBusMessage>
#include <QTextStream>

#include <memory>

using namespace Qt::StringLiterals;

namespace {

// Exit status for a command line the program does not understand, as getopt-style tools use.
constexpr int usageError = 2;

struct Options {
    QCommandLineOption help { { u"h"_s, u"help"_s }, u"Show this help and exit."_s };
    QCommandLineOption version { { u"v"_s, u"version"_s }, u"Show the version and exit."_s };
    QCommandLineOption endpoint { u"endpoint"_s,
        u"Send every service request to this server instead (scheme://host:port), like BASELARK_ENDPOINT."_s,
        u"URL"_s };
    QCommandLineOption status { u"status"_s, u"Print the running Baselark's status line once and exit."_s };
    QCommandLineOption follow { u"follow"_s, u"Print the status line now and again at every change, for a panel."_s };
    QCommandLineOption format { u"format"_s, u"With --follow: plain (the default) or waybar (JSON lines)."_s,
        u"FORMAT"_s };
    QCommandLineOption toggle { u"toggle"_s, u"Open or close the running Baselark's window."_s };
};

// Options QApplication takes for itself (the session manager restarts programs with -session); they pass
// through the parser untouched so the application can read them.
QList<QCommandLineOption> qtOptions()
{
    QList<QCommandLineOption> options;
    const QStringList takingValues { u"platform"_s, u"platformpluginpath"_s, u"platformtheme"_s, u"plugin"_s,
        u"display"_s, u"geometry"_s, u"qwindowgeometry"_s, u"qwindowicon"_s, u"qwindowtitle"_s, u"session"_s, u"name"_s,
        u"style"_s, u"stylesheet"_s };
    for (const QString &name : takingValues)
        options.append(QCommandLineOption(name, QString(), u"value"_s));
    for (const QString &name : { u"reverse"_s, u"widgetcount"_s, u"nograb"_s, u"dograb"_s, u"sync"_s })
        options.append(QCommandLineOption(name));
    for (QCommandLineOption &option : options)
        option.setFlags(QCommandLineOption::HiddenFromHelp);
    return options;
}

void setUp(QCommandLineParser &parser, const Options &options)
{
    parser.setApplicationDescription(u"A baseball scoreboard in the desktop's status area."_s);
    // Qt's own options are single-dash words such as -platform.
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    parser.addOptions({ options.help, options.version, options.endpoint, options.status, options.follow, options.format,
        options.toggle });
    parser.addOptions(qtOptions());
}

// Whether the text overrides the services, by the rule the services themselves apply to BASELARK_ENDPOINT:
// anything else silently falls back to the real hosts, which a user who typed it would not expect.
bool isEndpoint(const QString &text)
{
    const Endpoints given = Endpoints::overriddenBy(text);
    const Endpoints production = Endpoints::production();
    return given.statsBaseURL != production.statsBaseURL || given.teamLogoHost != production.teamLogoHost;
}

} // namespace

CommandLine parseCommandLine(const QStringList &arguments)
{
    QCommandLineParser parser;
    const Options options;
    setUp(parser, options);
    CommandLine result;
    if (!parser.parse(arguments)) {
        result.mode = CommandLine::Mode::Error;
        result.error = parser.errorText();
        return result;
    }
    if (!parser.positionalArguments().isEmpty()) {
        result.mode = CommandLine::Mode::Error;
        result.error = u"Unexpected argument '%1'."_s.arg(parser.positionalArguments().constFirst());
        return result;
    }
    if (parser.isSet(options.help)) {
        result.mode = CommandLine::Mode::Help;
        return result;
    }
    if (parser.isSet(options.version)) {
        result.mode = CommandLine::Mode::Version;
        return result;
    }
    const bool status = parser.isSet(options.status);
    const bool follow = parser.isSet(options.follow);
    const bool toggle = parser.isSet(options.toggle);
    if (int(status) + int(follow) + int(toggle) > 1) {
        result.mode = CommandLine::Mode::Error;
        result.error = u"Use one of --status, --follow and --toggle at a time."_s;
        return result;
    }
    if (parser.isSet(options.format)) {
        const QString format = parser.value(options.format);
        if (!follow || (format != u"plain"_s && format != u"waybar"_s)) {
            result.mode = CommandLine::Mode::Error;
            result.error = follow ? u"--format takes plain or waybar, not '%1'."_s.arg(format)
                                  : u"--format goes with --follow."_s;
            return result;
        }
        result.waybar = format == u"waybar"_s;
    }
    if (status || follow || toggle) {
        result.mode = status ? CommandLine::Mode::Status
            : follow         ? CommandLine::Mode::Follow
                             : CommandLine::Mode::Toggle;
        return result;
    }
    if (parser.isSet(options.endpoint)) {
        const QString endpoint = parser.value(options.endpoint);
        if (!isEndpoint(endpoint)) {
            result.mode = CommandLine::Mode::Error;
            result.error
                = u"--endpoint needs an http or https origin such as http://127.0.0.1:8080, not '%1'."_s.arg(endpoint);
            return result;
        }
        result.endpoint = endpoint;
    }
    return result;
}

QString commandLineHelp()
{
    QCommandLineParser parser;
    const Options options;
    setUp(parser, options);
    return parser.helpText();
}

QString versionLine()
{
    return u"baselark "_s + QLatin1StringView(BASELARK_VERSION);
}

std::optional<int> handleCommandLine(int argc, char *argv[])
{
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments.append(QString::fromLocal8Bit(argv[i]));
    const CommandLine commandLine = parseCommandLine(arguments);
    switch (commandLine.mode) {
    case CommandLine::Mode::Run:
        if (commandLine.endpoint) qputenv("BASELARK_ENDPOINT", commandLine.endpoint->toLocal8Bit());
        return std::nullopt;
    case CommandLine::Mode::Help: {
        // The help text takes the program's name from the application object; a core one needs no display.
        std::unique_ptr<QCoreApplication> app;
        if (!QCoreApplication::instance()) app = std::make_unique<QCoreApplication>(argc, argv);
        QTextStream(stdout) << commandLineHelp();
        return 0;
    }
    case CommandLine::Mode::Version:
        QTextStream(stdout) << versionLine() << '\n';
        return 0;
    case CommandLine::Mode::Error:
        QTextStream(stderr) << "baselark: " << commandLine.error << " See 'baselark --help'.\n";
        return usageError;
    case CommandLine::Mode::Status:
    case CommandLine::Mode::Follow:
    case CommandLine::Mode::Toggle: {
        // Thin clients of the running copy: a core application for the bus, no display.
        QCoreApplication app(argc, argv);
        // The bus thread reports a failed call with these types after the caller has its answer; registered
        // here, before the bus exists, Qt's type registry outlives that thread when the program exits.
        qRegisterMetaType<QDBusMessage>();
        qRegisterMetaType<QDBusError>();
        QTextStream out(stdout);
        QTextStream err(stderr);
        if (commandLine.mode == CommandLine::Mode::Status) return statusclient::printStatus(out, err);
        if (commandLine.mode == CommandLine::Mode::Toggle) return statusclient::toggle(err);
        return statusclient::follow(
            commandLine.waybar ? statusclient::Format::Waybar : statusclient::Format::Plain, out, err);
    }
    }
    return usageError;
}
