#include "app/quitsignals.h"

#include <QSocketNotifier>
#include <array>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>
#include <utility>

namespace {

constexpr std::array quitSignals { SIGTERM, SIGINT, SIGHUP };

// A pipe from the handler to the event loop: write() is one of the few calls a signal handler may make.
int pipeEnds[2] = { -1, -1 };

void onSignal(int)
{
    const int savedErrno = errno;
    const char byte = 1;
    // A full pipe already holds a request to quit, so a failed write loses nothing.
    [[maybe_unused]] const auto written = ::write(pipeEnds[1], &byte, 1);
    errno = savedErrno;
}

void setHandler(void (*handler)(int))
{
    struct sigaction action = {};
    action.sa_handler = handler;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (const int signal : quitSignals)
        ::sigaction(signal, &action, nullptr);
}

} // namespace

QuitSignals::QuitSignals(QObject *parent)
    : QObject(parent)
{
    Q_ASSERT(pipeEnds[0] < 0);
    if (::pipe2(pipeEnds, O_CLOEXEC | O_NONBLOCK) != 0) {
        // Without the pipe the signals keep their default effect: the program still ends, only less tidily.
        qWarning("baselark: cannot watch for quit signals: %s", std::strerror(errno));
        return;
    }
    m_notifier = new QSocketNotifier(pipeEnds[0], QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, &QuitSignals::drain);
    setHandler(onSignal);
}

QuitSignals::~QuitSignals()
{
    if (pipeEnds[0] < 0) return;
    setHandler(SIG_DFL);
    for (int &end : pipeEnds)
        ::close(std::exchange(end, -1));
}

void QuitSignals::drain()
{
    char bytes[16];
    while (::read(pipeEnds[0], bytes, sizeof bytes) > 0) { }
    Q_EMIT quitRequested();
}
