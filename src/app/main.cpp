#include "app/baselarkapp.h"
#include "app/commandline.h"
#include "app/desktopsession.h"
#include "app/quitsignals.h"
#include "app/singleinstanceguard.h"
#include "app/x11windowclass.h"
#include "stats/logocache.h"
#include "stats/mlbapiservice.h"

#include <QApplication>
#include <QSettings>

using namespace Qt::StringLiterals;

int main(int argc, char *argv[])
{
    // --help, --version and errors answer on the terminal, with no display needed.
    if (const std::optional<int> status = handleCommandLine(argc, argv)) return *status;

    // In GNOME's and Plasma's Wayland sessions only an Xwayland window can open at the status item.
    const QByteArray platform = preferredPlatform(DesktopSession::current(),
        userNamedPlatform(argc, argv, qEnvironmentVariableIsSet("QT_QPA_PLATFORM")),
        qEnvironmentVariableIsSet("DISPLAY"));
    if (!platform.isEmpty()) qputenv("QT_QPA_PLATFORM", platform);
    QApplication app(argc, argv);
    // Programs opened from Baselark, a browser for one, choose their own platform.
    if (!platform.isEmpty()) qunsetenv("QT_QPA_PLATFORM");
    setApplicationIdentity();
    X11WindowClass windowClass(QApplication::desktopFileName().toUtf8());
    // The status item is the application's only lasting presence.
    QApplication::setQuitOnLastWindowClosed(false);
    QuitSignals quitSignals;
    QObject::connect(&quitSignals, &QuitSignals::quitRequested, &app, &QCoreApplication::quit);

    // Test harnesses that start several copies at once set this, like a test runner would.
    if (!qEnvironmentVariableIsSet("BASELARK_TEST_RUNNER") && !SingleInstanceGuard::shared().acquire()) return 0;

    QSettings settings(QSettings::IniFormat, QSettings::UserScope, u"baselark"_s, u"baselark"_s);
    BaselarkApp baselark(&MLBAPIService::shared(), &settings, MLBAPIService::shared().networkAccessManager());
    baselark.show();
    // Rows rarely wait for a logo when every club's logo is on its way from the start.
    LogoCache::shared().prefetchTeamLogos();
    return QApplication::exec();
}
